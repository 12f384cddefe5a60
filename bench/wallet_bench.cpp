// How long answering one page request takes before any byte reaches the socket: the
// Host and request-line checks, and composing the response bytes around the page.

#include <benchmark/benchmark.h>

#include <string>

#include "app/wallet.hpp"

namespace burrowlight {
namespace {

constexpr std::string_view kBrowserRequest =
    "GET / HTTP/1.1\r\n"
    "Host: 127.0.0.1:8766\r\n"
    "Connection: keep-alive\r\n"
    "Upgrade-Insecure-Requests: 1\r\n"
    "User-Agent: Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko)\r\n"
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
    "Accept-Encoding: gzip, deflate, br\r\n"
    "Accept-Language: en-US,en;q=0.9\r\n"
    "\r\n";

// The argument is the page size in bytes.
void BM_AnswerPageRequest(benchmark::State& state) {
  std::string page = "<!doctype html>";
  page.resize(static_cast<std::size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    std::string bytes = app::wallet::response_bytes(app::wallet::response(kBrowserRequest, page));
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AnswerPageRequest)->Arg(4 * 1024)->Arg(512 * 1024);

}  // namespace
}  // namespace burrowlight

BENCHMARK_MAIN();
