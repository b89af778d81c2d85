// The host's design environment, headless: it records what the designers ask of it and lets
// the test or command line answer (open a module by root name, load a class's package).
#pragma once

#include "basert/object.h"
#include "componentdesigner/environmenttools.h"
#include "componentdesigner/rootintf.h"
#include "designintf/designhost.h"

#include <functional>
#include <vector>

namespace fw {

class THostDesignEnvironment : public TInterfacedObject,
                               public IDesignEnvironment,
                               public IDesignerOptionsProvider,
                               public IDesignPaletteState {
  FW_CLASS(THostDesignEnvironment)
public:
  /// The file time GetCurrentFileTime answers; each call afterwards advances it by one, so
  /// that successive saves carry distinct times.
  Integer FileTime = 0;
  /// Opens the project's module of that root name (through the designer's FindRoot afterwards).
  std::function<void(const String& rootName)> OnOpenRootModule;
  /// Loads what registers a class before the designer looks for it.
  std::function<void(const String& className)> OnBeforeFindClass;

  /// What the designers read as their options.
  TDesignerOptions Options;

  /// Every call, one line each ("OpenRootModule Form2", "ShowDialog 3", ...), in order.
  const std::vector<String>& Calls() const noexcept { return FCalls; }
  const std::vector<TDesignDialog>& DialogsShown() const noexcept { return FDialogs; }

  Integer GetCurrentFileTime() override { return FileTime++; }
  void OpenRootModule(const String& rootName) override;
  void ComponentRenamed(const String& oldName, const String& newName) override;
  void ShowDialog(TDesignDialog dialog) override;
  void BeforeFindClass(const String& className, const IPtr<IInterface>& designer) override;
  TDesignerOptions GetDesignerOptions() override { return Options; }
  /// The palette's selected item (a THostPaletteItem, say); null while the pointer is.
  IPtr<IInternalPaletteItem> PaletteItem;
  bool PaletteItemSelected() override { return PaletteItem != nullptr; }
  IPtr<IInternalPaletteItem> GetCurrentPaletteItem() override { return PaletteItem; }
  /// One creation per selection: the palette goes back to the pointer.
  void PaletteItemUsed() override;

private:
  std::vector<String> FCalls;
  std::vector<TDesignDialog> FDialogs;
};

} // namespace fw
