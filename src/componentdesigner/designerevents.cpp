#include "componentdesigner/designerevents.h"

#include "basert/classbuilder.h"

namespace fw {

TClass TEvent::StaticClass() {
  static const TClass cls = TClassBuilder<TEvent, TObject>("TEvent", "DesignerEvents").Build();
  return cls;
}

TClass TEvRootActivatedEvent::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEvRootActivatedEvent, TObject>("TEvRootActivatedEvent", "DesignerEvents")
          .Build();
  return cls;
}

TClass TEvComponentRenamedEvent::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEvComponentRenamedEvent, TObject>("TEvComponentRenamedEvent", "DesignerEvents")
          .Build();
  return cls;
}

TEvRootActivatedEvent* EvRootActivatedEvent = nullptr;
TEvent* EvActiveRootModifiedEvent = nullptr;
TEvComponentRenamedEvent* EvComponentRenamedEvent = nullptr;
TEvent* EvDesignerDeactivated = nullptr;

namespace {

template <class T> void Make(T*& global) {
  if (!global) global = New<T>();
}

/// The custom module of a designer of another framework: nothing to offer, nothing accepted.
class TNonTarnCustomModule : public TInterfacedObject, public ICustomModule {
  FW_CLASS(TNonTarnCustomModule)
public:
  TCustomModuleAttributes GetAttributes() override { return {}; }
  void ExecuteVerb(Integer) override {}
  String GetVerb(Integer) override { return {}; }
  Integer GetVerbCount() override { return 0; }
  void PrepareItem(Integer, const IPtr<IMenuItem>&) override {}
  void Saving() override {}
  void ValidateComponent(TComponent*) override {}
  bool ValidateComponentClass(TComponentClass) override { return false; }
  bool Nestable() override { return false; }
};

struct TEventsState {
  IPtr<IDesignerPalette> Palette;
  IPtr<ICustomModule> NonTarnModule;
};

TEventsState& State() {
  static TEventsState state;
  return state;
}

} // namespace

TClass TNonTarnCustomModule::StaticClass() {
  static const TClass cls = TClassBuilder<TNonTarnCustomModule, TInterfacedObject>(
                                "TNonTarnCustomModule", "DesignerEvents")
                                .Implements<ICustomModule>()
                                .Build();
  return cls;
}

void SetDesignerPalette(const IPtr<IDesignerPalette>& palette) { State().Palette = palette; }

IPtr<IDesignerPalette> DesignerPalette() { return State().Palette; }

void TEvRootActivatedEvent::Send(TObject* sender, const IPtr<ICustomModule>& customModule) {
  IPtr<IDesignerPalette> palette = DesignerPalette();
  if (!palette) {
    Broadcast(sender, customModule);
    return;
  }
  palette->BeginUpdate();
  try {
    if (customModule)
      palette->AddContext(String(sNativeDesignerActiveContext));
    else
      palette->RemoveContext(String(sNativeDesignerActiveContext));
    palette->RemoveContext(String(sCodeEditorActiveContext));
    Broadcast(sender, customModule);
  } catch (...) {
    palette->EndUpdate();
    throw;
  }
  palette->EndUpdate();
}

void TEvRootActivatedEvent::ActivateNonTarnDesigner() {
  Broadcast(static_cast<TObject*>(nullptr), NonTarnCustomModule());
}

IPtr<ICustomModule> TEvRootActivatedEvent::NonTarnCustomModule() {
  auto& module = State().NonTarnModule;
  if (!module) module = IPtr<ICustomModule>(New<TNonTarnCustomModule>());
  return module;
}

void DesignerEventsStartup() {
  Make(EvRootActivatedEvent);
  Make(EvActiveRootModifiedEvent);
  Make(EvComponentRenamedEvent);
  Make(EvDesignerDeactivated);
}

void DesignerEventsShutdown() {
  // FreeAndNil clears each global before its object goes: firing places test the global.
  FreeAndNil(EvRootActivatedEvent);
  FreeAndNil(EvActiveRootModifiedEvent);
  FreeAndNil(EvComponentRenamedEvent);
  FreeAndNil(EvDesignerDeactivated);
  State().NonTarnModule = nullptr;
  State().Palette = nullptr;
}

} // namespace fw
