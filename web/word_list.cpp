// A word list chosen on the page becomes "woerter.txt" through the same
// encoding and checks as lettermoor-words.

#include <emscripten/emscripten.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "game/game_state.hpp"
#include "game/word_codec.hpp"

namespace {

std::string lastMessage;

bool writeWordFile(const std::string& bytes) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(game::WordFileName, "wb"),
                                                               std::fclose);
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return text;
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
}

}  // namespace

extern "C" {

// Encodes a plain UTF-8 list and, when a puzzle can be dealt from it, writes
// it as "woerter.txt". 0 on success; otherwise 1 and lettermoor_words_message
// says why, as the tool would.
EMSCRIPTEN_KEEPALIVE int lettermoor_use_words(const char* utf8, int length) {
    std::string scrambled;
    game::CodecError error;
    if (!game::encodeWordText(std::string_view(utf8, static_cast<std::size_t>(length)), scrambled,
                              error)) {
        lastMessage = "line " + std::to_string(error.line) + ", column " +
                      std::to_string(error.column) + ": " + error.message;
        return 1;
    }
    const game::CheckReport report = game::checkWordText(scrambled);
    if (!report.canDeal) {
        lastMessage = lastLine(report.text);
        return 1;
    }
    if (!writeWordFile(scrambled)) {
        lastMessage = "cannot write the word file";
        return 1;
    }
    lastMessage.clear();
    return 0;
}

EMSCRIPTEN_KEEPALIVE const char* lettermoor_words_message() {
    return lastMessage.c_str();
}

}  // extern "C"
