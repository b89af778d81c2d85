// The palette state a visual designer asks about, taken from the design environment.
#pragma once

#include "componentdesigner/componentcreation.h"
#include "designintf/designhost.h"
#include "designintf/surfaceintf.h"

namespace fw {

/// What an environment with a component palette answers; an environment without it never has
/// a tool selected.
struct IDesignPaletteState : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{9D3B6F0E-4C21-4A8B-B7E5-2F6A1C0D8E47}");
  /// True while a palette item (a component class to create) is selected.
  virtual bool PaletteItemSelected() = 0;
  /// The selected palette item, which creates the component; null while none is selected.
  virtual IPtr<IInternalPaletteItem> GetCurrentPaletteItem() = 0;
  /// A creation request took the selected item (the palette may go back to the pointer).
  virtual void PaletteItemUsed() = 0;
};

/// The tools of a visual designer: a tool is selected while the environment's palette has a
/// selected item.
class TEnvironmentTools : public TInterfacedObject, public ITools {
  FW_CLASS(TEnvironmentTools)
public:
  explicit TEnvironmentTools(IPtr<IDesignEnvironment> environment)
      : FEnvironment(std::move(environment)) {}
  bool ToolSelected() override;

private:
  IPtr<IDesignEnvironment> FEnvironment;
};

} // namespace fw
