#include "tarn/placeholdercontrol.h"

#include "basert/classbuilder.h"
#include "basert/sysutils.h"
#include "basert/typinfo.h"

#include <array>
#include <limits>

namespace fw {

namespace {

// The bounds a stored integer mirrors, in SetBounds order.
constexpr std::array<std::string_view, 4> BoundNames = {"Left", "Top", "Width", "Height"};

int BoundIndex(std::string_view name) {
  for (std::size_t i = 0; i < BoundNames.size(); ++i)
    if (SameText(name, BoundNames[i])) return static_cast<int>(i);
  return -1;
}

bool IsControl(TClass cls) { return cls && cls->InheritsFrom(TControl::StaticClass()); }

} // namespace

TClass TPlaceholderControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPlaceholderControl, TWinControl>("TPlaceholderControl", "Controls").Build();
  return cls;
}

TPlaceholderControl::TPlaceholderControl(TComponent* owner) : TWinControl(owner) {
  Attach(this);
  FControlStyle.Include(controlAcceptsControls);
  FComponentStyle.Include(styleCheckPropAvail);
}

void TPlaceholderControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  GetStoredChildren(proc, root, [this, root](const TGetChildProc& offer) {
    TWinControl::GetChildren(offer, root);
  });
}

TComponent* TPlaceholderControl::GetChildOwner() {
  return ComponentState().Contains(stateInline) ? this : nullptr;
}

bool TPlaceholderControl::ApplyStoredInteger(std::string_view name, Int64 value) {
  const int i = BoundIndex(name);
  if (i < 0 || value < std::numeric_limits<Integer>::min() ||
      value > std::numeric_limits<Integer>::max())
    return false;
  std::array<Integer, 4> b = {Left(), Top(), Width(), Height()};
  b[static_cast<std::size_t>(i)] = static_cast<Integer>(value);
  SetBounds(b[0], b[1], b[2], b[3]);
  return true;
}

void TPlaceholderControl::Loaded() {
  try {
    if (const TStoredProperty* p = FindStored("Align");
        p && StoredKindOf(p->Value) == TStoredKind::Ident) {
      const Integer align =
          GetEnumValue(TypeInfoOf(std::type_identity<TAlign>{}), StoredValueText(p->Value));
      if (align >= 0) SetAlign(static_cast<TAlign>(align));
    }
    if (const TStoredProperty* p = FindStored("Anchors");
        p && StoredKindOf(p->Value) == TStoredKind::Set)
      SetAnchors(TAnchors::FromMask(static_cast<std::uint64_t>(
          StringToSet(TypeInfoOf(std::type_identity<TAnchors>{}), StoredValueText(p->Value)))));
  } catch (const EPropertyError&) {
    // Anchors of a kind this framework does not have: the control stays where it was put.
  }
  TWinControl::Loaded();
}

bool TPlaceholderControl::LiveInteger(std::string_view name, Int64& value) {
  const int i = BoundIndex(name);
  if (i < 0) return false;
  // Where alignment or anchors put the control is layout: the store keeps what was set.
  const TRect r = ExplicitBounds();
  const std::array<Integer, 4> b = {r.Left, r.Top, r.Width(), r.Height()};
  value = b[static_cast<std::size_t>(i)];
  return true;
}

void PlaceholderControlsStartup() {
  SetPlaceholderControlHooks({TPlaceholderControl::StaticClass(), &IsControl});
}

void PlaceholderControlsShutdown() { SetPlaceholderControlHooks({}); }

} // namespace fw
