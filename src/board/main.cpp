// burrowlight-board's entry; see board/board.hpp.

#include <string>
#include <vector>

#include "board/board.hpp"
#include "sys/program.hpp"

int main(int argc, char** argv) {
  burrowlight::sys::begin_program();
  return burrowlight::board::run(std::vector<std::string>(argv + 1, argv + argc));
}
