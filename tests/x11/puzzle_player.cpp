#include "tests/x11/puzzle_player.hpp"

#include <algorithm>
#include <chrono>
#include <thread>

namespace lettermoor::testing {

bool PuzzlePlayer::readGrid(Frame& frame, LetterRows& rows) const {
    return waitForFrame(
        [&](const Frame& f) {
            if (!gridDrawn(f)) return false;
            rows = readLetters(f);
            return std::none_of(rows.begin(), rows.end(), [](const std::string& row) {
                return row.find('?') != std::string::npos;
            });
        },
        frame);
}

bool PuzzlePlayer::clickWord(const WordPlace& place, int hint) const {
    Frame frame;
    if (!window_.capture(frame)) return false;
    // A cell of a word found before shows no pending mark, so start from an end
    // that does; only when both ends lie in found words, wait a few frames.
    const bool lastFirst = cellIsGreen(frame, place.first) && !cellIsGreen(frame, place.last);
    const Cell first = lastFirst ? place.last : place.first;
    const Cell last = lastFirst ? place.first : place.last;
    const bool firstWasGreen = cellIsGreen(frame, first);
    window_.click(cellCentre(first.column), cellCentre(first.row));
    if (firstWasGreen) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    } else if (!waitForFrame([&](const Frame& f) { return cellIsGreen(f, first); }, frame)) {
        return false;
    }
    window_.click(cellCentre(last.column), cellCentre(last.row));
    // The strike is the proof: the win picture soon covers the tenth word's cells.
    return waitForFrame([&](const Frame& f) { return hintIsStruck(f, hint); }, frame);
}

bool PuzzlePlayer::solve(const std::vector<WordEntry>& entries) const {
    Frame frame;
    LetterRows rows;
    if (!readGrid(frame, rows)) return false;
    for (int hint = 0; hint < HintCount; ++hint) {
        bool found = hintIsStruck(frame, hint);
        for (const WordEntry& entry : entries) {
            if (found || !hintShows(frame, hint, entry.label)) continue;
            for (const WordPlace& place : findWord(rows, entry.word)) {
                if (!found) found = clickWord(place, hint);
            }
        }
        if (!found) return false;
    }
    return true;
}

}  // namespace lettermoor::testing
