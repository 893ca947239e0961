#pragma once
// The game's icon at the sizes its window offers, drawn from
// data/icon/lettermoor.svg: 0xAARRGGBB, top row first.

#include <array>
#include <cstddef>
#include <cstdint>

namespace game {

extern const std::array<std::uint32_t, std::size_t{16} * 16> WindowIcon16;
extern const std::array<std::uint32_t, std::size_t{32} * 32> WindowIcon32;
extern const std::array<std::uint32_t, std::size_t{48} * 48> WindowIcon48;

}  // namespace game
