// burrowlight-verify's entry; see verify/verify.hpp.

#include <string>
#include <vector>

#include "sys/program.hpp"
#include "verify/verify.hpp"

int main(int argc, char** argv) {
  burrowlight::sys::begin_program();
  return burrowlight::verify::run(std::vector<std::string>(argv + 1, argv + argc));
}
