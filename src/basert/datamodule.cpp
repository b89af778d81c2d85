#include "basert/datamodule.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/placeholder.h"

namespace fw {

TClass TDataModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDataModule, TComponent>("TDataModule", "Classes")
          .Property("OldCreateOrder", &TDataModule::FOldCreateOrder, &TDataModule::FOldCreateOrder)
          .Property("OnCreate", &TDataModule::OnCreate, &TDataModule::OnCreate)
          .Property("OnDestroy", &TDataModule::OnDestroy, &TDataModule::OnDestroy)
          .Build();
  return cls;
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) {}

TDataModule::~TDataModule() = default;

void TDataModule::AfterConstruction() {
  // Handlers run only in the running program, never while the module is designed.
  if (!ComponentState().Contains(stateDesigning)) OnCreate(this);
}

void TDataModule::BeforeDestruction() {
  if (!FDestroyFired && !ComponentState().Contains(stateDesigning)) {
    FDestroyFired = true;
    OnDestroy(this);
  }
  TComponent::BeforeDestruction();
}

void TDataModule::GetChildren(const TGetChildProc& proc, TComponent*) {
  for (TComponent* c : ComponentList())
    if (!c->HasParent() && !IsStoredChild(c)) proc(c);
}

} // namespace fw

namespace fw {

void TDataModule::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  auto* ancestor = dynamic_cast<TDataModule*>(filer->Ancestor());
  auto define = [&](const char* name, Integer TPoint::*field, TPoint TDataModule::*point,
                    bool writeWithoutAncestor) {
    const Integer value = (this->*point).*field;
    const bool hasData =
        ancestor ? value != (ancestor->*point).*field : (writeWithoutAncestor || value != 0);
    filer->DefineProperty(
        name, [this, field, point](TReader* r) { (this->*point).*field = r->ReadInteger(); },
        [value](TWriter* w) { w->WriteInteger(value); }, hasData);
  };
  define("Height", &TPoint::Y, &TDataModule::FDesignSize, true);
  define("HorizontalOffset", &TPoint::X, &TDataModule::FDesignOffset, false);
  define("VerticalOffset", &TPoint::Y, &TDataModule::FDesignOffset, false);
  define("Width", &TPoint::X, &TDataModule::FDesignSize, true);
}

} // namespace fw
