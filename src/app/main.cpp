#include <cstdio>
#include <string>
#include <vector>

#include "app/cli.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  auto result = burrowlight::run(arguments);
  if (!result) {
    std::string line = "BurrowLight: " + result.error().text() + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return 1;
  }
  return 0;
}
