#include "componentdesigner/designerevents.h"

namespace fw {

TClass TEvent::StaticClass() {
  static const TClass cls = TClassBuilder<TEvent, TObject>("TEvent", "DesignerEvents").Build();
  return cls;
}

TClass TEvComponentRenamedEvent::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEvComponentRenamedEvent, TObject>("TEvComponentRenamedEvent", "DesignerEvents")
          .Build();
  return cls;
}

TEvent* EvActiveRootModifiedEvent = nullptr;
TEvComponentRenamedEvent* EvComponentRenamedEvent = nullptr;
TEvent* EvDesignerDeactivated = nullptr;

namespace {

template <class T> void Make(T*& global) {
  if (!global) global = New<T>();
}

} // namespace

void InitializeDesignerEvents() {
  Make(EvActiveRootModifiedEvent);
  Make(EvComponentRenamedEvent);
  Make(EvDesignerDeactivated);
}

void FinalizeDesignerEvents() {
  // FreeAndNil clears each global before its object goes: firing places test the global.
  FreeAndNil(EvActiveRootModifiedEvent);
  FreeAndNil(EvComponentRenamedEvent);
  FreeAndNil(EvDesignerDeactivated);
}

} // namespace fw
