#include "render/map.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "core/panic.hpp"
#include "render/art.hpp"
#include "render/palette.hpp"

namespace burrowlight {
namespace {

constexpr std::array<std::int32_t, 4> kTileSizes{2, 4, 6, 8};

constexpr Rgb kPlayerLight{126, 110, 73};
constexpr float kPlayerLightRadius = 9.0F;

constexpr std::int32_t kMoteCount = 25;
// The first motes are fireflies of the clearing, the rest dust of the castle.
constexpr std::int32_t kFireflyCount = 15;
constexpr Rgb kFireflyColour{211, 224, 153};
constexpr Rgb kDustColour{169, 161, 174};

// A float that is NaN or beyond the 32-bit range must not become undefined
// behaviour when it turns into a cell position.
std::int32_t saturating_int(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0F) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0F) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

std::uint8_t channel(float value) {
  if (!(value > 0.0F)) return 0;
  if (value >= 255.0F) return 255;
  return static_cast<std::uint8_t>(value);
}

bool hides_motes(Tile tile) {
  return tile == Tile::Darkness || tile == Tile::CaveRock || tile == Tile::CastleWall ||
         tile == Tile::ClosedOakDoor;
}

bool taken_crystal(const Prop& prop) {
  return prop.kind.tag() == PropKind::Tag::Crystal && !prop.active;
}

char32_t tile_glyph(Tile tile, std::int32_t x, std::int32_t y) {
  switch (tile) {
    case Tile::Darkness:
    case Tile::CaveRock:
    case Tile::CastleWall:
      return U' ';
    case Tile::MossAndGrass:
      return art::tile_hash(x, y) % 3 == 0 ? U',' : U'·';
    case Tile::WornStonePath:
    case Tile::MarbleFloor:
    case Tile::GardenMosaic:
    case Tile::WalnutFloor:
    case Tile::CryptFlagstones:
    case Tile::CrimsonRunner:
      return U'·';
    case Tile::ReflectingPool:
      return U'~';
    case Tile::ClosedOakDoor:
      return U'+';
    case Tile::OpenOakDoor:
      return U'/';
  }
  return U' ';
}

// Everything a map layer needs to place a tile on the screen.
struct MapFrame {
  const Game& game;
  const View& view;
  Story story;
  Layout layout;
  ViewSize size;
  std::int32_t tile;
  std::vector<Light> lights;

  // Columns from here on belong to the map frame's right border and beyond.
  std::int32_t right() const { return layout.side_x - 3; }
  // Rows from here on belong to the map frame's bottom border and beyond.
  std::int32_t bottom() const { return layout.height - 9; }

  bool visible(std::int32_t x, std::int32_t y) const {
    return game.world.inside(x, y) && game.visible[game.world.index(x, y)] != 0;
  }
};

struct CellPosition {
  std::int32_t column;
  std::int32_t row;
};

// The cell that motes and floating texts of tile (x, y) start from: the glyph's
// cell, or roughly the middle of the pixel tile.
CellPosition anchor(const MapFrame& frame, std::int32_t x, std::int32_t y) {
  std::int32_t across = x - frame.view.camera_x;
  std::int32_t down = y - frame.view.camera_y;
  if (!frame.view.pixels) return {2 + 2 * across, 4 + down};
  std::int32_t size = frame.tile;
  return {2 + across * size + size / 2, 4 + (down * size) / 2 + size / 4};
}

Rgb player_colour(Story story) {
  return story == Story::Prototype ? palette::green : palette::pale;
}

void draw_glyph_tiles(Screen& screen, const MapFrame& frame) {
  const Game& game = frame.game;
  const World& world = game.world;
  for (std::int32_t r = 0; r < frame.size.rows; ++r) {
    for (std::int32_t c = 0; c < frame.size.columns; ++c) {
      std::int32_t x = frame.view.camera_x + c;
      std::int32_t y = frame.view.camera_y + r;
      if (!world.inside(x, y)) continue;
      std::size_t index = world.index(x, y);
      if (game.discovered[index] == 0) continue;
      Tile tile = world.tiles[index];
      Rgb terrain = art::terrain(tile, x, y, 3, 3, frame.view.clock);
      Rgb background = terrain.scale(0.65F);
      Rgb foreground = terrain.scale(1.7F);
      if (game.visible[index] != 0) {
        Rgb light = light_at(frame.lights, x, y);
        background = saturating_add(background.scale(0.78F), light);
        foreground = saturating_add(foreground.scale(0.78F), light);
      } else {
        background = remembered(background);
        foreground = remembered(foreground);
      }
      std::int32_t column = 2 + 2 * c;
      std::int32_t row = 4 + r;
      if (column < frame.right()) {
        screen.put(column, row, tile_glyph(tile, x, y), foreground, background);
      }
      if (column + 1 < frame.right()) {
        screen.put(column + 1, row, U' ', foreground, background);
      }
    }
  }
}

void draw_glyph_props(Screen& screen, const MapFrame& frame) {
  const View& view = frame.view;
  for (const Prop& prop : frame.game.world.props) {
    if (!frame.visible(prop.x, prop.y) || taken_crystal(prop)) continue;
    if (prop.x < view.camera_x || prop.y < view.camera_y) continue;
    CellPosition cell = anchor(frame, prop.x, prop.y);
    if (cell.column >= frame.right() || cell.row >= frame.bottom()) continue;
    PropLook prop_look = look(prop.kind);
    screen.text(cell.column, cell.row, prop.active ? prop_look.glyph : prop_look.glyph_unlit,
                prop_look.colour);
  }
}

void draw_glyph_player(Screen& screen, const MapFrame& frame) {
  const Game& game = frame.game;
  CellPosition cell = anchor(frame, game.x, game.y);
  if (game.x < frame.view.camera_x || cell.row < 4 || cell.row >= frame.bottom() ||
      cell.column >= frame.right()) {
    return;
  }
  screen.text(cell.column, cell.row, "@", player_colour(frame.story));
}

// A row-major grid of pixels, two of which stack into one screen cell.
struct PixelBuffer {
  std::vector<Rgb> pixels;
  std::int32_t width;
  std::int32_t height;

  Rgb& at(std::int32_t x, std::int32_t y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

void paint_pixel_tiles(PixelBuffer& buffer, const MapFrame& frame) {
  const Game& game = frame.game;
  const World& world = game.world;
  std::int32_t size = frame.tile;
  for (std::int32_t r = 0; r < frame.size.rows; ++r) {
    for (std::int32_t c = 0; c < frame.size.columns; ++c) {
      std::int32_t x = frame.view.camera_x + c;
      std::int32_t y = frame.view.camera_y + r;
      if (!world.inside(x, y)) continue;
      std::size_t index = world.index(x, y);
      if (game.discovered[index] == 0) continue;
      Tile tile = world.tiles[index];
      bool in_view = game.visible[index] != 0;
      Rgb light = in_view ? light_at(frame.lights, x, y) : Rgb{0, 0, 0};
      for (std::int32_t j = 0; j < size; ++j) {
        std::int32_t pixel_y = r * size + j;
        if (pixel_y >= buffer.height) break;
        for (std::int32_t i = 0; i < size; ++i) {
          std::int32_t pixel_x = c * size + i;
          if (pixel_x >= buffer.width) break;
          Rgb terrain = art::terrain(tile, x, y, 8 * i / size, 8 * j / size, frame.view.clock);
          buffer.at(pixel_x, pixel_y) =
              in_view ? saturating_add(terrain.scale(0.78F), light) : remembered(terrain);
        }
      }
    }
  }
}

// Crystals and Moss hover one pixel up for part of every bob cycle.
std::int32_t bob(const Prop& prop, float t) {
  PropKind::Tag tag = prop.kind.tag();
  if (tag != PropKind::Tag::Crystal && tag != PropKind::Tag::Moss) return 0;
  return std::sin(static_cast<float>(prop.x) + 2.1F * t) > 0.4F ? -1 : 0;
}

void paint_pixel_props(PixelBuffer& buffer, const MapFrame& frame) {
  const Game& game = frame.game;
  const View& view = frame.view;
  for (const Prop& prop : game.world.props) {
    if (!frame.visible(prop.x, prop.y) || taken_crystal(prop)) continue;
    PropKind::Tag tag = prop.kind.tag();
    Rgb body = look(prop.kind).colour;
    if (tag == PropKind::Tag::ForestWaystone && game.awakened) body = palette::gold;
    art::blit(
        buffer.pixels, buffer.width, buffer.height,
        art::SpriteRequest{
            .x = (prop.x - view.camera_x) * frame.tile,
            .y = (prop.y - view.camera_y) * frame.tile + bob(prop, view.clock),
            .sprite = &art::sprite_for(prop.kind),
            .size = frame.tile,
            .body = body,
            .light = light_at(frame.lights, prop.x, prop.y),
            .self_lit = tag == PropKind::Tag::StainedGlassWindow || tag == PropKind::Tag::Crystal,
            .active = prop.active,
        });
  }
}

void paint_pixel_player(PixelBuffer& buffer, const MapFrame& frame) {
  const Game& game = frame.game;
  const art::Sprite& sprite = frame.story == Story::Prototype ? art::kGoblin : art::kHumanDelver;
  art::blit(buffer.pixels, buffer.width, buffer.height,
            art::SpriteRequest{
                .x = (game.x - frame.view.camera_x) * frame.tile,
                .y = (game.y - frame.view.camera_y) * frame.tile,
                .sprite = &sprite,
                .size = frame.tile,
                .body = player_colour(frame.story),
                .light = light_at(frame.lights, game.x, game.y),
                .self_lit = false,
                .active = true,
            });
}

void draw_pixels(Screen& screen, const MapFrame& frame) {
  std::int32_t width = std::max(frame.layout.side_x - 5, 0);
  std::int32_t height = std::max(2 * (frame.layout.height - 13), 0);
  PixelBuffer buffer{
      std::vector<Rgb>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                       kDefaultBackground),
      width, height};
  paint_pixel_tiles(buffer, frame);
  paint_pixel_props(buffer, frame);
  paint_pixel_player(buffer, frame);
  for (std::int32_t j = 0; 2 * j + 1 < height; ++j) {
    for (std::int32_t i = 0; i < width; ++i) {
      screen.put(2 + i, 4 + j, U'▀', buffer.at(i, 2 * j), buffer.at(i, 2 * j + 1));
    }
  }
}

void draw_motes(Screen& screen, const MapFrame& frame) {
  const World& world = frame.game.world;
  float t = frame.view.clock;
  for (std::int32_t n = 0; n < kMoteCount; ++n) {
    bool firefly = n < kFireflyCount;
    std::int32_t x = firefly ? 4 + (7 * n) % 25 : 36 + (11 * n) % 44;
    std::int32_t y = firefly ? 10 + (11 * n) % 26 : 4 + (7 * n) % 29;
    if (!frame.visible(x, y) || hides_motes(world.tile(x, y))) continue;
    float phase = static_cast<float>(n);
    CellPosition cell = anchor(frame, x, y);
    cell.column += saturating_int(std::round(std::sin(0.7F * t + 2.3F * phase)));
    cell.row += saturating_int(std::round(std::sin(0.5F * t + phase)));
    float blink = std::sin(1.6F * t + 1.7F * phase);
    if (!(blink > 0.25F)) continue;
    if (cell.column < 2 || cell.column >= frame.right() || cell.row < 4 ||
        cell.row >= frame.bottom()) {
      continue;
    }
    Rgb base = firefly ? kFireflyColour : kDustColour;
    screen.text(cell.column, cell.row, "·", base.scale(0.65F * blink));
  }
}

void draw_floats(Screen& screen, const MapFrame& frame) {
  std::int32_t side_x = frame.layout.side_x;
  for (const Float& rising : frame.view.floats) {
    CellPosition cell = anchor(frame, rising.x, rising.y);
    std::int32_t row = cell.row - saturating_int(std::floor(1.5F * rising.age)) - 1;
    std::int32_t length = static_cast<std::int32_t>(
        std::min(rising.text.size(), static_cast<std::size_t>(std::max(side_x - 7, 0))));
    std::int32_t column = std::clamp(cell.column - length / 2, 2, (side_x - 3) - length);
    if (row < 4 || row >= frame.bottom()) continue;
    float fade = std::min(1.0F, kFloatLifetime - rising.age);
    screen.clipped(column, row, length, rising.text, rising.colour.scale(fade));
  }
}

}  // namespace

std::int32_t tile_size(std::size_t zoom) {
  return kTileSizes[std::min(zoom, kTileSizes.size() - 1)];
}

ViewSize view_size(const Layout& layout, bool pixels, std::size_t zoom) {
  if (!pixels) return {layout.side_x / 2 - 2, layout.height - 13};
  std::int32_t size = tile_size(zoom);
  std::int32_t width = layout.side_x - 5;
  std::int32_t height = 2 * (layout.height - 13);
  return {(width + size - 1) / size, (height + size - 1) / size};
}

std::int32_t follow(std::int32_t camera, std::int32_t player, std::int32_t view,
                    std::int32_t world) {
  if (world - view <= 0) return (world - view) / 2;
  std::int32_t margin = std::max(view / 4, 1);
  if (player < camera + margin) camera = player - margin;
  if (player >= camera + view - margin) camera = player - view + margin + 1;
  return std::clamp(camera, 0, world - view);
}

void update_camera(View& view, const Game& game, ViewSize size) {
  if (view.recenter) {
    view.camera_x = game.x - size.columns / 2;
    view.camera_y = game.y - size.rows / 2;
    view.recenter = false;
  }
  view.camera_x = follow(view.camera_x, game.x, size.columns, game.world.width);
  view.camera_y = follow(view.camera_y, game.y, size.rows, game.world.height);
}

std::vector<Light> lights(const Game& game, float t) {
  std::vector<Light> result;
  result.push_back({game.x, game.y, kPlayerLightRadius, kPlayerLight});
  float portal_pulse = 0.85F + 0.1F * std::sin(1.5F * t);
  float crystal_pulse = 0.7F + 0.12F * std::sin(1.7F * t);
  for (const Prop& prop : game.world.props) {
    if (!prop.active) continue;
    float phase = 0.8F * static_cast<float>(prop.x) + static_cast<float>(prop.y);
    float flicker =
        0.88F + 0.08F * std::sin(6.3F * t + phase) + 0.04F * std::sin(13.1F * t + phase);
    auto add = [&](Rgb colour, float radius) {
      result.push_back({prop.x, prop.y, radius, colour});
    };
    switch (prop.kind.tag()) {
      case PropKind::Tag::GlowingMushrooms:
        add({48, 88, 101}, 2.8F);
        break;
      case PropKind::Tag::StainedGlassWindow:
        add({89, 112, 194}, 6.0F);
        break;
      case PropKind::Tag::Brazier:
        add(Rgb{236, 139, 62}.scale(flicker), 6.5F);
        break;
      case PropKind::Tag::CandleStand:
        add(Rgb{220, 174, 99}.scale(flicker), 5.0F);
        break;
      case PropKind::Tag::Crystal:
        add(palette::crystal(prop.kind.crystal().value_or(Crystal::EmeraldOfThorns))
                .scale(crystal_pulse),
            5.5F);
        break;
      case PropKind::Tag::ForestWaystone:
        if (game.awakened) {
          add(palette::gold, 10.0F);
        } else {
          add({61, 115, 118}, 4.0F);
        }
        break;
      case PropKind::Tag::EmberFlask:
        add({140, 86, 41}, 2.5F);
        break;
      case PropKind::Tag::AscendingPortal:
      case PropKind::Tag::DescendingPortal:
        add(Rgb{111, 103, 205}.scale(portal_pulse), 4.5F);
        break;
      default:
        break;
    }
  }
  return result;
}

Rgb light_at(std::span<const Light> lights, std::int32_t x, std::int32_t y) {
  Rgb total{0, 0, 0};
  for (const Light& light : lights) {
    float dx = static_cast<float>(static_cast<std::int64_t>(x) - light.x);
    float dy = static_cast<float>(static_cast<std::int64_t>(y) - light.y);
    // Outside this box the light cannot reach, and the square root is the costly part.
    if (std::abs(dx) > light.radius || std::abs(dy) > light.radius) continue;
    float distance = std::sqrt(dx * dx + dy * dy);
    float reach = std::max(0.0F, 1.0F - distance / light.radius);
    total = saturating_add(total, light.colour.scale(reach * reach * 0.42F));
  }
  return total;
}

Rgb saturating_add(Rgb left, Rgb right) {
  auto add = [](std::uint8_t a, std::uint8_t b) {
    return static_cast<std::uint8_t>(std::min(255, a + b));
  };
  return {add(left.r, right.r), add(left.g, right.g), add(left.b, right.b)};
}

Rgb remembered(Rgb colour) {
  float luminance = 0.3F * static_cast<float>(colour.r) + 0.5F * static_cast<float>(colour.g) +
                    0.2F * static_cast<float>(colour.b);
  return {channel(luminance * 0.2F), channel(luminance * 0.24F), channel(luminance * 0.34F)};
}

PropLook look(PropKind kind) {
  constexpr Rgb stone{105, 105, 124};
  constexpr Rgb flame{168, 118, 58};
  constexpr Rgb portal{156, 137, 235};
  switch (kind.tag()) {
    case PropKind::Tag::SilverleafTree:
      return {"♠", "♠", {48, 103, 90}};
    case PropKind::Tag::MoonFern:
      return {"♣", "♣", {79, 143, 112}};
    case PropKind::Tag::VelvetRoses:
      return {"*", "*", {97, 129, 91}};
    case PropKind::Tag::GlowingMushrooms:
      return {"⌂", "⌂", {110, 178, 202}};
    case PropKind::Tag::CarvedPillar:
      return {"▥", "▥", stone};
    case PropKind::Tag::StainedGlassWindow:
      return {"◊", "◊", {106, 158, 208}};
    case PropKind::Tag::OldBookshelves:
      return {"≡", "≡", {103, 67, 48}};
    case PropKind::Tag::SealedSarcophagus:
      return {"†", "†", stone};
    case PropKind::Tag::StoneBench:
      return {"═", "═", stone};
    case PropKind::Tag::FadedRoyalBanner:
      return {"⚑", "⚑", {138, 48, 77}};
    case PropKind::Tag::Brazier:
      return {"Ψ", "v", flame};
    case PropKind::Tag::CandleStand:
      return {"i", "·", flame};
    case PropKind::Tag::Crystal:
      return {"♦", "", palette::crystal(kind.crystal().value_or(Crystal::EmeraldOfThorns))};
    case PropKind::Tag::ForestWaystone:
      return {"Ω", "Ω", {103, 137, 143}};
    case PropKind::Tag::Moss:
      return {"g", "g", {128, 181, 102}};
    case PropKind::Tag::EmberFlask:
      return {"!", "!", {225, 153, 77}};
    case PropKind::Tag::AscendingPortal:
      return {"<", "<", portal};
    case PropKind::Tag::DescendingPortal:
      return {">", ">", portal};
    case PropKind::Tag::SoftVein:
      return {"r", "r", {167, 139, 114}};
    case PropKind::Tag::HardVein:
      return {"R", "R", {183, 166, 200}};
  }
  return {" ", " ", palette::ink};
}

void draw_map(Screen& screen, View& view, const Game& game, Story story, const Layout& layout) {
  std::size_t cells = game.world.tiles.size();
  bool consistent = cells == static_cast<std::size_t>(std::max(game.world.width, 0)) *
                                 static_cast<std::size_t>(std::max(game.world.height, 0));
  if (!consistent || game.visible.size() != cells || game.discovered.size() != cells) {
    panic("visibility grids cover the world");
  }
  ViewSize size = view_size(layout, view.pixels, view.zoom);
  update_camera(view, game, size);
  MapFrame frame{game, view, story, layout, size, tile_size(view.zoom), lights(game, view.clock)};
  if (view.pixels) {
    draw_pixels(screen, frame);
  } else {
    draw_glyph_tiles(screen, frame);
    draw_glyph_props(screen, frame);
    draw_glyph_player(screen, frame);
  }
  draw_motes(screen, frame);
  draw_floats(screen, frame);
}

}  // namespace burrowlight
