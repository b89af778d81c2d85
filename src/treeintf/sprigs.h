// Sprigs: the nodes of the structure tree, one per persistent object of a designed module (or a
// transient grouping node), and the registry that picks the sprig class for an object class.
//
//   RegisterSprigType(TButton::StaticClass(), TButtonSprig::StaticClass());
//   TClass cls = FindBestSprigClass(button->ClassType(), TComponentSprig::StaticClass());
//   auto* sprig = CreateSprig(cls, button);
#pragma once

#include "basert/classreg.h"
#include "basert/collection.h"
#include "designintf/designintf.h"
#include "tarn/clipbrd.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace fw {

class TSprig;
class TRootSprig;
class TTreeNode; // a node of the display a root sprig shows itself in (opaque here)

// ---- Resource strings ------------------------------------------------------------------------

inline constexpr std::string_view sSprigClipboardFormatName = "Marrick.Sprig";
inline constexpr std::string_view sComponentsIndexName = "<Components[%d]>";
inline constexpr std::string_view sCollectionName = "<Collection.%s>";
inline constexpr std::string_view sAddCollectionItem = "Add item";
inline constexpr std::string_view sIndexCaption = "%d - %s";
inline constexpr std::string_view sLabelCaption = "%s {%s}";
inline constexpr std::string_view sClassCaption = "%s (%s)";
inline constexpr std::string_view sUnnamedLabel = "<?>";
inline constexpr std::string_view sPathFormat = "%s\\%s";

// ---- Globals ---------------------------------------------------------------------------------

/// Captions carry the class name: "Button1 (TButton)".
extern bool GShowClassNameInTreeView;
/// Offsets of the host's image lists; -1 until the host sets them.
extern Integer GImageOffset;
extern Integer GStateImageOffset;
extern Integer GToolButtonImageOffset;
/// The image of a windowed control that does not (false) or does (true) accept child controls.
inline constexpr Integer CUIControlImageIndex[2] = {7, 8};
/// The clipboard format registered under sSprigClipboardFormatName at start-up; 0 before.
extern TClipboardFormat GSprigClipboardFormat;
/// Set by the host: copies a sprig's glyph into `bitmap`.
extern bool (*CopySprigGlyphFunc)(TObject* bitmap);

enum TSprigDeleteStyle : std::uint8_t { dsNormal, dsIgnore, dsAbort, dsCustom };

/// A sprig class: the record of TSprig or a descendant.
using TSprigClass = TClass;

// ---- Informants ------------------------------------------------------------------------------

/// Objects that must hear of each other's changes. Links are always mutual; destroying an
/// informant tells every linked one, which drops the link.
class TInformant : public TObject {
  FW_CLASS(TInformant)
public:
  TInformant() = default;
  ~TInformant() override;
  void BeforeDestruction() override;

  /// Links both ways; linking again does nothing.
  void Notify(TInformant* other);
  /// Removes the link both ways.
  void Unnotify(TInformant* other);
  void DisableNotify() { ++FDisableNotify; }
  /// At 0, runs a notification that was asked for while disabled.
  void EnableNotify();
  /// Calls Changed(this) on every linked informant, last linked first (or, while disabled,
  /// remembers that it is due).
  void Notification();
  virtual void Changed(TInformant* sender);

  bool Destroying() const noexcept { return FDestroying; }
  Integer LinkCount() const noexcept {
    return FNotifyList ? static_cast<Integer>(FNotifyList->size()) : 0;
  }

private:
  std::unique_ptr<std::vector<TInformant*>> FNotifyList;
  Integer FDisableNotify = 0;
  bool FNotifyNeeded = false;
  bool FDestroying = false;
};

// ---- Sprigs ----------------------------------------------------------------------------------

/// One node of the structure tree. Sprigs are made through their class record's virtual
/// constructor (CreateSprig); a sprig owns its children and never its item.
class TSprig : public TInformant {
  FW_CLASS(TSprig)
public:
  using TVirtualCtorArgs = std::tuple<TPersistent*>;
  using TSprigProc = std::function<void(TSprig*)>;

  explicit TSprig(TPersistent* item);
  ~TSprig() override;

  // ---- the tree
  TRootSprig* Root() const noexcept { return FRoot; }
  TSprig* Parent() const noexcept { return FParent; }
  TPersistent* Item() const noexcept { return FItem; }
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  /// Raises EListError for an index out of range.
  TSprig* Items(Integer index) const;
  const std::vector<TSprig*>& Children() const noexcept { return FList; }
  Integer IndexOf(TSprig* child) const;
  /// Position under the parent; -1 without parent.
  Integer Index() const;
  void SetIndex(Integer value);
  /// Moves `child` to `index`, clamped to 0..Count-1.
  void SetIndexOf(TSprig* child, Integer index);
  /// Places `child` here (see the tree's rules); refused silently when this sprig is `child`
  /// or lies below it. Answers `child`.
  TSprig* Add(TSprig* child);
  /// True when this sprig is `sprig` or one of its ancestors.
  bool Parents(TSprig* sprig) const;

  TSprig* Find(TPersistent* item, bool recurse = true) { return FindItem(item, recurse); }
  TSprig* Find(const String& name, bool recurse = true) {
    return FindItemByName(name, nullptr, recurse);
  }
  TSprig* Find(const String& name, TClass cls, bool recurse = true) {
    return FindItemByName(name, cls, recurse);
  }
  TSprig* FindPath(const String& path, bool recurse = true) {
    return FindItemByPath(path, recurse);
  }
  /// The sprig to place a child of `item` under: the current parent, the owner's find, the
  /// root's find, the first owner up a component's owner chain that has a sprig; the root
  /// when nothing is found (and for a nil item).
  TSprig* SeekParent(TPersistent* item, bool recurse = true);
  TSprig* SeekParent(const String& name, bool recurse = true);
  TSprig* SeekParent(const String& name, TClass cls, bool recurse = true);
  /// Name prefixed by the parent's path ("Form1\Panel1\Button1").
  String Path();

  /// Pre-order walk skipping invalid sprigs: `before` on the sprig, the children last first,
  /// then `after`. The children list may change while it is walked.
  void ForEach(const TSprigProc& before, const TSprigProc& after = {});
  /// Frees (children last first, recursing first) every child that is invalid, or transient
  /// and childless.
  void ClearUnneededSprigs();
  /// Marks this sprig and every one below it invalid, takes them out of the root's index and
  /// forgets their items. Once only.
  void Invalidate();
  bool Invalid() const noexcept { return FInvalid; }
  /// Forgets the display node of this sprig (without deleting it).
  void ClearTreeNode() { FTreeNode = nullptr; }
  TTreeNode* TreeNode() const noexcept { return FTreeNode; }
  bool Expanded() const noexcept { return FExpanded; }
  /// Expanding also expands every ancestor.
  void SetExpanded(bool value);
  /// `name`, with " {label}" when a label is given (an empty name then shows as "<?>"), and
  /// " (class)" when GShowClassNameInTreeView is on (the given class text, else the item's
  /// class name).
  String CaptionFor(const String& name, const String& label = {}, const String& classText = {});
  /// The caption last written to the display.
  const String& ShownCaption() const noexcept { return FCaption; }
  /// The class a drag of this sprig carries: the item's.
  TClass DragClass() { return ItemClass(); }
  /// Reparent on every child, last first.
  void ReparentChildren();
  /// Forwards to the sprig class: PaletteOverTo of a sprig of that class.
  virtual bool PaletteOver(TSprigClass sprigClass, TClass cls);

  // ---- virtual operations
  void Changed(TInformant* sender) override;
  virtual String UniqueName();
  virtual void SelectItems(const std::vector<TPersistent*>& items, bool markModified = true);
  virtual void RuntimeChange();
  virtual void DesigntimeChange();
  virtual TSprig* FindItem(TPersistent* item, bool recurse);
  virtual TSprig* FindItemByName(const String& name, TClass cls, bool recurse);
  virtual TSprig* FindItemByPath(const String& path, bool recurse);
  virtual bool GetDesigner(IPtr<IDesigner>& designer);
  /// The base image, plus 10 when ghosted.
  virtual Integer GetImageIndex();
  virtual void SetImageIndex(Integer value) { FImageIndex = value; }
  /// 1 when the sprig has problems, else 0.
  virtual Integer GetStateIndex();
  virtual void BeginUpdate();
  virtual void EnsureUpdate();
  virtual void EndUpdate();
  virtual String GetAddType(Integer index);
  virtual bool Transient() { return false; }
  /// With a parent property: true unless the item holds an object in it.
  virtual bool AnyProblems();
  /// Computed once a designer answers: a component the designer hides, or any non-component
  /// item.
  virtual bool Hidden();
  virtual bool Ghosted() { return Hidden(); }
  virtual TPersistent* FocusItem();
  virtual TClass ItemClass() { return FItem ? FItem->ClassType() : nullptr; }
  virtual TSprig* Owner() { return nullptr; }
  /// Writes caption and images to the display node, when there is one.
  virtual void VisualRefresh();
  virtual TTreeNode* TreeNodeFor() { return FTreeNode; }
  virtual String Name() { return UniqueName(); }
  virtual String Caption();
  virtual String Hint() { return {}; }
  virtual void PrepareMenu(const IPtr<IMenuItems>&) {}
  virtual bool ShowRegisteredMenus() { return FItem != nullptr; }
  /// Whether `source` may be dropped here: the source decides (DragOverTo), unless a sprig
  /// class takes the decision itself.
  virtual bool DragOver(TSprig* source) { return source && source->DragOverTo(this); }
  virtual bool DragOverTo(TSprig* parent);
  virtual bool DragDrop(TSprig* source) { return source && source->DragDropTo(this); }
  virtual bool DragDropTo(TSprig* parent);
  /// Whether a component of `cls` made from the palette may go under `parent`. Class-level:
  /// it uses only what the sprig class says (ParentProperty), not this sprig's item.
  virtual bool PaletteOverTo(TSprig* parent, TClass cls);
  virtual TSprigDeleteStyle DeleteStyle() { return FItem ? dsNormal : dsAbort; }
  virtual bool CustomDelete() { return false; }
  virtual bool CanMove(bool up);
  virtual bool Move(bool up);
  virtual bool CanAdd() { return AddTypeCount() > 0; }
  virtual Integer AddTypeCount() { return 0; }
  virtual void AddType(Integer) {}
  virtual void SortItems();
  virtual bool SortByIndex() { return false; }
  virtual bool IncludeIndexInCaption() { return false; }
  virtual Integer ItemIndex() { return 0; }
  virtual bool CopyGlyph(TObject* bitmap);
  virtual void Reparent() {}
  /// A new component of `componentClass` under this sprig's component (or its owner's, or the
  /// root's), made by the designer at zero position and size; nil without designer or
  /// parent component.
  virtual TComponent* Construct(TClass componentClass);
  /// The published class-typed property of the item that holds its parent object (class-level).
  virtual String ParentProperty() { return {}; }
  virtual void FigureParent();
  virtual void FigureChildren();
  virtual bool ParentOrphanedSprigs() { return false; }

protected:
  friend class TRootSprig;
  friend class TSprigIndex;
  /// The parent object FigureParent looks for: the parent property's value, else a
  /// component's parent component.
  TPersistent* ParentObject();
  /// Adds under the sprig found for `parentObject` (or the owner, or the root) and tells the
  /// root what to wait for when that object has no sprig yet.
  void PlaceUnder(TPersistent* parentObject);
  void RemoveChild(TSprig* child);
  void SetRoot(TRootSprig* root);

  TRootSprig* FRoot = nullptr;
  TSprig* FParent = nullptr;
  std::vector<TSprig*> FList;
  TPersistent* FItem;
  TTreeNode* FTreeNode = nullptr;
  Integer FImageIndex;
  String FCaption;
  bool FExpanded = false;
  bool FInvalid = false;
  bool FCollectionsDone = false;
  bool FHidden;
  bool FHiddenTested;

private:
  TSprig* FIndexNext = nullptr;         // next sprig of the same item in the root's index
  std::vector<TPersistent*> FWaitingOn; // objects whose sprig would change this one's parent
};

class TAbstractSprig : public TSprig {
  FW_CLASS(TAbstractSprig)
public:
  using TSprig::TSprig;
  bool Ghosted() override { return false; }
};

class TTransientSprig : public TAbstractSprig {
  FW_CLASS(TTransientSprig)
public:
  using TAbstractSprig::TAbstractSprig;
  bool Transient() override { return true; }
};

class TAbstractCollectionSprig : public TAbstractSprig {
  FW_CLASS(TAbstractCollectionSprig)
public:
  explicit TAbstractCollectionSprig(TPersistent* item) : TAbstractSprig(item) { FImageIndex = 1; }
};

class TTransientCollectionSprig : public TTransientSprig {
  FW_CLASS(TTransientCollectionSprig)
public:
  explicit TTransientCollectionSprig(TPersistent* item) : TTransientSprig(item) { FImageIndex = 1; }
};

class TPersistentSprig : public TSprig {
  FW_CLASS(TPersistentSprig)
public:
  using TSprig::TSprig;
};

class TComponentSprig : public TPersistentSprig {
  FW_CLASS(TComponentSprig)
public:
  explicit TComponentSprig(TPersistent* item) : TPersistentSprig(item) { FImageIndex = 4; }
  /// A sprig of `cls` (TComponentSprig or a descendant) owned by `owner`.
  static TComponentSprig* Create(TSprigClass cls, TPersistent* item, TSprig* owner);
  /// The component's name, or "<Components[i]>" with its index in its owner when unnamed.
  String UniqueName() override;
  TSprig* Owner() override { return FOwner; }

protected:
  TSprig* FOwner = nullptr;
};

class TPropertySprig : public TPersistentSprig {
  FW_CLASS(TPropertySprig)
public:
  using TPersistentSprig::TPersistentSprig;
  bool Ghosted() override { return false; }
  TSprigDeleteStyle DeleteStyle() override { return dsAbort; }
};

/// A collection published by its owner's item, with its items as children.
class TCollectionSprig : public TPropertySprig {
  FW_CLASS(TCollectionSprig)
public:
  explicit TCollectionSprig(TPersistent* item) : TPropertySprig(item) { FImageIndex = 3; }
  TCollection* Collection() const;
  const String& PropName() const noexcept { return FPropName; }
  String GetAddType(Integer index) override;
  TSprig* Owner() override { return FOwner; }
  /// "<Collection.PropName>".
  String Name() override;
  String Caption() override;
  TSprigDeleteStyle DeleteStyle() override { return dsCustom; }
  /// Clears the collection; true when it had items.
  bool CustomDelete() override;
  Integer AddTypeCount() override { return 1; }
  /// Adds an item and selects it.
  void AddType(Integer index) override;
  bool SortByIndex() override { return true; }
  void FigureParent() override;
  /// Also makes a sprig for every item that has none (on every call).
  void FigureChildren() override;

private:
  friend class TSprig;
  String FPropName;
  TSprig* FOwner = nullptr;
};

class TCollectionItemSprig : public TPersistentSprig {
  FW_CLASS(TCollectionItemSprig)
public:
  using TPersistentSprig::TPersistentSprig;
  String GetAddType(Integer index) override;
  Integer AddTypeCount() override;
  void AddType(Integer index) override;
  TSprig* Owner() override { return FOwner; }
  /// The item's display name.
  String Name() override;
  /// Only onto a sibling.
  bool DragOverTo(TSprig* target) override;
  /// Moves the item to the target's index; true when the index changed.
  bool DragDropTo(TSprig* target) override;
  bool IncludeIndexInCaption() override { return true; }
  Integer ItemIndex() override;
  void FigureParent() override;
  bool Ghosted() override { return false; }

private:
  friend class TCollectionSprig;
  TSprig* FOwner = nullptr;
};

/// Makes a sprig of `cls` for `item` through the class's virtual constructor.
TSprig* CreateSprig(TSprigClass cls, TPersistent* item);

// ---- Index -----------------------------------------------------------------------------------

/// Every sprig with an item, by item. Hashed on the item's address; several sprigs of one
/// item are found in the order they were added.
class TSprigIndex {
public:
  void Add(TSprig* sprig);
  void Remove(TSprig* sprig);
  /// The first sprig added for `item` and still in the index, or nil.
  TSprig* Find(const TPersistent* item) const;
  std::size_t Count() const noexcept { return FCount; }
  void Clear();

private:
  std::unordered_map<const TPersistent*, TSprig*> FMap;
  std::size_t FCount = 0;
};

// ---- Sprig-type registry ---------------------------------------------------------------------

/// One registry of sprig classes (there are two: for sprigs and for root sprigs).
class TSprigTypeList {
public:
  struct TSprigType {
    Integer Group;
    TClass Class;
    TSprigClass SprigClass;
  };
  struct TSprigIntfType {
    Integer Group;
    std::vector<TGUID> Interfaces;
    TSprigClass SprigClass;
  };

  /// Stamped with CurrentGroup; the newest registration comes first.
  void Add(TClass cls, TSprigClass sprigClass);
  void Add(std::vector<TGUID> interfaces, TSprigClass sprigClass);
  /// Interface entries first (newest first; every identity supported; an empty list matches
  /// every class), then the class entry nearest in ancestry (newest among equals). Nil when
  /// none matches.
  TSprigClass Match(TClass cls);
  /// Removes every entry of `group` and clears the lookup cache.
  void FreeGroup(Integer group);
  bool Empty() const noexcept { return FList.empty() && FInterfaceList.empty(); }

private:
  std::vector<TSprigType> FList;              // newest first
  std::vector<TSprigIntfType> FInterfaceList; // newest first
  TClass FLastClass = nullptr;
  TSprigClass FLastSprigClass = nullptr;
};

/// Generations from `ancestor` down to `cls` (0 for the class itself); -1 when `cls` does not
/// inherit from it.
Integer CountGenerations(TClass ancestor, TClass cls) noexcept;
/// Whether instances of `cls` answer `iid` (the class's interface tables and its ancestors').
bool ClassSupports(TClass cls, const TGUID& iid) noexcept;

void RegisterSprigType(TClass cls, TSprigClass sprigClass);
void RegisterSprigType(std::vector<TGUID> interfaces, TSprigClass sprigClass);
void RegisterRootSprigType(TClass cls, TSprigClass sprigClass);
void RegisterRootSprigType(std::vector<TGUID> interfaces, TSprigClass sprigClass);
/// Nil when nothing is registered, or when the match does not inherit from `base` (TSprig by
/// default).
TSprigClass FindBestSprigClass(TClass cls, TSprigClass base = nullptr);
/// The same over the root registry (TRootSprig by default).
TSprigClass FindBestRootSprigClass(TClass cls, TSprigClass base = nullptr);
/// Both registries, made on first registration; nil before.
TSprigTypeList* SprigTypeList() noexcept;
TSprigTypeList* RootSprigTypeList() noexcept;

/// Package start-up of the structure tree: the stock sprig types, the clipboard format, group
/// withdrawal and the design-notification handler. Shut-down undoes it in reverse. Each does
/// nothing when already done.
void TreeIntfStartup();
void TreeIntfShutdown();
bool TreeIntfRunning() noexcept;

} // namespace fw
