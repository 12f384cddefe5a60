#pragma once
// The package's file operations on saves: writing one as the game does, under the save's
// lock, and continuing one that the game would open.

#include <string>

#include "env/expedition_env.hpp"

namespace burrowlight::python {

// Replaces the save at `path` with the environment's record; raises OSError on failure.
void save_expedition(const env::ExpeditionEnv& environment, const std::string& path);

// Makes `environment` continue the save at `path`, which is only read; raises OSError
// when it cannot be read and ValueError for a save the game would refuse.
void load_expedition(env::ExpeditionEnv& environment, const std::string& path);

}  // namespace burrowlight::python
