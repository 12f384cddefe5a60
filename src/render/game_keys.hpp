#pragma once
// The key table of each interactive game. The keys both games share (quitting, help,
// the presentation keys, walking and interacting) are bound once here and listed in
// both tables, each game with its own words for them.

#include <array>

#include "render/key_table.hpp"

namespace burrowlight::render {

inline constexpr std::array<Binding, 3> kQuitBindings{{
    {{KeyCode::Escape}, KeyCommand::Quit},
    {{KeyCode::Character, 'q'}, KeyCommand::Quit},
    {{KeyCode::Character, 'c', true}, KeyCommand::Quit},
}};
inline constexpr std::array<Binding, 1> kHelpBindings{
    {{{KeyCode::Character, '?'}, KeyCommand::Help}}};
inline constexpr std::array<Binding, 1> kStillBindings{
    {{{KeyCode::Character, ' '}, KeyCommand::Still}}};
inline constexpr std::array<Binding, 1> kViewBindings{
    {{{KeyCode::Character, 'g'}, KeyCommand::View}}};
inline constexpr std::array<Binding, 2> kZoomBindings{{
    {{KeyCode::Character, 'z'}, KeyCommand::ZoomIn},
    {{KeyCode::Character, 'x'}, KeyCommand::ZoomOut},
}};
inline constexpr std::array<Binding, 12> kWalkBindings{{
    {{KeyCode::Up}, KeyCommand::North},
    {{KeyCode::Down}, KeyCommand::South},
    {{KeyCode::Left}, KeyCommand::West},
    {{KeyCode::Right}, KeyCommand::East},
    {{KeyCode::Character, 'w'}, KeyCommand::North},
    {{KeyCode::Character, 'k'}, KeyCommand::North},
    {{KeyCode::Character, 's'}, KeyCommand::South},
    {{KeyCode::Character, 'j'}, KeyCommand::South},
    {{KeyCode::Character, 'a'}, KeyCommand::West},
    {{KeyCode::Character, 'h'}, KeyCommand::West},
    {{KeyCode::Character, 'd'}, KeyCommand::East},
    {{KeyCode::Character, 'l'}, KeyCommand::East},
}};
inline constexpr std::array<Binding, 2> kInteractBindings{{
    {{KeyCode::Enter}, KeyCommand::Interact},
    {{KeyCode::Character, 'e'}, KeyCommand::Interact},
}};
inline constexpr std::array<Binding, 1> kFinishBindings{
    {{{KeyCode::Character, 'f'}, KeyCommand::Finish}}};
inline constexpr std::array<Binding, 1> kRestartBindings{
    {{{KeyCode::Character, 'r'}, KeyCommand::Restart}}};

// The keys handled before a game sees a key, whichever game it is.
inline constexpr std::array<std::span<const Binding>, 5> kSharedBindings{
    kQuitBindings, kHelpBindings, kStillBindings, kViewBindings, kZoomBindings};

// The presentation keys' rows, the same wherever the view is shown.
inline constexpr HelpKey kViewHelpKey{"G", "Switch colored glyphs / pixel sprites"};
inline constexpr HelpKey kZoomHelpKey{"Z / X", "Zoom pixel sprites in / out"};
inline constexpr HelpKey kStillHelpKey{"Space", "Pause ambient motion; walking still works"};

inline constexpr std::array<KeyRow, 8> kPrototypeKeyRows{{
    {kWalkBindings,
     {"WASD / arrows / HJKL", "Walk; bump a door to open it"},
     {1, 0},
     "WASD / arrows",
     "Move"},
    {kInteractBindings, {"E / Enter", "Inspect or interact nearby"}, {1, 1}, "E", "Inspect"},
    {kViewBindings, kViewHelpKey, {1, 2}, "G", "View"},
    {kZoomBindings, kZoomHelpKey, {1, 3}, "Z/X", "Zoom"},
    {kStillBindings, kStillHelpKey, {2, 0}, "Space", "Stillness"},
    {kRestartBindings, {"R", "Restart this handcrafted location"}, {2, 1}, "R", "Restart"},
    {kQuitBindings, {"Q / Escape", "Quit"}, {1, 5}, "Q", "Quit"},
    {kHelpBindings, {}, {1, 4}, "?", "Help"},
}};
inline constexpr KeyTable kPrototypeKeys{kPrototypeKeyRows, ""};

inline constexpr std::array<KeyRow, 8> kExpeditionKeyRows{{
    {kWalkBindings,
     {"WASD / arrows / HJKL", "Walk; bump a vein to dig it"},
     {1, 0},
     "WASD / arrows",
     "Move / dig"},
    {kInteractBindings,
     {"E / Enter", "Use flask or portal underfoot"},
     {1, 1},
     "E",
     "Flask / portal"},
    {kViewBindings, kViewHelpKey, {1, 2}, "G", "View"},
    {kZoomBindings, kZoomHelpKey, {0, 0}, "", ""},
    {kStillBindings, kStillHelpKey, {0, 0}, "", ""},
    {kFinishBindings, {"F", "Seal the saved expedition"}, {2, 0}, "F", "Finish expedition"},
    {kQuitBindings, {"Q / Escape", "Exit; progress is already saved"}, {1, 4}, "Q", "Quit"},
    {kHelpBindings, {}, {1, 3}, "?", "Help"},
}};
inline constexpr KeyTable kExpeditionKeys{kExpeditionKeyRows, "Autosave on every action"};

}  // namespace burrowlight::render
