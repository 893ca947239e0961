// Arbitrary key events, as the X back end and any other back end hand them
// over: scan codes, modifiers, keysyms, produced characters and typed text.
// Every code must have the key-code form and read back as its key text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_checks.hpp"
#include "gfx/drivers/x11_keymap.hpp"
#include "gfx/input.hpp"
#include "gfx/key_translation.hpp"

namespace {

// 0, a character 1-255, or (c << 8) | 0xFF with c from 1 to 255.
bool isKeyCode(std::int32_t code) {
    if (code >= 0 && code <= 255) return true;
    const std::int32_t high = code >> 8;
    return (code & 0xFF) == 0xFF && high >= 1 && high <= 255;
}

std::string expectedText(std::int32_t code) {
    if (code == 0) return {};
    if (code <= 255) return std::string(1, static_cast<char>(code));
    return std::string{'\xFF', static_cast<char>(code >> 8)};
}

// Every code has the key-code form and reads back as its key text; the
// ring's order and its overflow are the input tests' to prove.
void postAndRead(std::int32_t code) {
    FUZZ_REQUIRE(isKeyCode(code));
    gfx::postKey(code);
    FUZZ_REQUIRE(gfx::readKey() == expectedText(code));
}

void pressXKey(FuzzedDataProvider& input) {
    const auto keycode = input.ConsumeIntegral<std::uint8_t>();
    const auto baseKeysym = input.ConsumeIntegral<std::uint32_t>();
    gfx::x11::PressedKey press;
    press.key = gfx::x11::scanKeyFor(keycode, baseKeysym);
    press.own = gfx::x11::keysymCp437(baseKeysym);
    press.keysym = input.ConsumeIntegral<std::uint32_t>();
    press.state = input.ConsumeIntegral<std::uint16_t>();
    const std::string typed = input.ConsumeRandomLengthString(16);
    press.typedUtf8 = typed;
    press.hasText = input.ConsumeBool();

    FUZZ_REQUIRE(press.key.scanCode >= 0 && press.key.scanCode <= 0xFF);
    FUZZ_REQUIRE(press.own >= 0 && press.own <= 255);
    FUZZ_REQUIRE(isKeyCode(gfx::x11::keyPressCode(press)));
    for (const std::int32_t code : gfx::x11::keyPressPosts(press)) {
        FUZZ_REQUIRE(code != 0);
        postAndRead(code);
    }
}

// The fields are read in order: a braced list is evaluated left to right.
void translateStroke(FuzzedDataProvider& input) {
    postAndRead(gfx::translateKey({.scanCode = input.ConsumeIntegral<std::int32_t>(),
                                   .extended = input.ConsumeBool(),
                                   .modifiers = input.ConsumeIntegral<std::int32_t>(),
                                   .produced = input.ConsumeIntegral<std::int32_t>(),
                                   .own = input.ConsumeIntegral<std::int32_t>()}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool screenOpen = openGameScreen();
    FUZZ_REQUIRE(screenOpen);
    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0) {
        if (input.ConsumeBool()) {
            pressXKey(input);
        } else {
            translateStroke(input);
        }
    }
    FUZZ_REQUIRE(gfx::readKey().empty());
    FUZZ_REQUIRE(gfx::activeScreen()->lockCount == 0);
    return 0;
}
