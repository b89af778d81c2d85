// Small designed modules for the update-propagation tests and benchmarks: non-visual things
// owned by the root, boxes that hold child boxes, and roots with a published handler.
#pragma once

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/collection.h"
#include "basert/filer.h"
#include "basert/variants.h"

#include <algorithm>

namespace fwtest {

using namespace fw;

class TUpFont : public TPersistent {
  FW_CLASS(TUpFont)
public:
  Integer FSize = 8;
  String FName = "Sans";
  void Assign(TPersistent* source) override {
    if (auto* f = dynamic_cast<TUpFont*>(source)) {
      FSize = f->FSize;
      FName = f->FName;
      return;
    }
    TPersistent::Assign(source);
  }
};

inline TClass TUpFont::StaticClass() {
  static const TClass cls = TClassBuilder<TUpFont, TPersistent>("TUpFont", "UpdateModel")
                                .Property("Size", &TUpFont::FSize, &TUpFont::FSize)
                                .Default(8)
                                .Property("Name", &TUpFont::FName, &TUpFont::FName)
                                .Build();
  return cls;
}

class TUpItem : public TCollectionItem {
  FW_CLASS(TUpItem)
public:
  using TCollectionItem::TCollectionItem;
  String FText;
  TComponent* FLink = nullptr;
  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<TUpItem*>(source)) {
      FText = other->FText;
      FLink = other->FLink;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

inline TClass TUpItem::StaticClass() {
  static const TClass cls = TClassBuilder<TUpItem, TCollectionItem>("TUpItem", "UpdateModel")
                                .Property("Text", &TUpItem::FText, &TUpItem::FText)
                                .Property("Link", &TUpItem::FLink, &TUpItem::FLink)
                                .Build();
  return cls;
}

/// A non-visual component with one property of each kind the engine treats differently.
class TUpThing : public TComponent {
  FW_CLASS(TUpThing)
public:
  explicit TUpThing(TComponent* owner)
      : TComponent(owner), FFont(New<TUpFont>()),
        FItems(New<TOwnedCollection>(this, TUpItem::StaticClass())) {}
  ~TUpThing() override {
    FItems->Free();
    FFont->Free();
  }

  String FCaption;
  Integer FWidth = 0;
  Double FRatio = 0;
  WideString FHint;
  Int64 FBig = 0;
  Variant FExtra;
  TNotifyEvent FOnClick;
  TComponent* FBuddy = nullptr;
  TUpFont* FFont;
  TOwnedCollection* FItems;

  /// Streamed as a binary defined property "Blob".
  String FBlob;
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    static const String blob = "Blob";
    TPersistent* ancestorObject = filer->Ancestor();
    auto* ancestor = ancestorObject && ancestorObject->Is<TUpThing>()
                         ? static_cast<TUpThing*>(ancestorObject)
                         : nullptr;
    filer->DefineBinaryProperty(
        blob,
        [this](TStream* s) {
          FBlob.resize(static_cast<std::size_t>(s->Size()));
          s->Read(FBlob.data(), s->Size());
        },
        [this](TStream* s) { s->Write(FBlob.data(), static_cast<Int64>(FBlob.size())); },
        ancestor ? ancestor->FBlob != FBlob : !FBlob.empty());
  }

  /// Raised by Updated when not empty.
  String FailUpdated;
  int UpdatedCount = 0;

  bool IsCaptionStored() const { return !FCaption.empty(); }
  void SetFont(TUpFont* value) { FFont->Assign(value); }
  void SetItems(TOwnedCollection* value) { FItems->Assign(value); }
  void SetBuddy(TComponent* value) {
    FBuddy = value;
    if (value) value->FreeNotification(this);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == notifyRemove && component == FBuddy) FBuddy = nullptr;
  }
  void Updated() override {
    TComponent::Updated();
    ++UpdatedCount;
    if (!FailUpdated.empty()) throw Exception(FailUpdated);
  }
};

inline TClass TUpThing::StaticClass() {
  static const TClass cls = TClassBuilder<TUpThing, TComponent>("TUpThing", "UpdateModel")
                                .Property("Caption", &TUpThing::FCaption, &TUpThing::FCaption)
                                .Stored(&TUpThing::IsCaptionStored)
                                .Property("Width", &TUpThing::FWidth, &TUpThing::FWidth)
                                .Default(0)
                                .Property("Ratio", &TUpThing::FRatio, &TUpThing::FRatio)
                                .Property("Hint", &TUpThing::FHint, &TUpThing::FHint)
                                .Property("Big", &TUpThing::FBig, &TUpThing::FBig)
                                .Property("Extra", &TUpThing::FExtra, &TUpThing::FExtra)
                                .Property("OnClick", &TUpThing::FOnClick, &TUpThing::FOnClick)
                                .Property("Buddy", &TUpThing::FBuddy, &TUpThing::SetBuddy)
                                .Property("Font", &TUpThing::FFont, &TUpThing::SetFont)
                                .Property("Items", &TUpThing::FItems, &TUpThing::SetItems)
                                .Build();
  return cls;
}

/// A visual component: it takes the reader's parent and holds child boxes, which it frees.
/// A box without an owner is a module root: its children are then also the components it owns
/// that have no parent.
class TUpBox : public TUpThing {
  FW_CLASS(TUpBox)
public:
  using TUpThing::TUpThing;
  ~TUpBox() override {
    while (!FBoxes.empty())
      FBoxes.back()->Free();
    SetParentBox(nullptr);
  }

  TUpBox* FParentBox = nullptr;
  std::vector<TUpBox*> FBoxes;
  // The owned components without a parent, in component order: kept like a control's list
  // rather than asking every owned component on each listing. Made again after any insertion,
  // removal, reparenting or reordering.
  std::vector<TComponent*> FLoose;
  bool FLooseStale = true;

  void SetParentBox(TUpBox* parent) {
    if (FParentBox) std::erase(FParentBox->FBoxes, this);
    FParentBox = parent;
    if (parent) parent->FBoxes.push_back(this);
    if (auto* owner = dynamic_cast<TUpBox*>(Owner())) owner->FLooseStale = true;
  }
  bool HasParent() override { return FParentBox != nullptr; }
  TComponent* GetParentComponent() override { return FParentBox; }
  void SetParentComponent(TComponent* value) override {
    SetParentBox(dynamic_cast<TUpBox*>(value));
  }
  TComponent* GetChildParent() override { return this; }
  void ReadState(TReader* reader) override {
    if (auto* parent = dynamic_cast<TUpBox*>(reader->Parent()); parent && parent != this)
      SetParentBox(parent);
    TUpThing::ReadState(reader);
  }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    for (std::size_t i = 0; i < FBoxes.size(); ++i)
      if (FBoxes[i]->Owner() == root) proc(FBoxes[i]);
    if (root != this) return;
    if (FLooseStale) {
      FLoose.clear();
      for (TComponent* c : ComponentList())
        if (!c->HasParent()) FLoose.push_back(c);
      FLooseStale = false;
    }
    for (std::size_t i = 0; i < FLoose.size(); ++i)
      proc(FLoose[i]);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TUpThing::Notification(component, operation);
    FLooseStale = true;
  }
  void SetChildOrder(TComponent* child, Integer order) override {
    auto it = std::find(FBoxes.begin(), FBoxes.end(), child);
    if (it == FBoxes.end()) {
      child->SetComponentIndex(order);
      FLooseStale = true;
      return;
    }
    FBoxes.erase(it);
    order = std::clamp<Integer>(order, 0, static_cast<Integer>(FBoxes.size()));
    FBoxes.insert(FBoxes.begin() + order, static_cast<TUpBox*>(child));
  }
  /// The names of the child boxes, in order.
  std::vector<String> BoxNames() const {
    std::vector<String> names;
    for (TUpBox* b : FBoxes)
      names.push_back(b->Name());
    return names;
  }
};

inline TClass TUpBox::StaticClass() {
  static const TClass cls = TClassBuilder<TUpBox, TUpThing>("TUpBox", "UpdateModel").Build();
  return cls;
}

/// A module root with a published handler for its components' events.
class TUpForm : public TUpBox {
  FW_CLASS(TUpForm)
public:
  explicit TUpForm(TComponent* owner = nullptr) : TUpBox(owner) {}
  void ThingClick(TObject*) { ++Clicks; }
  int Clicks = 0;
};

inline TClass TUpForm::StaticClass() {
  static const TClass cls = TClassBuilder<TUpForm, TUpBox>("TUpForm", "UpdateModel")
                                .Method<&TUpForm::ThingClick>("ThingClick")
                                .Build();
  return cls;
}

/// Never registered: a stream naming it cannot be read.
class TUpUnregistered : public TUpBox {
  FW_CLASS(TUpUnregistered)
public:
  using TUpBox::TUpBox;
};

inline TClass TUpUnregistered::StaticClass() {
  static const TClass cls =
      TClassBuilder<TUpUnregistered, TUpBox>("TUpUnregistered", "UpdateModel").Build();
  return cls;
}

inline void RegisterUpdateModel() {
  RegisterClasses({TUpThing::StaticClass(), TUpBox::StaticClass(), TUpForm::StaticClass()});
}

/// A component of class T named `name`, owned by `root`, inside `parent` when it is a box.
template <class T> T* Add(TComponent* root, const String& name, TUpBox* parent = nullptr) {
  T* c = New<T>(root);
  c->SetName(name);
  if constexpr (std::is_base_of_v<TUpBox, T>)
    if (parent) c->SetParentBox(parent);
  return c;
}

} // namespace fwtest
