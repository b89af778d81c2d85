// Helpers shared by the run-time tests.
#pragma once

#include "basert/exceptions.h"

namespace fwtest {

/// The message of the E that f raises; any other exception escapes and fails the test.
template <class E = fw::Exception, class F> fw::String MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

} // namespace fwtest
