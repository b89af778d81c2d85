#include "update/updateobject.h"

#include "basert/classbuilder.h"
#include "basert/onexit.h"
#include "update/pairing.h"
#include "update/prefetch.h"
#include "update/updatemanager.h"

#include <algorithm>

namespace fw {

namespace {

bool IsSubComponentValue(TObject* value) {
  auto* c = dynamic_cast<TComponent*>(value);
  return c && c->ComponentStyle().Contains(styleSubComponent);
}

/// Readable, and writable or holding a sub-component: everything else never follows.
bool Considered(TObject* object, PPropInfo prop) {
  if (!prop->HasRead()) return false;
  if (prop->HasWrite()) return true;
  return prop->PropType()->Kind == kindClass && IsSubComponentValue(GetObjectProp(object, prop));
}

/// The kinds that may follow the ancestor without their values being compared.
constexpr TTypeKinds FollowableKinds = {
    kindInteger, kindChar,   kindEnumeration, kindFloat,      kindShortString, kindSet,
    kindClass,   kindMethod, kindWideChar,    kindAnsiString, kindWideString,  kindUnicodeString};
constexpr TTypeKinds OrdinalKinds = {kindInteger, kindChar, kindEnumeration, kindSet, kindWideChar};
constexpr TTypeKinds StringKinds = {kindShortString, kindAnsiString, kindUnicodeString};

bool FloatsDiffer(Extended a, Extended b) { return a < b || a > b; }

/// The property can compare two objects' values where they lie, by the rule of its kind.
bool ComparedInPlace(PPropInfo prop, TTypeKind kind) {
  if (!prop->SameValue) return false;
  switch (prop->ValueClass) {
  case TPropValueClass::Ordinal:
    return OrdinalKinds.Contains(kind);
  case TPropValueClass::String:
    return StringKinds.Contains(kind);
  case TPropValueClass::Float:
    return kind == kindFloat;
  case TPropValueClass::Wide:
    return kind == kindWideString;
  default:
    return false;
  }
}

/// A property already known readable, read without the checked accessors: the update reads
/// several per component on every run.
template <class V> V ReadProp(TObject* instance, PPropInfo prop) {
  V value{};
  prop->Get(instance, &value);
  return value;
}

/// Cheaper than a cross-library dynamic_cast, which every component of a run would pay.
TComponent* AsComponent(TPersistent* object) {
  return object && object->Is<TComponent>() ? static_cast<TComponent*>(object) : nullptr;
}

/// The children of one component on both sides, as their update objects (null for a child
/// without one), in the order each side enumerates them.
struct TChildUpdateObjects : TChildOrderLists {
  /// With `listing`, the children it holds are taken instead of being listed again. With
  /// `spare`, its lists are borrowed and given back.
  TChildUpdateObjects(TUpdateObject* updateObject, TComponent* descendent, TComponent* ancestor,
                      const TPairingArena* listing, TChildOrderLists* spare = nullptr)
      : FSpare(spare) {
    if (FSpare) {
      Descendents.swap(FSpare->Descendents);
      Ancestors.swap(FSpare->Ancestors);
      Descendents.clear();
      Ancestors.clear();
    }
    std::size_t cursor = 0;
    List(descendent, updateObject->ObjectOwner(), listing, [&](TComponent* c) {
      // Only an inherited child can have an update object.
      Descendents.push_back(c->ComponentState().Contains(stateAncestor)
                                ? updateObject->FindChildFrom(c, cursor)
                                : nullptr);
    });
    cursor = 0;
    if (ancestor)
      List(ancestor, updateObject->AncestorOwner(), listing,
           [&](TComponent* c) { Ancestors.push_back(updateObject->FindChildFrom(c, cursor)); });
  }
  ~TChildUpdateObjects() {
    if (!FSpare) return;
    Descendents.swap(FSpare->Descendents);
    Ancestors.swap(FSpare->Ancestors);
  }
  TChildUpdateObjects(const TChildUpdateObjects&) = delete;
  TChildUpdateObjects& operator=(const TChildUpdateObjects&) = delete;

  template <class F>
  static void List(TComponent* component, TComponent* root, const TPairingArena* listing, F f) {
    std::span<TComponent* const> listed;
    if (listing && listing->ListedChildren(component, root, listed))
      std::for_each(listed.begin(), listed.end(), f);
    else
      component->GetChildren(f, root);
  }

  TChildOrderLists* FSpare;
};

} // namespace

// ---- TUpdateFiler ------------------------------------------------------------------------------

TClass TUpdateFiler::StaticClass() {
  static const TClass cls =
      TClassBuilder<TUpdateFiler, TFiler>("TUpdateFiler", "UpdateManager").Build();
  return cls;
}

TUpdateFiler::TUpdateFiler(TUpdateObject* updateObject, bool compare)
    : TFiler(nullptr, 0), FUpdateObject(updateObject), FCompare(compare) {
  Filter();
  FCompare = true;
}

TUpdateFiler::~TUpdateFiler() = default;

bool TUpdateFiler::Follows(const String& name) const {
  return std::any_of(FPropertyList.begin(), FPropertyList.end(),
                     [&](const String& s) { return SameText(s, name); });
}

void TUpdateFiler::Filter() {
  if (Empty() || !FUpdateObject->Object()) return;
  SetRoot(FUpdateObject->ObjectOwner());
  SetAncestor(FUpdateObject->Ancestor());
  FState = usFilter;
  FUpdateObject->Object()->DefineProperties(this);
  FFiltered = true;
}

void TUpdateFiler::FilterProp(const String& name, bool hasData) {
  if (!FFiltered && !Follows(name)) FPropertyList.push_back(name);
  if (FCompare && hasData)
    std::erase_if(FPropertyList, [&](const String& s) { return SameText(s, name); });
}

TWriter* TUpdateFiler::Writer() {
  // Made on the first value that differs: most objects have none, and then nothing is streamed.
  if (!FWriter) {
    FStream = std::make_unique<TMemoryStream>();
    FWriter = std::make_unique<TWriter>(FStream.get(), 1024);
    FWriter->SetRoot(FUpdateObject->AncestorOwner());
  }
  return FWriter.get();
}

template <class TReadProc, class TWriteProc, class TWriteDefine, class TRead>
void TUpdateFiler::Define(const String& name, const TReadProc& readData,
                          const TWriteProc& writeData, bool hasData, TWriteDefine writeDefine,
                          TRead read) {
  switch (FState) {
  case usFilter:
    FilterProp(name, hasData);
    break;
  case usWriting:
    if (hasData && writeData && Follows(name))
      (Writer()->*writeDefine)(name, readData, writeData, hasData);
    break;
  case usReading:
    if (!FConsumed && readData && SameText(name, FPropName)) {
      FConsumed = true;
      read(readData);
    }
    break;
  }
}

void TUpdateFiler::DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData,
                                  bool hasData) {
  Define(name, readData, writeData, hasData, &TWriter::DefineProperty,
         [this](const TReaderProc& read) { read(FReader.get()); });
}

void TUpdateFiler::DefineBinaryProperty(const String& name, TStreamProc readData,
                                        TStreamProc writeData, bool hasData) {
  Define(name, readData, writeData, hasData, &TWriter::DefineBinaryProperty,
         [this](const TStreamProc& read) {
           // A binary value: its marker, a 32-bit byte count, the bytes.
           FReader->ReadValue();
           std::uint32_t count = 0;
           FReader->Read(&count, sizeof count);
           TMemoryStream data;
           data.SetSize(count);
           if (count) FReader->Read(data.Memory(), count);
           data.SetPosition(0);
           read(&data);
         });
}

void TUpdateFiler::Update() {
  TPersistent* object = FUpdateObject->Object();
  TPersistent* ancestor = FUpdateObject->Ancestor();
  if (FPropertyList.empty() || !object || !ancestor) return;
  TOnExit cleanup([this] {
    if (FStream) {
      FReader.reset();
      FWriter.reset();
      FStream.reset();
    }
    FState = usFilter;
    FCompare = true;
  });
  // The ancestor writes what differs from the object, then the object reads it back.
  SetAncestor(object);
  SetRoot(FUpdateObject->AncestorOwner());
  FState = usWriting;
  ancestor->DefineProperties(this);
  if (!FWriter) return;
  FWriter->WriteListEnd();
  FWriter->WriteListEnd();
  FWriter->FlushBuffer();
  FWriter.reset();

  FStream->SetPosition(0);
  FReader = std::make_unique<TReader>(FStream.get(), 1024);
  FReader->SetRoot(FUpdateObject->ObjectOwner());
  SetAncestor(nullptr);
  SetRoot(FUpdateObject->ObjectOwner());
  FState = usReading;
  while (!FReader->EndOfList()) {
    FPropName = FReader->ReadStr();
    FConsumed = false;
    object->DefineProperties(this);
    if (!FConsumed) FReader->SkipValue();
  }
}

// ---- TPropMask ---------------------------------------------------------------------------------

void TPropMask::Fill(std::size_t count) {
  const std::size_t wordCount = std::max<std::size_t>(1, (count + 63) / 64);
  FMore.reset();
  if (wordCount > 1) {
    FMore = std::make_unique<std::uint64_t[]>(wordCount + 1);
    FMore[0] = wordCount;
  }
  std::uint64_t* words = Words();
  for (std::size_t w = 0; w < wordCount; ++w) {
    const std::size_t bits = std::min<std::size_t>(64, count - std::min(count, w * 64));
    words[w] = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
  }
}

// ---- TUpdateObject -----------------------------------------------------------------------------

static_assert(sizeof(void*) != 8 || sizeof(TUpdateObject) == 128,
              "an update object stays within 128 bytes");

TUpdateObject::TUpdateObject(TUpdateObject* owner, TPersistent* object, TPersistent* ancestor,
                             PPropInfo propInfo, bool compare, bool isInline)
    : FObject(object), FAncestor(ancestor), FPropInfo(propInfo), FOwner(owner), FCompare(compare) {
  if (FOwner) {
    FOwner->FChildList.push_back(this);
    if (FPropInfo)
      ++FOwner->FSubObjectCount;
    else
      FOwner->Index(this);
  }
  FAllProps = &GetPropInfos(FObject->ClassType()->TypeInfo);
  FFollows.Fill(FAllProps->size());
  auto* component = dynamic_cast<TComponent*>(FObject);
  FIsComponent = component && !component->ComponentStyle().Contains(styleSubComponent);
  FIsCollection = dynamic_cast<TCollection*>(FObject) != nullptr;

  if (component) {
    auto* ancestorComponent = dynamic_cast<TComponent*>(FAncestor);
    FObjectOwner = isInline || !component->Owner() ? component : component->Owner();
    if (ancestorComponent)
      FAncestorOwner =
          isInline || !ancestorComponent->Owner() ? ancestorComponent : ancestorComponent->Owner();
  } else if (FOwner) {
    FObjectOwner = FOwner->FObjectOwner;
    FAncestorOwner = FOwner->FAncestorOwner;
  }

  FUpdateFiler = std::make_unique<TUpdateFiler>(this, compare);
  // Its list only shrinks: an object with nothing to follow there never needs it again.
  if (FUpdateFiler->Empty()) FUpdateFiler.reset();

  for (PPropInfo p : *FAllProps) {
    if (!p->HasRead() || p->PropType()->Kind != kindClass) continue;
    auto* value = dynamic_cast<TPersistent*>(GetObjectProp(FObject, p));
    if (!value || (dynamic_cast<TComponent*>(value) && !IsSubComponentValue(value))) continue;
    auto* ancestorValue =
        FAncestor ? dynamic_cast<TPersistent*>(GetObjectProp(FAncestor, p)) : nullptr;
    new TUpdateObject(this, value, ancestorValue, p, compare, false);
  }

  Filter();

  if (FIsComponent) component->GetChildren([this](TComponent* c) { AddChild(c); }, FObjectOwner);
  FilterOrder();
  FCompare = true;
}

TUpdateObject::~TUpdateObject() {
  while (!FChildList.empty())
    delete FChildList.back();
  if (FOwner) {
    std::erase(FOwner->FChildList, this);
    if (FPropInfo)
      --FOwner->FSubObjectCount;
    else
      FOwner->Unindex(this);
  }
}

void TUpdateObject::Index(TUpdateObject* child) {
  if (!FChildIndex) FChildIndex = std::make_unique<TChildIndex>();
  FChildIndex->emplace(child->FObject, child);
  if (child->FAncestor) FChildIndex->emplace(child->FAncestor, child);
}

void TUpdateObject::Unindex(TUpdateObject* child) {
  for (const TPersistent* key : {child->FObject, child->FAncestor}) {
    if (!FChildIndex) return;
    auto it = FChildIndex->find(key);
    if (it != FChildIndex->end() && it->second == child) FChildIndex->erase(it);
  }
}

void TUpdateObject::AddChild(TComponent* child) {
  if (!child->ComponentState().Contains(stateAncestor)) return;
  TComponent* root = nullptr;
  if (child->Owner() == FObjectOwner)
    root = FAncestorOwner;
  else if (child->Owner() == FObject)
    root = dynamic_cast<TComponent*>(FAncestor);
  if (!root) return;
  TComponent* counterpart = nullptr;
  if (!child->Name().empty()) {
    counterpart = root->FindComponent(child->Name());
  } else {
    const Integer index = child->ComponentIndex();
    if (index >= 0 && index < root->ComponentCount()) counterpart = root->Components(index);
  }
  if (counterpart)
    new TUpdateObject(this, child, counterpart, nullptr, FCompare,
                      child->ComponentState().Contains(stateInline));
}

bool TUpdateObject::ComponentDelete(TComponent* component) {
  for (auto it = FChildList.rbegin(); it != FChildList.rend(); ++it) {
    TUpdateObject* child = *it;
    if (child->FObject == component) {
      delete child;
      return true;
    }
    if (child->ComponentDelete(component)) return true;
  }
  return false;
}

TUpdateObject* TUpdateObject::FindChild(const TPersistent* component) {
  if (!component) return nullptr;
  if (FObject == component || FAncestor == component) return this;
  if (FChildIndex)
    if (auto it = FChildIndex->find(component); it != FChildIndex->end()) return it->second;
  for (TUpdateObject* child : FChildList)
    if (TUpdateObject* found = child->FindChild(component)) return found;
  return nullptr;
}

TUpdateObject* TUpdateObject::FindChildFrom(const TPersistent* component, std::size_t& cursor) {
  cursor = std::max<std::size_t>(cursor, FSubObjectCount);
  if (cursor < FChildList.size()) {
    TUpdateObject* next = FChildList[cursor];
    if (next->FObject == component || next->FAncestor == component) {
      ++cursor;
      return next;
    }
  }
  return FindChild(component);
}

TUpdateObject* TUpdateObject::FindChildProp(PPropInfo propInfo) const {
  for (std::size_t i = 0; i < FSubObjectCount; ++i)
    if (FChildList[i]->FPropInfo == propInfo) return FChildList[i];
  return nullptr;
}

TUpdateObject* TUpdateObject::FindObject(const TPersistent* instance) {
  if (FObject == instance) return this;
  if (FChildIndex)
    if (auto it = FChildIndex->find(instance);
        it != FChildIndex->end() && it->second->FObject == instance)
      return it->second;
  for (TUpdateObject* child : FChildList)
    if (TUpdateObject* found = child->FindObject(instance)) return found;
  return nullptr;
}

TMethod TUpdateObject::GetAncestorMethod(PPropInfo propInfo) const {
  TMethod m = ReadProp<TMethod>(FAncestor, propInfo);
  if (!m.Data) return m;
  if (m.Data == static_cast<TObject*>(FAncestorOwner)) {
    m.Data = static_cast<TObject*>(FObjectOwner);
    return m;
  }
  // Inside a placed frame the naming root is the frame, but a handler may be the module's.
  const TUpdateObject* top = this;
  while (top->FOwner)
    top = top->FOwner;
  if (m.Data == static_cast<TObject*>(top->FAncestor)) m.Data = static_cast<TObject*>(top->FObject);
  return m;
}

TObject* TUpdateObject::GetAncestorPointer(TObject* value) const {
  if (!value || !value->Is<TComponent>()) return nullptr;
  auto* component = static_cast<TComponent*>(value);
  // Inside a placed frame a reference may name a component of what holds the frame: the naming
  // roots around this one translate it as they translate their own.
  for (const TUpdateObject* u = this; u; u = u->FOwner)
    if (u->FAncestorOwner && component->Owner() == u->FAncestorOwner)
      return u->FObjectOwner ? u->FObjectOwner->FindComponent(component->Name()) : nullptr;
  return component;
}

TObject* TUpdateObject::GetAncestorReference(PPropInfo propInfo) const {
  return GetAncestorPointer(ReadProp<TObject*>(FAncestor, propInfo));
}

void TUpdateObject::ValidateObjects() {
  if (!FPropInfo || !FOwner) return;
  // Usually still the same objects; only a replaced one needs its type checked.
  if (FOwner->FObject) {
    auto* value = ReadProp<TObject*>(FOwner->FObject, FPropInfo);
    if (value != FObject) FObject = dynamic_cast<TPersistent*>(value);
  }
  if (FOwner->FAncestor) {
    auto* value = ReadProp<TObject*>(FOwner->FAncestor, FPropInfo);
    if (value != FAncestor) FAncestor = dynamic_cast<TPersistent*>(value);
  }
}

bool TUpdateObject::KeepProp(PPropInfo prop) {
  if (!Considered(FObject, prop)) return false;
  const TTypeKind kind = prop->PropType()->Kind;
  if (!FCompare || !FAncestor || !IsStoredProp(FAncestor, prop))
    return FollowableKinds.Contains(kind);
  if (ComparedInPlace(prop, kind)) return prop->SameValue(FObject, FAncestor);
  if (OrdinalKinds.Contains(kind)) return GetOrdProp(FObject, prop) == GetOrdProp(FAncestor, prop);
  if (StringKinds.Contains(kind)) return GetStrProp(FObject, prop) == GetStrProp(FAncestor, prop);
  switch (kind) {
  case kindFloat:
    return !FloatsDiffer(GetFloatProp(FObject, prop), GetFloatProp(FAncestor, prop));
  case kindWideString:
    return GetWideStrProp(FObject, prop) == GetWideStrProp(FAncestor, prop);
  case kindClass:
    return FindChildProp(prop) || GetObjectProp(FObject, prop) == GetAncestorReference(prop);
  case kindMethod:
    return GetMethodProp(FObject, prop) == GetAncestorMethod(prop);
  default:
    return false;
  }
}

void TUpdateObject::Filter() {
  ValidateObjects();
  if (!FObject) return;
  FFollows.ForEach([this](std::size_t i) {
    if (!KeepProp((*FAllProps)[i])) FFollows.Reset(i);
  });
  FilterOrder();
  if (FIsCollection && FUpdateCollection && FCompare && FAncestor)
    FUpdateCollection =
        CollectionsEqual(static_cast<TCollection*>(FObject), dynamic_cast<TCollection*>(FAncestor),
                         FObjectOwner, FAncestorOwner);
  if (FCompare && FUpdateFiler) {
    FUpdateFiler->Filter();
    if (FUpdateFiler->Empty()) FUpdateFiler.reset();
  }
  for (std::size_t i = 0; i < FChildList.size(); ++i)
    FChildList[i]->Filter();
}

void TUpdateObject::FilterOrder() {
  if (!FIsComponent || !FCompare || !HasComponentChildren()) return;
  TChildUpdateObjects lists(this, static_cast<TComponent*>(FObject), AsComponent(FAncestor),
                            nullptr);
  std::size_t j = 0;
  for (TUpdateObject* d : lists.Descendents) {
    if (!d) continue;
    if (j >= lists.Ancestors.size()) break;
    TUpdateObject* a = lists.Ancestors[j];
    if (a && a != d) a->FUpdateOrder = false;
    ++j;
  }
}

bool TUpdateObject::Revert(TPersistent* instance, PPropInfo propInfo) {
  TUpdateObject* target = FindObject(instance);
  if (!target) return false;
  const std::vector<PPropInfo>& all = *target->FAllProps;
  if (const auto at = std::find(all.begin(), all.end(), propInfo); at != all.end())
    target->FFollows.Set(static_cast<std::size_t>(at - all.begin()));
  return true;
}

std::vector<PPropInfo> TUpdateObject::PropList() const {
  std::vector<PPropInfo> list;
  if (FAllProps) FFollows.ForEach([&](std::size_t i) { list.push_back((*FAllProps)[i]); });
  return list;
}

bool TUpdateObject::CanRevert(TPersistent* instance, PPropInfo propInfo, bool& found) {
  TUpdateObject* target = FindObject(instance);
  found = target != nullptr;
  if (!target || !propInfo || !target->FAncestor) return false;
  return propInfo->HasRead() && propInfo->HasWrite() && IsStoredProp(target->FAncestor, propInfo);
}

void TUpdateObject::UpdateProp(PPropInfo prop, TUpdateManager* updateManager) {
  const TTypeKind kind = prop->PropType()->Kind;
  if (kind > kindUnicodeString) return;
  // Most values still equal the ancestor's: compare in place, read them only to copy.
  if (ComparedInPlace(prop, kind) && prop->SameValue(FObject, FAncestor)) return;
  if (OrdinalKinds.Contains(kind)) {
    const Int64 value = GetOrdProp(FAncestor, prop);
    if (GetOrdProp(FObject, prop) != value) SetOrdProp(FObject, prop, value);
  } else if (StringKinds.Contains(kind)) {
    String value = GetStrProp(FAncestor, prop);
    if (GetStrProp(FObject, prop) != value) SetStrProp(FObject, prop, value);
  } else if (kind == kindFloat) {
    const Extended value = GetFloatProp(FAncestor, prop);
    if (FloatsDiffer(GetFloatProp(FObject, prop), value)) SetFloatProp(FObject, prop, value);
  } else if (kind == kindWideString) {
    WideString value = GetWideStrProp(FAncestor, prop);
    if (GetWideStrProp(FObject, prop) != value) SetWideStrProp(FObject, prop, value);
  } else if (kind == kindClass) {
    if (TUpdateObject* child = FindChildProp(prop)) {
      child->Update(updateManager);
    } else if (prop->HasWrite()) {
      TObject* value = GetAncestorReference(prop);
      if (ReadProp<TObject*>(FObject, prop) != value) SetObjectProp(FObject, prop, value);
    }
  } else if (kind == kindMethod && FIsComponent) {
    const TMethod value = GetAncestorMethod(prop);
    if (ReadProp<TMethod>(FObject, prop) != value) SetMethodProp(FObject, prop, value);
  }
}

void TUpdateObject::UpdateOrderOfChildren(TUpdateManager* updateManager) {
  auto* object = static_cast<TComponent*>(FObject);
  TChildUpdateObjects lists(this, object, AsComponent(FAncestor), updateManager->Listing(),
                            &updateManager->OrderLists());
  std::size_t j = 0;
  for (std::size_t i = 0; i < lists.Descendents.size(); ++i) {
    TUpdateObject* d = lists.Descendents[i];
    if (!d) continue;
    if (j >= lists.Ancestors.size()) break;
    if (TUpdateObject* a = lists.Ancestors[j]) a->FOrder = a != d ? static_cast<Integer>(i) : -1;
    ++j;
  }
  for (TUpdateObject* a : lists.Ancestors)
    if (a && a->FUpdateOrder && a->FOrder != -1) {
      object->SetChildOrder(static_cast<TComponent*>(a->FObject), a->FOrder);
      a->FOrder = -1;
    }
}

void TUpdateObject::UpdateCollectionItems() {
  auto* collection = static_cast<TCollection*>(FObject);
  // Empty on both sides is already equal; assigning would only announce a change. The same
  // class on both sides spares the cast.
  const auto* ancestor = FAncestor->ClassType() == collection->ClassType()
                             ? static_cast<const TCollection*>(FAncestor)
                             : dynamic_cast<const TCollection*>(FAncestor);
  if (ancestor && collection->Count() == 0 && ancestor->Count() == 0) return;
  collection->Assign(FAncestor);
  if (!FAncestorOwner || !FObjectOwner) return;
  for (TCollectionItem* item : collection->ItemList())
    for (PPropInfo p : GetPropInfos(item->ClassType()->TypeInfo)) {
      if (!p->HasRead() || !p->HasWrite() || p->PropType()->Kind != kindClass) continue;
      auto* component = dynamic_cast<TComponent*>(GetObjectProp(item, p));
      if (!component || component->Owner() != FAncestorOwner) continue;
      if (TComponent* namesake = FObjectOwner->FindComponent(component->Name()))
        SetObjectProp(item, p, namesake);
    }
}

void TUpdateObject::Prefetch(int stage) const {
  switch (stage) {
  case 0:
    fw::Prefetch(this, sizeof *this);
    break;
  case 1: {
    const std::size_t span = FPropInfo ? SubObjectSpan : ObjectSpan;
    fw::Prefetch(FObject, span);
    fw::Prefetch(FAncestor, span);
    fw::Prefetch(FChildList.data(), FChildList.size() * sizeof(TUpdateObject*));
    if (FUpdateFiler) fw::Prefetch(FUpdateFiler.get(), sizeof(TUpdateFiler));
    break;
  }
  default:
    for (std::size_t i = 0; i < FSubObjectCount; ++i)
      FChildList[i]->Prefetch(stage - 2);
    break;
  }
}

void TUpdateObject::Update(TUpdateManager* updateManager) {
  ValidateObjects();
  if (!FObject || !FAncestor) return;
  // A large module's objects are far apart: ask for the next children's memory a few steps
  // before they are updated, each step one level further along the chain of pointers.
  for (std::size_t i = FSubObjectCount; i < FChildList.size(); ++i)
    FChildList[i]->Prefetch(0);
  if (FIsComponent) updateManager->Updating(static_cast<TComponent*>(FObject));
  FFollows.ForEach([&](std::size_t i) {
    PPropInfo p = (*FAllProps)[i];
    if (IsStoredProp(FAncestor, p)) UpdateProp(p, updateManager);
  });
  if (FUpdateFiler) FUpdateFiler->Update();
  if (FIsComponent && HasComponentChildren()) UpdateOrderOfChildren(updateManager);
  if (FIsCollection && FUpdateCollection) UpdateCollectionItems();
  // The child `ahead` places on is at stage Stages - ahead, or further back in the first steps.
  constexpr std::size_t Stages = 4;
  std::size_t step = 0;
  for (std::size_t i = FChildList.size(); i-- > 0;) {
    if (i >= FChildList.size() || FChildList[i]->FPropInfo) continue;
    for (std::size_t ahead = 1; ahead < Stages && i >= FSubObjectCount + ahead; ++ahead)
      FChildList[i - ahead]->Prefetch(static_cast<int>(std::min(Stages - ahead, step + 1)));
    ++step;
    FChildList[i]->Update(updateManager);
  }
}

} // namespace fw
