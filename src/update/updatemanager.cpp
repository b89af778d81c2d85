#include "update/updatemanager.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/filer.h"
#include "basert/onexit.h"
#include "update/pairing.h"
#include "update/prefetch.h"

#include <algorithm>

namespace fw {

TClass TUpdateManager::StaticClass() {
  static const TClass cls =
      TClassBuilder<TUpdateManager, TInterfacedObject>("TUpdateManager", "UpdateManager")
          .Property("OnUpdating", &TUpdateManager::OnUpdating, &TUpdateManager::OnUpdating)
          .Property("OnUpdate", &TUpdateManager::OnUpdate, &TUpdateManager::OnUpdate)
          .Implements<IImplementation, IUpdateManager>()
          .Build();
  return cls;
}

TUpdateManager::TUpdateManager(TComponent* component, TComponent* ancestor,
                               const IPtr<IUpdateManager>& ancestorManager,
                               const IPtr<IUpdateManagerCallback>& notifier)
    : FComponent(component), FAncestor(ancestor), FNotifier(notifier) {
  if (ancestorManager) {
    auto impl = QueryIntf<IImplementation>(ancestorManager);
    auto* parent = impl ? dynamic_cast<TUpdateManager*>(impl->GetInstance()) : nullptr;
    if (!parent) throw EInvalidCast(sInvalidCast);
    FParent = parent;
    FParent->FChildList.push_back(this);
  }
  if (FAncestor) {
    try {
      FComponentUpdate =
          std::make_unique<TUpdateObject>(nullptr, FComponent, FAncestor, nullptr, true, true);
    } catch (...) {
      if (FParent) std::erase(FParent->FChildList, this);
      throw;
    }
  }
}

TUpdateManager::~TUpdateManager() {
  for (TUpdateManager* child : FChildList)
    child->FParent = nullptr;
  if (FParent) std::erase(FParent->FChildList, this);
}

IPtr<IUpdateManager> TUpdateManager::Self() { return IPtr<IUpdateManager>(this); }

bool TUpdateManager::Destroying() const {
  return (FComponent && FComponent->ComponentState().Contains(stateDestroying)) ||
         (FAncestor && FAncestor->ComponentState().Contains(stateDestroying));
}

void TUpdateManager::BeginUpdate() {
  OnUpdating(this);
  if (FNotifier) FNotifier->Updating(Self());
}

void TUpdateManager::EndUpdate() {
  OnUpdate(this);
  if (FNotifier) FNotifier->Updated(Self());
}

void TUpdateManager::Updating(TComponent* component) {
  if (component->ComponentState().Contains(stateUpdating)) return;
  FUpdateList.push_back(component);
  component->Updating();
}

void TUpdateManager::SetChildAncestor(TComponent* child) {
  child->SetAncestor(true);
  child->GetChildren([this](TComponent* c) { SetChildAncestor(c); }, FComponent);
}

void TUpdateManager::Filter() {
  if (FMode != umNone || Destroying()) return;
  FMode = umFilter;
  TOnExit idle([this] { FMode = umNone; });
  if (FComponentUpdate) FComponentUpdate->Filter();
}

void TUpdateManager::UpdateChildren() {
  // A descendant's run may close modules and so shrink the list.
  for (std::size_t i = 0; i < FChildList.size(); ++i) {
    IPtr<IUpdateManager> keep(FChildList[i]);
    FChildList[i]->Update();
  }
}

void TUpdateManager::Modified() {
  Filter();
  UpdateChildren();
}

void TUpdateManager::Update() {
  if (FMode != umNone || Destroying()) return;
  IPtr<IUpdateManager> keep = Self();
  FMode = umUpdate;
  FUpdateList.clear();
  std::exception_ptr failure;
  try {
    try {
      BeginUpdate();
      Run();
    } catch (...) {
      failure = std::current_exception();
    }
    EndUpdate();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  FMode = umNone;
  String message;
  bool updatedFailed = false;
  NotifyUpdated(message, updatedFailed);
  if (failure) std::rethrow_exception(failure);
  if (updatedFailed) throw Exception(message);
}

void TUpdateManager::NotifyUpdated(String& firstMessage, bool& failed) {
  std::vector<TComponent*> list;
  list.swap(FUpdateList);
  TOnExit keepCapacity([&] {
    // The next run fills as many again; an Updated that ran another has left its own list.
    list.clear();
    if (FUpdateList.empty()) FUpdateList.swap(list);
  });
  constexpr std::ptrdiff_t Ahead = 4;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (list.rend() - it > Ahead) Prefetch(it[Ahead], ObjectSpan);
    try {
      (*it)->Updated();
    } catch (const std::exception& e) {
      if (!failed) {
        const auto* fwError = dynamic_cast<const Exception*>(&e);
        firstMessage = fwError ? fwError->Message() : String(e.what());
        failed = true;
      }
    }
  }
}

void TUpdateManager::Run() {
  if (FAncestor && FComponentUpdate) {
    if (!FPairings) FPairings = std::make_unique<TPairingArena>();
    FPairings->Reset();
    TPairing root(*FPairings);
    // Set first, every pairing takes it when made instead of a walk setting it afterwards.
    root.SetAncestorRoot(FAncestor);
    root.SetComponent(FComponent);
    root.SetAncestor(FAncestor);
    // Usually nothing was lost or gained, and the walks below have nothing to do.
    if (!root.AllPaired()) {
      root.DeleteDeleted(Self(), FNotifier);
      {
        TOnExit cleanup([this] {
          if (FReader) FReader->EndReferences();
          FReader.reset();
          FWriter.reset();
          FStream.reset();
        });
        CreateGained(&root, FComponent);
        if (FReader) FReader->FixupReferences();
      }
      root.CreateUpdateObjects(FComponentUpdate.get());
    } else {
      FListing = FPairings.get();
    }
    TOnExit unlist([this] { FListing = nullptr; });
    FComponentUpdate->Update(this);
  }
  UpdateChildren();
}

void TUpdateManager::CreateGained(TPairing* pairing, TComponent* parent) {
  if (pairing->Ancestor() && !pairing->Component() && parent) {
    pairing->SetNew(true);
    pairing->SetComponent(CreateFromAncestor(pairing->Ancestor(), parent));
  }
  TPairings& children = pairing->Children();
  for (Integer i = 0; i < children.Count(); ++i)
    CreateGained(children.Pairings(i), pairing->Component());
}

TComponent* TUpdateManager::CreateFromAncestor(TComponent* ancestor, TComponent* parent) {
  if (!FStream) {
    FStream = std::make_unique<TMemoryStream>();
    FReader = std::make_unique<TReader>(FStream.get(), 256);
    FReader->SetRoot(FComponent);
    FReader->SetOwner(FComponent);
    FReader->SetStreamRootName(FAncestor->Name());
    FReader->BeginReferences();
    if (auto setup = QueryIntf<IUpdateManagerReaderSetup>(FNotifier))
      setup->SetUpUpdateReader(FReader.get());
    FWriter = std::make_unique<TWriter>(FStream.get(), 256);
    FWriter->SetRoot(FAncestor);
  }
  FWriter->SetPosition(0);
  if (FNotifier)
    FNotifier->WriteComponent(FWriter.get(), ancestor);
  else
    FWriter->WriteComponent(ancestor);
  FWriter->FlushBuffer();
  FReader->SetPosition(0);
  FReader->FlushBuffer();

  FReader->SetParent(parent->GetChildParent());
  Updating(parent);
  TComponent* owner = parent->GetChildOwner();
  for (TComponent* c = parent; !owner && c; c = c->GetParentComponent())
    if (c->ComponentState().Contains(stateInline)) owner = c;
  if (!owner) owner = FComponent;

  TComponent* instance =
      FNotifier ? FNotifier->UpdateManagerCreateComponent(ancestor->ClassType(), owner) : nullptr;
  if (!instance) instance = CreateComponent(ancestor->ClassType(), owner);
  try {
    instance->SetAncestor(true);
    const TClass group = FNotifier ? FNotifier->ClassGroup() : nullptr;
    const TClass previous = group ? ActivateClassGroup(group) : nullptr;
    {
      TOnExit restore([&] {
        if (group) ActivateClassGroup(previous);
      });
      FReader->ReadComponent(instance);
    }
    // A frame the ancestor itself inherits comes as an inherited entry, whose name the reader
    // leaves to the component it reads into: this one has none yet.
    if (instance->Name().empty() && !ancestor->Name().empty()) instance->SetName(ancestor->Name());
    instance->GetChildren([this](TComponent* c) { SetChildAncestor(c); }, FComponent);
    if (FNotifier) FNotifier->ComponentCreated(instance);
  } catch (...) {
    instance->Free();
    throw;
  }
  return instance;
}

bool TUpdateManager::NameExists(const String& name) {
  if (name.empty()) return false;
  if (FComponent && FindNestedComponent(FComponent, name)) return true;
  return std::any_of(FChildList.begin(), FChildList.end(),
                     [&](TUpdateManager* m) { return m->NameExists(name); });
}

void TUpdateManager::Notification(TPersistent* component, TOperation operation) {
  auto* removed = dynamic_cast<TComponent*>(component);
  if (operation != notifyRemove || !removed || !FComponentUpdate) return;
  if (FComponentUpdate->Object() == removed)
    FComponentUpdate.reset();
  else
    FComponentUpdate->ComponentDelete(removed);
}

void TUpdateManager::RenameComponent(const String& currentName, const String& newName) {
  TComponent* component =
      FComponent && !currentName.empty() ? FindNestedComponent(FComponent, currentName) : nullptr;
  if (component && component->ComponentState().Contains(stateAncestor)) {
    IPtr<IUpdateManager> keep = Self();
    BeginUpdate();
    try {
      component->SetName(newName);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  RenameDescendents(currentName, newName);
}

void TUpdateManager::RenameDescendents(const String& currentName, const String& newName) {
  for (std::size_t i = 0; i < FChildList.size(); ++i)
    FChildList[i]->RenameComponent(currentName, newName);
}

void TUpdateManager::Revert(TPersistent* instance, PPropInfo propInfo) {
  if (!FAncestor || !FComponentUpdate) return;
  if (FComponentUpdate->Revert(instance, propInfo)) Update();
}

bool TUpdateManager::CanRevert(TPersistent* instance, PPropInfo propInfo) {
  if (!FComponentUpdate) return false;
  bool found = false;
  return FComponentUpdate->CanRevert(instance, propInfo, found);
}

// ---- start-up ----------------------------------------------------------------------------------

IPtr<IUpdateManager> NewUpdateManager(TComponent* component, TComponent* ancestor,
                                      const IPtr<IUpdateManager>& ancestorManager,
                                      const IPtr<IUpdateManagerCallback>& notifier) {
  return IPtr<IUpdateManager>(New<TUpdateManager>(component, ancestor, ancestorManager, notifier));
}

void UpdateManagerStartup() { CreateUpdateManagerProc = &NewUpdateManager; }

void UpdateManagerShutdown() {
  if (CreateUpdateManagerProc == &NewUpdateManager) CreateUpdateManagerProc = nullptr;
}

} // namespace fw
