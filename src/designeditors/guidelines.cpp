#include "designeditors/guidelines.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/component.h"
#include "designeditors/editorregistry.h"

namespace fw {

namespace {

/// The guidelines table: 256 buckets keyed by class, each class with its own chain.
class TGuidelineTable {
public:
  ~TGuidelineTable() { Clear(); }

  TComponentGuidelineRec*& Head(TComponentClass cls) {
    auto& bucket = FBuckets[Hash(cls)];
    for (auto& entry : bucket)
      if (entry.first == cls) return entry.second;
    bucket.emplace_back(cls, nullptr);
    return bucket.back().second;
  }

  TComponentGuidelineRec* Find(TComponentClass cls) const {
    for (const auto& entry : FBuckets[Hash(cls)])
      if (entry.first == cls) return entry.second;
    return nullptr;
  }

  void FreeGroup(Integer group) {
    for (auto& bucket : FBuckets)
      for (auto& entry : bucket) {
        TComponentGuidelineRec** link = &entry.second;
        while (*link) {
          if ((*link)->Group == group) {
            TComponentGuidelineRec* gone = *link;
            *link = gone->Next;
            delete gone;
          } else {
            link = &(*link)->Next;
          }
        }
      }
  }

  void Clear() {
    for (auto& bucket : FBuckets) {
      for (auto& entry : bucket)
        while (TComponentGuidelineRec* r = entry.second) {
          entry.second = r->Next;
          delete r;
        }
      bucket.clear();
    }
  }

private:
  static std::size_t Hash(TComponentClass cls) {
    return (reinterpret_cast<std::uintptr_t>(cls) >> 4) & 0xFF;
  }
  std::array<std::vector<std::pair<TComponentClass, TComponentGuidelineRec*>>, 256> FBuckets;
};

std::unique_ptr<TGuidelineTable>& Table() {
  static std::unique_ptr<TGuidelineTable> table;
  return table;
}

void DoRegisterComponentGuidelines(TComponentClass componentClass,
                                   TComponentGuidelinesClass guidelinesClass) {
  auto& table = Table();
  if (!table) table = std::make_unique<TGuidelineTable>();
  TComponentGuidelineRec*& head = table->Head(componentClass);
  if (head && head->ComponentGuidelinesClass == guidelinesClass) return;
  head = new TComponentGuidelineRec{head, componentClass, guidelinesClass, CurrentGroup};
}

void FreeGroup(Integer group) {
  if (Table()) Table()->FreeGroup(group);
}

bool IsHorizontal(TDesignerGuideType t) {
  switch (t) {
  case gtAlignLeft:
  case gtAlignRight:
  case gtMarginLeft:
  case gtMarginRight:
  case gtPaddingLeft:
  case gtPaddingRight:
    return true;
  case gtAlignTop:
  case gtAlignBottom:
  case gtMarginTop:
  case gtMarginBottom:
  case gtPaddingTop:
  case gtPaddingBottom:
  case gtBaseline:
    return false;
  }
  return false;
}

} // namespace

TClass TComponentGuidelines::StaticClass() {
  static const TClass cls = TClassBuilder<TComponentGuidelines, TBaseComponentGuidelines>(
                                "TComponentGuidelines", "DesignEditors")
                                .Implements<IComponentGuidelines>()
                                .Build();
  return cls;
}

TComponentGuidelines::TComponentGuidelines(const IPtr<IDesigner>& designer)
    : TBaseComponentGuidelines(designer) {}

void TComponentGuidelines::Initialize(TComponent* component, TComponent* container) {
  FComponent = component;
  FContainer = container;
}

Integer TComponentGuidelines::DesignerGuideOffset(Integer) { return NoGuideOffset; }

Integer TComponentGuidelines::GetDesignerGuideOffset(Integer index) {
  const Integer offset = DesignerGuideOffset(index);
  return IsHorizontal(GetDesignerGuideType(index)) ? CalcHorzPos(offset) : CalcVertPos(offset);
}

IPtr<IComponentGuidelines> GuidelinesFor(const IPtr<IDesigner>& designer, TComponent* component,
                                         TComponent* container) {
  TComponentGuidelinesClass chosen = TComponentGuidelines::StaticClass();
  if (Table() && component) {
    for (TClass c = component->ClassType(); c && c != TPersistent::StaticClass(); c = c->Parent)
      if (TComponentGuidelineRec* r = Table()->Find(c)) {
        chosen = r->ComponentGuidelinesClass;
        break;
      }
  }
  TObject* obj = chosen->Create<IPtr<IDesigner>>(designer);
  auto* guidelines = dynamic_cast<TBaseComponentGuidelines*>(obj);
  void* intf = nullptr;
  if (!guidelines || !obj->GetInterface(IComponentGuidelines::IID, &intf)) {
    obj->Free();
    return nullptr;
  }
  auto result = IPtr<IComponentGuidelines>::Adopt(static_cast<IComponentGuidelines*>(intf));
  guidelines->Initialize(component, container);
  return result;
}

std::vector<const TComponentGuidelineRec*> GuidelinesOf(TComponentClass componentClass) {
  std::vector<const TComponentGuidelineRec*> chain;
  if (Table())
    for (auto* r = Table()->Find(componentClass); r; r = r->Next)
      chain.push_back(r);
  return chain;
}

TClass TDesignerOleDropTarget::StaticClass() {
  static const TClass cls = TClassBuilder<TDesignerOleDropTarget, TInterfacedObject>(
                                "TDesignerOleDropTarget", "DesignEditors")
                                .Implements<IDropTarget>()
                                .Build();
  return cls;
}

HResult TDesignerOleDropTarget::DragEnter(const IPtr<IInterface>& dataObj, Integer keyState,
                                          TPoint pt, Integer& effect) {
  return FTarget ? FTarget->DragEnter(dataObj, keyState, pt, effect) : S_OK;
}

HResult TDesignerOleDropTarget::DragOver(Integer keyState, TPoint pt, Integer& effect) {
  return FTarget ? FTarget->DragOver(keyState, pt, effect) : S_OK;
}

HResult TDesignerOleDropTarget::DragLeave() { return FTarget ? FTarget->DragLeave() : S_OK; }

HResult TDesignerOleDropTarget::Drop(const IPtr<IInterface>& dataObj, Integer keyState, TPoint pt,
                                     Integer& effect) {
  return FTarget ? FTarget->Drop(dataObj, keyState, pt, effect) : S_OK;
}

void GuidelinesStartup() {
  RegisterComponentGuidelinesProc = &DoRegisterComponentGuidelines;
  FreeComponentGuidelinesGroupProc = &FreeGroup;
}

void GuidelinesShutdown() {
  RegisterComponentGuidelinesProc = nullptr;
  FreeComponentGuidelinesGroupProc = nullptr;
  Table().reset();
}

} // namespace fw
