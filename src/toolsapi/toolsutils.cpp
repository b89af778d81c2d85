#include "toolsapi/toolsutils.h"

#include "basert/classbuilder.h"
#include "basert/format.h"

#include <array>
#include <cstdint>

namespace fw {

TClass TNotifierObject::StaticClass() {
  static const TClass cls =
      TClassBuilder<TNotifierObject, TInterfacedObject>("TNotifierObject", "ToolsAPI")
          .Implements<IOTANotifier>()
          .Build();
  return cls;
}

TClass TModuleNotifierObject::StaticClass() {
  static const TClass cls =
      TClassBuilder<TModuleNotifierObject, TNotifierObject>("TModuleNotifierObject", "ToolsAPI")
          .Implements<IOTAModuleNotifier, IOTAModuleNotifier80>()
          .Build();
  return cls;
}

TClass TOTAFile::StaticClass() {
  static const TClass cls = TClassBuilder<TOTAFile, TInterfacedObject>("TOTAFile", "ToolsAPI")
                                .Implements<IOTAFile>()
                                .Build();
  return cls;
}

IPtr<IOTAFile> StringToIOTAFile(const String& source) {
  return QueryIntf<IOTAFile>(New<TOTAFile>(source, -1.0));
}

// ---- TOTAStringsAdapter ------------------------------------------------------------------------

TClass TOTAStringsAdapter::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOTAStringsAdapter, TInterfacedObject>("TOTAStringsAdapter", "ToolsAPI")
          .Implements<IOTAStrings, INTAStrings>()
          .Build();
  return cls;
}

TOTAStringsAdapter::TOTAStringsAdapter(TStrings* strings, bool owned)
    : FStrings(strings), FOwned(owned) {}

TOTAStringsAdapter::~TOTAStringsAdapter() {
  if (FOwned && FStrings) FStrings->Free();
}

// The data travels in the object slot as a number, never as an object.
Integer TOTAStringsAdapter::GetData(Integer index) {
  return static_cast<Integer>(reinterpret_cast<std::intptr_t>(FStrings->Objects(index)));
}

void TOTAStringsAdapter::SetData(Integer index, Integer value) {
  FStrings->SetObjects(index, reinterpret_cast<TObject*>(static_cast<std::intptr_t>(value)));
}

void TOTAStringsAdapter::Assign(const IPtr<IOTAStrings>& source) {
  if (auto native = QueryIntf<INTAStrings>(source)) {
    FStrings->Assign(native->GetStrings());
    return;
  }
  FStrings->BeginUpdate();
  try {
    FStrings->Clear();
    if (source)
      for (Integer i = 0, n = source->GetCount(); i < n; ++i)
        SetData(FStrings->Add(source->GetItem(i)), source->GetData(i));
  } catch (...) {
    FStrings->EndUpdate();
    throw;
  }
  FStrings->EndUpdate();
}

// ---- TOTAClass ---------------------------------------------------------------------------------

TClass TOTAClass::StaticClass() {
  static const TClass cls = TClassBuilder<TOTAClass, TInterfacedObject>("TOTAClass", "ToolsAPI")
                                .Implements<IImplementation>()
                                .Build();
  return cls;
}

TOTAClass::TOTAClass() : FNotifyList(New<TInterfaceList>()) {
  FSelf = QueryIntf<IInterface>(static_cast<TInterfacedObject*>(this));
}

void TOTAClass::Destroy() {
  ForEach(FNotifyList.get(), &NotifyDestroyed, nullptr);
  if (RefCount() == 1) {
    IPtr<IInterface> self = std::move(FSelf); // frees this object when it goes
    return;
  }
  throw Exception(Format(sDanglingReference, ClassName(), RefCount() - 1));
}

Integer TOTAClass::AddNotifier(const IPtr<IInterface>& notifier) {
  return AddToList(FNotifyList.get(), notifier);
}

void TOTAClass::RemoveNotifier(Integer index) {
  if (index >= 0 && index < FNotifyList->GetCount()) FNotifyList->Put(index, nullptr);
}

void TOTAClass::NotifyDestroyed(const IPtr<IInterface>& notifier, void*) {
  if (auto n = QueryIntf<IOTANotifier>(notifier)) n->Destroyed();
}

Integer TOTAClass::AddToList(IInterfaceList* list, const IPtr<IInterface>& item) {
  for (Integer i = 0, n = list->GetCount(); i < n; ++i)
    if (!list->Get(i)) {
      list->Put(i, item);
      return i;
    }
  return list->Add(item);
}

void TOTAClass::ForEach(IInterfaceList* list, TOTAClassProc proc, void* data) {
  if (!list || reinterpret_cast<std::uintptr_t>(proc) <= 65535) return;
  // Entries added by a callback are visited too; the count is read on every step.
  for (Integer i = 0; i < list->GetCount(); ++i)
    if (IPtr<IInterface> item = list->Get(i)) proc(item, data);
}

// ---- Host look-ups -----------------------------------------------------------------------------

IPtr<IOTAProject> GetActiveProject() {
  auto services = QueryIntf<IOTAModuleServices>(MarrickIDEServices);
  return services ? services->GetActiveProject() : nullptr;
}

IPtr<IOTAPersonalityServices> PersonalityServices() {
  return QueryIntf<IOTAPersonalityServices>(MarrickIDEServices);
}

TRegisterPackageWizardProc RegisterPackageWizardProc = nullptr;

void RegisterPackageWizard(const IPtr<IOTAWizard>& wizard) {
  if (RegisterPackageWizardProc) RegisterPackageWizardProc(wizard);
}

bool PlatformMatch(const String& a, const String& b) {
  static constexpr std::array<const char*, 3> OSX32Family = {"OSX32", "iOSSimulator", "iOSDevice"};
  if (a == "OSX32") {
    for (const char* p : OSX32Family)
      if (b == p) return true;
    return false;
  }
  return a == b;
}

} // namespace fw
