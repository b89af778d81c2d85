// A designer for tests: answers what editors ask of a designed module and records the calls.
#pragma once

#include "designintf/designintf.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace fwtest {

using namespace fw;

/// One handler of the designed module as the test designer keeps it.
struct TTestMethod {
  String Name;
  void* Code = nullptr;
  const TTypeData* TypeData = nullptr; // null: fits any event type
  bool FromAncestor = false;
};

/// Also a designer hook, so a root carrying it has a root designer that is an IDesigner.
class TTestDesigner : public TInterfacedObject, public IDesigner, public IDesignerHook {
  FW_CLASS(TTestDesigner)
public:
  // What the designer answers.
  TComponent* Root = nullptr;
  IPtr<IDesigner> Ancestor;
  std::vector<TPersistent*> Selection;
  std::vector<std::pair<String, TComponent*>> AncestorRoots; ///< by class name
  TShiftState ShiftState;
  std::vector<TTestMethod> Methods;

  // What it was asked.
  int ModifiedCount = 0;
  std::vector<std::pair<TPersistent*, PPropInfo>> Reverted;
  std::vector<String> AncestorRootQueries;
  std::vector<String> Shown;                      ///< ShowMethod
  std::vector<std::pair<String, String>> Renamed; ///< RenameMethod (old, new)
  std::vector<String> Created;                    ///< CreateMethod that made one
  std::vector<std::vector<String>> Chained;       ///< ChainCall's three names
  std::vector<TPersistent*> Selected;             ///< SelectComponent

  const TTestMethod* FindMethod(void* code) const {
    for (const TTestMethod& m : Methods)
      if (m.Code == code) return &m;
    return nullptr;
  }
  const TTestMethod* FindMethod(const String& name) const {
    for (const TTestMethod& m : Methods)
      if (SameText(m.Name, name)) return &m;
    return nullptr;
  }
  /// A handler bound to the root, with a code address of its own that is never called.
  TMethod AddMethod(const String& name, const TTypeData* typeData = nullptr,
                    bool fromAncestor = false) {
    // Distinct odd addresses (handlers are never removed): not callable, never real code.
    void* code = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x7001 + 2 * Methods.size()));
    Methods.push_back(TTestMethod{name, code, typeData, fromAncestor});
    return TMethod{code, static_cast<TObject*>(Root)};
  }

  void Activate() override {}
  void Modified() override { ++ModifiedCount; }
  TMethod CreateMethod(const String& name, const TTypeData* typeData) override {
    if (name.empty()) return {};
    if (const TTestMethod* m = FindMethod(name))
      return TMethod{m->Code, static_cast<TObject*>(Root)};
    Created.push_back(name);
    return AddMethod(name, typeData);
  }
  String GetMethodName(const TMethod& method) override {
    const TTestMethod* m = method.Code ? FindMethod(method.Code) : nullptr;
    return m ? m->Name : String();
  }
  void GetMethods(const TTypeData* typeData, const TGetStrProc& proc) override {
    for (const TTestMethod& m : Methods)
      if (!m.TypeData || !typeData || m.TypeData == typeData) proc(m.Name);
  }
  String GetPathAndBaseExeName() override { return {}; }
  String GetPrivateDirectory() override { return "/tmp/private"; }
  String GetBaseRegKey() override { return {}; }
  TCustomIniFile* GetIDEOptions() override { return nullptr; }
  void GetSelections(const IPtr<IDesignerSelections>& list) override {
    for (TPersistent* p : Selection)
      list->Add(p);
  }
  bool MethodExists(const String& name) override { return FindMethod(name) != nullptr; }
  void RenameMethod(const String& curName, const String& newName) override {
    Renamed.emplace_back(curName, newName);
    for (TTestMethod& m : Methods)
      if (SameText(m.Name, curName)) m.Name = newName;
  }
  void SelectComponent(TPersistent* instance) override { Selected.push_back(instance); }
  void SetSelections(const IPtr<IDesignerSelections>&) override {}
  void ShowMethod(const String& name) override { Shown.push_back(name); }
  void GetComponentNames(const TTypeData* typeData, const TGetStrProc& proc) override {
    if (!Root) return;
    for (TComponent* c : Root->ComponentList())
      if (!c->Name().empty() &&
          (!typeData || !typeData->ClassType || c->InheritsFrom(typeData->ClassType)))
        proc(c->Name());
  }
  TComponent* GetComponent(const String& name) override {
    if (!Root || name.empty()) return nullptr;
    if (SameText(Root->Name(), name)) return Root;
    return Root->FindComponent(name);
  }
  String GetComponentName(TComponent* c) override { return c ? c->Name() : String(); }
  TPersistent* GetObject(const String&) override { return nullptr; }
  String GetObjectName(TPersistent* instance) override {
    return instance ? instance->GetNamePath() : String();
  }
  void GetObjectNames(const TTypeData*, const TGetStrProc&) override {}
  bool MethodFromAncestor(const TMethod& method) override {
    const TTestMethod* m = method.Code ? FindMethod(method.Code) : nullptr;
    return m && m->FromAncestor;
  }
  TComponent* CreateComponent(TComponentClass, TComponent*, Integer, Integer, Integer,
                              Integer) override {
    return nullptr;
  }
  TComponent* CreateCurrentComponent(TComponent*, const TRect&) override { return nullptr; }
  bool IsComponentLinkable(TComponent*) override { return false; }
  bool IsComponentHidden(TComponent*) override { return false; }
  void MakeComponentLinkable(TComponent*) override {}
  void Revert(TPersistent* instance, PPropInfo propInfo) override {
    Reverted.emplace_back(instance, propInfo);
  }
  bool GetIsDormant() override { return false; }
  void GetProjectModules(const TGetStrProc&) override {}
  IPtr<IDesigner> GetAncestorDesigner() override { return Ancestor; }
  bool IsSourceReadOnly() override { return false; }
  TPoint GetScrollRanges(const TPoint& p) override { return p; }
  void Edit(TComponent*) override {}
  void ChainCall(const String& methodName, const String& instanceName, const String& instanceMethod,
                 const TTypeData*) override {
    Chained.push_back({methodName, instanceName, instanceMethod});
  }
  void CopySelection() override {}
  void CutSelection() override {}
  bool CanPaste() override { return false; }
  void PasteSelection() override {}
  void SelectAll() override {}
  void DeleteSelection(bool) override {}
  void ClearSelection() override {}
  void NoSelection() override {}
  void ModuleFileNames(String&, String&, String&) override {}
  String GetRootClassName() override { return Root ? Root->ClassName() : String(); }
  String UniqueName(const String& baseName) override { return baseName + "1"; }
  TComponent* GetRoot() override { return Root; }
  TShiftState GetShiftState() override { return ShiftState; }
  void ModalEdit(char, const IPtr<IActivatable>&) override {}
  void SelectItemName(const String&) override {}
  void Resurrect() override {}
  TPersistentClass GetActiveClassGroup() override { return nullptr; }
  TComponent* FindAncestorRoot(const String& className) override {
    AncestorRootQueries.push_back(className);
    for (auto& [name, root] : AncestorRoots)
      if (SameText(name, className)) return root;
    return nullptr;
  }
  TComponent* CreateChild(TComponentClass, TComponent*) override { return nullptr; }
  TComponent* GetCurrentParent() override { return Root; }
  bool SpecialPropertyHelp(TPersistent*, const String&, String&, String&) override { return false; }
  String GetDesignerExtension() override { return {}; }
  String GetAppDataDirectory(bool) override { return {}; }
  void ShowHelp(const String&) override {}

  // As a designer hook.
  void Notification(TPersistent*, TOperation) override {}
  void ValidateRename(TComponent*, const String&, const String&) override {}
};

inline TClass TTestDesigner::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestDesigner, TInterfacedObject>("TTestDesigner", "TestSupport")
          .Implements<IDesigner60, IDesigner70, IDesigner80, IDesigner100, IDesigner170, IDesigner,
                      IDesignerNotify, IDesignerHook>()
          .Build();
  return cls;
}

/// A new test designer, held by its IDesigner reference (`out` keeps access to the recorder).
inline IPtr<IDesigner> MakeTestDesigner(TTestDesigner*& out) {
  out = New<TTestDesigner>();
  return IPtr<IDesigner>(out);
}

} // namespace fwtest
