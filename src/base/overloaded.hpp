#pragma once
// A visitor made of lambdas, one per alternative of a std::variant.

namespace burrowlight {

template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

// clang 16 does not deduce the handlers of an aggregate by itself.
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace burrowlight
