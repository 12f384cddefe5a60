#pragma once
// The process entry's logic: scan the arguments, check their combination, run one mode.

#include <string>
#include <vector>

#include "core/error.hpp"

namespace burrowlight {

Result<void> run(const std::vector<std::string>& arguments);

}  // namespace burrowlight
