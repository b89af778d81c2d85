#include "componentdesigner/designpackage.h"

#include "componentdesigner/designerevents.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/proxies.h"
#include "designeditors/compeditors.h"
#include "designeditors/editorregistry.h"
#include "designeditors/guidelines.h"
#include "designeditors/propcategories.h"
#include "designeditors/selectioneditors.h"

#include <array>

namespace fw {

namespace {

struct TUnit {
  void (*Startup)();
  void (*Shutdown)();
};

// Start-up order; shut-down walks it backwards.
constexpr std::array<TUnit, 8> Units = {{
    {&DesignEditorsStartup, &DesignEditorsShutdown},
    {&ComponentEditorsStartup, &ComponentEditorsShutdown},
    {&SelectionEditorsStartup, &SelectionEditorsShutdown},
    {&GuidelinesStartup, &GuidelinesShutdown},
    {&PropertyCategoriesStartup, &PropertyCategoriesShutdown},
    {&ProxiesStartup, &ProxiesShutdown},
    {&DesignerEventsStartup, &DesignerEventsShutdown},
    {&DesignNotificationsStartup, &DesignNotificationsShutdown},
}};

bool gRunning = false;

} // namespace

void DesignPackageStartup() {
  if (gRunning) return;
  for (const TUnit& u : Units)
    u.Startup();
  gRunning = true;
}

void DesignPackageShutdown() {
  if (!gRunning) return;
  for (auto it = Units.rbegin(); it != Units.rend(); ++it)
    it->Shutdown();
  gRunning = false;
}

bool DesignPackageRunning() noexcept { return gRunning; }

} // namespace fw
