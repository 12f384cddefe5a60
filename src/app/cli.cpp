#include "app/cli.hpp"

namespace burrowlight {

Result<void> run(const std::vector<std::string>&) {
  return std::unexpected(Error("the command line is not available in this build"));
}

}  // namespace burrowlight
