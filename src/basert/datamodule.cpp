#include "basert/datamodule.h"

#include "basert/classbuilder.h"

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
    if (!c->HasParent()) proc(c);
}

} // namespace fw
