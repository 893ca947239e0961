// lettermoor-gl-example: opens an OpenGL screen and draws a few shapes with
// the fixed pipeline each frame, until Esc, the close box or N frames.

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/input.hpp"
#include "gfx/screen.hpp"
#include "runtime/standard_streams.hpp"

namespace {

constexpr const char* Usage =
    "usage: lettermoor-gl-example [--frames N] [--screenshot] [--probe X,Y]...\n"
    "Draws a test scene with OpenGL in a 640x480 window until Esc, the close\n"
    "box or N frames (default: no limit).\n"
    "  --screenshot  write the last frame to gl-example.ppm\n"
    "  --probe X,Y   print the last frame's pixel at X,Y (top row 0) as\n"
    "                'probe X,Y RRGGBB'\n";

constexpr int Width = 640;
constexpr int Height = 480;
constexpr const char* ScreenshotFile = "gl-example.ppm";

struct Point {
    int x = 0;
    int y = 0;
};

struct Options {
    long frames = -1;
    bool screenshot = false;
    std::vector<Point> probes;
};

bool parseNumber(std::string_view text, long& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

bool parsePoint(std::string_view text, Point& point) {
    const std::size_t comma = text.find(',');
    long x = 0;
    long y = 0;
    if (comma == std::string_view::npos || !parseNumber(text.substr(0, comma), x) ||
        !parseNumber(text.substr(comma + 1), y)) {
        return false;
    }
    if (x < 0 || y < 0 || x >= Width || y >= Height) return false;
    point = Point{static_cast<int>(x), static_cast<int>(y)};
    return true;
}

// 0 parsed, 1 help printed, 2 usage error.
int parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::fputs(Usage, stdout);
            return 1;
        }
        if (arg == "--screenshot") {
            options.screenshot = true;
        } else if (arg == "--frames" && i + 1 < argc) {
            if (!parseNumber(argv[++i], options.frames) || options.frames < 1) return 2;
        } else if (arg == "--probe" && i + 1 < argc) {
            Point point;
            if (!parsePoint(argv[++i], point)) return 2;
            options.probes.push_back(point);
        } else {
            return 2;
        }
    }
    return 0;
}

void fillQuad(float left, float top, float right, float bottom) {
    glBegin(GL_QUADS);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
    glEnd();
}

// Navy background; a red and a yellow square on the left; a green triangle
// top right; a colour-blended triangle bottom right that turns with time.
void drawScene(long frame) {
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, Width, Height, 0.0, -1.0, 1.0);  // window pixels, top row 0
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_FLAT);

    glClearColor(0.0f, 0.0f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    glColor3f(1.0f, 0.0f, 0.0f);
    fillQuad(40, 40, 240, 200);
    glColor3f(1.0f, 1.0f, 0.0f);
    fillQuad(40, 280, 240, 440);

    glColor3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_TRIANGLES);
    glVertex2f(400, 40);
    glVertex2f(600, 40);
    glVertex2f(500, 200);
    glEnd();

    glShadeModel(GL_SMOOTH);
    glTranslatef(500.0f, 360.0f, 0.0f);
    glRotatef(static_cast<float>(frame % 360), 0.0f, 0.0f, 1.0f);
    glBegin(GL_TRIANGLES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex2f(0, -70);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex2f(60, 35);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex2f(-60, 35);
    glEnd();
}

// The drawn (not yet shown) frame, top row first, 3 bytes per pixel.
std::vector<std::uint8_t> readFrame() {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(Width) * Height * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    // OpenGL's rows run bottom up.
    const std::size_t pitch = static_cast<std::size_t>(Width) * 3;
    for (int row = 0; row < Height / 2; ++row) {
        auto* top = rgb.data() + static_cast<std::size_t>(row) * pitch;
        auto* bottom = rgb.data() + static_cast<std::size_t>(Height - 1 - row) * pitch;
        std::swap_ranges(top, top + pitch, bottom);
    }
    return rgb;
}

bool writePpm(const char* path, const std::vector<std::uint8_t>& rgb) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", Width, Height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    return std::fclose(file) == 0 && written;
}

void reportLastFrame(const Options& options) {
    const std::vector<std::uint8_t> rgb = readFrame();
    for (const Point& p : options.probes) {
        const std::size_t at = (static_cast<std::size_t>(p.y) * Width + p.x) * 3;
        std::printf("probe %d,%d %02X%02X%02X\n", p.x, p.y, rgb[at], rgb[at + 1], rgb[at + 2]);
    }
    if (options.screenshot) {
        if (writePpm(ScreenshotFile, rgb)) {
            std::printf("screenshot %s\n", ScreenshotFile);
        } else {
            std::fprintf(stderr, "lettermoor-gl-example: cannot write %s\n", ScreenshotFile);
        }
    }
    std::fflush(stdout);
}

bool endRequested() {
    // Esc, or the key text of the close request.
    for (std::string key = gfx::readKey(); !key.empty(); key = gfx::readKey()) {
        if (key == "\x1b" || key == "\xffk") return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    runtime::guardStandardStreams("lettermoor-gl-example", 1);
    Options options;
    if (const int parsed = parseArguments(argc, argv, options); parsed != 0) {
        if (parsed == 2) std::fputs(Usage, stderr);
        return parsed == 1 ? 0 : 2;
    }
    gfx::setWindowTitle("Lettermoor OpenGL example");
    if (gfx::openScreen(Width, Height, 32, 0, gfx::OpenGLScreen, 0) != 0) {
        std::fputs("lettermoor-gl-example: no back end opened an OpenGL screen\n", stderr);
        return 1;
    }
    const gfx::DisplayDriver* driver = gfx::activeScreen()->driver;
    if (driver->flip == nullptr || driver->pollEvents == nullptr) {
        std::fprintf(stderr,
                     "lettermoor-gl-example: the \"%s\" back end does not draw with OpenGL\n",
                     driver->name);
        gfx::closeScreen();
        return 1;
    }
    for (long frame = 0; options.frames < 0 || frame < options.frames; ++frame) {
        drawScene(frame);
        const bool last = frame + 1 == options.frames;
        if (last) reportLastFrame(options);
        driver->flip();
        driver->pollEvents();
        if (endRequested()) break;
        if (!last && driver->waitVsync != nullptr) driver->waitVsync();
    }
    gfx::closeScreen();
    return 0;
}
