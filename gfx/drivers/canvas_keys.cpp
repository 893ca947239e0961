#include "gfx/drivers/canvas_keys.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "gfx/key_translation.hpp"
#include "runtime/cp437.hpp"

namespace gfx::canvas {
namespace {

// Physical key names of the browser's keyboard events, in the order of
// their PC set-1 scan codes from 0; "-" where no key has that code.
constexpr std::string_view mainBlock =
    "- Escape Digit1 Digit2 Digit3 Digit4 Digit5 Digit6 Digit7 Digit8 Digit9 Digit0 Minus Equal "
    "Backspace Tab KeyQ KeyW KeyE KeyR KeyT KeyY KeyU KeyI KeyO KeyP BracketLeft BracketRight "
    "Enter ControlLeft KeyA KeyS KeyD KeyF KeyG KeyH KeyJ KeyK KeyL Semicolon Quote Backquote "
    "ShiftLeft Backslash KeyZ KeyX KeyC KeyV KeyB KeyN KeyM Comma Period Slash ShiftRight "
    "NumpadMultiply AltLeft Space CapsLock F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 NumLock ScrollLock "
    "Numpad7 Numpad8 Numpad9 NumpadSubtract Numpad4 Numpad5 Numpad6 NumpadAdd Numpad1 Numpad2 "
    "Numpad3 Numpad0 NumpadDecimal - - IntlBackslash F11 F12";

// The keys of the enhanced keyboard's extra blocks: extended scan codes.
constexpr std::pair<std::string_view, std::int32_t> extendedKeys[] = {
    {"NumpadEnter", 0x1C}, {"NumpadDivide", 0x35}, {"ControlRight", 0x1D}, {"AltRight", 0x38},
    {"Home", 0x47},        {"ArrowUp", 0x48},      {"PageUp", 0x49},       {"ArrowLeft", 0x4B},
    {"ArrowRight", 0x4D},  {"End", 0x4F},          {"ArrowDown", 0x50},    {"PageDown", 0x51},
    {"Insert", 0x52},      {"Delete", 0x53}};

// The scan code and extended flag of a browser key name; none for names
// not listed.
KeyStroke strokeOf(std::string_view code) {
    for (const auto& [name, scan] : extendedKeys) {
        if (name == code) return {.scanCode = scan, .extended = true};
    }
    std::int32_t scan = 0;
    for (std::size_t at = 0; at < mainBlock.size(); ++scan) {
        const std::size_t end = std::min(mainBlock.find(' ', at), mainBlock.size());
        if (mainBlock.substr(at, end - at) == code) return {.scanCode = scan};
        at = end + 1;
    }
    return {};
}

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
    KeyStroke stroke = strokeOf(press.code);
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
