#include "gfx/input/console_keys.hpp"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "gfx/input.hpp"
#include "runtime/cp437.hpp"

namespace gfx {
namespace {

struct TerminalState {
    bool raw = false;
    termios saved{};
};

TerminalState terminal;

void restoreTerminal() {
    if (!terminal.raw) return;
    tcsetattr(STDIN_FILENO, TCSANOW, &terminal.saved);
    terminal.raw = false;
}

bool enterRawMode() {
    if (terminal.raw) return true;
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &terminal.saved) != 0) return false;
    termios raw = terminal.saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;  // read returns at once, with or without a byte
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
    terminal.raw = true;
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(restoreTerminal); });
    return true;
}

int readByte() {
    unsigned char byte = 0;
    return read(STDIN_FILENO, &byte, 1) == 1 ? byte : -1;
}

std::string extendedKey(char code) {
    return std::string{'\xff', code};
}

// ESC [ A..D and ESC [ n ~ from the terminal's cursor and editing keys.
std::string escapeSequence() {
    const int second = readByte();
    if (second != '[' && second != 'O') return "\x1b";
    const int final = readByte();
    // Up, down, right, left, Home and End.
    const std::string_view cursorFinals = "ABCDHF";
    if (const auto at = cursorFinals.find(static_cast<char>(final)); at != cursorFinals.npos) {
        return extendedKey("HPMKGO"[at]);
    }
    if (final >= '1' && final <= '6' && readByte() == '~') {
        static constexpr char editing[] = {'G', 'R', 'S', 'O', 'I', 'Q'};
        return extendedKey(editing[final - '1']);
    }
    return "";
}

std::string utf8Character(int lead) {
    std::string bytes(1, static_cast<char>(lead));
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    for (int i = 1; i < length; ++i) {
        const int next = readByte();
        if (next < 0) return "";
        bytes.push_back(static_cast<char>(next));
    }
    std::u32string characters;
    if (!runtime::decodeUtf8(bytes, characters) || characters.size() != 1) return "";
    const std::int32_t code = runtime::unicodeToCp437(characters[0]);
    return code > 0 ? std::string(1, static_cast<char>(code)) : "";
}

}  // namespace

std::string readConsoleKey() {
    if (!enterRawMode()) return "";
    const int byte = readByte();
    if (byte < 0) return "";
    if (byte == 0x1B) return escapeSequence();
    if (byte == '\n') return "\r";
    if (byte >= 0xC0) return utf8Character(byte);
    if (byte >= 0x80) return "";
    return std::string(1, static_cast<char>(byte));
}

void installConsoleKeys() {
    static std::once_flag installed;
    std::call_once(installed, [] { setConsoleKeyReader(readConsoleKey); });
}

}  // namespace gfx
