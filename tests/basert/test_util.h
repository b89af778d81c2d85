// Helpers shared by the run-time tests (MessageOf comes from the folders' common helpers).
#pragma once

#include "basert/formstream.h"
#include "support/testutil.h"

namespace fwtest {

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
