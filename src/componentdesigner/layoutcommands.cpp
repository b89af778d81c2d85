#include "componentdesigner/layoutcommands.h"

#include "basert/classbuilder.h"
#include "tarn/controls.h"

#include <algorithm>
#include <climits>

namespace fw {

namespace {

bool SameItem(const IPtr<IItem>& a, const IPtr<IItem>& b) {
  if (a == b) return true;
  return a && b && a->Equals(b);
}

/// A selected object as a layout item. Components that are no controls keep their place: their
/// position is the icon's, which the layout commands leave to the user.
class TLayoutItem : public TInterfacedObject, public IItem, public IPersistentItem {
  FW_CLASS(TLayoutItem)
public:
  TLayoutItem(TPersistent* instance, TComponent* root)
      : FInstance(instance),
        FControl(instance && instance->Is<TControl>() ? static_cast<TControl*>(instance) : nullptr),
        FRoot(root) {}

  bool Contains(const IPtr<IItem>& item) override {
    for (IPtr<IItem> i = item; i; i = i->GetParent())
      if (SameItem(i, IPtr<IItem>(this))) return true;
    return false;
  }
  void Delete() override {}
  TPoint GlobalToLocal(const TPoint& point) override {
    return FControl ? FControl->ScreenToClient(point) : point;
  }
  TPoint LocalToGlobal(const TPoint& point) override {
    return FControl ? FControl->ClientToScreen(point) : point;
  }
  bool Equals(const IPtr<IItem>& item) override {
    IPtr<IPersistentItem> other;
    return Supports(item, &other) && other->GetItem() == FInstance;
  }
  TRect GetBoundsRect() override {
    if (FControl) return FControl->BoundsRect();
    if (IsIcon()) {
      const Integer info = static_cast<TComponent*>(FInstance)->DesignInfo();
      const auto left = static_cast<std::int16_t>(info & 0xFFFF);
      const auto top = static_cast<std::int16_t>((info >> 16) & 0xFFFF);
      return {left, top, left, top};
    }
    return {};
  }
  TRect GetExtendedRect() override { return GetBoundsRect(); }
  TRect GetClientRect() override {
    if (FControl) return FControl->ClientRect();
    const TRect b = GetBoundsRect();
    return {0, 0, b.Width(), b.Height()};
  }
  IPtr<IItem> GetParent() override {
    if (FControl) return FControl->Parent() ? LayoutItem(FControl->Parent(), FRoot) : nullptr;
    return IsIcon() ? LayoutItem(FRoot, FRoot) : nullptr;
  }
  bool IsContainer() override {
    return FControl && dynamic_cast<TWinControl*>(FControl) &&
           FControl->ControlStyle().Contains(controlAcceptsControls);
  }
  bool HasSelectableChildren() override {
    auto* w = dynamic_cast<TWinControl*>(FControl);
    return w && w->ControlCount() > 0;
  }
  void SetBoundsRect(const TRect& rect) override {
    if (FControl) FControl->SetBoundsRect(rect);
  }
  bool Selectable() override { return true; }
  void ValidateDeletable() override {}
  void Edit() override {}

  TPersistent* GetItem() override { return FInstance; }
  String GetNamePath() override { return FInstance ? FInstance->GetNamePath() : String(); }

private:
  bool IsIcon() const {
    auto* c = dynamic_cast<TComponent*>(FInstance);
    return c && FRoot && c != FRoot && c->Owner() == FRoot;
  }
  TPersistent* FInstance;
  TControl* FControl;
  TComponent* FRoot;
};

TClass TLayoutItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TLayoutItem, TInterfacedObject>("TLayoutItem", "LayoutCommands")
          .Implements<IItem, IPersistentItem>()
          .Build();
  return cls;
}

using TBounders = std::vector<TBounder>;

TBounders MakeBounders(const std::vector<IPtr<IItem>>& items) {
  TBounders b;
  b.reserve(items.size());
  for (const IPtr<IItem>& item : items)
    b.emplace_back(item);
  return b;
}

/// Horizontal or vertical access to a bounder's position and extent.
struct TAxis {
  bool Horizontal;
  Integer (TBounder::*Coord)() const noexcept;
  Integer (TBounder::*Extent)() const noexcept;
  void (TBounder::*SetCoord)(Integer);
};
constexpr TAxis HorzAxis{true, &TBounder::Left, &TBounder::Width, &TBounder::SetLeft};
constexpr TAxis VertAxis{false, &TBounder::Top, &TBounder::Height, &TBounder::SetTop};

/// Indexes into `b` ordered by the axis's coordinate.
std::vector<std::size_t> SortedBy(const TBounders& b, const TAxis& axis) {
  std::vector<std::size_t> order(b.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    return (b[x].*axis.Coord)() < (b[y].*axis.Coord)();
  });
  return order;
}

/// The first and last stay; the coordinates between are spread evenly.
void Space(TBounders& b, const TAxis& axis) {
  if (b.size() < 3) return;
  const std::vector<std::size_t> order = SortedBy(b, axis);
  const Int64 first = (b[order.front()].*axis.Coord)();
  const Int64 span = (b[order.back()].*axis.Coord)() - first;
  const Int64 n = static_cast<Int64>(order.size()) - 1;
  for (Int64 i = 1; i < n; ++i)
    (b[order[i]].*axis.SetCoord)(static_cast<Integer>(first + span * i / n));
}

/// Every item moves `step` pixels per place further from the reference item (toward it for
/// -1); with -1 an item level with the reference stays and does not count.
void StepGaps(TBounders& b, const TAxis& axis, Integer step) {
  if (b.size() < 2) return;
  const std::vector<std::size_t> order = SortedBy(b, axis);
  const auto r =
      static_cast<std::ptrdiff_t>(std::find(order.begin(), order.end(), 0) - order.begin());
  const Integer ref = (b[0].*axis.Coord)();
  auto moves = [&](TBounder& x) { return step != -1 || (x.*axis.Coord)() != ref; };
  Integer acc = 0;
  for (std::ptrdiff_t i = r - 1; i >= 0; --i) {
    TBounder& x = b[order[i]];
    if (!moves(x)) continue;
    acc -= step;
    (x.*axis.SetCoord)((x.*axis.Coord)() + acc);
  }
  acc = 0;
  for (std::size_t i = r + 1; i < order.size(); ++i) {
    TBounder& x = b[order[i]];
    if (!moves(x)) continue;
    acc += step;
    (x.*axis.SetCoord)((x.*axis.Coord)() + acc);
  }
}

/// The others close up to the reference item edge to edge, gaps measured before any move.
void RemoveGaps(TBounders& b, const TAxis& axis) {
  if (b.size() < 2) return;
  const std::vector<std::size_t> order = SortedBy(b, axis);
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  const auto r =
      static_cast<std::ptrdiff_t>(std::find(order.begin(), order.end(), 0) - order.begin());
  auto coord = [&](std::ptrdiff_t i) -> Int64 { return (b[order[i]].*axis.Coord)(); };
  auto extent = [&](std::ptrdiff_t i) -> Int64 { return (b[order[i]].*axis.Extent)(); };
  std::vector<Int64> acc(order.size(), 0);
  for (std::ptrdiff_t i = r - 1; i >= 0; --i)
    acc[i] = std::max<Int64>(0, coord(i + 1) - (coord(i) + extent(i))) + acc[i + 1];
  for (std::ptrdiff_t i = r + 1; i < n; ++i)
    acc[i] = std::max<Int64>(0, coord(i) - (coord(i - 1) + extent(i - 1))) + acc[i - 1];
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    const Int64 moved = i < r ? coord(i) + acc[i] : coord(i) - acc[i];
    (b[order[i]].*axis.SetCoord)(static_cast<Integer>(moved));
  }
}

/// The group keeps its arrangement; its centre moves to the middle of the parent's client area.
void CentreInParent(TBounders& b, const TAxis& axis) {
  if (!b[0].HasParentClient()) return;
  const bool horz = axis.Horizontal;
  Int64 lo = INT64_MAX, hi = INT64_MIN;
  for (const TBounder& x : b) {
    lo = std::min<Int64>(lo, horz ? x.Bounds().Left : x.Bounds().Top);
    hi = std::max<Int64>(hi, horz ? x.Bounds().Right : x.Bounds().Bottom);
  }
  const Int64 client = horz ? b[0].ClientWidth() : b[0].ClientHeight();
  const Int64 offset = (client - lo - hi) / 2;
  for (TBounder& x : b)
    (x.*axis.SetCoord)(static_cast<Integer>((x.*axis.Coord)() + offset));
}

} // namespace

// ---- TBounder ----------------------------------------------------------------------------------

TBounder::TBounder(IPtr<IItem> item) : FItem(std::move(item)) {
  FBounds = FItem->GetBoundsRect();
  if (IPtr<IItem> parent = FItem->GetParent()) {
    const TRect client = parent->GetClientRect();
    FClientWidth = client.Width();
    FClientHeight = client.Height();
    FHasParentClient = true;
  }
}

void TBounder::Apply() { FItem->SetBoundsRect(FBounds); }

void TBounder::SetLeft(Integer value) {
  FBounds = {value, FBounds.Top, value + FBounds.Width(), FBounds.Bottom};
  Apply();
}

void TBounder::SetTop(Integer value) {
  FBounds = {FBounds.Left, value, FBounds.Right, value + FBounds.Height()};
  Apply();
}

void TBounder::SetWidth(Integer value) {
  FBounds.Right = FBounds.Left + value;
  Apply();
}

void TBounder::SetHeight(Integer value) {
  FBounds.Bottom = FBounds.Top + value;
  Apply();
}

// ---- Selection ---------------------------------------------------------------------------------

IPtr<IItem> LayoutItem(TPersistent* instance, TComponent* root) {
  return instance ? IPtr<IItem>(New<TLayoutItem>(instance, root)) : nullptr;
}

bool ForceCommonParent(std::vector<IPtr<IItem>>& items) {
  if (items.empty()) return false;
  const IPtr<IItem> parent = items.front()->GetParent();
  const std::size_t before = items.size();
  for (std::size_t i = items.size(); i-- > 1;)
    if (!SameItem(items[i]->GetParent(), parent))
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
  return items.size() != before;
}

std::vector<TPersistent*> SelectedObjects(IDesigner& designer) {
  IPtr<IDesignerSelections> list = CreateSelectionList();
  designer.GetSelections(list);
  std::vector<TPersistent*> objects;
  objects.reserve(static_cast<std::size_t>(list->GetCount()));
  for (Integer i = 0, n = list->GetCount(); i < n; ++i)
    objects.push_back(list->Get(i));
  return objects;
}

std::vector<IPtr<IItem>> ForceCommonParent(IDesigner& designer,
                                           const std::vector<TPersistent*>& objects) {
  std::vector<IPtr<IItem>> items;
  items.reserve(objects.size());
  for (TPersistent* p : objects)
    items.push_back(LayoutItem(p, designer.GetRoot()));
  std::erase(items, nullptr);
  if (ForceCommonParent(items)) {
    IPtr<IDesignerSelections> kept = CreateSelectionList();
    for (const IPtr<IItem>& item : items)
      kept->Add(QueryIntf<IPersistentItem>(item)->GetItem());
    designer.SetSelections(kept);
  }
  return items;
}

// ---- Commands ----------------------------------------------------------------------------------

void AlignItems(const std::vector<IPtr<IItem>>& items, TOTAAffect affect) {
  if (items.empty()) return;
  TBounders b = MakeBounders(items);
  const TBounder& ref = b[0];
  auto each = [&b](auto&& apply) {
    for (TBounder& x : b)
      apply(x);
  };
  switch (affect) {
  case afTop: {
    const Integer v = ref.Top();
    each([v](TBounder& x) { x.SetTop(v); });
    break;
  }
  case afLeft: {
    const Integer v = ref.Left();
    each([v](TBounder& x) { x.SetLeft(v); });
    break;
  }
  case afBottom: {
    const Integer v = ref.Top() + ref.Height();
    each([v](TBounder& x) { x.SetTop(v - x.Height()); });
    break;
  }
  case afRight: {
    const Integer v = ref.Left() + ref.Width();
    each([v](TBounder& x) { x.SetLeft(v - x.Width()); });
    break;
  }
  case afHCenter: {
    const Integer v = ref.Left() + ref.Width() / 2;
    each([v](TBounder& x) { x.SetLeft(v - x.Width() / 2); });
    break;
  }
  case afVCenter: {
    const Integer v = ref.Top() + ref.Height() / 2;
    each([v](TBounder& x) { x.SetTop(v - x.Height() / 2); });
    break;
  }
  case afHSpace:
    Space(b, HorzAxis);
    break;
  case afVSpace:
    Space(b, VertAxis);
    break;
  case afHWinCenter:
    CentreInParent(b, HorzAxis);
    break;
  case afVWinCenter:
    CentreInParent(b, VertAxis);
    break;
  case afHSpaceInc:
    StepGaps(b, HorzAxis, 1);
    break;
  case afHSpaceDec:
    StepGaps(b, HorzAxis, -1);
    break;
  case afHSpaceDel:
    RemoveGaps(b, HorzAxis);
    break;
  case afVSpaceInc:
    StepGaps(b, VertAxis, 1);
    break;
  case afVSpaceDec:
    StepGaps(b, VertAxis, -1);
    break;
  case afVSpaceDel:
    RemoveGaps(b, VertAxis);
    break;
  case afNothing:
  case afAlignToGrid:
  case afSnapToGrid:
  case afSendToBack:
  case afBringToFront:
    break;
  }
}

void SizeItems(const std::vector<IPtr<IItem>>& items, TOTASizeAffect affect, Integer value) {
  if (items.empty()) return;
  TBounders b = MakeBounders(items);
  Integer minW = INT_MAX, minH = INT_MAX, maxW = 0, maxH = 0;
  for (const TBounder& x : b) {
    minW = std::min(minW, x.Width());
    minH = std::min(minH, x.Height());
    maxW = std::max(maxW, x.Width());
    maxH = std::max(maxH, x.Height());
  }
  const Integer firstW = b[0].Width(), firstH = b[0].Height();
  for (TBounder& x : b)
    switch (affect) {
    case asHGrow:
      x.SetWidth(maxW);
      break;
    case asHShrink:
      x.SetWidth(minW);
      break;
    case asHAbsolute:
      x.SetWidth(value);
      break;
    case asVGrow:
      x.SetHeight(maxH);
      break;
    case asVShrink:
      x.SetHeight(minH);
      break;
    case asVAbsolute:
      x.SetHeight(value);
      break;
    case asWidths:
      x.SetWidth(firstW);
      break;
    case asHeights:
      x.SetHeight(firstH);
      break;
    case asWidthHeight:
      x.SetWidth(firstW);
      x.SetHeight(firstH);
      break;
    case asNothing:
    case asSizeToGrid:
      return;
    }
}

void AlignItemsToGrid(const std::vector<IPtr<IItem>>& items,
                      const std::function<TPoint(const TPoint&)>& snap) {
  for (const IPtr<IItem>& item : items) {
    const TRect r = item->GetBoundsRect();
    const TPoint p = snap(TPoint{r.Left, r.Top});
    item->SetBoundsRect({p.X, p.Y, p.X + r.Width(), p.Y + r.Height()});
  }
}

void FlipChildren(TWinControl* control, bool allLevels) {
  if (!control) return;
  const Integer width = control->ClientWidth();
  std::vector<TControl*> children;
  for (Integer i = 0, n = control->ControlCount(); i < n; ++i)
    children.push_back(control->Controls(i));
  control->DisableAlign();
  for (TControl* c : children) {
    if (c->Align() == alLeft)
      c->SetAlign(alRight);
    else if (c->Align() == alRight)
      c->SetAlign(alLeft);
    TAnchors a = c->Anchors();
    if (a.Contains(akLeft) != a.Contains(akRight)) {
      const bool left = a.Contains(akLeft);
      c->SetAnchors(a.Set(akLeft, !left).Set(akRight, left));
    }
    c->SetLeft(width - c->Left() - c->Width());
  }
  control->EnableAlign();
  if (allLevels)
    for (TControl* c : children)
      if (auto* w = dynamic_cast<TWinControl*>(c)) FlipChildren(w, true);
}

} // namespace fw
