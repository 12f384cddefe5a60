#pragma once
// The observations of both headless modes: everything a program needs to choose its next
// command, built from the game state alone.

#include <nlohmann/json.hpp>

#include "core/expedition_run.hpp"
#include "core/game.hpp"

namespace burrowlight::headless {

// The prototype: the text map, what is in view, the legal commands, the log and the
// objective.
nlohmann::json prototype_observation(const Game& game);

// The expedition, with "ok" true: the map as the player sees and remembers it, the
// notable cells in view, the legal commands and the run's figures.
nlohmann::json expedition_observation(const expedition::Run& run);

}  // namespace burrowlight::headless
