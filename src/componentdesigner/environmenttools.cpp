#include "componentdesigner/environmenttools.h"

#include "basert/classbuilder.h"

namespace fw {

TClass TEnvironmentTools::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEnvironmentTools, TInterfacedObject>("TEnvironmentTools", "ComponentDesigner")
          .Implements<ITools>()
          .Build();
  return cls;
}

bool TEnvironmentTools::ToolSelected() {
  auto palette = QueryIntf<IDesignPaletteState>(FEnvironment);
  return palette && palette->PaletteItemSelected();
}

} // namespace fw
