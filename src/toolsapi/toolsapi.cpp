#include "toolsapi/toolsapi.h"

#include "basert/sysutils.h"

namespace fw {

IPtr<IInterface> MarrickIDEServices;

TComponent* FindIDEAction(const String& name) {
  auto services = QueryIntf<INTAServices>(MarrickIDEServices);
  if (!services) return nullptr;
  for (Integer i = 0, n = services->ActionCount(); i < n; ++i) {
    TComponent* action = services->Action(i);
    if (action && SameText(action->Name(), name)) return action;
  }
  return nullptr;
}

} // namespace fw
