// A designer for tests: answers what editors ask of a designed module and records the calls.
#pragma once

#include "designintf/designintf.h"

#include <utility>
#include <vector>

namespace fwtest {

using namespace fw;

class TTestDesigner : public TInterfacedObject, public IDesigner {
  FW_CLASS(TTestDesigner)
public:
  // What the designer answers.
  TComponent* Root = nullptr;
  IPtr<IDesigner> Ancestor;
  std::vector<TPersistent*> Selection;
  String PrivateDirectory = "/tmp/private";
  /// Ancestor roots FindAncestorRoot knows, by class name.
  std::vector<std::pair<String, TComponent*>> AncestorRoots;
  TShiftState ShiftState;

  // What it was asked.
  int ModifiedCount = 0;
  std::vector<std::pair<TPersistent*, PPropInfo>> Reverted;
  std::vector<String> AncestorRootQueries;

  void Activate() override {}
  void Modified() override { ++ModifiedCount; }
  TMethod CreateMethod(const String&, const TTypeData*) override { return {}; }
  String GetMethodName(const TMethod&) override { return {}; }
  void GetMethods(const TTypeData*, const TGetStrProc&) override {}
  String GetPathAndBaseExeName() override { return {}; }
  String GetPrivateDirectory() override { return PrivateDirectory; }
  String GetBaseRegKey() override { return {}; }
  TCustomIniFile* GetIDEOptions() override { return nullptr; }
  void GetSelections(const IPtr<IDesignerSelections>& list) override {
    for (TPersistent* p : Selection)
      list->Add(p);
  }
  bool MethodExists(const String&) override { return false; }
  void RenameMethod(const String&, const String&) override {}
  void SelectComponent(TPersistent*) override {}
  void SetSelections(const IPtr<IDesignerSelections>&) override {}
  void ShowMethod(const String&) override {}
  void GetComponentNames(const TTypeData*, const TGetStrProc&) override {}
  TComponent* GetComponent(const String&) override { return nullptr; }
  String GetComponentName(TComponent* c) override { return c ? c->Name() : String(); }
  TPersistent* GetObject(const String&) override { return nullptr; }
  String GetObjectName(TPersistent*) override { return {}; }
  void GetObjectNames(const TTypeData*, const TGetStrProc&) override {}
  bool MethodFromAncestor(const TMethod&) override { return false; }
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
  void ChainCall(const String&, const String&, const String&, const TTypeData*) override {}
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
};

inline TClass TTestDesigner::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestDesigner, TInterfacedObject>("TTestDesigner", "TestSupport")
          .Implements<IDesigner60, IDesigner70, IDesigner80, IDesigner100, IDesigner170,
                      IDesigner>()
          .Build();
  return cls;
}

/// A new test designer, held by its IDesigner reference (`out` keeps access to the recorder).
inline IPtr<IDesigner> MakeTestDesigner(TTestDesigner*& out) {
  out = New<TTestDesigner>();
  return IPtr<IDesigner>(out);
}

} // namespace fwtest
