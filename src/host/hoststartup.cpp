#include "host/hoststartup.h"

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "frameworkeditors/actionregistry.h"
#include "frameworkeditors/tarneditors.h"
#include "host/hostroot.h"
#include "host/hostsurface.h"
#include "treeintf/sprigs.h"
#include "update/updatemanager.h"

namespace fw {

namespace {
bool gStarted = false;
} // namespace

void HostStartup() {
  if (gStarted) return;
  // Plugged in first, so that the designers' start-up registers the default sprig types last.
  PlugStructureTree();
  DesignPackageStartup();
  try {
    // Started before by someone else, the package ran its units without the tree.
    TreeIntfStartup();
  } catch (...) {
    DesignPackageShutdown();
    StructureTreeUnit = {};
    throw;
  }
  // Roots inherited from open modules follow their ancestors' edits; live roots get design
  // windows; actions register through the action unit's hooks. None can fail.
  UpdateManagerStartup();
  HostSurfaceStartup();
  ActionRegistryStartup();
  TarnEditorsStartup();
  gStarted = true;
}

void HostShutdown() {
  if (!gStarted) return;
  gStarted = false;
  TarnEditorsShutdown();
  ActionRegistryShutdown();
  HostSurfaceShutdown();
  UpdateManagerShutdown();
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
