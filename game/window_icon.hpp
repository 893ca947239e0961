#pragma once

namespace game {

// Hands the game's icon to the graphics runtime; call before the screen opens.
void offerWindowIcon();

}  // namespace game
