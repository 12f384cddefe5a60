#pragma once
// What burrowlight-verify says about one save: whether the game would accept it, with the
// game's own message when it would not, and the figures of the expedition it holds, as
// one compact JSON line with sorted keys.

#include <string_view>

#include "app/save.hpp"
#include "headless/json_writer.hpp"

namespace burrowlight::verify {

// The report line of the save at `path` (as given on the command line), line feed
// included, written into `out`. What the file states (seed, secret, sealed flag) is
// reported once its bytes parse; what its actions lead to (depth, score, turns) only
// once it replays. Every field that is not known is null.
std::string_view report_line(headless::JsonWriter& out, std::string_view path,
                             const app::save::Inspection& inspection);

}  // namespace burrowlight::verify
