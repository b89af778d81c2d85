// Dockable tool windows and the host windows made on the fly when one is dropped onto another:
// a tab host for a drop into the middle, a join host for a drop near an edge. A host dissolves
// when its second-last client leaves. Each adds its keys to the window's desktop section.
#pragma once

#include "desktop/desktopform.h"
#include "tarn/pagecontrol.h"

#include <memory>
#include <vector>

namespace fw {

// Keys of dockable windows and hosts.
inline constexpr std::string_view sKeyTBDockHeight = "TBDockHeight";
inline constexpr std::string_view sKeyLRDockWidth = "LRDockWidth";
inline constexpr std::string_view sKeyDockable = "Dockable";
inline constexpr std::string_view sKeyStayOnTop = "StayOnTop";
inline constexpr std::string_view sKeyTabPosition = "TabPosition";
inline constexpr std::string_view sKeyActiveTabID = "ActiveTabID";
inline constexpr std::string_view sKeyTabDockClients = "TabDockClients";
inline constexpr std::string_view sKeyActiveTab = "ActiveTab";
inline constexpr std::string_view sKeyDockClients = "DockClients";
inline constexpr std::string_view sKeyDockSiteData = "DockSiteData";
/// Sections of hosts: the prefix and the host's number ("TabDockHost1").
inline constexpr std::string_view sTabDockHostSection = "TabDockHost";
inline constexpr std::string_view sJoinDockHostSection = "JoinDockHost";

/// The translucency of the drop indicator, of 255.
inline constexpr Integer DropIndicatorAlpha = 156;

class TBaseDockHostForm;

/// A dock site whose layout is held while hosts are made or dissolved inside it.
class TDockSiteResizing {
public:
  virtual ~TDockSiteResizing() = default;
  virtual void SuspendResize() = 0;
  virtual void ResumeResize() = 0;
};

/// Holds the resizing of `site` (when it is a TDockSiteResizing) for its lifetime.
class TResizeSuspension {
public:
  explicit TResizeSuspension(TWinControl* site);
  ~TResizeSuspension();
  TResizeSuspension(const TResizeSuspension&) = delete;
  TResizeSuspension& operator=(const TResizeSuspension&) = delete;

private:
  TDockSiteResizing* FSite;
};

/// A tool window that can dock: into a host, a dock panel, or onto another floating one.
class TDockableForm : public TDesktopForm {
  FW_CLASS(TDockableForm)
public:
  explicit TDockableForm(TComponent* owner);

  bool Dockable() const noexcept { return FDockable; }
  void SetDockable(bool value);
  bool StayOnTop() const noexcept { return FormStyle() == fsStayOnTop; }
  void SetStayOnTop(bool value) { SetFormStyle(value ? fsStayOnTop : fsNormal); }
  /// Set by DockOver: the drop makes tabs, else it joins on DropAlign.
  bool DropOnTabs() const noexcept { return FDropOnTabs; }
  TAlign DropAlign() const noexcept { return FDropAlign; }

  /// The client area less a seventh of its width on each side and a fifth of its height on top
  /// and bottom, in screen coordinates.
  TRect TabZone() const;
  /// `source` hovers at `screenPoint` over this floating window: inside the tab zone the drop
  /// makes tabs and the zone is the drop rectangle; elsewhere the nearest edge decides the side
  /// and the drop rectangle is that half of the window. False (and nothing set) when either
  /// window cannot dock here.
  virtual bool DockOver(TDragDockObject* source, TPoint screenPoint);
  /// A window dropped onto this floating one: both go into a new host (CreateDockParent).
  void DockDrop(TDragDockObject* source, Integer x, Integer y) override;
  /// Makes the host for a drop onto this window, docks this window and the dropped one into it
  /// and answers it. The host is owned by the desktop host's FormOwner.
  virtual TBaseDockHostForm* CreateDockParent(TDragDockObject* source);

  /// After the window keys: "TBDockHeight", "LRDockWidth" (relative), "Dockable", "StayOnTop".
  void SaveWindowState(TCustomIniFile* Desktop, bool IsProject) override;
  /// "Dockable" and the dock sizes first, then the window keys, then "StayOnTop".
  void LoadWindowState(TCustomIniFile* Desktop) override;

protected:
  bool FAboutToDestroy = false;
  bool FVisibleOnUndock = false;

private:
  bool FDockable = true;
  bool FDropOnTabs = false;
  TAlign FDropAlign = alNone;
};

/// A host window: shows its clients' captions and dissolves when one client is left.
class TBaseDockHostForm : public TDockableForm {
  FW_CLASS(TBaseDockHostForm)
public:
  explicit TBaseDockHostForm(TComponent* owner);
  ~TBaseDockHostForm() override;

  /// The control the clients dock into.
  virtual TWinControl* ClientSite() { return this; }
  Integer ClientCount() { return ClientSite()->DockClientCount(); }
  TControl* Clients(Integer index) { return ClientSite()->DockClients(index); }
  Integer HostDockNumber() const noexcept { return FHostDockNumber; }
  bool DontReleaseForm() const noexcept { return FDontReleaseForm; }
  void SetDontReleaseForm(bool value) { FDontReleaseForm = value; }
  TControl* LastFocusedClient() const noexcept { return FLastFocusedClient; }
  void SetLastFocusedClient(TControl* value) { FLastFocusedClient = value; }
  bool LoadingFromDockStream() const noexcept { return FLoadingFromDockStream; }
  void SetLoadingFromDockStream(bool value) override { FLoadingFromDockStream = value; }
  /// The captions of the visible clients in dock order, joined with ", ".
  virtual String ClientCaptions();
  virtual void UpdateCaption();
  /// Hosts do not join hosts by dropping: the drop docks into the client site.
  void DockDrop(TDragDockObject* source, Integer x, Integer y) override;
  /// The posted check after a client left: with one client left (and no reload going on) that
  /// client takes the host's place and the host is freed; with none, the host is freed.
  void CheckFinalUndock();

  /// The hosts that exist, in creation order.
  static const std::vector<TBaseDockHostForm*>& Hosts();

  /// Gives the host a number (the first free one for 0) and the section made of `prefix` and
  /// it.
  void AssignHostNumber(std::string_view prefix, Integer number = 0);

protected:
  void ClientAdded(TControl* client);
  void ClientRemoved(TControl* client);

  bool FDesktopLoading = false;

private:
  TControl* FLastFocusedClient = nullptr;
  Integer FHostDockNumber = 0;
  bool FDontReleaseForm = false;
  bool FLoadingFromDockStream = false;
};

class TTabDockHostForm;

/// One client of a tab host and its tab.
class TTabDockInfo : public TObject {
  FW_CLASS(TTabDockInfo)
public:
  TTabDockInfo(TTabDockHostForm* owner, TControl* form, Integer originalIndex);
  TTabDockHostForm* Owner() const noexcept { return FOwner; }
  TControl* Form() const noexcept { return FForm; }
  Integer OriginalIndex() const noexcept { return FOriginalIndex; }
  /// The sheet that shows the client, or null.
  TTabSheet* TabSheet() const;
  /// Position of the tab, -1 without one.
  Integer TabIndex() const;
  void SetTabIndex(Integer value);
  void SetActive();
  void ShowClient();

private:
  TTabDockHostForm* FOwner;
  TControl* FForm;
  Integer FOriginalIndex;
};

/// A host that shows its clients on tabs; its caption and icon are those of the active one.
class TTabDockHostForm : public TBaseDockHostForm {
  FW_CLASS(TTabDockHostForm)
public:
  explicit TTabDockHostForm(TComponent* owner);
  ~TTabDockHostForm() override;

  TWinControl* ClientSite() override;
  TPageControl* PageControl() const noexcept { return FPageControl; }
  TTabDockInfo* GetDockClientInfo(const TControl* client) const;
  TTabDockInfo* GetDockClientInfoFromTab(const TTabSheet* sheet) const;
  /// The client on the active tab, or null.
  TControl* ActiveClient() const;
  void SetActiveClient(TControl* client);
  void UpdateCaption() override;

  /// After the dockable keys: "TabPosition", "ActiveTabID" (with an active tab) and
  /// "TabDockClients" by tab order.
  void SaveWindowState(TCustomIniFile* Desktop, bool IsProject) override;
  /// Raises EAbort (loading nothing more) when "TabDockClients" is empty or names no window
  /// that is loaded.
  void LoadWindowState(TCustomIniFile* Desktop) override;

private:
  void PageClientAdded(TControl* client);
  void PageClientRemoved(TControl* client);
  TPageControl* FPageControl = nullptr;
  std::vector<std::unique_ptr<TTabDockInfo>> FInfos;
};

/// A host that lays its clients side by side through a dock tree.
class TJoinDockForm : public TBaseDockHostForm {
  FW_CLASS(TJoinDockForm)
public:
  explicit TJoinDockForm(TComponent* owner);
  void DoAddDockClient(TControl* client, const TRect& rect) override;
  void DoRemoveDockClient(TControl* client) override;
  /// Only with at least one client: the dockable keys, "DockClients", "DockSiteData".
  void SaveWindowState(TCustomIniFile* Desktop, bool IsProject) override;
  /// Raises EAbort when "DockClients" names nothing.
  void LoadWindowState(TCustomIniFile* Desktop) override;
};

/// The drop indicator: a borderless translucent window that lets the mouse through.
class TBlendForm : public TForm {
  FW_CLASS(TBlendForm)
public:
  explicit TBlendForm(TComponent* owner);
  bool AlphaBlend() const noexcept { return FAlphaBlend; }
  Integer AlphaBlendValue() const noexcept { return FAlphaBlendValue; }
  /// Hit-tests pass through to what lies below.
  bool HitTestTransparent() const noexcept { return true; }

private:
  bool FAlphaBlend = true;
  Integer FAlphaBlendValue = DropIndicatorAlpha;
};

/// The drag of a dockable window, showing where it would land.
class TIDEDragDockObject : public TDragDockObject {
  FW_CLASS(TIDEDragDockObject)
public:
  explicit TIDEDragDockObject(TControl* control);
  ~TIDEDragDockObject() override;
  /// Moves the indicator onto DockRect and shows it; nothing for an empty rectangle.
  void DrawDragDockImage();
  void EraseDragDockImage();
  TBlendForm* BlendForm() const noexcept { return FBlendForm.get(); }

private:
  TOwned<TBlendForm> FBlendForm;
};

/// Drags `dragged` onto `target` at `screenPoint` and drops it there: answers the host made,
/// or null when the target did not accept.
TBaseDockHostForm* DropDockable(TDockableForm* dragged, TDockableForm* target, TPoint screenPoint);

/// A desktop procedure pair: saves every host with clients in its own section (and drops
/// sections of hosts that are gone), and recreates the hosts a desktop names, docking their
/// clients. Hosts made by a load that end up without clients are freed.
void SaveDockHostForms(TCustomIniFile* Desktop, bool IsProject);
void LoadDockHostForms(TCustomIniFile* Desktop);

} // namespace fw
