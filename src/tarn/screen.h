// The screen: its monitors and work areas (which tests and hosts set), installed font names,
// and the forms that exist.
#pragma once

#include "basert/component.h"
#include "basert/strings.h"
#include "tarn/uitypes.h"

#include <functional>
#include <memory>
#include <vector>

namespace fw {

class TCustomForm;

/// One display: its bounds and the part of them windows may use (without task bars).
class TMonitor {
public:
  Integer MonitorNum() const noexcept { return FNum; }
  const TRect& BoundsRect() const noexcept { return FBounds; }
  const TRect& WorkareaRect() const noexcept { return FWorkarea; }
  bool Primary() const noexcept { return FPrimary; }
  Integer Left() const noexcept { return FBounds.Left; }
  Integer Top() const noexcept { return FBounds.Top; }
  Integer Width() const noexcept { return FBounds.Width(); }
  Integer Height() const noexcept { return FBounds.Height(); }

private:
  friend class TScreen;
  Integer FNum = 0;
  TRect FBounds;
  TRect FWorkarea;
  bool FPrimary = false;
};

enum TMonitorDefaultTo : std::uint8_t { mdNearest, mdNull, mdPrimary };

/// What a monitor is made from; an empty work area means the whole bounds.
struct TMonitorLayout {
  TRect Bounds{};
  TRect Workarea{};
  bool Primary = false;
};

class TScreen : public TComponent {
  FW_CLASS(TScreen)
public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  /// Replaces the monitors. The first one flagged primary is primary (the first when none
  /// is); an empty list restores the default single 1920 x 1080 monitor. Raises
  /// EInvalidOperation for a monitor of no size.
  void SetMonitors(const std::vector<TMonitorLayout>& monitors);
  Integer MonitorCount() const noexcept { return static_cast<Integer>(FMonitors.size()); }
  /// Raises EListError for an index out of range.
  TMonitor* Monitors(Integer index) const;
  TMonitor* PrimaryMonitor() const;
  /// The monitor containing the point, or by `fallback` the nearest, none or the primary.
  TMonitor* MonitorFromPoint(TPoint p, TMonitorDefaultTo fallback = mdNearest) const;
  /// The monitor sharing the largest area with `r`, or by `fallback` as above.
  TMonitor* MonitorFromRect(const TRect& r, TMonitorDefaultTo fallback = mdNearest) const;

  /// The primary monitor's size.
  Integer Width() const;
  Integer Height() const;
  /// The primary monitor's work area.
  TRect WorkAreaRect() const;
  /// The union of every monitor's bounds.
  TRect DesktopRect() const;

  Integer PixelsPerInch = 96;
  Integer IconWidth = 32;
  Integer IconHeight = 32;
  TCursor Cursor = crDefault;
  /// Installed font names, sorted; hosts and tests may change the list.
  TStringList* Fonts() const noexcept { return FFonts.get(); }

  // The forms that exist, in creation order: every form joins when it is made and leaves
  // when it is freed.
  void AddForm(TCustomForm* form);
  /// Leaving the active form hands activity on as hiding it does.
  void RemoveForm(TCustomForm* form);
  Integer FormCount() const noexcept { return static_cast<Integer>(FForms.size()); }
  /// Raises EListError for an index out of range.
  TCustomForm* Forms(Integer index) const;
  /// The form last activated (shown or focused) that is still visible, or null.
  TCustomForm* ActiveForm() const noexcept { return FActiveForm; }
  /// Makes `form` (one of the screen's forms, or null) active and fires OnActiveFormChange.
  void SetActiveForm(TCustomForm* form);
  /// The active form was hidden: the most recently activated visible form takes over.
  void FormHidden(TCustomForm* form);
  std::function<void(TScreen* sender)> OnActiveFormChange;

private:
  std::vector<std::unique_ptr<TMonitor>> FMonitors;
  std::unique_ptr<TStringList> FFonts;
  std::vector<TCustomForm*> FForms;
  std::vector<TCustomForm*> FActivation; // forms by last activation, latest at the back
  TCustomForm* FActiveForm = nullptr;
};

/// The process's screen, made on first use.
TScreen* Screen();
/// The process's screen when it exists and is not being torn down, else null: what a form
/// freed late in the process's exit asks.
TScreen* LiveScreen() noexcept;

} // namespace fw
