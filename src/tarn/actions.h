// Actions and action lists, and the hooks through which component packages register action
// classes with whoever keeps the action registry.
#pragma once

#include "basert/component.h"
#include "basert/exceptions.h"
#include "tarn/shortcuts.h"

#include <functional>
#include <vector>

namespace fw {

class TCustomActionList;
class TCustomImageList;

class EActionError : public Exception {
  using Exception::Exception;
};

inline constexpr std::string_view sInvalidActionRegistration = "Invalid action registration";
inline constexpr std::string_view sInvalidActionUnregistration = "Invalid action unregistration";
inline constexpr std::string_view sInvalidActionEnumeration = "Invalid action enumeration";
inline constexpr std::string_view sInvalidActionCreation = "Invalid action creation";

/// Something a user can do: a component with an execute and an update handler.
class TBasicAction : public TComponent {
  FW_CLASS(TBasicAction)
public:
  explicit TBasicAction(TComponent* owner);
  /// Calls OnExecute; false when there is none.
  virtual bool Execute();
  /// Calls OnUpdate; false when there is none.
  virtual bool Update();
  TComponent* ActionComponent = nullptr; ///< the control that fired the action, if any
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
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

/// An action with the properties a menu item or button shows.
class TCustomAction : public TContainedAction {
  FW_CLASS(TCustomAction)
public:
  explicit TCustomAction(TComponent* owner);
  String Caption;
  bool Checked = false;
  bool Enabled = true;
  Integer HelpContext = 0;
  String Hint;
  Integer ImageIndex = -1;
  TShortCut ShortCut = TShortCut(0);
  bool Visible = true;
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
