// Helpers shared by the run-time tests.
#pragma once

#include "basert/exceptions.h"
#include "basert/formstream.h"

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

/// The bytes f writes; the small buffer exercises the writer's flushing.
template <class F> fw::String Written(F&& f) {
  fw::TMemoryStream m;
  {
    fw::TBinaryWriterCore w(m, 16);
    f(w);
  }
  return fw::String(m.View());
}

} // namespace fwtest
