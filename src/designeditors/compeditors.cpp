#include "designeditors/compeditors.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/sysutils.h"
#include "designeditors/editorregistry.h"

#include <array>
#include <string_view>

namespace fw {

namespace {

// Registration order; the newest is at the back and is looked at first.
std::vector<TComponentEditorRec>& Records() {
  static std::vector<TComponentEditorRec> records;
  return records;
}

void DoRegisterComponentEditor(TComponentClass componentClass, TComponentEditorClass editorClass) {
  Records().push_back({CurrentGroup, componentClass, editorClass});
}

void FreeGroup(Integer group) {
  auto& r = Records();
  std::erase_if(r, [group](const TComponentEditorRec& rec) { return rec.Group == group; });
}

// Highest priority first.
constexpr std::array<std::string_view, 4> PreferredEvents = {"ONCREATE", "ONCHANGE", "ONCHANGED",
                                                             "ONCLICK"};

int Priority(const String& name) {
  for (std::size_t i = 0; i < PreferredEvents.size(); ++i)
    if (SameText(name, PreferredEvents[i])) return static_cast<int>(i);
  return -1;
}

} // namespace

// ---- TComponentEditor --------------------------------------------------------------------------

TClass TComponentEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentEditor, TBaseComponentEditor>("TComponentEditor", "DesignEditors")
          .Implements<IComponentEditor>()
          .Build();
  return cls;
}

TComponentEditor::TComponentEditor(TComponent* component, const IPtr<IDesigner>& designer)
    : TBaseComponentEditor(component, designer), FComponent(component), FDesigner(designer) {}

void TComponentEditor::Edit() {
  if (GetVerbCount() > 0) ExecuteVerb(0);
}

void TComponentEditor::ExecuteVerb(Integer) {}
String TComponentEditor::GetVerb(Integer) { return {}; }
Integer TComponentEditor::GetVerbCount() { return 0; }
void TComponentEditor::Copy() {}
void TComponentEditor::PrepareItem(Integer, const IPtr<IMenuItem>&) {}

bool TComponentEditor::IsInInlined() {
  return FComponent && FComponent->Owner() &&
         FComponent->Owner()->ComponentState().Contains(stateInline);
}

// ---- TDefaultEditor ----------------------------------------------------------------------------

TClass TDefaultEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDefaultEditor, TComponentEditor>("TDefaultEditor", "DesignEditors")
          .Implements<IDefaultEditor>()
          .Build();
  return cls;
}

void TDefaultEditor::Edit() {
  IPtr<IDesignerSelections> components = CreateSelectionList();
  components->Add(FComponent);
  FContinue = true;
  FFirst = nullptr;
  FBest = nullptr;
  struct TClear {
    TDefaultEditor* Self;
    ~TClear() {
      Self->FFirst = nullptr;
      Self->FBest = nullptr;
    }
  } clear{this};
  GetComponentProperties(components, tkAny, FDesigner,
                         [this](const IPtr<IProperty>& prop) { CheckEdit(prop); });
  if (FContinue) {
    if (FBest)
      FBest->Edit();
    else if (FFirst)
      FFirst->Edit();
  }
}

void TDefaultEditor::CheckEdit(const IPtr<IProperty>& prop) {
  if (FContinue) EditProperty(prop, FContinue);
}

void TDefaultEditor::EditProperty(const IPtr<IProperty>& prop, bool&) {
  const bool isEvent = static_cast<bool>(QueryIntf<IMethodProperty>(prop));
  if (!FFirst && isEvent) FFirst = prop;
  const int priority = Priority(prop->GetName());
  if (priority < 0) return;
  if (FBest && Priority(FBest->GetName()) <= priority) return;
  FBest = prop;
  if (FFirst == prop) FFirst = nullptr;
}

// ---- Registry ----------------------------------------------------------------------------------

IPtr<IComponentEditor> GetComponentEditor(TComponent* component, const IPtr<IDesigner>& designer) {
  TComponentEditorClass editorClass = TDefaultEditor::StaticClass();
  TClass best = TPersistent::StaticClass();
  const auto& records = Records();
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (component->InheritsFrom(it->ComponentClass) && it->ComponentClass != best &&
        it->ComponentClass->InheritsFrom(best)) {
      editorClass = it->EditorClass;
      best = it->ComponentClass;
    }
  }
  TObject* editor = editorClass->Create<TComponent*, IPtr<IDesigner>>(component, designer);
  void* intf = nullptr;
  if (!editor->GetInterface(IComponentEditor::IID, &intf)) {
    editor->Free(); // not a component editor after all
    return nullptr;
  }
  return IPtr<IComponentEditor>::Adopt(static_cast<IComponentEditor*>(intf));
}

std::vector<TComponentEditorRec> ComponentEditorRecords() {
  return {Records().rbegin(), Records().rend()};
}

void ComponentEditorsStartup() {
  RegisterComponentEditorProc = &DoRegisterComponentEditor;
  FreeComponentEditorGroupProc = &FreeGroup;
}

void ComponentEditorsShutdown() {
  RegisterComponentEditorProc = nullptr;
  FreeComponentEditorGroupProc = nullptr;
  Records().clear();
}

} // namespace fw
