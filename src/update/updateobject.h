// Update objects: one object of a descendant module paired with its counterpart in the ancestor
// module, remembering which of its properties, defined properties, child positions and
// collections still follow the ancestor, and applying the ancestor's values to exactly those.
#pragma once

#include "basert/filer.h"

#include <bit>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace fw {

class TUpdateManager;
class TUpdateObject;

/// The children of one component on both sides, as their update objects.
struct TChildOrderLists {
  std::vector<TUpdateObject*> Descendents;
  std::vector<TUpdateObject*> Ancestors;
};

/// What a TUpdateFiler is doing while an object's DefineProperties calls it back.
enum TUpdateFilterState : std::uint8_t { usFilter, usReading, usWriting };

/// The update object's companion for the properties an object streams itself (DefineProperty,
/// DefineBinaryProperty): which of them still equal the ancestor's, and copying those over.
class TUpdateFiler : public TFiler {
  FW_CLASS(TUpdateFiler)
public:
  /// Records the object's defined properties; with `compare`, only those equal to the
  /// ancestor's stay.
  TUpdateFiler(TUpdateObject* updateObject, bool compare);
  ~TUpdateFiler() override;

  /// True when no defined property follows the ancestor any more.
  bool Empty() const noexcept { return FFiltered && FPropertyList.empty(); }
  /// Drops the defined properties whose value now differs from the ancestor's; the list only
  /// shrinks.
  void Filter();
  void FilterProp(const String& name, bool hasData);
  /// Copies the ancestor's value of every followed defined property that differs, by writing it
  /// from the ancestor and reading it back into the object. Raises what the object's readers
  /// raise.
  void Update();
  /// The followed defined properties, in the order the object defines them.
  const std::vector<String>& PropertyList() const noexcept { return FPropertyList; }

  void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;
  void FlushBuffer() override {}

private:
  /// What both kinds of defined property do in each state; `read` reads the value back.
  template <class TReadProc, class TWriteProc, class TWriteDefine, class TRead>
  void Define(const String& name, const TReadProc& readData, const TWriteProc& writeData,
              bool hasData, TWriteDefine writeDefine, TRead read);
  bool Follows(const String& name) const;
  TWriter* Writer();

  // What every update touches first, what only a differing value needs after.
  std::vector<String> FPropertyList;
  TUpdateObject* FUpdateObject;
  bool FFiltered = false;
  TUpdateFilterState FState = usFilter;
  bool FConsumed = false;
  bool FCompare;
  std::unique_ptr<TMemoryStream> FStream; // alive only during Update
  std::unique_ptr<TWriter> FWriter;
  std::unique_ptr<TReader> FReader;
  String FPropName;
};

/// One bit per published property of a class, in the class's order; inline up to 64 properties,
/// so that an update object's follow list costs no allocation of its own.
class TPropMask {
public:
  /// `count` bits, all set.
  void Fill(std::size_t count);
  bool Test(std::size_t i) const noexcept { return (Words()[i / 64] >> (i % 64)) & 1u; }
  void Set(std::size_t i) noexcept { Words()[i / 64] |= std::uint64_t{1} << (i % 64); }
  void Reset(std::size_t i) noexcept { Words()[i / 64] &= ~(std::uint64_t{1} << (i % 64)); }
  /// Calls `f(i)` for every set bit, in ascending order.
  template <class F> void ForEach(F f) const {
    const std::size_t count = WordCount();
    for (std::size_t w = 0; w < count; ++w)
      for (std::uint64_t bits = Words()[w]; bits; bits &= bits - 1)
        f(w * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
  }

private:
  // A longer mask keeps its word count in front of its words: two words in all, so that an
  // update object stays within 128 bytes.
  std::uint64_t* Words() noexcept { return FMore ? FMore.get() + 1 : &FInline; }
  const std::uint64_t* Words() const noexcept { return FMore ? FMore.get() + 1 : &FInline; }
  std::size_t WordCount() const noexcept { return FMore ? FMore[0] : 1; }

  std::uint64_t FInline = 0;
  std::unique_ptr<std::uint64_t[]> FMore;
};

/// One persistent object of the descendant module and its counterpart in the ancestor. Owns its
/// child update objects: the components enumerated as its children that came from the ancestor,
/// and the persistent objects reached through its class-typed properties (sub-objects).
class TUpdateObject {
public:
  /// Pairs `object` with `ancestor` and records what follows it (with `compare`, comparing
  /// values; without, everything of a followable kind). For a component, `isInline` makes each
  /// side its own naming root. Appends itself to `owner`'s children.
  TUpdateObject(TUpdateObject* owner, TPersistent* object, TPersistent* ancestor,
                PPropInfo propInfo, bool compare, bool isInline);
  /// Frees the children and leaves the owner's list.
  ~TUpdateObject();
  TUpdateObject(const TUpdateObject&) = delete;
  TUpdateObject& operator=(const TUpdateObject&) = delete;

  /// Adds an update object for `child` when it came from the ancestor and its counterpart is
  /// found (by name, or by position when unnamed).
  void AddChild(TComponent* child);
  /// Frees the update object (and its subtree) whose object is `component`, searching from the
  /// last child, depth first; false when there is none. Not this object itself.
  bool ComponentDelete(TComponent* component);
  /// The update object whose object or ancestor is `component`: this one, a direct child, or one
  /// found depth first below; null when none.
  TUpdateObject* FindChild(const TPersistent* component);
  /// FindChild for children met in the order they were added: the component child after
  /// `cursor` is tried first, and `cursor` moves past it when it matches.
  TUpdateObject* FindChildFrom(const TPersistent* component, std::size_t& cursor);
  /// The sub-object reached through `propInfo`, or null.
  TUpdateObject* FindChildProp(PPropInfo propInfo) const;
  /// The update object whose object is `instance`, this one included, depth first; null if none.
  TUpdateObject* FindObject(const TPersistent* instance);

  /// The ancestor's handler, bound to this module's root (or naming root) when it was bound to
  /// the ancestor's.
  TMethod GetAncestorMethod(PPropInfo propInfo) const;
  /// An ancestor component named under the ancestor's naming root becomes this module's
  /// namesake (null when it has none); other components stay; anything else is null.
  TObject* GetAncestorPointer(TObject* value) const;
  TObject* GetAncestorReference(PPropInfo propInfo) const;

  /// Drops from the follow lists what now differs from the ancestor, here and below.
  void Filter();
  /// Marks the children whose relative order differs from the ancestor's as no longer following
  /// its order.
  void FilterOrder();
  /// Finds the update object of `instance` and makes `propInfo` follow the ancestor again, in
  /// the class's property order. False when no update object holds `instance`.
  bool Revert(TPersistent* instance, PPropInfo propInfo);
  /// Whether `propInfo` of `instance` can follow the ancestor again; `found` is set when the
  /// update object of `instance` answered.
  bool CanRevert(TPersistent* instance, PPropInfo propInfo, bool& found);
  /// Applies the ancestor's values to what still follows it, here and below.
  void Update(TUpdateManager* updateManager);
  /// A sub-object re-reads both its objects through its property, in case they were replaced.
  void ValidateObjects();

  TUpdateObject* Owner() const noexcept { return FOwner; }
  TPersistent* Object() const noexcept { return FObject; }
  TPersistent* Ancestor() const noexcept { return FAncestor; }
  TComponent* ObjectOwner() const noexcept { return FObjectOwner; }
  TComponent* AncestorOwner() const noexcept { return FAncestorOwner; }
  PPropInfo PropInfo() const noexcept { return FPropInfo; }
  /// The published properties that still follow the ancestor, in the class's order.
  std::vector<PPropInfo> PropList() const;
  const std::vector<TUpdateObject*>& Children() const noexcept { return FChildList; }
  /// Null once no defined property follows the ancestor.
  TUpdateFiler* UpdateFiler() const noexcept { return FUpdateFiler.get(); }
  bool IsComponent() const noexcept { return FIsComponent; }
  bool IsCollection() const noexcept { return FIsCollection; }
  /// The collection still equals the ancestor's and is copied on update.
  bool UpdateCollection() const noexcept { return FUpdateCollection; }
  /// This child's position among its siblings still follows the ancestor.
  bool UpdateOrder() const noexcept { return FUpdateOrder; }

private:
  /// Starts loading what an update reads: 0 this object, 1 its objects and child list, 2 and
  /// 3 stages 0 and 1 of its sub-objects. Each stage needs the previous one to have arrived.
  void Prefetch(int stage) const;
  bool KeepProp(PPropInfo prop);
  void UpdateProp(PPropInfo prop, TUpdateManager* updateManager);
  void UpdateOrderOfChildren(TUpdateManager* updateManager);
  void UpdateCollectionItems();
  void Index(TUpdateObject* child);
  void Unindex(TUpdateObject* child);
  bool HasComponentChildren() const noexcept { return FChildIndex && !FChildIndex->empty(); }

  // 128 bytes, what an update of a sub-object reads first in front: a large module has several
  // update objects per component and reads them all on every run.
  TPersistent* FObject;
  TPersistent* FAncestor;
  PPropInfo FPropInfo;
  TUpdateObject* FOwner;
  // The class's published properties (shared by every instance) and which of them follow.
  const std::vector<PPropInfo>* FAllProps = nullptr;
  TPropMask FFollows;
  bool FIsComponent = false;
  bool FIsCollection = false;
  bool FUpdateCollection = true;
  bool FUpdateOrder = true;
  bool FCompare;
  std::vector<TUpdateObject*> FChildList;
  // Component children by their object and by their ancestor, so that pairing a large module's
  // children stays linear.
  // Made for the first one: most objects have none.
  using TChildIndex = std::unordered_map<const TPersistent*, TUpdateObject*>;
  std::unique_ptr<TChildIndex> FChildIndex;
  std::unique_ptr<TUpdateFiler> FUpdateFiler;
  TComponent* FObjectOwner = nullptr;
  TComponent* FAncestorOwner = nullptr;
  // The children reached through a property come first in FChildList (they are made with
  // their owner, before any component child).
  std::uint32_t FSubObjectCount = 0;
  Integer FOrder = -1;
};

} // namespace fw
