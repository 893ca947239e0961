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
    // A cell of a word found before shows no pending mark: wait a few frames.
    const bool firstWasGreen = cellIsGreen(frame, place.first);
    window_.click(cellCentre(place.first.column), cellCentre(place.first.row));
    if (firstWasGreen) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else if (!waitForFrame([&](const Frame& f) { return cellIsGreen(f, place.first); }, frame)) {
        return false;
    }
    window_.click(cellCentre(place.last.column), cellCentre(place.last.row));
    // The strike is the proof: the win picture soon covers the tenth word's cells.
    return waitForFrame([&](const Frame& f) { return hintIsStruck(f, hint); }, frame);
}

bool PuzzlePlayer::solve(const std::vector<WordEntry>& entries, int words) const {
    Frame frame;
    LetterRows rows;
    if (!readGrid(frame, rows)) return false;
    for (int hint = 0; hint < words; ++hint) {
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
