#pragma once
// The renderer's art: terrain colours computed pixel by pixel from the tile, its
// place and the clock, and the 8 x 8 letter sprites with their palette, blitter
// and side-panel portrait painter.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/world.hpp"
#include "render/screen.hpp"

namespace burrowlight::render::art {

// A position hash shared by the terrain jitter and the map's grass glyphs.
std::uint32_t tile_hash(std::int32_t x, std::int32_t y);

// The colour of pixel (sx, sy), each 0..7, of world tile (x, y) at clock `t` seconds.
Rgb terrain(Tile tile, std::int32_t x, std::int32_t y, std::int32_t sx, std::int32_t sy, float t);

// Eight rows of eight palette letters, top row first; a space is transparent.
using Sprite = std::array<std::string_view, 8>;

// The sprites are laid out one row per line so that they read as pictures.
// clang-format off
inline constexpr Sprite kGoblin{
    " b    b ",
    "bbbhhbbb",
    " obbbbo ",
    " obewbo ",
    "  bbbb  ",
    " orrrro ",
    " odbbdo ",
    "  o  o  ",
};
inline constexpr Sprite kHumanDelver{
    "  tttt  ",
    "  tsssoa",
    "  sosoat",
    " orrrrot",
    " bbbbd t",
    " obbbott",
    "  td dt ",
    "  oo oo ",
};
inline constexpr Sprite kStandingStone{
    "  bbbb  ",
    " bhhhdb ",
    " bhccdb ",
    " bhccdb ",
    " bhccdb ",
    " bhhhdb ",
    "bbbbbbbb",
    " dddddd ",
};
inline constexpr Sprite kSilverleafTree{
    "   hh   ",
    " bhhhh  ",
    "bbhhbbdb",
    " bhbbbdb",
    "bbbbbddb",
    "  bttb  ",
    "   tt   ",
    "  tttt  ",
};
inline constexpr Sprite kCrystal{
    "   h    ",
    "  hhb   ",
    " hhbbd  ",
    "hhbbddd ",
    " hhbbd  ",
    "  bbdd  ",
    "   dd   ",
    "  oooo  ",
};
inline constexpr Sprite kMoonFern{
    "        ",
    " h    h ",
    "  h  h  ",
    "b hbh b ",
    " bbbbb  ",
    "  bbb   ",
    "   t    ",
    "  dt    ",
};
inline constexpr Sprite kCandleStand{
    "   h    ",
    "   a    ",
    "   w    ",
    "   w    ",
    "   w    ",
    "  aaa   ",
    "   t    ",
    "  ttt   ",
};
inline constexpr Sprite kCarvedPillar{
    " bbbbb  ",
    " hhhhh  ",
    "  hbdd  ",
    "  hbdd  ",
    "  hbdd  ",
    "  hbdd  ",
    " bhbbdd ",
    " dddddd ",
};
inline constexpr Sprite kFadedRoyalBanner{
    " aaaaaa ",
    " obbbbo ",
    " obabdo ",
    " obabdo ",
    " obaado ",
    " obdddo ",
    "  bddo  ",
    "   do   ",
};
inline constexpr Sprite kVelvetRoses{
    "        ",
    "  p  r  ",
    " php rhr",
    "  p  r  ",
    "  b  b  ",
    " bbbb b ",
    "  bbb   ",
    "   b    ",
};
inline constexpr Sprite kGlowingMushrooms{
    "        ",
    "  bhb   ",
    " bhhhb  ",
    "bbhbbdb ",
    "   w    ",
    "  bw  bb",
    "  db bbh",
    "     dd ",
};
inline constexpr Sprite kSealedSarcophagus{
    "  bbbb  ",
    " bhhhdb ",
    " bhahdb ",
    " bhaadb ",
    " bhahdb ",
    " bhhhdb ",
    "  bddb  ",
    "  dddd  ",
};
inline constexpr Sprite kStainedGlassWindow{
    "   oo   ",
    "  oaco  ",
    " ocapco ",
    "occapcco",
    "oaacoaco",
    "occapcco",
    "occapcco",
    "oooooooo",
};
inline constexpr Sprite kOldBookshelves{
    "tttttttt",
    "tracpptt",
    "tracpptt",
    "tttttttt",
    "tcpraact",
    "tcpraact",
    "tttttttt",
    "dddddddd",
};
inline constexpr Sprite kBrazier{
    "   h    ",
    "  aha   ",
    " ahhha  ",
    "  ahra  ",
    " bbbbb  ",
    "  ddd   ",
    "   d    ",
    "  ddd   ",
};
inline constexpr Sprite kStoneBench{
    "        ",
    "        ",
    " hhhhhh ",
    " bbbbbb ",
    " dddddd ",
    "  d  d  ",
    "  d  d  ",
    "        ",
};
inline constexpr Sprite kEmberFlask{
    "   tt   ",
    "   ww   ",
    "   bb   ",
    "  bhhb  ",
    " bhahdb ",
    " bhaadb ",
    " bbbddb ",
    "  oooo  ",
};
// clang-format on

// The sprite of a prop kind, from its entry in the prop look table.
const Sprite& sprite_for(PropKind kind);

// The colour of a palette letter for a sprite whose body colour is `body`;
// nothing for a transparent pixel.
std::optional<Rgb> palette(char letter, Rgb body);

struct SpriteRequest {
  std::int32_t x;
  std::int32_t y;
  const Sprite* sprite;
  std::int32_t size;
  Rgb body;
  Rgb light;
  bool self_lit;
  bool active;
};

// Draws a sprite scaled to size x size pixels into a row-major pixel buffer,
// clipped at its edges.
void blit(std::vector<Rgb>& buffer, std::int32_t width, std::int32_t height,
          const SpriteRequest& request);

// Paints a sprite at its natural size as 8 x 4 half-block cells from column x, row 5.
void draw_portrait(Screen& screen, std::int32_t x, const Sprite& sprite, Rgb body);

}  // namespace burrowlight::render::art
