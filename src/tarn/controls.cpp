#include "tarn/controls.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/onexit.h"

#include <algorithm>
#include <random>

namespace fw {

namespace {

template <class T> void EraseLast(std::vector<T*>& v, const void* item) {
  for (std::size_t i = v.size(); i-- > 0;)
    if (v[i] == item) {
      v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

/// Moves v[from] to v[to], shifting what lies between.
template <class T> void MoveItem(std::vector<T>& v, std::size_t from, std::size_t to) {
  if (from < to)
    std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
  else if (to < from)
    std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

constexpr TAnchors AnchorAlign[] = {
    {akLeft, akTop},                    // alNone
    {akLeft, akTop, akRight},           // alTop
    {akLeft, akRight, akBottom},        // alBottom
    {akLeft, akTop, akBottom},          // alLeft
    {akRight, akTop, akBottom},         // alRight
    {akLeft, akTop, akRight, akBottom}, // alClient
    {akLeft, akTop},                    // alCustom
};

String NameOrClass(TComponent* c) { return c->Name().empty() ? c->ClassName() : c->Name(); }

bool ShownForAlignment(const TControl* c) {
  if (c->Visible()) return true;
  return c->ComponentState().Contains(stateDesigning) &&
         !c->ControlStyle().Contains(controlNoDesignVisible);
}

/// The items 0..n-1 in a sequence that moves one item to a new position in logarithmic time: a
/// treap by position whose nodes know their parents, so an item finds its own position.
class TOrderTree {
public:
  explicit TOrderTree(std::size_t n) : FNodes(n) {
    std::minstd_rand random(n + 1);
    // Built in one pass along the right spine; a node's subtree is complete when it leaves it.
    std::vector<int> spine;
    auto close = [&] {
      const int x = spine.back();
      spine.pop_back();
      Update(x);
      return x;
    };
    for (int i = 0; i < static_cast<int>(n); ++i) {
      FNodes[i].Priority = random();
      int left = -1;
      while (!spine.empty() && FNodes[spine.back()].Priority < FNodes[i].Priority)
        left = close();
      FNodes[i].Left = left;
      if (!spine.empty()) FNodes[spine.back()].Right = i;
      spine.push_back(i);
    }
    while (!spine.empty())
      FRoot = close();
    SetRoot(FRoot);
  }

  void Move(int item, std::size_t to) {
    const std::size_t from = Rank(item);
    if (from == to) return;
    int before, rest, moved, after;
    Split(FRoot, from, before, rest);
    Split(rest, 1, moved, after);
    Split(Merge(before, after), to, before, after);
    SetRoot(Merge(Merge(before, moved), after));
  }

  std::vector<int> Order() const {
    std::vector<int> order, path;
    order.reserve(FNodes.size());
    for (int x = FRoot; x >= 0 || !path.empty();) {
      if (x >= 0) {
        path.push_back(x);
        x = FNodes[x].Left;
      } else {
        x = path.back();
        path.pop_back();
        order.push_back(x);
        x = FNodes[x].Right;
      }
    }
    return order;
  }

private:
  struct TNode {
    int Left = -1, Right = -1, Parent = -1;
    std::size_t Size = 1;
    std::uint_fast32_t Priority = 0;
  };
  std::size_t Size(int x) const { return x < 0 ? 0 : FNodes[x].Size; }
  void Update(int x) {
    TNode& n = FNodes[x];
    n.Size = 1 + Size(n.Left) + Size(n.Right);
    if (n.Left >= 0) FNodes[n.Left].Parent = x;
    if (n.Right >= 0) FNodes[n.Right].Parent = x;
  }
  void SetRoot(int x) {
    FRoot = x;
    if (x >= 0) FNodes[x].Parent = -1;
  }
  std::size_t Rank(int x) const {
    std::size_t rank = Size(FNodes[x].Left);
    for (int p = FNodes[x].Parent; p >= 0; x = p, p = FNodes[p].Parent)
      if (FNodes[p].Right == x) rank += Size(FNodes[p].Left) + 1;
    return rank;
  }
  /// The first `k` items of `t` go to `a`, the rest to `b`.
  void Split(int t, std::size_t k, int& a, int& b) {
    if (t < 0) {
      a = b = -1;
      return;
    }
    TNode& n = FNodes[t];
    if (Size(n.Left) < k) {
      Split(n.Right, k - Size(n.Left) - 1, FNodes[t].Right, b);
      a = t;
    } else {
      Split(n.Left, k, a, FNodes[t].Left);
      b = t;
    }
    Update(t);
  }
  int Merge(int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    if (FNodes[a].Priority > FNodes[b].Priority) {
      const int right = Merge(FNodes[a].Right, b);
      FNodes[a].Right = right;
      Update(a);
      return a;
    }
    const int left = Merge(a, FNodes[b].Left);
    FNodes[b].Left = left;
    Update(b);
    return b;
  }

  std::vector<TNode> FNodes;
  int FRoot = -1;
};

PTypeInfo TabOrderType() {
  static PTypeInfo t = MakeOrdinalType("TTabOrder", kindInteger, otSWord, -1, 32767);
  return t;
}

} // namespace

PTypeInfo TypeInfoOf(std::type_identity<TDragKind>) {
  static PTypeInfo t = MakeEnumType("TDragKind", {"dkDrag", "dkDock"}, "Controls");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TDragMode>) {
  static PTypeInfo t = MakeEnumType("TDragMode", {"dmManual", "dmAutomatic"}, "Controls");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TTextLayout>) {
  static PTypeInfo t = MakeEnumType("TTextLayout", {"tlTop", "tlCenter", "tlBottom"}, "StdCtrls");
  return t;
}

// ---- TMargins ----------------------------------------------------------------------------------

TClass TMargins::StaticClass() {
  static const TClass cls = TClassBuilder<TMargins, TPersistent>("TMargins", "Controls")
                                .Property("Left", &TMargins::Left, &TMargins::SetLeft)
                                .Default(3)
                                .Property("Top", &TMargins::Top, &TMargins::SetTop)
                                .Default(3)
                                .Property("Right", &TMargins::Right, &TMargins::SetRight)
                                .Default(3)
                                .Property("Bottom", &TMargins::Bottom, &TMargins::SetBottom)
                                .Default(3)
                                .Build();
  return cls;
}

TClass TPadding::StaticClass() {
  static const TClass cls = TClassBuilder<TPadding, TMargins>("TPadding", "Controls")
                                .Property("Left", &TPadding::Left, &TPadding::SetLeft)
                                .Default(0)
                                .Property("Top", &TPadding::Top, &TPadding::SetTop)
                                .Default(0)
                                .Property("Right", &TPadding::Right, &TPadding::SetRight)
                                .Default(0)
                                .Property("Bottom", &TPadding::Bottom, &TPadding::SetBottom)
                                .Default(0)
                                .Build();
  return cls;
}

TMargins::TMargins(TControl* control, Integer defaultValue)
    : FControl(control), FLeft(defaultValue), FTop(defaultValue), FRight(defaultValue),
      FBottom(defaultValue) {}

void TMargins::Assign(TPersistent* source) {
  if (auto* m = dynamic_cast<TMargins*>(source)) {
    SetBounds(m->FLeft, m->FTop, m->FRight, m->FBottom);
    return;
  }
  TPersistent::Assign(source);
}

TPersistent* TMargins::GetOwner() { return FControl; }

void TMargins::SetBounds(Integer left, Integer top, Integer right, Integer bottom) {
  if (left == FLeft && top == FTop && right == FRight && bottom == FBottom) return;
  FLeft = left;
  FTop = top;
  FRight = right;
  FBottom = bottom;
  Changed();
}

TRect TMargins::Apply(TRect r, bool inward) const {
  const Integer s = inward ? 1 : -1;
  return {r.Left + s * FLeft, r.Top + s * FTop, r.Right - s * FRight, r.Bottom - s * FBottom};
}

void TMargins::SetSide(Integer& side, Integer value) {
  if (side == value) return;
  side = value;
  Changed();
}

void TMargins::Changed() {
  if (FControl) FControl->MarginsChanged(this);
}

// ---- TControl ----------------------------------------------------------------------------------

TClass TControl::StaticClass() {
  static const TClass cls = TClassBuilder<TControl, TComponent>("TControl", "Controls")
                                .Property("Left", &TControl::Left, &TControl::SetLeft)
                                .NoDefault()
                                .Property("Top", &TControl::Top, &TControl::SetTop)
                                .NoDefault()
                                .Property("Width", &TControl::Width, &TControl::SetWidth)
                                .NoDefault()
                                .Property("Height", &TControl::Height, &TControl::SetHeight)
                                .NoDefault()
                                .Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
                                .Default(crDefault)
                                .Property("Hint", &TControl::Hint, &TControl::SetHint)
                                .Stored(&TControl::IsHintStored)
                                .Property("Margins", &TControl::Margins, &TControl::SetMargins)
                                .Build();
  return cls;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  FMargins.reset(new TMargins(this));
  FFont.reset(new TFont);
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  // Normally done in BeforeDestruction; a control deleted directly still leaves its parent.
  if (FHostDockSite) {
    EraseLast(FHostDockSite->FDockClients, this);
    FHostDockSite = nullptr;
  }
  if (FParent) FParent->RemoveControl(this);
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (FHostDockSite && !FHostDockSite->ComponentState().Contains(stateDestroying)) {
    TWinControl* host = FHostDockSite;
    EraseLast(host->FDockClients, this);
    FHostDockSite = nullptr;
    if (host->FDockManager) host->FDockManager->RemoveControl(this);
    host->DoRemoveDockClient(this);
  }
  if (FParent) FParent->RemoveControl(this);
}

TComponent* TControl::GetParentComponent() { return FParent; }

void TControl::SetParentComponent(TComponent* value) {
  // The class record answers faster than a cross-cast, on every control created or read.
  if (value && value->Is<TWinControl>()) SetParent(static_cast<TWinControl*>(value));
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  for (TWinControl* p = parent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation(Format(sControlParentSetToSelf, NameOrClass(this)));
  if (FParent) FParent->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::ReadState(TReader* reader) {
  if (TComponent* parent = reader->Parent(); parent && parent != FParent) {
    auto* p = parent->Is<TWinControl>() ? static_cast<TWinControl*>(parent) : nullptr;
    if (!p || !p->ControlStyle().Contains(controlAcceptsControls))
      throw EReadError(Format(sControlNotAccepting, NameOrClass(parent)));
    SetParent(p);
  }
  TComponent::ReadState(reader);
}

void TControl::Loaded() {
  TComponent::Loaded();
  // Rules taken before the parents are aligned would stretch an anchored control by however
  // much its parent grows then.
  if (!AwaitsLoadedAlign()) UpdateAnchorRules();
  if (!FParent || FParent->Loading()) return;
  if (FParent->FLoadingChildren > 0) {
    // The parent finished first: it realigns once its last loading child is done.
    if (--FParent->FLoadingChildren == 0) FParent->RealignLoaded();
  } else {
    RequestAlign();
  }
}

void TControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  const bool resized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  if (FParent) FParent->ListOf(this).Bounds[static_cast<std::size_t>(FListIndex)] = BoundsRect();
  if (!FAnchorMove) {
    FExplicitBounds = BoundsRect();
    UpdateAnchorRules();
  }
  if (resized) Resize();
  if (!FAnchorMove) RequestAlign();
}

void TControl::Resize() { OnResize(this); }

namespace {

void ScaleMargins(TMargins* m, Integer num, Integer den) {
  m->SetBounds(MulDiv(m->Left(), num, den), MulDiv(m->Top(), num, den),
               MulDiv(m->Right(), num, den), MulDiv(m->Bottom(), num, den));
}

/// One axis: edges are scaled, not the size, so that neighbours that touched still touch; a size
/// read without its position keeps the position and scales alone.
void ScaleAxis(bool pos, bool size, Integer m, Integer d, Integer& at, Integer& extent) {
  const Integer from = at;
  if (pos) at = MulDiv(from, m, d);
  if (size) extent = pos ? MulDiv(from + extent, m, d) - at : MulDiv(extent, m, d);
}

} // namespace

TScalingFlags TControl::TakeScalingFlags() {
  const TScalingFlags flags = FScalingRead ? FScalingFlags : AllScalingFlags;
  SetScalingRead(false);
  return flags;
}

void TControl::ChangeScale(Integer m, Integer d) {
  if (m <= 0 || d <= 0 || m == d) return;
  const TScalingFlags flags = TakeScalingFlags();
  Integer left = FLeft, top = FTop, width = FWidth, height = FHeight;
  ScaleAxis(flags.Contains(sfLeft), flags.Contains(sfWidth), m, d, left, width);
  ScaleAxis(flags.Contains(sfTop), flags.Contains(sfHeight), m, d, top, height);
  SetBounds(left, top, width, height);
  if (flags.Contains(sfMargins)) ScaleMargins(FMargins.get(), m, d);
  if (!FParentFont && flags.Contains(sfFont)) FFont->SetHeight(MulDiv(FFont->GetHeight(), m, d));
}

TRect TControl::ClientRect() const {
  const TRect nc = NonClientExtent();
  return {0, 0, std::max(FWidth - nc.Left - nc.Right, 0),
          std::max(FHeight - nc.Top - nc.Bottom, 0)};
}

void TControl::SetClientWidth(Integer value) {
  const TRect nc = NonClientExtent();
  SetWidth(value + nc.Left + nc.Right);
}

void TControl::SetClientHeight(Integer value) {
  const TRect nc = NonClientExtent();
  SetHeight(value + nc.Top + nc.Bottom);
}

TPoint TControl::ClientOrigin() const {
  const TRect nc = NonClientExtent();
  TPoint p{FLeft + nc.Left, FTop + nc.Top};
  if (FParent) {
    const TPoint o = FParent->ClientOrigin();
    p.X += o.X;
    p.Y += o.Y;
  }
  return p;
}

TPoint TControl::ClientToScreen(TPoint p) const {
  const TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

TPoint TControl::ClientToParent(TPoint p) const {
  const TRect nc = NonClientExtent();
  return {p.X + FLeft + nc.Left, p.Y + FTop + nc.Top};
}

TPoint TControl::ParentToClient(TPoint p) const {
  const TRect nc = NonClientExtent();
  return {p.X - FLeft - nc.Left, p.Y - FTop - nc.Top};
}

void TControl::SetVisible(bool value) {
  if (FVisible == value) return;
  FVisible = value;
  RequestAlign();
}

void TControl::SetEnabled(bool value) { FEnabled = value; }

void TControl::SetAlign(TAlign value) {
  if (FAlign == value) return;
  const TAlign old = FAlign;
  FAlign = value;
  FAnchors = AnchorAlign[value];
  if (!Loading() && FParent && value != alCustom && old != alCustom) {
    const bool wasVertical = old == alTop || old == alBottom;
    const bool isHorizontal = value == alLeft || value == alRight;
    FAnchorMove = true;
    if (wasVertical == isHorizontal && old != alNone && old != alClient && value != alNone &&
        value != alClient)
      SetBounds(FLeft, FTop, FHeight, FWidth); // turning sideways swaps width and height
    else if (old != alNone && value == alNone)
      SetBoundsRect(FExplicitBounds);
    FAnchorMove = false;
  }
  if (value == alNone) {
    UpdateAnchorRules();
    if (FParent && !Loading()) FParent->AlignFor(this);
  } else {
    RequestAlign();
  }
}

bool TControl::IsAnchorsStored() const { return FAnchors != AnchorAlign[FAlign]; }

void TControl::SetAnchors(TAnchors value) {
  if (FAnchors == value) return;
  FAnchors = value;
  UpdateAnchorRules();
}

void TControl::SetAlignWithMargins(bool value) {
  if (FAlignWithMargins == value) return;
  FAlignWithMargins = value;
  RequestAlign();
}

void TControl::MarginsChanged(TMargins* which) {
  NoteScaling(sfMargins);
  if (which == FMargins.get() && FAlignWithMargins) RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone && !Loading()) FParent->AlignFor(this);
}

bool TControl::AwaitsLoadedAlign() const {
  for (const TWinControl* p = FParent; p; p = p->FParent)
    if (p->Loading() || p->FLoadingChildren > 0) return true;
  return false;
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || Loading() || !FParent) return;
  FAnchorBounds = BoundsRect();
  FOriginalParentSize = {FParent->ClientWidth(), FParent->ClientHeight()};
  FHasAnchorRules = true;
}

void TControl::SetText(const String& value) { FText = value; }

void TControl::FontChanged() {
  if (!FSettingParentFont) {
    FParentFont = false;
    NoteScaling(sfFont);
  }
  if (FWindowed) static_cast<TWinControl*>(this)->NotifyFontChanged();
}

void TControl::SetParentFont(bool value) {
  FParentFont = value;
  if (value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FSettingParentFont = true;
  TOnExit restore([this] { FSettingParentFont = false; });
  FFont->Assign(FParent->Font());
}

void TControl::SetColor(TColor value) {
  FParentColor = false;
  if (FColor == value) return;
  FColor = value;
  if (FWindowed) static_cast<TWinControl*>(this)->NotifyColorChanged();
}

void TControl::SetParentColor(bool value) {
  FParentColor = value;
  if (value) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || !FParent) return;
  if (FColor == FParent->Color()) return;
  FColor = FParent->Color();
  if (FWindowed) static_cast<TWinControl*>(this)->NotifyColorChanged();
}

Integer TControl::ZOrderPosition() const {
  if (!FParent) return -1;
  FParent->PackControls();
  return FWindowed ? static_cast<Integer>(FParent->FControls.Items.size()) + FListIndex
                   : FListIndex;
}

void TControl::SetZOrderPosition(Integer position) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.Pack();
  position = std::clamp(position, 0, static_cast<Integer>(list.Items.size()) - 1);
  list.Move(static_cast<std::size_t>(FListIndex), static_cast<std::size_t>(position));
}

void TControl::SetZOrder(bool topMost) {
  if (!FParent) return;
  SetZOrderPosition(topMost ? static_cast<Integer>(FParent->FControls.Count()) - 1 : 0);
}

// ---- action

namespace {

class TControlActionLink : public TBasicActionLink {
public:
  explicit TControlActionLink(TControl* client) : FClient(client) {}
  void SetCaption(const String& value) override { FClient->SetCaption(value); }
  void SetEnabled(bool value) override { FClient->SetEnabled(value); }
  void SetHint(const String& value) override { FClient->SetHint(value); }
  void SetVisible(bool value) override { FClient->SetVisible(value); }

private:
  TControl* FClient;
};

TCustomAction* LinkedAction(const TControl* c) { return dynamic_cast<TCustomAction*>(c->Action()); }

} // namespace

void TControl::SetAction(TBasicAction* value) {
  if (value == Action()) return;
  if (!value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TControlActionLink>(this);
  FActionLink->SetAction(value);
  ActionChange(value, Loading());
}

void TControl::ActionChange(TBasicAction* sender, bool checkDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(sender);
  if (!a) return;
  if (!checkDefaults || GetText().empty()) SetCaption(a->Caption());
  if (!checkDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!checkDefaults || Hint().empty()) SetHint(a->Hint());
  if (!checkDefaults || Visible()) SetVisible(a->Visible());
}

bool TControl::IsCaptionStored() const {
  const TCustomAction* a = LinkedAction(this);
  return !a || a->Caption() != GetText();
}
bool TControl::IsEnabledStored() const {
  const TCustomAction* a = LinkedAction(this);
  return !a || a->Enabled() != Enabled();
}
bool TControl::IsHintStored() const {
  const TCustomAction* a = LinkedAction(this);
  return !a || a->Hint() != Hint();
}
bool TControl::IsVisibleStored() const {
  const TCustomAction* a = LinkedAction(this);
  return !a || a->Visible() != Visible();
}

void TControl::Click() {
  const TBasicAction* a = Action();
  const bool ownHandler = OnClick.Code && (!a || TMethod(OnClick) != TMethod(a->OnExecute));
  if (ownHandler)
    OnClick(this);
  else if (a && !ComponentState().Contains(stateDesigning))
    FActionLink->Execute(this);
  else
    OnClick(this);
}

// ---- docking

bool TControl::Undock(TWinControl* newTarget) {
  TWinControl* host = FHostDockSite;
  if (!host) return true;
  if (!host->DoUnDock(newTarget, this)) return false;
  EraseLast(host->FDockClients, this);
  FHostDockSite = nullptr;
  if (host->FDockManager && host->FUseDockManager) host->FDockManager->RemoveControl(this);
  host->DoRemoveDockClient(this);
  return true;
}

bool TControl::ManualDock(TWinControl* newDockSite, TControl* dropControl, TAlign controlSide) {
  if (!newDockSite) {
    const TPoint at = FParent ? FParent->ClientToScreen({FLeft, FTop}) : TPoint{FLeft, FTop};
    const Integer w = FUndockWidth > 0 ? FUndockWidth : FWidth;
    const Integer h = FUndockHeight > 0 ? FUndockHeight : FHeight;
    return ManualFloat({at.X, at.Y, at.X + w, at.Y + h});
  }
  if (newDockSite == this || ContainsControl(newDockSite))
    throw EInvalidOperation(Format(sControlParentSetToSelf, NameOrClass(this)));
  if (FHostDockSite) {
    if (!Undock(newDockSite)) return false;
  } else if (!FParent) {
    FUndockWidth = FWidth; // a floating control remembers its floating size
    FUndockHeight = FHeight;
  }
  TDragDockObject source(this);
  source.DropAlign = controlSide;
  source.DropOnControl = dropControl;
  const TPoint o = newDockSite->ClientOrigin();
  source.DockRect = {o.X, o.Y, o.X + FWidth, o.Y + FHeight};
  newDockSite->DockDrop(&source, 0, 0);
  return true;
}

bool TControl::ManualFloat(const TRect& screenPos) {
  if (FHostDockSite && !Undock(nullptr)) return false;
  SetParent(nullptr);
  SetBoundsRect(screenPos);
  return true;
}

bool TControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

// ---- TGraphicControl ---------------------------------------------------------------------------

TClass TGraphicControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TGraphicControl, TControl>("TGraphicControl", "Controls").Build();
  return cls;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

// ---- TDragDockObject ---------------------------------------------------------------------------

TClass TDragDockObject::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDragDockObject, TObject>("TDragDockObject", "Controls").Build();
  return cls;
}

// ---- TWinControl -------------------------------------------------------------------------------

TClass TWinControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWinControl, TControl>("TWinControl", "Controls")
          .Property("Padding", &TWinControl::Padding, &TWinControl::SetPadding)
          .Build();
  return cls;
}

PTypeInfo TWinControl::TabOrderTypeInfo() { return TabOrderType(); }

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  FWindowed = true;
  FPadding.reset(new TPadding(this));
}

TWinControl::~TWinControl() {
  if (!ComponentState().Contains(stateDestroying)) Destroying();
  for (TControl* c : FDockClients)
    c->FHostDockSite = nullptr;
  FDockClients.clear();
  FDockManager = nullptr;
  // Topmost first, each taken from the end of its list; the tab list goes as a whole, or each
  // removal would renumber the siblings behind it.
  FTabMoves.clear();
  for (TWinControl* w : FTabList)
    if (w) w->FTabOrder = -1;
  FTabList.clear();
  FTabHoles = 0;
  while (!FWinControls.Items.empty() || !FControls.Items.empty()) {
    TControl* c = !FWinControls.Items.empty() ? FWinControls.Items.back() : FControls.Items.back();
    RemoveControl(c);
    c->Free();
  }
}

TControl* TWinControl::Controls(Integer index) const {
  if (index < 0 || index >= ControlCount()) throw EListError(Format(sListIndexError, index));
  PackControls();
  const auto i = static_cast<std::size_t>(index);
  if (i < FControls.Items.size()) return FControls.Items[i];
  return FWinControls.Items[i - FControls.Items.size()];
}

void TWinControl::TChildList::Add(TControl* c) {
  c->FListIndex = static_cast<Integer>(Items.size());
  Items.push_back(c);
  Bounds.push_back(c->BoundsRect());
}

void TWinControl::TChildList::Remove(TControl* c) {
  const auto i = static_cast<std::size_t>(c->FListIndex);
  if (i >= Items.size() || Items[i] != c) return;
  c->FListIndex = -1;
  Items[i] = nullptr;
  Bounds[i] = {};
  ++Holes;
  while (!Items.empty() && !Items.back()) {
    Items.pop_back();
    Bounds.pop_back();
    --Holes;
  }
}

void TWinControl::TChildList::Pack() {
  if (Holes == 0) return;
  std::size_t to = 0;
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (!Items[i]) continue;
    Items[to] = Items[i];
    Bounds[to] = Bounds[i];
    Items[to]->FListIndex = static_cast<Integer>(to);
    ++to;
  }
  Items.resize(to);
  Bounds.resize(to);
  Holes = 0;
}

void TWinControl::PackControls() const {
  FControls.Pack();
  FWinControls.Pack();
}

void TWinControl::TChildList::Move(std::size_t from, std::size_t to) {
  if (from == to || from >= Items.size() || to >= Items.size()) return;
  MoveItem(Items, from, to);
  MoveItem(Bounds, from, to);
  for (std::size_t i = std::min(from, to), last = std::max(from, to); i <= last; ++i)
    Items[i]->FListIndex = static_cast<Integer>(i);
}

void TWinControl::InsertControl(TControl* control) {
  ListOf(control).Add(control);
  if (control->FWindowed) {
    SettleTabs();
    auto* w = static_cast<TWinControl*>(control);
    FTabList.push_back(w);
    w->FTabOrder = static_cast<Integer>(FTabList.size()) - 1;
  }
  control->FParent = this;
  control->ParentFontChanged();
  control->ParentColorChanged();
  control->UpdateAnchorRules();
  control->RequestAlign();
}

void TWinControl::RemoveControl(TControl* control) {
  if (control->FParent != this) return;
  ListOf(control).Remove(control);
  if (control->FWindowed) {
    SettleTabs();
    auto* w = static_cast<TWinControl*>(control);
    const Integer t = w->FTabOrder;
    if (t >= 0 && t < static_cast<Integer>(FTabList.size()) && FTabList[t] == w) {
      FTabList[static_cast<std::size_t>(t)] = nullptr;
      ++FTabHoles;
      while (!FTabList.empty() && !FTabList.back()) {
        FTabList.pop_back();
        --FTabHoles;
      }
    }
    w->FTabOrder = -1;
  }
  control->FParent = nullptr;
  if (control->Loading() && FLoadingChildren > 0) --FLoadingChildren;
  if (control->FAlign != alNone && !ComponentState().Contains(stateDestroying)) Realign();
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls,
                                    bool allLevels) const {
  // The bounds are scanned in their own array; a control is looked at only when it is hit.
  auto topmost = [&](const TChildList& list) -> TControl* {
    for (std::size_t i = list.Bounds.size(); i-- > 0;) {
      const TRect& r = list.Bounds[i];
      if (pos.X < r.Left || pos.Y < r.Top || pos.X >= r.Right || pos.Y >= r.Bottom) continue;
      const TControl* c = list.Items[i];
      if (!c) continue;
      const bool shown = c->ComponentState().Contains(stateDesigning)
                             ? c->FVisible || !c->FControlStyle.Contains(controlNoDesignVisible)
                             : c->FVisible && (c->FEnabled || allowDisabled);
      if (shown) return list.Items[i];
    }
    return nullptr;
  };
  TControl* found = allowWinControls ? topmost(FWinControls) : nullptr;
  if (!found) found = topmost(FControls);
  if (allLevels && found && found->FWindowed) {
    auto* w = static_cast<TWinControl*>(found);
    if (TControl* inner =
            w->ControlAtPos(w->ParentToClient(pos), allowDisabled, allowWinControls, true))
      return inner;
  }
  return found;
}

bool TControl::TextFollowsName(const String& text) const {
  // Asked on every rename: the owner's class record answers last, and only when it must.
  if (!FControlStyle.Contains(controlSetCaption) || Loading() || Name() != text) return false;
  const TComponent* owner = Owner();
  return !(owner && owner->ComponentState().Contains(stateLoading) && owner->Is<TControl>());
}

void TControl::SetName(const String& newName) {
  const bool follow = TextFollowsName(FText);
  TComponent::SetName(newName);
  if (follow) SetText(newName);
}

void TWinControl::SetTabOrder(Integer value) {
  if (Loading()) {
    FPendingTabOrder = value;
    return;
  }
  if (!FParent || FTabOrder < 0) return;
  FParent->SettleTabs();
  FParent->PackTabs();
  FParent->MoveTab(this, value);
}

Integer TWinControl::TabOrder() const {
  if (FParent) {
    FParent->SettleTabs();
    FParent->PackTabs();
  }
  return FTabOrder;
}

const std::vector<TWinControl*>& TWinControl::TabList() const {
  SettleTabs();
  PackTabs();
  return FTabList;
}

void TWinControl::PackTabs() const {
  if (FTabHoles == 0) return;
  auto* self = const_cast<TWinControl*>(this);
  std::erase(self->FTabList, nullptr);
  self->FTabHoles = 0;
  self->RenumberTabs(0, FTabList.size());
}

void TWinControl::MoveTab(TWinControl* child, Integer value) {
  const Integer count = static_cast<Integer>(FTabList.size());
  if (value < 0 || value >= count) value = count - 1;
  if (value == child->FTabOrder) return;
  const auto from = static_cast<std::size_t>(child->FTabOrder);
  const auto to = static_cast<std::size_t>(value);
  MoveItem(FTabList, from, to);
  RenumberTabs(std::min(from, to), std::max(from, to) + 1);
}

void TWinControl::SettleTabs() const {
  if (FTabMoves.empty()) return;
  PackTabs();
  auto* self = const_cast<TWinControl*>(this);
  const auto moves = std::move(self->FTabMoves);
  self->FTabMoves.clear();
  // Each move in place costs the distance it crosses; the tree costs one pass over the list.
  if (moves.size() < 16) {
    for (const auto& [child, value] : moves)
      self->MoveTab(child, value);
    return;
  }
  const Integer count = static_cast<Integer>(FTabList.size());
  TOrderTree tree(FTabList.size());
  // Until the end each child's FTabOrder is its place in the list as it was: its item number.
  for (const auto& [child, value] : moves)
    tree.Move(child->FTabOrder, static_cast<std::size_t>(value < count ? value : count - 1));
  std::vector<TWinControl*> list;
  list.reserve(FTabList.size());
  for (int item : tree.Order())
    list.push_back(FTabList[static_cast<std::size_t>(item)]);
  self->FTabList = std::move(list);
  self->RenumberTabs(0, FTabList.size());
}

void TWinControl::RenumberTabs(std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i)
    FTabList[i]->FTabOrder = static_cast<Integer>(i);
}

void TWinControl::ChangeScale(Integer m, Integer d) {
  if (m <= 0 || d <= 0 || m == d) return;
  DisableAlign();
  TOnExit enable([this] { EnableAlign(); });
  for (Integer i = 0; i < ControlCount(); ++i)
    Controls(i)->ChangeScale(m, d);
  const bool padding = !ScalingRead() || FScalingFlags.Contains(sfMargins);
  TControl::ChangeScale(m, d);
  if (padding) ScaleMargins(FPadding.get(), m, d);
}

void TWinControl::Realign() { AlignFor(nullptr); }

void TWinControl::AlignFor(TControl* control) {
  if (FAlignLevel > 0 || FAligning || Loading() || ComponentState().Contains(stateDestroying) ||
      ControlCount() == 0)
    return;
  FAligning = true;
  TOnExit restore([this] { FAligning = false; });
  TRect rect = AdjustClientRect();
  AlignControls(control, rect);
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0 && --FAlignLevel == 0) Realign();
}

TRect TWinControl::AdjustClientRect() const { return FPadding->Apply(ClientRect(), true); }

namespace {

/// Where anchors put one axis of a control when its parent's client size went from `orig` to
/// `now`: both sides stretch, the far side moves, neither keeps the centre proportional.
void AnchorAxis(bool nearSide, bool farSide, Integer origPos, Integer origSize, Integer orig,
                Integer now, Integer& pos, Integer& size) {
  if (nearSide && farSide)
    size = std::max(origSize + now - orig, 0);
  else if (farSide)
    pos = origPos + now - orig;
  else if (!nearSide && orig > 0)
    pos = static_cast<Integer>(static_cast<Int64>(origPos + origSize / 2) * now / orig) - size / 2;
}

} // namespace

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  std::vector<TControl*> lists[7];
  const Integer count = ControlCount();
  for (Integer i = 0; i < count; ++i) {
    TControl* c = Controls(i);
    if (c == control || !ShownForAlignment(c)) continue;
    if (c->FAlign == alNone && c->FAnchors == AnchorsDefault) continue;
    lists[c->FAlign].push_back(c);
  }
  // The control that asked wins ties: it goes first before the stable sorts.
  if (control && control->FParent == this && ShownForAlignment(control) &&
      !(control->FAlign == alNone && control->FAnchors == AnchorsDefault)) {
    auto& l = lists[control->FAlign];
    l.insert(l.begin(), control);
  }

  const TPoint size{ClientWidth(), ClientHeight()};
  for (TControl* c : lists[alNone]) {
    if (c->Loading() && !c->FHasAnchorRules) c->FAnchorBounds = c->BoundsRect();
    if (!c->FHasAnchorRules) continue;
    const TRect& o = c->FAnchorBounds;
    Integer left = c->FLeft, top = c->FTop, width = c->FWidth, height = c->FHeight;
    AnchorAxis(c->FAnchors.Contains(akLeft), c->FAnchors.Contains(akRight), o.Left, o.Width(),
               c->FOriginalParentSize.X, size.X, left, width);
    AnchorAxis(c->FAnchors.Contains(akTop), c->FAnchors.Contains(akBottom), o.Top, o.Height(),
               c->FOriginalParentSize.Y, size.Y, top, height);
    c->FAnchorMove = true;
    c->SetBounds(left, top, width, height);
    c->FAnchorMove = false;
  }

  // Each list sorted by its edge, read once into a key so that the sort stays within one array.
  // Equal far edges: the later control goes further out, as an insertion in list order would.
  std::vector<std::pair<Int64, TControl*>> keyed;
  auto sortBy = [&keyed](std::vector<TControl*>& list, auto key, bool farEdge) {
    if (list.size() < 2) return;
    if (farEdge) std::reverse(list.begin(), list.end());
    keyed.clear();
    for (TControl* c : list)
      keyed.emplace_back(farEdge ? -Int64{key(c)} : Int64{key(c)}, c);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i)
      list[i] = keyed[i].second;
  };
  sortBy(
      lists[alTop], [](const TControl* c) { return c->FTop; }, false);
  sortBy(
      lists[alBottom], [](const TControl* c) { return c->FTop + c->FHeight; }, true);
  sortBy(
      lists[alLeft], [](const TControl* c) { return c->FLeft; }, false);
  sortBy(
      lists[alRight], [](const TControl* c) { return c->FLeft + c->FWidth; }, true);

  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : lists[align]) {
      const TRect m = c->FAlignWithMargins ? TRect{c->FMargins->Left(), c->FMargins->Top(),
                                                   c->FMargins->Right(), c->FMargins->Bottom()}
                                           : TRect{};
      const Integer ownW = c->FWidth + m.Left + m.Right;
      const Integer ownH = c->FHeight + m.Top + m.Bottom;
      Integer w = rect.Right - rect.Left;
      if (w < 0 || align == alLeft || align == alRight) w = ownW;
      Integer h = rect.Bottom - rect.Top;
      if (h < 0 || align == alTop || align == alBottom) h = ownH;
      Integer left = rect.Left, top = rect.Top;
      switch (align) {
      case alTop:
        rect.Top += h;
        break;
      case alBottom:
        rect.Bottom -= h;
        top = rect.Bottom;
        break;
      case alLeft:
        rect.Left += w;
        break;
      case alRight:
        rect.Right -= w;
        left = rect.Right;
        break;
      default:
        break;
      }
      c->FAnchorMove = true;
      c->SetBounds(left + m.Left, top + m.Top, w - m.Left - m.Right, h - m.Top - m.Bottom);
      c->FAnchorMove = false;
      // A control that kept another size gives the difference back.
      const Integer dw = w - (c->FWidth + m.Left + m.Right);
      const Integer dh = h - (c->FHeight + m.Top + m.Bottom);
      switch (align) {
      case alTop:
        rect.Top -= dh;
        break;
      case alBottom:
        rect.Bottom += dh;
        break;
      case alLeft:
        rect.Left -= dw;
        break;
      case alRight:
        rect.Right += dw;
        break;
      default:
        break;
      }
    }
  }
}

void TWinControl::Resize() {
  Realign();
  if (FDockManager && FUseDockManager) FDockManager->ResetBounds(false);
  TControl::Resize();
}

void TWinControl::MarginsChanged(TMargins* which) {
  TControl::MarginsChanged(which);
  if (which == FPadding.get()) Realign();
}

void TWinControl::NotifyFontChanged() {
  for (Integer i = 0, n = ControlCount(); i < n; ++i)
    Controls(i)->ParentFontChanged();
}

void TWinControl::NotifyColorChanged() {
  for (Integer i = 0, n = ControlCount(); i < n; ++i)
    Controls(i)->ParentColorChanged();
}

void TWinControl::ParentFontChanged() { TControl::ParentFontChanged(); }
void TWinControl::ParentColorChanged() { TControl::ParentColorChanged(); }

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == root) proc(c);
  }
}

void TWinControl::SetChildOrder(TComponent* child, Integer order) {
  if (child && child->Is<TControl>() && static_cast<TControl*>(child)->FParent == this)
    static_cast<TControl*>(child)->SetZOrderPosition(order);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (FPendingTabOrder >= 0) {
    const Integer order = FPendingTabOrder;
    FPendingTabOrder = -1;
    // Siblings loaded with this one queue theirs too; the parent applies them together.
    if (FParent && FTabOrder >= 0) FParent->FTabMoves.emplace_back(this, order);
  }
  FLoadingChildren = 0;
  for (Integer i = 0, n = ControlCount(); i < n; ++i)
    if (Controls(i)->Loading()) ++FLoadingChildren;
  if (FLoadingChildren == 0) RealignLoaded();
}

void TWinControl::RealignLoaded() {
  Realign();
  if (AwaitsLoadedAlign()) return;
  std::vector<TWinControl*> pending{this};
  while (!pending.empty()) {
    TWinControl* w = pending.back();
    pending.pop_back();
    for (Integer i = 0, n = w->ControlCount(); i < n; ++i) {
      TControl* c = w->Controls(i);
      if (c->Loading()) continue;
      if (!c->FHasAnchorRules) c->UpdateAnchorRules();
      if (c->FWindowed) pending.push_back(static_cast<TWinControl*>(c));
    }
  }
}

void TWinControl::SetZOrderPosition(Integer position) {
  if (!FParent) return;
  FParent->PackControls();
  auto& list = FParent->FWinControls;
  position -= static_cast<Integer>(FParent->FControls.Items.size());
  position = std::clamp(position, 0, static_cast<Integer>(list.Items.size()) - 1);
  list.Move(static_cast<std::size_t>(FListIndex), static_cast<std::size_t>(position));
}

void TWinControl::SetZOrder(bool topMost) {
  if (!FParent) return;
  SetZOrderPosition(topMost ? FParent->ControlCount() - 1 : 0);
}

TControl* TWinControl::DockClients(Integer index) const {
  if (index < 0 || index >= DockClientCount()) throw EListError(Format(sListIndexError, index));
  return FDockClients[static_cast<std::size_t>(index)];
}

void TWinControl::DockDrop(TDragDockObject* source, Integer, Integer) {
  TControl* c = source->Control();
  DisableAlign();
  TOnExit enable([this] { EnableAlign(); });
  c->SetParent(this);
  if (FDockManager && FUseDockManager)
    FDockManager->InsertControl(c, source->DropAlign, source->DropOnControl);
  else if (source->DropAlign != alNone)
    c->SetAlign(source->DropAlign);
  FDockClients.push_back(c);
  c->FHostDockSite = this;
  DoAddDockClient(c, source->DockRect);
}

bool TWinControl::DoUnDock(TWinControl*, TControl*) { return true; }
void TWinControl::DoAddDockClient(TControl*, const TRect&) {}
void TWinControl::DoRemoveDockClient(TControl*) {}

} // namespace fw
