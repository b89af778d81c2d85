// Menu interfaces the host implements for design-time menus; editors only pass them along.
#pragma once

#include "basert/interfaces.h"
#include "basert/types.h"

#include <functional>

namespace fw {

class TObject;
class TComponent;

struct IMenuItem;

/// Click handler of a menu item: procedure(Sender: TObject) of object.
using TMenuClickProc = std::function<void(TObject* sender)>;

/// A list of menu items (a menu's top level or an item's submenu).
struct IMenuItems : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{010860AE-C58A-48B5-8263-0DFAA45BC5BD}");
  virtual bool SameAs(const IPtr<IInterface>& item) = 0;
  virtual IPtr<IMenuItem> Find(const String& caption) = 0;
  virtual IPtr<IMenuItem> FindByName(const String& name) = 0;
  virtual Integer Count() = 0;
  virtual IPtr<IMenuItem> Items(Integer index) = 0;
  virtual void Clear() = 0;
  /// Adds an item at the end; `hint` and `name` may be empty.
  virtual IPtr<IMenuItem> AddItem(const String& caption, Integer shortCut, bool checked,
                                  bool enabled, const TMenuClickProc& onClick, const String& hint,
                                  const String& name) = 0;
  /// Adds an item that executes an action component (the IDE's commands).
  virtual IPtr<IMenuItem> AddActionItem(TComponent* action, const String& name) = 0;
  virtual IPtr<IMenuItem> InsertItem(Integer index, const String& caption, Integer shortCut,
                                     bool checked, bool enabled, const TMenuClickProc& onClick,
                                     const String& hint, const String& name) = 0;
  virtual IPtr<IMenuItem> InsertActionItem(Integer index, TComponent* action,
                                           const String& name) = 0;
  /// Adds a separator line.
  virtual IPtr<IMenuItem> AddLine(const String& name) = 0;
  virtual IPtr<IMenuItem> InsertLine(Integer index, const String& name) = 0;
  virtual void Remove(const IPtr<IMenuItem>& item) = 0;
  virtual Integer IndexOf(const IPtr<IMenuItem>& item) = 0;
  virtual IPtr<IMenuItem> Parent() = 0;
};

/// One menu item with its own submenu.
struct IMenuItem : IMenuItems {
  static constexpr TGUID IID = TGUID::Parse("{A0A30208-6111-4D3E-A6CB-E5614CDFA866}");
  virtual void Click() = 0;
  virtual bool GetAutoHotkeys() = 0;
  virtual void SetAutoHotkeys(bool value) = 0;
  virtual bool GetAutoLineReduction() = 0;
  virtual void SetAutoLineReduction(bool value) = 0;
  virtual String GetCaption() = 0;
  virtual void SetCaption(const String& value) = 0;
  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool value) = 0;
  virtual bool GetEnabled() = 0;
  virtual void SetEnabled(bool value) = 0;
  virtual Integer GetGroupIndex() = 0;
  virtual void SetGroupIndex(Integer value) = 0;
  virtual Integer GetHelpContext() = 0;
  virtual void SetHelpContext(Integer value) = 0;
  virtual String GetHint() = 0;
  virtual void SetHint(const String& value) = 0;
  virtual bool GetRadioItem() = 0;
  virtual void SetRadioItem(bool value) = 0;
  virtual Integer GetShortCut() = 0;
  virtual void SetShortCut(Integer value) = 0;
  virtual Integer GetTag() = 0;
  virtual void SetTag(Integer value) = 0;
  virtual bool GetVisible() = 0;
  virtual void SetVisible(bool value) = 0;
};

struct IMenuItem2 : IMenuItem {
  static constexpr TGUID IID = TGUID::Parse("{943E26CA-517A-4003-AA92-94257F79BFD1}");
  virtual void SetDefault(bool value) = 0;
};

struct IMenu : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{06154C14-5332-4A8F-9B89-441976B49FB4}");
  virtual IPtr<IMenuItem> Items() = 0;
};

struct IMainMenu : IMenu {
  static constexpr TGUID IID = TGUID::Parse("{3520551E-D550-4C3D-B107-A26F18C28193}");
};

struct IPopupMenu : IMenu {
  static constexpr TGUID IID = TGUID::Parse("{0D4872CC-9F45-4824-B75F-7E1BA9F68F25}");
  virtual void Popup(Integer x, Integer y) = 0;
  virtual TComponent* GetPopupComponent() = 0;
};

/// The designer's local (context) menu.
struct IDesignLocalMenu140 : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{AFB2653E-682B-4E7E-B52B-1F2A4240D3AF}");
  virtual IPtr<IPopupMenu> BuildLocalMenu(Integer allowed) = 0;
  virtual void InvokeLocalMenu(Integer x, Integer y) = 0;
};

struct IDesignLocalMenu : IDesignLocalMenu140 {
  static constexpr TGUID IID = TGUID::Parse("{94C00A5B-DDC7-444D-96EE-E0BA6C73BFF0}");
  virtual void ClearLocalMenu() = 0;
};

} // namespace fw
