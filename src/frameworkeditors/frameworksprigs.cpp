#include "frameworkeditors/frameworksprigs.h"

#include "basert/datamodule.h"
#include "tarn/forms.h"

namespace fw {

namespace {

constexpr std::string_view sUnitName = "FrameworkSprigs";

TWinControl* WinControlOf(TPersistent* item) {
  return item && item->Is<TWinControl>() ? static_cast<TWinControl*>(item) : nullptr;
}

bool AcceptsControls(TPersistent* item) {
  TWinControl* w = WinControlOf(item);
  return w && w->ControlStyle().Contains(controlAcceptsControls);
}

Integer WinControlImage(TPersistent* item) { return CUIControlImageIndex[AcceptsControls(item)]; }

/// A control sprig, or the root of a windowed module, whose control takes child controls.
bool CanTakeControls(TSprig* target) {
  if (!target) return false;
  if (!target->Is<TControlSprig>() && !target->Is<TWinControlRootSprig>()) return false;
  return AcceptsControls(target->Item());
}

/// Makes `source`'s control a child of `target`'s, kept inside the new parent's client area.
bool ReparentControl(TSprig* source, TSprig* target) {
  if (!source || !target || !source->Is<TControlSprig>() || source->Parent() == target ||
      !source->DragOverTo(target))
    return false;
  auto* control = static_cast<TControlSprig*>(source)->Control();
  TWinControl* parent = WinControlOf(target->Item());
  if (!control || !parent || control->Parent() == parent) return false;
  control->SetParent(parent);
  Integer left = control->Left();
  Integer top = control->Top();
  if (left + control->Width() > parent->ClientWidth())
    left = parent->ClientWidth() - control->Width();
  if (top + control->Height() > parent->ClientHeight())
    top = parent->ClientHeight() - control->Height();
  control->SetBounds(left, top, control->Width(), control->Height());
  // The tree follows at once rather than at the next full repopulation.
  if (TRootSprig* root = source->Root()) root->ValidateParent(source);
  return true;
}

/// Asks a bare sprig of `sprigClass` whether a component of `cls` may be made under `parent`.
bool ClassPaletteOverTo(TSprigClass sprigClass, TSprig* parent, TClass cls) {
  TOwned<TSprig> probe(CreateSprig(sprigClass, nullptr));
  return probe->PaletteOverTo(parent, cls);
}

bool SameOwner(TSprig* source, TSprig* owner) { return source && source->Owner() == owner; }

} // namespace

// ---- TControlSprig ---------------------------------------------------------------------------

TControlSprig::TControlSprig(TPersistent* item) : TComponentSprig(item) { FImageIndex = 6; }

TControl* TControlSprig::Control() const {
  return FItem && FItem->Is<TControl>() ? static_cast<TControl*>(FItem) : nullptr;
}

bool TControlSprig::DragOverTo(TSprig* parent) {
  // An inherited control under another parent is written as a new component of the same name,
  // and the module cannot be read again.
  if (TControl* control = Control(); control && control->ComponentState().Contains(stateAncestor))
    return false;
  return CanTakeControls(parent);
}

bool TControlSprig::DragDropTo(TSprig* parent) { return DragOverTo(parent); }

bool TControlSprig::PaletteOverTo(TSprig* parent, TClass) { return CanTakeControls(parent); }

TClass TControlSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TControlSprig, TComponentSprig>("TControlSprig", String(sUnitName)).Build();
  return cls;
}

// ---- TWinControlSprig ------------------------------------------------------------------------

TWinControlSprig::TWinControlSprig(TPersistent* item) : TControlSprig(item) {
  FImageIndex = WinControlImage(item);
}

bool TWinControlSprig::DragOver(TSprig* source) {
  return SameOwner(source, Owner()) && source->Is<TControlSprig>() && AcceptsControls(FItem) &&
         source->DragOverTo(this);
}

bool TWinControlSprig::DragDrop(TSprig* source) {
  return SameOwner(source, Owner()) && ReparentControl(source, this);
}

bool TWinControlSprig::PaletteOver(TSprigClass sprigClass, TClass cls) {
  if (!sprigClass || (!sprigClass->InheritsFrom(TControlSprig::StaticClass()) &&
                      !sprigClass->InheritsFrom(TWinControlRootSprig::StaticClass())))
    return false;
  return AcceptsControls(FItem) && ClassPaletteOverTo(sprigClass, this, cls);
}

TClass TWinControlSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWinControlSprig, TControlSprig>("TWinControlSprig", String(sUnitName)).Build();
  return cls;
}

// ---- TFrameSprig -----------------------------------------------------------------------------

TFrameSprig::TFrameSprig(TPersistent* item) : TWinControlSprig(item) { FImageIndex = 8; }

void TFrameSprig::FigureChildren() {
  TWinControlSprig::FigureChildren();
  if (!FItem || !FItem->Is<TComponent>() || !FRoot || FInvalid) return;
  for (TComponent* c : static_cast<TComponent*>(FItem)->ComponentList()) {
    const TComponentState state = c->ComponentState();
    // What the root leaves out of its own components stays out here too.
    if (c->ComponentStyle().Contains(styleTransient) || !state.Contains(stateDesigning) ||
        state.Contains(stateDestroying))
      continue;
    if (FRoot->Find(c, true)) continue;
    TSprigClass cls = FindBestSprigClass(c->ClassType(), TComponentSprig::StaticClass());
    if (!cls) continue;
    Add(TComponentSprig::Create(cls, c, this));
  }
}

TClass TFrameSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFrameSprig, TWinControlSprig>("TFrameSprig", String(sUnitName)).Build();
  return cls;
}

// ---- TWinControlRootSprig --------------------------------------------------------------------

TWinControlRootSprig::TWinControlRootSprig(TPersistent* item) : TRootSprig(item) {
  FImageIndex = WinControlImage(item);
}

bool TWinControlRootSprig::DragOver(TSprig* source) {
  return SameOwner(source, this) && source->Is<TControlSprig>() && AcceptsControls(FItem) &&
         source->DragOverTo(this);
}

bool TWinControlRootSprig::DragDrop(TSprig* source) {
  if (!source) return false;
  if (source->Is<TControlSprig>()) return SameOwner(source, this) && ReparentControl(source, this);
  if (source->Is<TComponentSprig>()) return source->DragDropTo(this);
  return false;
}

bool TWinControlRootSprig::PaletteOver(TSprigClass sprigClass, TClass cls) {
  if (!sprigClass) return false;
  if ((sprigClass->InheritsFrom(TControlSprig::StaticClass()) ||
       sprigClass->InheritsFrom(TWinControlRootSprig::StaticClass())) &&
      AcceptsControls(FItem) && ClassPaletteOverTo(sprigClass, this, cls))
    return true;
  return sprigClass->InheritsFrom(TComponentSprig::StaticClass());
}

TClass TWinControlRootSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWinControlRootSprig, TRootSprig>("TWinControlRootSprig", String(sUnitName))
          .Build();
  return cls;
}

TCustomFormRootSprig::TCustomFormRootSprig(TPersistent* item) : TWinControlRootSprig(item) {
  FImageIndex = 9;
}

TClass TCustomFormRootSprig::StaticClass() {
  static const TClass cls = TClassBuilder<TCustomFormRootSprig, TWinControlRootSprig>(
                                "TCustomFormRootSprig", String(sUnitName))
                                .Build();
  return cls;
}

// ---- TDataModuleRootSprig --------------------------------------------------------------------

TDataModuleRootSprig::TDataModuleRootSprig(TPersistent* item) : TRootSprig(item) {
  FImageIndex = 5;
}

bool TDataModuleRootSprig::DragOver(TSprig* source) {
  return source && source->Is<TComponentSprig>() && !source->Is<TControlSprig>() &&
         SameOwner(source, this);
}

bool TDataModuleRootSprig::PaletteOver(TSprigClass sprigClass, TClass) {
  return sprigClass && sprigClass->InheritsFrom(TComponentSprig::StaticClass()) &&
         !sprigClass->InheritsFrom(TControlSprig::StaticClass());
}

bool TDataModuleRootSprig::AcceptsClass(TClass cls) {
  return cls && !cls->InheritsFrom(TControl::StaticClass()) && TRootSprig::AcceptsClass(cls);
}

TClass TDataModuleRootSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDataModuleRootSprig, TRootSprig>("TDataModuleRootSprig", String(sUnitName))
          .Build();
  return cls;
}

// ---- registration ----------------------------------------------------------------------------

void RegisterFrameworkSprigs() {
  // Without the tree nobody would withdraw them: its shut-down clears the registries.
  if (!TreeIntfRunning()) return;
  RegisterSprigType(TControl::StaticClass(), TControlSprig::StaticClass());
  RegisterSprigType(TWinControl::StaticClass(), TWinControlSprig::StaticClass());
  RegisterSprigType(TCustomFrame::StaticClass(), TFrameSprig::StaticClass());
  RegisterRootSprigType(TWinControl::StaticClass(), TWinControlRootSprig::StaticClass());
  RegisterRootSprigType(TCustomForm::StaticClass(), TCustomFormRootSprig::StaticClass());
  RegisterRootSprigType(TDataModule::StaticClass(), TDataModuleRootSprig::StaticClass());
}

} // namespace fw
