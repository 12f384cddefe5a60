#include "render/art.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/panic.hpp"
#include "render/prop_looks.hpp"

namespace burrowlight::render::art {

namespace {

constexpr Rgb kDarkness{5, 7, 13};
constexpr Rgb kDulledFlame{63, 55, 57};

std::uint8_t clamp_channel(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 255.0f) return 255;
  return static_cast<std::uint8_t>(value);
}

std::uint8_t saturating_add(std::uint8_t a, std::uint8_t b) {
  return static_cast<std::uint8_t>(std::min(255, int{a} + int{b}));
}

// Integer tile arithmetic wraps like unsigned 32-bit numbers, so negative
// coordinates give defined, stable patterns.
std::uint32_t wrapped(std::int32_t value) { return static_cast<std::uint32_t>(value); }

// The per-pixel brightness variation between 0 and 0.16 that keeps surfaces from
// looking flat while staying identical from frame to frame.
float jitter(std::uint32_t hash) { return static_cast<float>(hash % 17) / 100.0f; }

Rgb reflecting_pool(std::int32_t gx, std::int32_t gy, float t) {
  float wave = std::sin(0.7f * static_cast<float>(gx) + 1.1f * static_cast<float>(gy) + 1.5f * t);
  float glint = std::min(1.0f, 0.4f * std::pow(wave, 12.0f));
  auto mix = [&](std::uint8_t deep, std::uint8_t bright) {
    return clamp_channel(static_cast<float>(deep) * (1.0f - glint) +
                         static_cast<float>(bright) * glint);
  };
  return Rgb{mix(15, 66), mix(40, 116), mix(58, 140)};
}

bool is_flame_letter(char letter) {
  return letter == 'a' || letter == 'h' || letter == 'r' || letter == 'w';
}

Rgb lit(Rgb pixel, Rgb light) {
  Rgb base = pixel.scale(0.78f);
  Rgb glow = light.scale(0.35f);
  return Rgb{saturating_add(base.r, glow.r), saturating_add(base.g, glow.g),
             saturating_add(base.b, glow.b)};
}

}  // namespace

std::uint32_t tile_hash(std::int32_t x, std::int32_t y) {
  std::uint32_t h = (wrapped(x) * 0x165667B1u) ^ (wrapped(y) * 0x27D4EB2Fu);
  h ^= h >> 13;
  h *= 0x4BF19F61u;
  h ^= h >> 16;
  return h;
}

namespace {

// One pixel of a tile's surface: the tile (x, y) and the pixel (sx, sy) in it, their
// wrapped forms, the pixel's hash and its brightness jitter.
struct Texel {
  std::int32_t x, y, sx, sy;
  std::uint32_t ux, uy, usx, usy;
  std::uint32_t h;
  float j;
};

// Rock, masonry and paving: surfaces cut into courses and blocks.
Rgb stonework(Tile tile, const Texel& p) {
  switch (tile) {
    case Tile::CaveRock: {
      std::uint32_t m = (p.usx + p.ux + 2u * p.usy) % 7u;
      float k = m == 0 ? 0.6f : m == 1 ? 1.15f : 0.9f + p.j;
      return Rgb{42, 43, 57}.scale(k);
    }
    case Tile::CastleWall:
      if (p.sy == 0) return Rgb{111, 94, 112};
      if (p.sy == 1) return Rgb{77, 67, 86};
      if (p.sy == 4 || (p.usx + 4u * p.uy) % 8u == 0) return Rgb{27, 23, 31};
      return Rgb{57, 49, 66}.scale(0.75f + p.j);
    case Tile::WornStonePath:
      if (p.sy == 7 || (p.usx + 4u * p.uy) % 8u == 0) return Rgb{24, 29, 34};
      return Rgb{53, 51, 52}.scale(0.85f + p.j);
    case Tile::CryptFlagstones:
      if (p.sy == 0 || (p.usx + 2u * p.uy) % 8u == 0) return Rgb{19, 26, 39};
      return Rgb{47, 56, 71}.scale(0.85f + p.j);
    default:
      return kDarkness;
  }
}

// Grass and the castle's laid floors.
Rgb flooring(Tile tile, const Texel& p) {
  switch (tile) {
    case Tile::MossAndGrass: {
      bool bright_blade = p.h % 11 < 2;
      return (bright_blade ? Rgb{31, 59, 44} : Rgb{14, 34, 32}).scale(0.9f + p.j);
    }
    case Tile::MarbleFloor: {
      Rgb base = (p.ux + p.uy) % 2u == 0 ? Rgb{44, 45, 62} : Rgb{30, 33, 47};
      if (p.sx == 7 || p.sy == 7) return base.scale(0.63f);
      if ((p.usx + p.ux + 2u * p.usy) % 13u == 0) return base.scale(1.3f);
      return base;
    }
    case Tile::GardenMosaic:
      if (p.sx == 7 || p.sy == 7) return Rgb{14, 34, 39};
      if ((p.sx == 1 || p.sx == 6) && (p.sy == 1 || p.sy == 6)) return Rgb{101, 111, 91};
      return Rgb{29, 62, 64}.scale(0.9f + p.j);
    case Tile::WalnutFloor:
      if (p.sx == 0 || (p.usy + 3u * p.ux) % 8u == 0) return Rgb{26, 21, 29};
      return Rgb{66, 43, 42}.scale(0.9f + p.j);
    case Tile::CrimsonRunner:
      // The carpet of the nave spans rows 22 to 24; its outer edges carry the gold trim.
      if ((p.y == 22 && p.sy < 2) || (p.y == 24 && p.sy >= 6)) return Rgb{150, 107, 68};
      if ((p.usx + p.usy + p.ux) % 9u == 0) return Rgb{119, 48, 70};
      return Rgb{77, 27, 51};
    default:
      return kDarkness;
  }
}

Rgb door(bool open, const Texel& p) {
  if (open) {
    if (p.sx == 0) return Rgb{106, 76, 50};
    return Rgb{42, 40, 51};
  }
  if (p.sx == 1 && (p.sy == 2 || p.sy == 5)) return Rgb{222, 186, 116};
  if (p.usx % 3u == 0) return Rgb{42, 27, 30};
  return Rgb{100, 65, 46};
}

}  // namespace

Rgb terrain(Tile tile, std::int32_t x, std::int32_t y, std::int32_t sx, std::int32_t sy, float t) {
  const std::uint32_t ux = wrapped(x);
  const std::uint32_t uy = wrapped(y);
  const std::uint32_t usx = wrapped(sx);
  const std::uint32_t usy = wrapped(sy);
  const auto gx = static_cast<std::int32_t>(usx + 8u * ux);
  const auto gy = static_cast<std::int32_t>(usy + 8u * uy);
  const std::uint32_t h = tile_hash(gx, gy);
  const Texel texel{x, y, sx, sy, ux, uy, usx, usy, h, jitter(h)};

  switch (tile) {
    case Tile::Darkness:
      return kDarkness;
    case Tile::CaveRock:
    case Tile::CastleWall:
    case Tile::WornStonePath:
    case Tile::CryptFlagstones:
      return stonework(tile, texel);
    case Tile::MossAndGrass:
    case Tile::MarbleFloor:
    case Tile::GardenMosaic:
    case Tile::WalnutFloor:
    case Tile::CrimsonRunner:
      return flooring(tile, texel);
    case Tile::ReflectingPool:
      return reflecting_pool(gx, gy, t);
    case Tile::ClosedOakDoor:
    case Tile::OpenOakDoor:
      return door(tile == Tile::OpenOakDoor, texel);
  }
  // A byte that names no tile shows as darkness rather than as a made-up surface.
  return kDarkness;
}

const Sprite& sprite_for(PropKind kind) { return *look(kind).sprite; }

std::optional<Rgb> palette(char letter, Rgb body) {
  switch (letter) {
    case 'b':
      return body;
    case 'd':
      return body.scale(0.55f);
    case 'h': {
      // Blends the body 45% toward a warm white (245, 236, 204).
      auto blend = [](std::uint8_t channel, float toward) {
        return clamp_channel(static_cast<float>(channel) * 0.55f + toward);
      };
      return Rgb{blend(body.r, 110.25f), blend(body.g, 106.2f), blend(body.b, 91.8f)};
    }
    case 'a':
      return Rgb{232, 171, 82};
    case 'c':
      return Rgb{103, 188, 205};
    case 'e':
      return Rgb{255, 199, 88};
    case 'o':
      return Rgb{10, 13, 23};
    case 'p':
      return Rgb{176, 112, 184};
    case 'r':
      return Rgb{169, 64, 83};
    case 's':
      return Rgb{216, 166, 127};
    case 't':
      return Rgb{90, 64, 52};
    case 'w':
      return Rgb{238, 232, 205};
    default:
      return std::nullopt;
  }
}

void blit(std::vector<Rgb>& buffer, std::int32_t width, std::int32_t height,
          const SpriteRequest& request) {
  const std::int64_t size = request.size;
  if (size < 1 || request.sprite == nullptr) return;
  if (buffer.size() < static_cast<std::size_t>(std::max(width, 0)) *
                          static_cast<std::size_t>(std::max(height, 0))) {
    panic("the pixel buffer holds width times height pixels");
  }
  const Sprite& sprite = *request.sprite;
  // Only the destination rows and columns inside the buffer are visited, so a huge
  // or far-away sprite costs nothing.
  const std::int64_t first_row = std::max<std::int64_t>(0, -std::int64_t{request.y});
  const std::int64_t end_row = std::min<std::int64_t>(size, std::int64_t{height} - request.y);
  const std::int64_t first_column = std::max<std::int64_t>(0, -std::int64_t{request.x});
  const std::int64_t end_column = std::min<std::int64_t>(size, std::int64_t{width} - request.x);
  for (std::int64_t i = first_row; i < end_row; ++i) {
    // Nearest neighbour at pixel centres: destination centre (i + 1/2) / n in sprite rows.
    const auto source_row = static_cast<std::size_t>((16 * i + 8) / (2 * size));
    const std::size_t target_row = static_cast<std::size_t>(request.y + i);
    for (std::int64_t k = first_column; k < end_column; ++k) {
      const auto source_column = static_cast<std::size_t>((16 * k + 8) / (2 * size));
      const char letter = sprite[source_row][source_column];
      std::optional<Rgb> colour = palette(letter, request.body);
      if (!colour) continue;
      if (!request.active && is_flame_letter(letter)) colour = kDulledFlame;
      if (!request.self_lit && letter != 'o') colour = lit(*colour, request.light);
      buffer[target_row * static_cast<std::size_t>(width) +
             static_cast<std::size_t>(request.x + k)] = *colour;
    }
  }
}

void draw_portrait(Screen& screen, std::int32_t x, const Sprite& sprite, Rgb body) {
  auto pixel = [&](std::size_t column, std::size_t row) {
    return palette(sprite[row][column], body).value_or(kFrameBackground);
  };
  for (std::size_t j = 0; j < 4; ++j) {
    for (std::size_t i = 0; i < 8; ++i) {
      const std::int64_t column = std::int64_t{x} + static_cast<std::int64_t>(i);
      if (column >= screen.width) break;
      screen.put(static_cast<std::int32_t>(column), static_cast<std::int32_t>(5 + j), U'▀',
                 pixel(i, 2 * j), pixel(i, 2 * j + 1));
    }
  }
}

}  // namespace burrowlight::render::art
