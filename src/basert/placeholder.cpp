#include "basert/placeholder.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/formtext.h"
#include "basert/runtimeclass.h"
#include "basert/streams.h"
#include "basert/sysutils.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace fw {

// ---- raw values --------------------------------------------------------------------------------

TStoredKind StoredKindOf(std::string_view value) {
  if (value.empty()) throw EReadError(Format(sReadPastEnd, 0));
  // Indexed by value tag.
  static constexpr std::array<TStoredKind, kValueTypeCount> kinds = {
      TStoredKind::Ident,   TStoredKind::List,  TStoredKind::Integer,    TStoredKind::Integer,
      TStoredKind::Integer, TStoredKind::Float, TStoredKind::String,     TStoredKind::Ident,
      TStoredKind::Ident,   TStoredKind::Ident, TStoredKind::Binary,     TStoredKind::Set,
      TStoredKind::String,  TStoredKind::Ident, TStoredKind::Collection, TStoredKind::Float,
      TStoredKind::Float,   TStoredKind::Float, TStoredKind::String,     TStoredKind::Integer,
      TStoredKind::String,  TStoredKind::Float};
  const auto tag = static_cast<Byte>(value[0]);
  if (tag >= kValueTypeCount) throw EReadError(Format(sInvalidValueType, tag, 0));
  return kinds[tag];
}

namespace {

String FloatText(std::string_view value) {
  TBinaryReaderCore in(value.data(), value.size());
  char buf[64];
  char* end = buf;
  switch (in.ReadValue()) {
  case vaExtended: {
    std::array<Byte, 10> bytes = in.ReadExtendedBytes();
    const Extended v = BytesToExtended(bytes);
    end = detail::ShortestDecimal(v, buf);
    if (!end) end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    break;
  }
  case vaSingle: {
    TBinaryReaderCore again(value.data(), value.size());
    end = std::to_chars(buf, buf + sizeof buf, again.ReadSingle()).ptr;
    break;
  }
  case vaCurrency: {
    TBinaryReaderCore again(value.data(), value.size());
    return CurrToStr(again.ReadCurrency(), DefaultFormatSettings());
  }
  case vaDate: {
    TBinaryReaderCore again(value.data(), value.size());
    end = std::to_chars(buf, buf + sizeof buf, static_cast<Double>(again.ReadDate())).ptr;
    break;
  }
  default: { // vaDouble
    TBinaryReaderCore again(value.data(), value.size());
    end = std::to_chars(buf, buf + sizeof buf, again.ReadDouble()).ptr;
    break;
  }
  }
  String s(buf, end);
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

template <class F> std::string Encoded(F&& write) {
  TMemoryStream m;
  {
    TBinaryWriterCore w(m, 64);
    write(w);
  }
  return std::string(m.View());
}

std::vector<String> ParseSet(std::string_view text) {
  const String t = Trim(text);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']')
    throw EConvertError(Format(sNotASet, String(text)));
  std::vector<String> elements;
  const std::string_view inner = std::string_view(t).substr(1, t.size() - 2);
  if (Trim(inner).empty()) return elements;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = inner.find(',', start);
    String e = Trim(inner.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (!IsValidIdent(e)) throw EConvertError(Format(sNotASet, String(text)));
    elements.push_back(std::move(e));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return elements;
}

} // namespace

String StoredValueText(std::string_view value) {
  const TStoredKind kind = StoredKindOf(value);
  TBinaryReaderCore in(value.data(), value.size());
  switch (kind) {
  case TStoredKind::String:
    return in.ReadString();
  case TStoredKind::Ident:
    return in.ReadIdent();
  case TStoredKind::Integer:
    return IntToStr(in.ReadInt64());
  case TStoredKind::Float:
    return FloatText(value);
  case TStoredKind::Set: {
    String s = "[";
    const std::vector<String> elements = in.ReadSet();
    for (std::size_t i = 0; i < elements.size(); ++i)
      s += (i ? "," : "") + elements[i];
    return s + "]";
  }
  case TStoredKind::Binary:
  case TStoredKind::List:
  case TStoredKind::Collection:
    // Appended to, not prefixed: inserting in front of a temporary trips GCC's -Wrestrict.
    return String("(").append(StoredKindNames[static_cast<std::size_t>(kind)]).append(")");
  }
  return {};
}

std::string StoredValueFromText(std::string_view stored, std::string_view text) {
  const TStoredKind kind = StoredKindOf(stored);
  switch (kind) {
  case TStoredKind::String:
    return Encoded([&](TBinaryWriterCore& w) { w.WriteString(text); });
  case TStoredKind::Ident:
    if (!IsValidIdent(text, true)) throw EConvertError(Format(sNotAnIdentifier, String(text)));
    return Encoded([&](TBinaryWriterCore& w) { w.WriteIdent(text); });
  case TStoredKind::Integer: {
    Int64 v = 0;
    if (!TryStrToInt64(Trim(text), v)) throw EConvertError(Format(SInvalidInteger, String(text)));
    return Encoded([&](TBinaryWriterCore& w) { w.WriteInteger(v); });
  }
  case TStoredKind::Float: {
    const auto tag = static_cast<TValueType>(stored[0]);
    if (tag == vaCurrency) {
      Currency c;
      if (!TryStrToCurr(text, c, DefaultFormatSettings()))
        throw EConvertError(Format(SInvalidFloat, String(text)));
      return Encoded([&](TBinaryWriterCore& w) { w.WriteCurrency(c); });
    }
    Extended v = 0;
    if (!TryStrToFloat(text, v, DefaultFormatSettings()) || std::isnan(v) || std::isinf(v))
      throw EConvertError(Format(SInvalidFloat, String(text)));
    return Encoded([&](TBinaryWriterCore& w) {
      switch (tag) {
      case vaSingle:
        w.WriteSingle(static_cast<Single>(v));
        break;
      case vaDouble:
        w.WriteDouble(static_cast<Double>(v));
        break;
      case vaDate:
        w.WriteDate(static_cast<TDateTime>(v));
        break;
      default:
        w.WriteFloat(v);
        break;
      }
    });
  }
  case TStoredKind::Set: {
    const std::vector<String> elements = ParseSet(text);
    return Encoded([&](TBinaryWriterCore& w) { w.WriteSet(elements); });
  }
  case TStoredKind::Binary:
  case TStoredKind::List:
  case TStoredKind::Collection:
    break;
  }
  throw EPropertyError(Format(sStoredValueReadOnly, String("The value"),
                              String(StoredKindNames[static_cast<std::size_t>(kind)])));
}

// ---- run-time classes --------------------------------------------------------------------------

namespace {

struct TPlaceholderClass : TRunTimeClass {
  TClass Base = nullptr;
  int Refs = 0; // instances made of it
};

using TClassKey = std::pair<TClass, String>; // flavour, lower-case name

/// The live classes by flavour and name; a class goes with its last instance.
std::map<TClassKey, TClass>& PlaceholderClasses() {
  static std::map<TClassKey, TClass> classes;
  return classes;
}

TPlaceholderClass* PlaceholderRecord(TClass cls) noexcept {
  return dynamic_cast<TPlaceholderClass*>(FindRunTimeClass(cls));
}

// An instance going: it leaves as an instance of the compiled flavour, and its class goes too
// when it was the last.
void PlaceholderBeforeDestroy(TObject* instance) {
  TPlaceholderClass* pc = PlaceholderRecord(instance->ClassType());
  if (!pc) return;
  instance->ChangeClass(pc->Base, false);
  if (--pc->Refs > 0) return;
  PlaceholderClasses().erase(TClassKey(pc->Base, LowerCase(pc->Rec.ClassName)));
  DisownRunTimeClass(&pc->Rec);
}

TPlaceholderControlHooks& Hooks() {
  static TPlaceholderControlHooks hooks;
  return hooks;
}

PTypeInfo PropTypeRef() { return StoredValueTypeInfo(); }

/// Publishes a stored property on the instance's placeholder class when it lacks one of that
/// name.
void Publish(TClass cls, const String& name) {
  TPlaceholderClass* pc = nullptr;
  while (cls && !(pc = PlaceholderRecord(cls)))
    cls = cls->Parent;
  if (!pc) return;
  if (PPropInfo p = GetPropInfo(cls->TypeInfo, name); p && p->DeclaringClass == cls) return;
  auto prop = std::make_unique<TPropInfo>();
  prop->Name = name;
  prop->TypeRef = &PropTypeRef;
  prop->ValueClass = TPropValueClass::String;
  prop->StoredConst = false; // the placeholder writes its store itself
  prop->DeclaringClass = cls;
  prop->Get = [name](TObject* instance, void* out) {
    TPlaceholder* p = AsPlaceholder(instance);
    if (!p) throw EPropertyError(Format(sPropertyNotStored, instance->ClassName(), name));
    *static_cast<String*>(out) = p->StoredText(name);
  };
  prop->Set = [name](TObject* instance, const void* in) {
    TPlaceholder* p = AsPlaceholder(instance);
    if (!p) throw EPropertyError(Format(sPropertyNotStored, instance->ClassName(), name));
    p->SetStoredText(name, *static_cast<const String*>(in));
  };
  TTypeData& data = pc->Type.Data;
  prop->NameIndex = data.PropCount;
  data.OwnProps.push_back(std::move(prop));
  ++data.PropCount;
  InvalidatePropLists(&pc->Type);
  // Classes made from this one (designed-class proxies) copied its count and lists.
  ForEachRunTimeClass([&](TRunTimeClass& other) {
    if (other.Rec.Parent != cls) return;
    other.Type.Data.PropCount = data.PropCount;
    InvalidatePropLists(&other.Type);
  });
}

} // namespace

PTypeInfo StoredValueTypeInfo() {
  static const PTypeInfo type = MakeSimpleType("TStoredValue", kindUnicodeString);
  return type;
}

TClass PlaceholderClass(const String& className, TClass base) {
  auto& classes = PlaceholderClasses();
  const TClassKey key(base, LowerCase(className));
  if (auto it = classes.find(key); it != classes.end()) return it->second;
  auto pc = std::make_unique<TPlaceholderClass>();
  TClassRec& rec = pc->Rec;
  rec = *base;
  rec.ClassName = className;
  rec.UnitName.clear();
  rec.Parent = base;
  rec.Methods.Clear();
  rec.Interfaces.clear(); // found through the parent
  rec.Tag = pc.get();
  rec.BeforeDestroy = &PlaceholderBeforeDestroy;
  rec.TypeInfo = &pc->Type;
  pc->Base = base;
  pc->Type.Kind = kindClass;
  pc->Type.Name = className;
  pc->Type.Data.ClassType = &rec;
  pc->Type.Data.ParentInfo = base->TypeInfo;
  pc->Type.Data.PropCount = base->TypeInfo ? base->TypeInfo->Data.PropCount : 0;
  TClass cls = AdoptRunTimeClass(std::move(pc));
  classes.emplace(key, cls);
  return cls;
}

bool IsPlaceholderClass(TClass cls) noexcept {
  for (; cls; cls = cls->Parent)
    if (PlaceholderRecord(cls)) return true;
  return false;
}

void SetPlaceholderControlHooks(const TPlaceholderControlHooks& hooks) { Hooks() = hooks; }
const TPlaceholderControlHooks& PlaceholderControlHooks() noexcept { return Hooks(); }

TComponent* CreatePlaceholder(const String& className, bool control, TComponent* owner,
                              std::string prefix) {
  TClass base =
      control && Hooks().ControlClass ? Hooks().ControlClass : TPlaceholderComponent::StaticClass();
  TComponentState state{stateLoading};
  if (!prefix.empty() && (static_cast<Byte>(prefix[0]) & ffInline)) state.Include(stateInline);
  TComponent* c = CreateComponentWithState(PlaceholderClass(className, base), owner, state);
  TPlaceholder* p = AsPlaceholder(c);
  p->FClassName = className;
  p->FPrefix = std::move(prefix);
  return c;
}

void TPlaceholder::Attach(TComponent* self) {
  FSelf = self;
  if (TPlaceholderClass* pc = PlaceholderRecord(self->ClassType())) ++pc->Refs;
}

TPlaceholder::~TPlaceholder() {
  for (TComponent* child : FChildren)
    if (detail::TKeptComponent* k = detail::FindKept(child)) detail::DropParent(*k, FSelf);
}

TPlaceholder* AsPlaceholder(TObject* instance) noexcept {
  return dynamic_cast<TPlaceholder*>(instance);
}

bool IsStoredChild(TComponent* component) noexcept {
  const detail::TKeptComponent* kept = detail::FindKept(component);
  return kept && kept->Parent && IsPlaceholder(kept->Parent);
}

// ---- TPlaceholder ------------------------------------------------------------------------------

const TStoredProperty* TPlaceholder::FindStored(std::string_view name) const {
  for (const TStoredProperty& p : FProperties)
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}

String TPlaceholder::StoredText(std::string_view name) const {
  const TStoredProperty* p = FindStored(name);
  if (!p) throw EPropertyError(Format(sPropertyNotStored, FClassName, String(name)));
  return StoredValueText(p->Value);
}

void TPlaceholder::SetStoredText(std::string_view name, std::string_view text) {
  const TStoredProperty* p = FindStored(name);
  if (!p) throw EPropertyError(Format(sPropertyNotStored, FClassName, String(name)));
  if (!IsTextKind(StoredKindOf(p->Value)))
    throw EPropertyError(
        Format(sStoredValueReadOnly, p->Name,
               String(StoredKindNames[static_cast<std::size_t>(StoredKindOf(p->Value))])));
  SetStoredValue(name, StoredValueFromText(p->Value, text));
}

void TPlaceholder::SetStoredValue(std::string_view name, std::string value) {
  auto it = std::find_if(FProperties.begin(), FProperties.end(),
                         [&](const TStoredProperty& p) { return SameText(p.Name, name); });
  if (it == FProperties.end())
    throw EPropertyError(Format(sPropertyNotStored, FClassName, String(name)));
  { // one whole value, nothing after it
    TBinaryReaderCore in(value.data(), value.size());
    std::string copy;
    in.SkipValue(&copy);
    if (copy.size() != value.size()) throw EReadError(Format(sInvalidValueType, 0, copy.size()));
  }
  it->Value = std::move(value);
  // A mirrored value goes to the live object too, and counts as applied.
  for (auto& [mirrored, applied] : FMirrored)
    if (SameText(mirrored, name) && StoredKindOf(it->Value) == TStoredKind::Integer) {
      TBinaryReaderCore in(it->Value.data(), it->Value.size());
      applied = in.ReadInt64();
      ApplyMirrored(mirrored, applied);
    }
}

void TPlaceholder::AddStored(String name, std::string value) {
  // Read again (an ancestor's stream and then its descendant's): the later value wins. Within
  // one stream, a name given twice is kept twice.
  if (FComplete)
    for (TStoredProperty& p : FProperties)
      if (SameText(p.Name, name)) {
        p.Value = std::move(value);
        return;
      }
  Publish(Self()->ClassType(), name);
  FProperties.push_back(TStoredProperty{std::move(name), std::move(value)});
}

void TPlaceholder::AddChild(TComponent* child) {
  if (FReadAgain && std::find(FChildren.begin(), FChildren.end(), child) != FChildren.end()) return;
  FChildren.push_back(child);
  // Its destruction tells this store (through the kept records), and it is this store's to
  // write; no notification list, which would slow down modules of thousands of components.
  detail::SetKeptParent(child, Self());
}

bool TPlaceholder::ApplyMirrored(std::string_view name, Int64 value) {
  if (!SameText(name, "Tag")) return ApplyStoredInteger(name, value);
  Self()->SetTag(value);
  return true;
}

bool TPlaceholder::LiveMirrored(std::string_view name, Int64& value) {
  if (!SameText(name, "Tag")) return LiveInteger(name, value);
  value = Self()->Tag();
  return true;
}

void TPlaceholder::PropertiesRead() {
  FReadAgain = FComplete;
  FComplete = true;
  static constexpr std::array<std::string_view, 5> mirrored = {"Left", "Top", "Width", "Height",
                                                               "Tag"};
  for (std::string_view name : mirrored) {
    const TStoredProperty* p = FindStored(name);
    Int64 v = 0;
    if (!p) {
      // Not stored: the live value as it is now, so that a change to it gets stored.
      if (LiveMirrored(name, v)) FMirrored.emplace_back(String(name), v);
      continue;
    }
    if (StoredKindOf(p->Value) != TStoredKind::Integer) continue;
    TBinaryReaderCore in(p->Value.data(), p->Value.size());
    v = in.ReadInt64();
    if (!ApplyMirrored(name, v)) continue;
    // Compared with what the component took: a value it cannot hold stays as read until edited.
    LiveMirrored(name, v);
    FMirrored.emplace_back(String(name), v);
  }
}

void TPlaceholder::SyncLiveValues() {
  for (auto& entry : FMirrored) {
    const String& name = entry.first;
    Int64& applied = entry.second;
    Int64 live = 0;
    if (!LiveMirrored(name, live) || live == applied) continue;
    applied = live;
    std::string value = Encoded([&](TBinaryWriterCore& w) { w.WriteInteger(live); });
    auto it = std::find_if(FProperties.begin(), FProperties.end(),
                           [&](const TStoredProperty& p) { return SameText(p.Name, name); });
    if (it != FProperties.end())
      it->Value = std::move(value);
    else
      AddStored(name, std::move(value));
  }
}

void TPlaceholder::GetStoredChildren(const TGetChildProc& proc, TComponent* root,
                                     TFunctionRef<void(const TGetChildProc&)> candidates) {
  std::unordered_set<TComponent*> done(FChildren.begin(), FChildren.end());
  for (TComponent* c : std::vector<TComponent*>(FChildren))
    proc(c);
  TComponent* self = Self();
  const bool isRoot = self == root;
  if (!candidates && !isRoot) return;
  auto offer = [&](TComponent* c) {
    const detail::TKeptComponent* kept = detail::FindKept(c);
    if (kept && kept->Parent) return; // the component it was read in writes it
    if (done.insert(c).second) proc(c);
  };
  if (candidates) candidates(offer);
  if (isRoot)
    for (TComponent* c : std::vector<TComponent*>(self->ComponentList()))
      if (!c->GetParentComponent() && !c->ComponentStyle().Contains(styleSubComponent)) offer(c);
}

void TPlaceholder::ChildRemoved(TComponent* child) { std::erase(FChildren, child); }

// ---- TPlaceholderComponent ---------------------------------------------------------------------

TClass TPlaceholderComponent::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPlaceholderComponent, TComponent>("TPlaceholderComponent", "Classes").Build();
  return cls;
}

TPlaceholderComponent::TPlaceholderComponent(TComponent* owner) : TComponent(owner) {
  Attach(this);
  FComponentStyle.Include(styleCheckPropAvail);
}

void TPlaceholderComponent::GetChildren(const TGetChildProc& proc, TComponent* root) {
  GetStoredChildren(proc, root);
}

void TPlaceholderComponent::SetParentComponent(TComponent* value) { FParentComponent = value; }

TComponent* TPlaceholderComponent::GetChildOwner() {
  return ComponentState().Contains(stateInline) ? this : nullptr;
}

bool TPlaceholderComponent::ApplyStoredInteger(std::string_view name, Int64 value) {
  if (value < INT16_MIN || value > INT16_MAX) return false; // the design position cannot hold it
  const auto half = static_cast<Integer>(static_cast<std::uint16_t>(value));
  if (SameText(name, "Left")) {
    SetDesignInfo((DesignInfo() & static_cast<Integer>(0xFFFF0000u)) | half);
    return true;
  }
  if (SameText(name, "Top")) {
    SetDesignInfo((DesignInfo() & 0xFFFF) | static_cast<Integer>(static_cast<UInt64>(half) << 16));
    return true;
  }
  return false;
}

bool TPlaceholderComponent::LiveInteger(std::string_view name, Int64& value) {
  if (SameText(name, "Left")) {
    value = static_cast<std::int16_t>(DesignInfo() & 0xFFFF);
    return true;
  }
  if (SameText(name, "Top")) {
    value = static_cast<std::int16_t>((DesignInfo() >> 16) & 0xFFFF);
    return true;
  }
  return false;
}

// ---- kept components ---------------------------------------------------------------------------

namespace detail {

namespace {

std::unordered_map<TComponent*, TKeptComponent>& KeptMap() {
  static std::unordered_map<TComponent*, TKeptComponent> map;
  return map;
}

const TStoredProperty* FindIn(const std::vector<TStoredProperty>& list, std::string_view name) {
  for (const TStoredProperty& p : list)
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}

bool SameValue(const TStoredProperty* a, const TStoredProperty* b) {
  return a && b ? a->Value == b->Value : a == b;
}

} // namespace

TKeptComponent* FindKept(TComponent* component) noexcept {
  auto& map = KeptMap();
  if (map.empty()) return nullptr;
  auto it = map.find(component);
  return it == map.end() ? nullptr : &it->second;
}

TKeptComponent& Keep(TComponent* component) { return KeptMap()[component]; }

void DropParent(TKeptComponent& kept, TComponent* parent) noexcept {
  if (kept.Parent == parent) kept.Parent = nullptr;
  std::erase(kept.FormerParents, parent);
}

void SetKeptParent(TComponent* child, TComponent* parent) {
  TKeptComponent& kept = Keep(child);
  if (kept.Parent && kept.Parent != parent &&
      std::find(kept.FormerParents.begin(), kept.FormerParents.end(), kept.Parent) ==
          kept.FormerParents.end())
    kept.FormerParents.push_back(kept.Parent);
  std::erase(kept.FormerParents, parent);
  kept.Parent = parent;
}

void ForgetKept(TComponent* component) noexcept {
  auto& map = KeptMap();
  if (map.empty()) return;
  auto it = map.find(component);
  if (it == map.end()) return;
  auto leave = [component](TComponent* parent) {
    if (TPlaceholder* p = AsPlaceholder(parent)) p->ChildRemoved(component);
    if (TKeptComponent* k = FindKept(parent)) {
      std::erase(k->Children, component);
      std::erase(k->Listed, component);
    }
  };
  if (it->second.Parent) leave(it->second.Parent);
  for (TComponent* parent : it->second.FormerParents)
    leave(parent);
  for (TComponent* child : it->second.Children) {
    if (TKeptComponent* k = FindKept(child)) DropParent(*k, component);
    if (IsPlaceholder(child) && child->GetParentComponent() == component)
      child->SetParentComponent(nullptr);
  }
  map.erase(it);
}

std::vector<TStoredProperty> WrittenProperties(TPersistent* instance, TComponent* root,
                                               TComponent* frame) {
  TMemoryStream m;
  {
    TWriter w(&m, 4096);
    w.SetRoot(root);
    w.SetFrame(frame);
    w.WriteProperties(instance);
    w.FlushBuffer();
  }
  std::vector<TStoredProperty> props;
  const std::string_view bytes = m.View();
  TBinaryReaderCore in(bytes.data(), bytes.size());
  while (!in.AtEnd()) {
    TStoredProperty p;
    p.Name = in.ReadStr();
    in.SkipValue(&p.Value);
    props.push_back(std::move(p));
  }
  return props;
}

std::vector<TStoredProperty> MergeKeptProperties(const TKeptComponent& kept,
                                                 const std::vector<TStoredProperty>& now) {
  std::vector<TStoredProperty> out;
  out.reserve(kept.Properties.size());
  for (const TStoredProperty& p : kept.Properties) {
    const TStoredProperty* current = FindIn(now, p.Name);
    if (SameValue(FindIn(kept.Canonical, p.Name), current))
      out.push_back(p);
    else if (current)
      out.push_back(TStoredProperty{p.Name, current->Value});
  }
  for (const TStoredProperty& p : now)
    if (!FindIn(kept.Properties, p.Name) && !SameValue(FindIn(kept.Canonical, p.Name), &p))
      out.push_back(p);
  return out;
}

std::vector<TComponent*> MergeKeptChildren(TComponent* instance, const TKeptComponent& kept,
                                           const std::vector<TComponent*>& listed) {
  const bool asRead = listed == kept.Listed;
  std::vector<TComponent*> out;
  std::unordered_set<TComponent*> in;
  auto add = [&](TComponent* c) {
    if (in.insert(c).second) out.push_back(c);
  };
  const std::unordered_set<TComponent*> isListed(listed.begin(), listed.end());
  auto stillHere = [&](TComponent* c) {
    return isListed.count(c) || c->GetParentComponent() == instance;
  };
  if (asRead)
    for (TComponent* c : kept.Children)
      if (stillHere(c)) add(c);
  for (TComponent* c : listed)
    add(c);
  for (TComponent* c : kept.Children)
    if (stillHere(c)) add(c);
  return out;
}

} // namespace detail

} // namespace fw
