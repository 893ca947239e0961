// A player's session with the browser build in headless Chromium: reads the
// canvas as a player sees it (glyphs of the built-in font, cell colours,
// strike lines), plays, and uses the page's word-list controls.
// Run by `make web-test` after `make web`; every wait is for a condition.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { execFileSync } from 'node:child_process';
import puppeteer from 'puppeteer-core';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const webFolder = path.join(repo, 'build/web');
const testFolder = path.join(repo, 'build/web-test');
mkdirSync(testFolder, { recursive: true });
const Chromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
const DeadlineMs = 30000;

const range = (n) => [...Array(n).keys()];
const Cells = 20, CellPixels = 30, GlyphOffset = 13;
const HintX = 650, HintTop = 20, HintSpacing = 50, HintColumns = 40, StrikeOffset = 4;
const Black = 0x000000, White = 0xffffff, Green = 0x00ff00, Magenta = 0xff00ff;

// --- What the player knows: the font, the shipped list, the win picture ---

function loadFont() {
  const file = execFileSync('git', ['ls-files', '*font_cp437.cpp'], { cwd: repo, encoding: 'utf8' }).trim();
  const table = readFileSync(path.join(repo, file), 'utf8').split('BuiltinFont = {')[1];
  const bytes = table.split('\n').flatMap((line) => line.split('//')[0].match(/0x[0-9A-Fa-f]{2}/g) ?? []);
  assert.equal(bytes.slice(0, 2048).length, 2048, 'font table');
  // Glyph pixels -> code. A later entry wins: the printable codes come last,
  // the space at the very end, so a blank reads as the space.
  const order = range(256).map((k) => (k + 32) % 256).reverse();
  return new Map(order.map((code) => [bytes.slice(code * 8, code * 8 + 8).join(), code]));
}
const glyphCodes = loadFont();

const Cp437 = { 'ä': 0x84, 'ö': 0x94, 'ü': 0x81, 'Ä': 0x8e, 'Ö': 0x99, 'Ü': 0x9a, 'ß': 0xe1, 'é': 0x82 };
const toCp437 = (text) => [...text].map((ch) => (ch.charCodeAt(0) < 128 ? ch.charCodeAt(0) : Cp437[ch] ?? -1));

// Entries "WORD; hint": line 1 is ignored, line 2 the label prefix.
function parseList(text) {
  const [, prefix, ...entries] = text.split('\n');
  return entries.filter((line) => line.includes(';')).map((line) => {
    const [word, rest] = [line.slice(0, line.indexOf(';')), line.slice(line.indexOf(';') + 2)];
    return { word, label: toCp437(prefix + ' ' + rest).slice(0, HintColumns) };
  });
}
const shippedList = parseList(readFileSync(path.join(repo, 'data/woerter.plain.txt'), 'utf8'));
const ownListText = 'Eigene Liste\nTipp:\n' +
  ['WALD', 'FLUSS', 'BERG', 'WIESE', 'STEIN', 'BLATT', 'MOOS', 'FARN', 'TEICH', 'HECKE', 'DORF', 'WEG']
    .map((word, k) => `${word}; Eigenes Wort ${k + 1}`).join('\n') + '\n';
const ownList = parseList(ownListText);

// The win picture's own pixels (24-bit bitmap, bottom-up rows), magenta left out.
function winPicturePixels() {
  const bmp = readFileSync(path.join(webFolder, 'win.bmp'));
  const [offset, width, height] = [bmp.readUInt32LE(10), bmp.readInt32LE(18), bmp.readInt32LE(22)];
  const pixels = [];
  for (let y = 0; y < Math.abs(height); y += 7) for (let x = 0; x < width; x += 7) {
    const row = height > 0 ? height - 1 - y : y;
    const color = bmp.readUIntLE(offset + row * Math.ceil((width * 3) / 4) * 4 + x * 3, 3);
    if (color !== Magenta) pixels.push({ x, y, color });
  }
  return pixels;
}

// --- Reading a frame ---

// The whole canvas, or the rectangle of it that was read.
class Frame {
  constructor(rgba, box = { left: 0, top: 0, width: 1000 }) {
    this.rgba = rgba;
    this.box = box;
  }
  at(x, y) {
    const i = ((y - this.box.top) * this.box.width + x - this.box.left) * 4;
    return (this.rgba[i] << 16) | (this.rgba[i + 1] << 8) | this.rgba[i + 2];
  }
  code(x, y) {
    const rows = range(8).map((r) => range(8).reduce((bits, c) => bits | ((this.at(x + c, y + r) === Black) << c), 0));
    return glyphCodes.get(rows.map((bits) => '0x' + bits.toString(16).toUpperCase().padStart(2, '0')).join()) ?? -1;
  }
  letters() {
    return range(Cells).map((r) => range(Cells)
      .map((c) => String.fromCharCode(this.code(c * CellPixels + GlyphOffset, r * CellPixels + GlyphOffset))).join(''));
  }
  hint(index) { return range(HintColumns).map((k) => this.code(HintX + 8 * k, HintTop + HintSpacing * index)); }
  gridDrawn() {
    return range(Cells * Cells).every((k) => {
      const [x, y] = [(k % Cells) * CellPixels, Math.floor(k / Cells) * CellPixels + 3];
      return this.at(x, y) === Black && [White, Green].includes(this.at(x + 3, y));
    });
  }
  green(cell) { return this.at(cell.column * CellPixels + 3, cell.row * CellPixels + 3) === Green; }
  struck(index) {
    return range(8 * HintColumns + 1).every((k) => this.at(HintX + k, HintTop + HintSpacing * index + StrikeOffset) === Black);
  }
}

const sameLabel = (shown, label) => shown.every((code, k) => code === (k < label.length ? label[k] : 32));

// Where a word lies in the grid: along a row or down a column.
function findWord(rows, word) {
  for (let line = 0; line < Cells; ++line) {
    const across = rows[line], down = rows.map((row) => row[line]).join('');
    if (across.includes(word)) return { first: { row: line, column: across.indexOf(word) }, down: false, length: word.length };
    if (down.includes(word)) return { first: { row: down.indexOf(word), column: line }, down: true, length: word.length };
  }
  return null;
}
const cellAt = (place, k) => (place.down ? { row: place.first.row + k, column: place.first.column }
  : { row: place.first.row, column: place.first.column + k });

// --- The browser ---

let browser, page;

// The page's files come from the build folder as a web server would send them.
function serve(request) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const file = path.join(webFolder, path.basename(new URL(request.url()).pathname) || 'index.html');
  if (!existsSync(file)) return request.respond({ status: 404, body: '' });
  return request.respond({ status: 200, contentType: types[path.extname(file)] ?? 'application/octet-stream', body: readFileSync(file) });
}

// Reading the whole canvas moves 2.4 MB through the driver; a check of a
// few pixels reads only their rectangle.
async function frame(box = { left: 0, top: 0, width: 1000, height: 600 }) {
  const base64 = await page.evaluate(({ left, top, width, height }) => {
    const data = document.getElementById('canvas').getContext('2d').getImageData(left, top, width, height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(text);
  }, box);
  return new Frame(Buffer.from(base64, 'base64'), box);
}
const cellBox = (cell) => ({ left: cell.column * CellPixels, top: cell.row * CellPixels, width: CellPixels, height: CellPixels });
const hintBox = (index) => ({ left: HintX, top: HintTop + HintSpacing * index, width: 8 * HintColumns + 1, height: 8 });

// Polls the canvas until `check` returns a value other than false/undefined.
async function waitForFrame(check, what) {
  const deadline = Date.now() + DeadlineMs;
  for (;;) {
    const result = check(await frame());
    if (result !== false && result !== undefined) return result;
    if (Date.now() > deadline) assert.fail('timed out waiting for ' + what);
  }
}

// A click on frame-buffer pixel (x, y) of the CSS-scaled canvas.
async function clickPixel(x, y) {
  const box = await (await page.$('#canvas')).boundingBox();
  await page.mouse.click(box.x + (x + 0.5) * (box.width / 1000), box.y + (y + 0.5) * (box.height / 600));
}
const clickCell = (cell) => clickPixel(cell.column * CellPixels + CellPixels / 2, cell.row * CellPixels + CellPixels / 2);

// The game runs at most one frame per browser frame: after six it has seen a click.
const framesPass = () => page.evaluate(() => new Promise((done) => {
  let left = 6;
  const next = () => (--left === 0 ? done() : requestAnimationFrame(next));
  requestAnimationFrame(next);
}));

async function puzzle(list) {
  return waitForFrame((f) => {
    if (!f.gridDrawn()) return false;
    const rows = f.letters();
    const hints = range(10).map((i) => list.find((entry) => sameLabel(f.hint(i), entry.label)));
    return hints.every(Boolean) && { rows, hints };
  }, 'a puzzle from the expected list');
}

// Clicks the word's two ends, the first one `from` the given end. A press that
// lasted two game frames leaves its cell pending, and the next click then ends
// that selection instead of starting one, as for a player: so click again.
async function findOnGrid(rows, entry, index, fromLast) {
  const place = findWord(rows, entry.word);
  assert.ok(place, `${entry.word} lies in the grid`);
  const ends = [cellAt(place, 0), cellAt(place, place.length - 1)];
  if (fromLast) ends.reverse();
  for (let attempt = 0; attempt < 4; ++attempt) {
    await clickCell(ends[0]);
    await framesPass();
    if (!(await frame(cellBox(ends[0]))).green(ends[0])) continue;
    await clickCell(ends[1]);
    await framesPass();
    if ((await frame(hintBox(index))).struck(index)) return;
  }
  assert.fail(`hint ${index + 1} (${entry.word}) not struck through`);
}

async function chooseList(text) {
  const file = path.join(testFolder, 'list.txt');
  writeFileSync(file, text);
  await (await page.$('#wordFile')).uploadFile(file);
}

before(async () => {
  browser = await puppeteer.launch({ executablePath: Chromium, headless: true, args: ['--no-sandbox'] });
  page = await browser.newPage();
  // Larger than the frame, so the page scales the canvas and clicks are mapped back.
  await page.setViewport({ width: 1280, height: 820 });
  await page.setRequestInterception(true);
  page.on('request', serve);
  await page.goto('http://lettermoor.test/');
});

after(() => browser?.close());

test('a word found from either end turns green and strikes its hint; the tenth brings the win picture', async () => {
  const { rows, hints } = await puzzle(shippedList);
  for (let index = 0; index < 10; ++index) {
    await findOnGrid(rows, hints[index], index, index === 1);
    if (index > 1) continue;
    const [f, place] = [await frame(), findWord(rows, hints[index].word)];
    for (let k = 0; k < place.length; ++k) assert.ok(f.green(cellAt(place, k)), `${hints[index].word} cell ${k} green`);
    if (index === 1) await page.screenshot({ path: path.join(testFolder, 'screenshot.png') });
  }
  const picture = winPicturePixels();
  await waitForFrame((f) => picture.every(({ x, y, color }) => f.at(x, y) === color), 'the win picture');
});

test('"Neues Rätsel" deals a new puzzle', async () => {
  const before = (await frame()).letters().join();
  await clickPixel(800, 555);
  await waitForFrame((f) => f.gridDrawn() && f.letters().join() !== before && range(10).every((i) => !f.struck(i)),
    'a fresh puzzle');
});

test('an own list is dealt from, kept for the next visit, and the default list comes back', async () => {
  await chooseList(ownListText);
  await puzzle(ownList);
  await page.reload();
  await puzzle(ownList);
  await page.click('#defaultList');
  await puzzle(shippedList);
});

test('a refused list shows why, with line and column, and the game goes on', async () => {
  for (const [text, pattern] of [
    ['Liste\nTipp:\nWALD; ok\nAB\u6f22C; nicht speicherbar\n', /line 4, column 3/],
    ['Liste\nTipp:\nWALD; nur ein Wort\n', /no puzzle can be dealt/],
  ]) {
    await chooseList(text);
    await page.waitForFunction((source) => new RegExp(source).test(document.getElementById('message').textContent),
      { timeout: DeadlineMs }, pattern.source);
    assert.match(await page.$eval('#message', (e) => e.textContent), /^Liste abgelehnt: /);
    await puzzle(shippedList);
  }
});

test('Esc ends the game, the last frame stays, and the page offers a new game', async () => {
  await page.keyboard.press('Escape');
  await page.waitForSelector('#restart:not([hidden])', { timeout: DeadlineMs });
  assert.ok((await frame()).gridDrawn(), 'the last frame stays');
  await page.click('#restart');
  await page.waitForSelector('#restart[hidden]', { timeout: DeadlineMs });
  await puzzle(shippedList);
});
