// burrowlight-submit's entry; see submit/submit.hpp.

#include <string>
#include <vector>

#include "submit/submit.hpp"
#include "sys/program.hpp"

int main(int argc, char** argv) {
  burrowlight::sys::begin_program();
  return burrowlight::submit::run(std::vector<std::string>(argv + 1, argv + argc));
}
