// TComponent: owned, named persistent objects with notifications, design state and a designer
// hook on the root.
#pragma once

#include "basert/functionref.h"
#include "basert/interfaces.h"
#include "basert/persistent.h"
#include "basert/sets.h"
#include "basert/sysutils.h"

#include <functional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace fw {

class TReader;
class TWriter;

enum TComponentStateFlag : std::uint8_t {
  stateLoading,
  stateReading,
  stateWriting,
  stateDestroying,
  stateDesigning,
  stateAncestor,
  stateUpdating,
  stateFixups,
  stateFreeNotification,
  stateInline,
  stateDesignInstance,
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag : std::uint8_t {
  styleInheritable,
  styleCheckPropAvail,
  styleSubComponent,
  styleTransient,
};
using TComponentStyle = TSet<TComponentStyleFlag>;

/// Called only during GetChildren: a reference, so that a walk over a module allocates nothing.
using TGetChildProc = TFunctionRef<void(TComponent* child)>;

/// procedure(Sender: TObject) of object.
struct TNotifyEvent : TMethod {
  /// Calls the handler when one with code is bound (designed-class handlers have none).
  void operator()(TObject* sender) const;
};
PTypeInfo TypeInfoOf(std::type_identity<TNotifyEvent>);

/// True when a method's code can be called (a designed-class handler's code is only a number).
bool IsCallableCode(const void* code) noexcept;

/// What a designer learns from the component model about the module it designs.
struct IDesignerNotify : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{B619FF8B-1B3E-4E4A-9C11-2F1C1C3C2A01}");
  virtual void Modified() = 0;
  virtual void Notification(TPersistent* object, TOperation operation) = 0;
};

/// The designer hook a designed root carries: asked before every rename inside it.
struct IDesignerHook : IDesignerNotify {
  static constexpr TGUID IID = TGUID::Parse("{B619FF8B-1B3E-4E4A-9C11-2F1C1C3C2A02}");
  /// Raises to refuse the rename; `component` is null (or the root) for the module's name.
  virtual void ValidateRename(TComponent* component, const String& curName,
                              const String& newName) = 0;
  virtual String UniqueName(const String& baseName) = 0;
  virtual TComponent* GetRoot() = 0;
};

/// The framework's component-reference interface: the component behind an interface value.
struct IInterfaceComponentReference : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{E28B1858-EC86-4559-8FCD-6B4F824151ED}");
  virtual TComponent* GetComponent() = 0;
};

inline constexpr std::string_view sInvalidName = "'%s' is not a valid component name";
inline constexpr std::string_view sDuplicateName = "A component named %s already exists";

class TComponent : public TPersistent, public IInterfaceComponentReference {
  FW_CLASS(TComponent)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  /// Inserts the new component into `owner` (which may refuse by raising).
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  void BeforeDestruction() override;

  // Components are owned, not counted.
  HResult QueryInterface(const TGUID& iid, void** obj) override;
  int _AddRef() override { return -1; }
  int _Release() override { return -1; }
  TComponent* GetComponent() override { return this; }

  // ---- ownership
  TComponent* Owner() const noexcept { return FOwner; }
  Integer ComponentCount() const noexcept {
    return static_cast<Integer>(FComponents.size() - FHoles);
  }
  /// Raises EListError for an index out of range.
  TComponent* Components(Integer index) const;
  /// The owned components in order. The reference stays valid, but a component freed while it
  /// is held leaves a null in its place until the list is asked for again.
  const std::vector<TComponent*>& ComponentList() const noexcept {
    Pack();
    return FComponents;
  }
  /// Position in the owner's list, -1 without owner.
  Integer ComponentIndex() const;
  /// Moves the component within its owner's list (clamped to the list).
  void SetComponentIndex(Integer value);
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  /// Frees every owned component, last first, without notifying the others.
  void DestroyComponents();
  /// Marks this component and its owned components as being destroyed.
  void Destroying();
  /// The owned component of that name (ignoring case) or null; hashed.
  TComponent* FindComponent(std::string_view name) const;

  // ---- name and tag
  const String& Name() const noexcept { return FName; }
  /// Raises EComponentError for an invalid identifier or a duplicate under the same owner, and
  /// whatever the designer hook raises; the old name is then kept.
  virtual void SetName(const String& newName);
  /// Asked before `component` (owned by this one) is renamed; null for this component itself.
  virtual void ValidateRename(TComponent* component, const String& curName, const String& newName);
  Int64 Tag() const noexcept { return FTag; }
  void SetTag(Int64 value) { FTag = value; }
  /// Design position of a non-visual component: left in the low 16 bits, top in the high.
  Integer DesignInfo() const noexcept { return FDesignInfo; }
  void SetDesignInfo(Integer value) { FDesignInfo = value; }

  // ---- state and style
  TComponentState ComponentState() const noexcept { return FComponentState; }
  TComponentStyle ComponentStyle() const noexcept { return FComponentStyle; }
  /// Sets or clears one state flag; for the filer and the designer.
  void SetStateFlag(TComponentStateFlag flag, bool on) { FComponentState.Set(flag, on); }
  /// Sets or clears stateAncestor here and in every owned component.
  void SetAncestor(bool value);
  void SetDesigning(bool value, bool setChildren = true);
  void SetInline(bool value);
  void SetDesignInstance(bool value);
  void SetSubComponent(bool isSubComponent);
  /// Enter and leave the updating state around an ancestor update; descendants override them
  /// to defer work until the update ends (Updated may raise).
  virtual void Updating() { FComponentState.Include(stateUpdating); }
  virtual void Updated() { FComponentState.Exclude(stateUpdating); }
  /// Called after the component was read from a stream; clears stateLoading.
  virtual void Loaded();

  // ---- notifications
  /// Told of every component inserted into or removed from its owner, of free-notified
  /// components going away, and passed on to the owned components. Public so that classes
  /// overriding it are found when their record is built.
  virtual void Notification(TComponent* component, TOperation operation);
  /// Asks to be told (Notification with notifyRemove) when `component` is freed; mutual.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  /// Sends a notification through the class record's hook when it has one.
  static void SendNotification(TComponent* target, TComponent* component, TOperation op);

  // ---- children and streaming
  /// Reads this component's properties and children (TReader::ReadData by default).
  virtual void ReadState(TReader* reader);
  /// Writes this component (TWriter::WriteData by default).
  virtual void WriteState(TWriter* writer);
  /// A non-visual component streams its design position as "Left" and "Top".
  void DefineProperties(TFiler* filer) override;
  /// Calls `proc` for each child written with this component (by default none).
  virtual void GetChildren(const TGetChildProc& proc, TComponent* root);
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return nullptr; }
  virtual void SetChildOrder(TComponent* child, Integer order);
  virtual TComponent* GetParentComponent() { return nullptr; }
  virtual bool HasParent() { return false; }
  virtual void SetParentComponent(TComponent* value);
  /// Raises when `component` may not be inserted into `container` (by default never).
  virtual void ValidateContainer(TComponent* container);
  virtual void ValidateInsert(TComponent* component);

  // ---- designer
  void SetDesigner(IPtr<IDesignerHook> designer) { FDesigner = std::move(designer); }
  const IPtr<IDesignerHook>& Designer() const noexcept { return FDesigner; }
  /// The designer hook of the nearest owner (this component included) that has one.
  IPtr<IDesignerHook> FindRootDesigner();

  String GetNamePath() override;
  TPersistent* GetOwner() override { return FOwner; }
  /// True when the interface value is (a reference to) this component.
  bool IsImplementorOf(const IPtr<IInterface>& value);
  /// Free-notification bookkeeping for a component behind an interface value.
  void ReferenceInterface(const IPtr<IInterface>& value, TOperation operation);

protected:
  virtual void ChangeName(const String& newName);
  void ClassChanged() override;
  TComponentStyle FComponentStyle{styleInheritable};

private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  /// Closes up the holes removals left in FComponents.
  void Pack() const noexcept;
  /// Where `component` sits in FComponents, holes counted; npos when it is not there.
  std::size_t SlotOf(const TComponent* component) const noexcept;
  bool NeedsNotification() const;
  void RebuildListeners();
  void ListenerStateChanged();
  void RemoveFreeNotifications();

  TComponent* FOwner = nullptr;
  String FName;
  Int64 FTag = 0;
  Integer FDesignInfo = 0;
  TComponentState FComponentState;
  // A removal leaves a hole (null) here, packed away by the next reader of positions: freeing
  // many components one by one would otherwise shift every later sibling each time. The last
  // slot is never a hole.
  mutable std::vector<TComponent*> FComponents;
  mutable std::size_t FHoles = 0;
  mutable std::size_t FFirstHole = 0; // meaningful while FHoles > 0
  std::size_t FSlot = 0;              // hint: this component's slot in its owner's FComponents
  std::unordered_map<std::string_view, TComponent*, TextHash, TextEqual> FNameIndex;
  // Owned components that react to notifications, in component order: the fan-out goes only
  // to them, so that inserting into a large owner stays O(1).
  std::vector<TComponent*> FListeners;
  bool FListed = false; // this component is in its owner's FListeners
  std::vector<TComponent*> FFreeNotifies;
  IPtr<IDesignerHook> FDesigner;
};

/// Creates a component of the class through its virtual constructor.
inline TComponent* CreateComponent(TClass cls, TComponent* owner) {
  return static_cast<TComponent*>(cls->Create<TComponent*>(owner));
}

/// Creates a component as a designed module's root or nested module needs it: `state` is set
/// and `beforeConstruction` runs before any construction work of the class itself.
TComponent* CreateComponentWithState(TClass cls, TComponent* owner, TComponentState state,
                                     std::function<void(TComponent*)> beforeConstruction = {});

} // namespace fw
