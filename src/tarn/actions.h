// Actions and action lists, and the hooks through which component packages register action
// classes with whoever keeps the action registry.
#pragma once

#include "basert/component.h"
#include "basert/exceptions.h"
#include "tarn/shortcuts.h"

#include <functional>
#include <vector>

namespace fw {

class TBasicAction;
class TCustomActionList;
class TCustomImageList;

class EActionError : public Exception {
  using Exception::Exception;
};

inline constexpr std::string_view sInvalidActionRegistration = "Invalid action registration";
inline constexpr std::string_view sInvalidActionUnregistration = "Invalid action unregistration";
inline constexpr std::string_view sInvalidActionEnumeration = "Invalid action enumeration";
inline constexpr std::string_view sInvalidActionCreation = "Invalid action creation";

/// The tie between an action and one client (a control, a menu item): the action pushes each
/// change of a property it shares with its clients through the link, and the client runs the
/// action through it. The client owns the link.
class TBasicActionLink {
public:
  TBasicActionLink() = default;
  /// Leaves the action.
  virtual ~TBasicActionLink();
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;

  TBasicAction* Action() const noexcept { return FAction; }
  /// Leaves the old action's clients and joins the new one's.
  void SetAction(TBasicAction* value);
  /// Runs the action for `component`; false without an action or handler.
  bool Execute(TComponent* component = nullptr);

  // Pushed by the action when one of its properties changes; clients take what they show.
  virtual void SetCaption(const String&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const String&) {}
  virtual void SetImageIndex(Integer) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}

private:
  friend class TBasicAction;
  TBasicAction* FAction = nullptr;
};

/// Something a user can do: a component with an execute and an update handler.
class TBasicAction : public TComponent {
  FW_CLASS(TBasicAction)
public:
  explicit TBasicAction(TComponent* owner);
  /// Detaches every client link, so the clients' Action reads null.
  ~TBasicAction() override;
  void BeforeDestruction() override;
  Integer ClientCount() const noexcept { return static_cast<Integer>(FClients.size()); }
  /// Calls OnExecute; false when there is none.
  virtual bool Execute();
  /// Calls OnUpdate; false when there is none.
  virtual bool Update();
  TComponent* ActionComponent = nullptr; ///< the control that fired the action, if any
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

protected:
  /// The links of the clients, in the order they joined.
  const std::vector<TBasicActionLink*>& Clients() const noexcept { return FClients; }

private:
  friend class TBasicActionLink;
  void DetachClients() noexcept;
  std::vector<TBasicActionLink*> FClients;
};

/// An action that lives in an action list and streams as one of its children.
class TContainedAction : public TBasicAction {
  FW_CLASS(TContainedAction)
public:
  explicit TContainedAction(TComponent* owner);
  ~TContainedAction() override;

  TCustomActionList* GetActionList() const noexcept { return FActionList; }
  /// Moves the action to the end of another list (null: out of any list).
  void SetActionList(TCustomActionList* list);
  const String& GetCategory() const noexcept { return FCategory; }
  void SetCategory(const String& value);
  /// Position in the action list, -1 outside one. Setting moves it, clamped to the list.
  Integer GetIndex() const;
  void SetIndex(Integer value);

  bool HasParent() override { return FActionList != nullptr; }
  TComponent* GetParentComponent() override;
  /// Only an action list can be the parent; other components are ignored.
  void SetParentComponent(TComponent* value) override;
  /// Joins the action list it is read as a child of.
  void ReadState(TReader* reader) override;

private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
  String FCategory;
};

/// An action with the properties a menu item or button shows. Setting one passes the new
/// value on to every client.
class TCustomAction : public TContainedAction {
  FW_CLASS(TCustomAction)
public:
  explicit TCustomAction(TComponent* owner);
  const String& Caption() const noexcept { return FCaption; }
  void SetCaption(const String& value);
  bool Checked() const noexcept { return FChecked; }
  void SetChecked(bool value);
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool value);
  Integer HelpContext() const noexcept { return FHelpContext; }
  void SetHelpContext(Integer value) { FHelpContext = value; }
  const String& Hint() const noexcept { return FHint; }
  void SetHint(const String& value);
  Integer ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(Integer value);
  TShortCut ShortCut() const noexcept { return FShortCut; }
  void SetShortCut(TShortCut value);
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool value);

private:
  template <class V, class F> void Push(V& field, const V& value, F toLink);
  String FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  Integer FHelpContext = 0;
  String FHint;
  Integer FImageIndex = -1;
  TShortCut FShortCut = TShortCut(0);
  bool FVisible = true;
};

class TAction : public TCustomAction {
  FW_CLASS(TAction)
public:
  explicit TAction(TComponent* owner);
};

/// An ordered list of contained actions. Frees its actions when it goes away.
class TCustomActionList : public TComponent {
  FW_CLASS(TCustomActionList)
public:
  explicit TCustomActionList(TComponent* owner);
  ~TCustomActionList() override;

  Integer ActionCount() const noexcept { return static_cast<Integer>(FActions.size()); }
  /// Raises EListError for an index out of range.
  TContainedAction* Actions(Integer index) const;
  TCustomImageList* GetImages() const noexcept { return FImages; }
  void SetImages(TCustomImageList* value);
  /// Runs after every change of the list's membership or order.
  std::function<void(TObject* sender)> OnChange;

  /// The actions owned by `root`, in list order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void SetChildOrder(TComponent* child, Integer order) override;
  TComponent* GetChildParent() override { return this; }
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend class TContainedAction;
  void AddAction(TContainedAction* action);
  void RemoveAction(TContainedAction* action);
  void Change();
  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
  FW_CLASS(TActionList)
public:
  explicit TActionList(TComponent* owner);
};

// ---- Registration hooks --------------------------------------------------------------------

using TEnumActionProc = std::function<void(const String& category, TClass actionClass, void* info)>;
using TRegisterActionsProc = void (*)(const String& category, const std::vector<TClass>& classes,
                                      TClass resource);
using TUnRegisterActionsProc = void (*)(const std::vector<TClass>& classes);
using TEnumRegisteredActionsProc = void (*)(const TEnumActionProc& proc, void* info,
                                            const String& frameworkType);
using TCreateActionProc = TBasicAction* (*)(TComponent* owner, TClass actionClass,
                                            const String& frameworkType);

/// Filled by the action registry while it runs; empty otherwise.
extern TRegisterActionsProc RegisterActionsProc;
extern TUnRegisterActionsProc UnRegisterActionsProc;
extern TEnumRegisteredActionsProc EnumRegisteredActionsProc;
extern TCreateActionProc CreateActionProc;

// These forward through the hooks and raise EActionError when the hook is empty.
void RegisterActions(const String& category, const std::vector<TClass>& classes,
                     TClass resource = nullptr);
void UnRegisterActions(const std::vector<TClass>& classes);
void EnumRegisteredActions(const TEnumActionProc& proc, void* info,
                           const String& frameworkType = {});
TBasicAction* CreateAction(TComponent* owner, TClass actionClass, const String& frameworkType = {});

} // namespace fw
