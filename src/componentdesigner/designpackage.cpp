#include "componentdesigner/designpackage.h"

#include "componentdesigner/designerevents.h"
#include "componentdesigner/designers.h"
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
constexpr std::array<TUnit, 9> Units = {{
    {&DesignEditorsStartup, &DesignEditorsShutdown},
    {&ComponentEditorsStartup, &ComponentEditorsShutdown},
    {&SelectionEditorsStartup, &SelectionEditorsShutdown},
    {&GuidelinesStartup, &GuidelinesShutdown},
    {&PropertyCategoriesStartup, &PropertyCategoriesShutdown},
    {&ProxiesStartup, &ProxiesShutdown},
    {&DesignerEventsStartup, &DesignerEventsShutdown},
    {&DesignNotificationsStartup, &DesignNotificationsShutdown},
    {&DesignersStartup, &DesignersShutdown},
}};

// Every package that needs the design-time package starts it; only the first start and the
// last stop do the work.
Integer gStarts = 0;

} // namespace

void DesignPackageStartup() {
  if (gStarts++ > 0) return;
  for (const TUnit& u : Units)
    u.Startup();
}

void DesignPackageShutdown() {
  if (gStarts == 0 || --gStarts > 0) return;
  for (auto it = Units.rbegin(); it != Units.rend(); ++it)
    it->Shutdown();
}

bool DesignPackageRunning() noexcept { return gStarts > 0; }

} // namespace fw
