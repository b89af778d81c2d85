#include "host/hoststartup.h"

#include "componentdesigner/designpackage.h"
#include "frameworkeditors/actionregistry.h"
#include "treeintf/sprigs.h"

#include <array>

namespace fw {

namespace {

struct TUnit {
  void (*Startup)();
  void (*Shutdown)();
};

// Start-up order; shut-down walks it backwards. The tree listens to design notifications, so
// it comes after the package that keeps their list.
constexpr std::array<TUnit, 3> Units = {{
    {&DesignPackageStartup, &DesignPackageShutdown},
    {&TreeIntfStartup, &TreeIntfShutdown},
    {&ActionRegistryStartup, &ActionRegistryShutdown},
}};

bool gStarted = false;

} // namespace

void HostStartup() {
  if (gStarted) return;
  std::size_t done = 0;
  try {
    for (; done < Units.size(); ++done)
      Units[done].Startup();
  } catch (...) {
    while (done-- > 0)
      Units[done].Shutdown();
    throw;
  }
  gStarted = true;
}

void HostShutdown() {
  if (!gStarted) return;
  gStarted = false;
  for (auto it = Units.rbegin(); it != Units.rend(); ++it)
    it->Shutdown();
}

bool HostStarted() noexcept { return gStarted; }

THostStartupScope::THostStartupScope() : FStarted(!HostStarted()) { HostStartup(); }

THostStartupScope::~THostStartupScope() {
  if (FStarted) HostShutdown();
}

} // namespace fw
