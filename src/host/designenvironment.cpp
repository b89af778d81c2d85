#include "host/designenvironment.h"

#include "basert/classbuilder.h"
#include "basert/sysutils.h"

namespace fw {

TClass THostDesignEnvironment::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostDesignEnvironment, TInterfacedObject>("THostDesignEnvironment", "Host")
          .Implements<IDesignEnvironment, IDesignerOptionsProvider, IDesignPaletteState>()
          .Build();
  return cls;
}

void THostDesignEnvironment::OpenRootModule(const String& rootName) {
  FCalls.push_back("OpenRootModule " + rootName);
  if (OnOpenRootModule) OnOpenRootModule(rootName);
}

void THostDesignEnvironment::PaletteItemUsed() {
  FCalls.push_back("PaletteItemUsed");
  PaletteItem = nullptr;
}

void THostDesignEnvironment::ComponentRenamed(const String& oldName, const String& newName) {
  FCalls.push_back("ComponentRenamed " + oldName + " " + newName);
}

void THostDesignEnvironment::ShowDialog(TDesignDialog dialog) {
  FCalls.push_back("ShowDialog " + IntToStr(static_cast<int>(dialog)));
  FDialogs.push_back(dialog);
}

void THostDesignEnvironment::BeforeFindClass(const String& className, const IPtr<IInterface>&) {
  FCalls.push_back("BeforeFindClass " + className);
  if (OnBeforeFindClass) OnBeforeFindClass(className);
}

} // namespace fw
