#include "host/hoststartup.h"

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "treeintf/sprigs.h"

namespace fw {

namespace {
bool gStarted = false;
} // namespace

void HostStartup() {
  if (gStarted) return;
  // Plugged in first, so that the designers' start-up registers the default sprig types last.
  StructureTreeUnit = {&TreeIntfStartup, &TreeIntfShutdown};
  DesignPackageStartup();
  try {
    // Started before by someone else, the package ran its units without the tree.
    TreeIntfStartup();
  } catch (...) {
    DesignPackageShutdown();
    StructureTreeUnit = {};
    throw;
  }
  gStarted = true;
}

void HostShutdown() {
  if (!gStarted) return;
  gStarted = false;
  // The tree goes first, even while someone else keeps the package running.
  TreeIntfShutdown();
  DesignPackageShutdown();
  StructureTreeUnit = {};
}

bool HostStarted() noexcept { return gStarted; }

THostStartupScope::THostStartupScope() : FStarted(!HostStarted()) { HostStartup(); }

THostStartupScope::~THostStartupScope() {
  if (FStarted) HostShutdown();
}

} // namespace fw
