// The IDE host's service interfaces, as far as the package calls them, and the global through
// which they are reached.
#pragma once

#include "basert/component.h"
#include "basert/interfaces.h"

namespace fw {

/// The native services of the IDE: its action list, among others. Found through
/// MarrickIDEServices.
struct INTAServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C17B3DF1-DFE5-11D2-A8C7-00C04FA32F53}");
  /// The number of the IDE's actions and one of them (actions are components with names).
  virtual Integer ActionCount() = 0;
  virtual TComponent* Action(Integer index) = 0;
};

/// The IDE's service object; the host sets it before loading the package and clears it at the
/// end. Null when there is no host.
extern IPtr<IInterface> MarrickIDEServices;

/// The IDE action of that component name (ignoring case), or null (also without a host).
TComponent* FindIDEAction(const String& name);

} // namespace fw
