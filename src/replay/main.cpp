// burrowlight-replay's entry; see replay/replay.hpp.

#include <string>
#include <vector>

#include "replay/replay.hpp"
#include "sys/program.hpp"

int main(int argc, char** argv) {
  burrowlight::sys::begin_program();
  return burrowlight::replay::run(std::vector<std::string>(argv + 1, argv + argc));
}
