// A scope guard: runs a function when the scope ends, by return or by exception.
#pragma once

#include <utility>

namespace fw {

/// Runs `fn` once when destroyed; used to restore state that a throwing call must not leave
/// changed.
template <class F> class TOnExit {
public:
  explicit TOnExit(F fn) : FFn(std::move(fn)) {}
  ~TOnExit() { FFn(); }
  TOnExit(const TOnExit&) = delete;
  TOnExit& operator=(const TOnExit&) = delete;

private:
  F FFn;
};

} // namespace fw
