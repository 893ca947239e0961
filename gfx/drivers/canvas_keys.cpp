#include "gfx/drivers/canvas_keys.hpp"

#include <string>

#include "gfx/key_translation.hpp"
#include "runtime/cp437.hpp"

namespace gfx::canvas {
namespace {

struct CodeScan {
    std::string_view code;
    std::int32_t scanCode;
    bool extended;
};

// Physical key names of the browser's keyboard events and their PC set-1 scan codes.
constexpr CodeScan codeScans[] = {
    {"Escape", 0x01, false},
    {"Digit1", 0x02, false},
    {"Digit2", 0x03, false},
    {"Digit3", 0x04, false},
    {"Digit4", 0x05, false},
    {"Digit5", 0x06, false},
    {"Digit6", 0x07, false},
    {"Digit7", 0x08, false},
    {"Digit8", 0x09, false},
    {"Digit9", 0x0A, false},
    {"Digit0", 0x0B, false},
    {"Minus", 0x0C, false},
    {"Equal", 0x0D, false},
    {"Backspace", 0x0E, false},
    {"Tab", 0x0F, false},
    {"KeyQ", 0x10, false},
    {"KeyW", 0x11, false},
    {"KeyE", 0x12, false},
    {"KeyR", 0x13, false},
    {"KeyT", 0x14, false},
    {"KeyY", 0x15, false},
    {"KeyU", 0x16, false},
    {"KeyI", 0x17, false},
    {"KeyO", 0x18, false},
    {"KeyP", 0x19, false},
    {"BracketLeft", 0x1A, false},
    {"BracketRight", 0x1B, false},
    {"Enter", 0x1C, false},
    {"ControlLeft", 0x1D, false},
    {"KeyA", 0x1E, false},
    {"KeyS", 0x1F, false},
    {"KeyD", 0x20, false},
    {"KeyF", 0x21, false},
    {"KeyG", 0x22, false},
    {"KeyH", 0x23, false},
    {"KeyJ", 0x24, false},
    {"KeyK", 0x25, false},
    {"KeyL", 0x26, false},
    {"Semicolon", 0x27, false},
    {"Quote", 0x28, false},
    {"Backquote", 0x29, false},
    {"ShiftLeft", 0x2A, false},
    {"Backslash", 0x2B, false},
    {"KeyZ", 0x2C, false},
    {"KeyX", 0x2D, false},
    {"KeyC", 0x2E, false},
    {"KeyV", 0x2F, false},
    {"KeyB", 0x30, false},
    {"KeyN", 0x31, false},
    {"KeyM", 0x32, false},
    {"Comma", 0x33, false},
    {"Period", 0x34, false},
    {"Slash", 0x35, false},
    {"ShiftRight", 0x36, false},
    {"NumpadMultiply", 0x37, false},
    {"AltLeft", 0x38, false},
    {"Space", 0x39, false},
    {"CapsLock", 0x3A, false},
    {"F1", 0x3B, false},
    {"F2", 0x3C, false},
    {"F3", 0x3D, false},
    {"F4", 0x3E, false},
    {"F5", 0x3F, false},
    {"F6", 0x40, false},
    {"F7", 0x41, false},
    {"F8", 0x42, false},
    {"F9", 0x43, false},
    {"F10", 0x44, false},
    {"NumLock", 0x45, false},
    {"ScrollLock", 0x46, false},
    {"Numpad7", 0x47, false},
    {"Numpad8", 0x48, false},
    {"Numpad9", 0x49, false},
    {"NumpadSubtract", 0x4A, false},
    {"Numpad4", 0x4B, false},
    {"Numpad5", 0x4C, false},
    {"Numpad6", 0x4D, false},
    {"NumpadAdd", 0x4E, false},
    {"Numpad1", 0x4F, false},
    {"Numpad2", 0x50, false},
    {"Numpad3", 0x51, false},
    {"Numpad0", 0x52, false},
    {"NumpadDecimal", 0x53, false},
    {"IntlBackslash", 0x56, false},
    {"F11", 0x57, false},
    {"F12", 0x58, false},
    {"NumpadEnter", 0x1C, true},
    {"NumpadDivide", 0x35, true},
    {"ControlRight", 0x1D, true},
    {"AltRight", 0x38, true},
    {"Home", 0x47, true},
    {"ArrowUp", 0x48, true},
    {"PageUp", 0x49, true},
    {"ArrowLeft", 0x4B, true},
    {"ArrowRight", 0x4D, true},
    {"End", 0x4F, true},
    {"ArrowDown", 0x50, true},
    {"PageDown", 0x51, true},
    {"Insert", 0x52, true},
    {"Delete", 0x53, true},
};

// Named keys that type a character.
std::int32_t namedCharacter(std::string_view key) {
    if (key == "Enter") return 13;
    if (key == "Escape") return 27;
    if (key == "Backspace") return 8;
    if (key == "Tab") return 9;
    return 0;
}

// The code page 437 byte the key types, 0 for none: a single character or a
// named control key.
std::int32_t typedCharacter(std::string_view key) {
    std::u32string characters;
    if (!runtime::decodeUtf8(key, characters)) return 0;
    if (characters.size() != 1) return namedCharacter(key);
    const std::int32_t byte = runtime::unicodeToCp437(characters[0]);
    return byte < 0 ? 0 : byte;
}

std::int32_t ownCharacter(std::int32_t typed) {
    // The browser reports only the typed character; letters stand for their key unshifted.
    if (typed >= 'A' && typed <= 'Z') return typed - 'A' + 'a';
    return typed;
}

}  // namespace

std::vector<std::int32_t> keyDownPosts(const BrowserKey& press) {
    std::vector<std::int32_t> codes;
    // Alt and the system key belong to the browser and the desktop; AltGr
    // (reported as Ctrl with Alt) types characters.
    const bool altGraph = press.ctrl && press.alt;
    if (press.meta || (press.alt && !altGraph)) return codes;
    KeyStroke stroke;
    for (const CodeScan& entry : codeScans) {
        if (entry.code == press.code) {
            stroke.scanCode = entry.scanCode;
            stroke.extended = entry.extended;
            break;
        }
    }
    const std::int32_t typed = typedCharacter(press.key);
    stroke.modifiers = (press.shift ? ModShift : 0) | (press.ctrl && !altGraph ? ModCtrl : 0);
    stroke.produced = typed;
    stroke.own = ownCharacter(typed);
    if (const std::int32_t code = translateKey(stroke); code > 255) codes.push_back(code);
    if (typed != 0 && (!press.ctrl || altGraph)) {
        codes.push_back(typed);
    } else if (const std::int32_t own = ownCharacter(typed); own >= 'a' && own <= 'z') {
        // Ctrl with a letter types its control character, as on the desktop.
        codes.push_back(own & 0x1F);
    }
    return codes;
}

}  // namespace gfx::canvas
