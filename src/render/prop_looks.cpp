#include "render/prop_looks.hpp"

#include <array>
#include <cstddef>

#include "render/palette.hpp"

namespace burrowlight::render {
namespace {

using Tag = PropKind::Tag;

constexpr std::size_t kKindCount = static_cast<std::size_t>(Tag::HardVein) + 1;

constexpr Rgb kStone{105, 105, 124};
constexpr Rgb kFlame{168, 118, 58};
constexpr Rgb kPortal{156, 137, 235};
constexpr Rgb kEmerald = palette::emerald_of_thorns;

// Indexed by tag. Every entry names its tag, so the lines may come in any order, and
// a kind left out has no sprite, which the check below refuses.
constexpr std::array<PropLook, kKindCount> kLooks = [] {
  std::array<PropLook, kKindCount> looks{};
  auto set = [&looks](Tag tag, PropLook look) { looks[static_cast<std::size_t>(tag)] = look; };
  using enum Glow;
  using enum Shading;
  using enum Motion;
  // One kind to a line in columns: glyph, unlit glyph, colour, sprite, then any light
  // and the sprite's shading and motion where they are not Lit and Still.
  // clang-format off
  set(Tag::SilverleafTree,     {"♠", "♠", {48, 103, 90},   &art::kSilverleafTree});
  set(Tag::MoonFern,           {"♣", "♣", {79, 143, 112},  &art::kMoonFern});
  set(Tag::VelvetRoses,        {"*", "*", {97, 129, 91},   &art::kVelvetRoses});
  set(Tag::GlowingMushrooms,   {"⌂", "⌂", {110, 178, 202}, &art::kGlowingMushrooms,
                                PropLight{{48, 88, 101}, 2.8F, Steady}});
  set(Tag::CarvedPillar,       {"▥", "▥", kStone,          &art::kCarvedPillar});
  // Lit from behind, the glass shows its own colours whatever light falls on it.
  set(Tag::StainedGlassWindow, {"◊", "◊", {106, 158, 208}, &art::kStainedGlassWindow,
                                PropLight{{89, 112, 194}, 6.0F, Steady}, SelfLit});
  set(Tag::OldBookshelves,     {"≡", "≡", {103, 67, 48},   &art::kOldBookshelves});
  set(Tag::SealedSarcophagus,  {"†", "†", kStone,          &art::kSealedSarcophagus});
  set(Tag::StoneBench,         {"═", "═", kStone,          &art::kStoneBench});
  set(Tag::FadedRoyalBanner,   {"⚑", "⚑", {138, 48, 77},   &art::kFadedRoyalBanner});
  set(Tag::Brazier,            {"Ψ", "v", kFlame,          &art::kBrazier,
                                PropLight{{236, 139, 62}, 6.5F, FlameFlicker}});
  set(Tag::CandleStand,        {"i", "·", kFlame,          &art::kCandleStand,
                                PropLight{{220, 174, 99}, 5.0F, FlameFlicker}});
  // Tag::Crystal alone stands for the first crystal; look() gives every other crystal
  // its own colour and light. A taken crystal is not drawn, so it needs no glyph.
  set(Tag::Crystal,            {"♦", "",  kEmerald,        &art::kCrystal,
                                PropLight{kEmerald, 5.5F, CrystalPulse}, SelfLit, Bobbing});
  // Once the game is awakened the waystone's light and sprite turn gold; lights() and
  // the pixel drawing make that exception.
  set(Tag::ForestWaystone,     {"Ω", "Ω", {103, 137, 143}, &art::kStandingStone,
                                PropLight{{61, 115, 118}, 4.0F, Steady}});
  set(Tag::Moss,               {"g", "g", {128, 181, 102}, &art::kGoblin,
                                std::nullopt, Lit, Bobbing});
  set(Tag::EmberFlask,         {"!", "!", {225, 153, 77},  &art::kEmberFlask,
                                PropLight{{140, 86, 41}, 2.5F, Steady}});
  set(Tag::AscendingPortal,    {"<", "<", kPortal,         &art::kStandingStone,
                                PropLight{{111, 103, 205}, 4.5F, PortalPulse}});
  set(Tag::DescendingPortal,   {">", ">", kPortal,         &art::kStandingStone,
                                PropLight{{111, 103, 205}, 4.5F, PortalPulse}});
  // Veins are drawn as raw crystal, like the crystals themselves.
  set(Tag::SoftVein,           {"r", "r", {167, 139, 114}, &art::kCrystal});
  set(Tag::HardVein,           {"R", "R", {183, 166, 200}, &art::kCrystal});
  // clang-format on
  return looks;
}();

// The blitter reads eight letters from every one of a sprite's eight rows. A kind left out
// of the table has no sprite, and reading through its null pointer stops the compilation.
constexpr bool every_kind_has_a_whole_sprite() {
  for (const PropLook& entry : kLooks) {
    for (std::string_view row : *entry.sprite) {
      if (row.size() != 8) return false;
    }
  }
  return true;
}
static_assert(every_kind_has_a_whole_sprite(), "every prop kind has an 8 x 8 sprite");

// A code that names no kind shows as a blank in GLYPHS mode and as raw crystal in
// PIXELS mode, rather than reading past the table.
constexpr PropLook kUnknown{" ", " ", palette::ink, &art::kCrystal};

}  // namespace

PropLook look(PropKind kind) {
  auto index = static_cast<std::size_t>(kind.tag());
  if (index >= kLooks.size()) return kUnknown;
  PropLook result = kLooks[index];
  if (std::optional<Crystal> crystal = kind.crystal()) {
    result.colour = palette::crystal(*crystal);
    if (result.light) result.light->colour = result.colour;
  }
  return result;
}

}  // namespace burrowlight::render
