#include "tarn/screen.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "tarn/forms.h"

#include <algorithm>

namespace fw {

namespace {

constexpr const char* DefaultFonts[] = {
    "Arial", "Courier New", "Segoe UI", "Tahoma", "Times New Roman", "Verdana",
};

Int64 OverlapArea(const TRect& a, const TRect& b) {
  const Int64 w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
  const Int64 h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

// In floating point: points anywhere in the integer range are far enough to overflow a square.
double DistanceSq(const TRect& r, TPoint p) {
  const Int64 x = p.X, y = p.Y;
  const double dx = x < r.Left ? r.Left - x : (x >= r.Right ? x - r.Right + 1 : 0);
  const double dy = y < r.Top ? r.Top - y : (y >= r.Bottom ? y - r.Bottom + 1 : 0);
  return dx * dx + dy * dy;
}

} // namespace

TClass TScreen::StaticClass() {
  static const TClass cls = TClassBuilder<TScreen, TComponent>("TScreen", "Forms").Build();
  return cls;
}

TScreen::TScreen(TComponent* owner) : TComponent(owner), FFonts(std::make_unique<TStringList>()) {
  FFonts->SetSorted(true);
  for (const char* f : DefaultFonts)
    FFonts->Add(f);
  SetMonitors({});
}

namespace {
TScreen* gLiveScreen = nullptr; // the process's screen while it lives
}

TScreen::~TScreen() {
  if (gLiveScreen == this) gLiveScreen = nullptr;
}

void TScreen::SetMonitors(const std::vector<TMonitorLayout>& monitors) {
  std::vector<TMonitorLayout> layouts = monitors;
  if (layouts.empty()) layouts.push_back({{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true});
  for (const auto& s : layouts)
    if (s.Bounds.Width() <= 0 || s.Bounds.Height() <= 0)
      throw EInvalidOperation("A monitor must have a size");
  auto primary = std::find_if(layouts.begin(), layouts.end(), [](auto& s) { return s.Primary; });
  const std::size_t primaryIndex = primary == layouts.end() ? 0 : primary - layouts.begin();
  FMonitors.clear();
  for (std::size_t i = 0; i < layouts.size(); ++i) {
    auto m = std::make_unique<TMonitor>();
    m->FNum = static_cast<Integer>(i);
    m->FBounds = layouts[i].Bounds;
    const TRect& w = layouts[i].Workarea;
    m->FWorkarea = (w.Width() > 0 && w.Height() > 0) ? w : layouts[i].Bounds;
    m->FPrimary = i == primaryIndex;
    FMonitors.push_back(std::move(m));
  }
}

TMonitor* TScreen::Monitors(Integer index) const {
  if (index < 0 || index >= MonitorCount()) throw EListError(Format(sListIndexError, {index}));
  return FMonitors[static_cast<std::size_t>(index)].get();
}

TMonitor* TScreen::PrimaryMonitor() const {
  for (const auto& m : FMonitors)
    if (m->Primary()) return m.get();
  return FMonitors.front().get();
}

TMonitor* TScreen::MonitorFromPoint(TPoint p, TMonitorDefaultTo fallback) const {
  TMonitor* nearest = nullptr;
  double best = 0;
  for (const auto& m : FMonitors) {
    const double d = DistanceSq(m->BoundsRect(), p);
    if (d == 0) return m.get();
    if (!nearest || d < best) {
      nearest = m.get();
      best = d;
    }
  }
  if (fallback == mdNull) return nullptr;
  return fallback == mdPrimary ? PrimaryMonitor() : nearest;
}

TMonitor* TScreen::MonitorFromRect(const TRect& r, TMonitorDefaultTo fallback) const {
  TMonitor* found = nullptr;
  Int64 best = 0;
  for (const auto& m : FMonitors) {
    const Int64 a = OverlapArea(m->BoundsRect(), r);
    if (a > best) {
      found = m.get();
      best = a;
    }
  }
  if (found) return found;
  return MonitorFromPoint({r.Left + r.Width() / 2, r.Top + r.Height() / 2}, fallback);
}

Integer TScreen::Width() const { return PrimaryMonitor()->Width(); }
Integer TScreen::Height() const { return PrimaryMonitor()->Height(); }
TRect TScreen::WorkAreaRect() const { return PrimaryMonitor()->WorkareaRect(); }

TRect TScreen::DesktopRect() const {
  TRect r = FMonitors.front()->BoundsRect();
  for (const auto& m : FMonitors) {
    const TRect& b = m->BoundsRect();
    r = {std::min(r.Left, b.Left), std::min(r.Top, b.Top), std::max(r.Right, b.Right),
         std::max(r.Bottom, b.Bottom)};
  }
  return r;
}

void TScreen::AddForm(TCustomForm* form) {
  if (form && std::find(FForms.begin(), FForms.end(), form) == FForms.end()) FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
  std::erase(FForms, form);
  std::erase(FActivation, form);
  if (FActiveForm == form) FormHidden(form);
}

TCustomForm* TScreen::Forms(Integer index) const {
  if (index < 0 || index >= FormCount()) throw EListError(Format(sListIndexError, {index}));
  return FForms[static_cast<std::size_t>(index)];
}

void TScreen::SetActiveForm(TCustomForm* form) {
  if (form && std::find(FForms.begin(), FForms.end(), form) == FForms.end()) return;
  if (form) {
    std::erase(FActivation, form);
    FActivation.push_back(form);
  }
  if (form == FActiveForm) return;
  FActiveForm = form;
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::FormHidden(TCustomForm* form) {
  if (form != FActiveForm) return;
  TCustomForm* next = nullptr;
  for (auto it = FActivation.rbegin(); it != FActivation.rend() && !next; ++it)
    if (*it != form && (*it)->Visible()) next = *it;
  SetActiveForm(next);
}

TScreen* Screen() {
  static TOwned<TScreen> screen = [] {
    TOwned<TScreen> s(New<TScreen>(nullptr));
    gLiveScreen = s.get();
    return s;
  }();
  return screen.get();
}

TScreen* LiveScreen() noexcept { return gLiveScreen; }

} // namespace fw
