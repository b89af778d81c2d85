#include "basert/typinfo.h"

#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/object.h"
#include "basert/sysutils.h"
#include "basert/variants.h"

#include <charconv>
#include <deque>
#include <limits>
#include <mutex>
#include <stdexcept>

namespace fw {

namespace {

constexpr std::array<TPropValueClass, TypeKindCount> ValueClassByKind = {
    TPropValueClass::None,      // kindUnknown
    TPropValueClass::Ordinal,   // kindInteger
    TPropValueClass::Ordinal,   // kindChar
    TPropValueClass::Ordinal,   // kindEnumeration
    TPropValueClass::Float,     // kindFloat
    TPropValueClass::String,    // kindShortString
    TPropValueClass::Ordinal,   // kindSet
    TPropValueClass::Object,    // kindClass
    TPropValueClass::Method,    // kindMethod
    TPropValueClass::Ordinal,   // kindWideChar
    TPropValueClass::String,    // kindAnsiString
    TPropValueClass::Wide,      // kindWideString
    TPropValueClass::Variant,   // kindVariant
    TPropValueClass::None,      // kindArray
    TPropValueClass::None,      // kindRecord
    TPropValueClass::Interface, // kindInterface
    TPropValueClass::Ordinal,   // kindInt64
    TPropValueClass::None,      // kindDynArray
    TPropValueClass::String,    // kindUnicodeString
    TPropValueClass::None,      // kindClassRef
    TPropValueClass::None,      // kindPointer
    TPropValueClass::None,      // kindProcedure
};

std::mutex& TypeArenaLock() {
  static std::mutex m;
  return m;
}
std::deque<std::unique_ptr<TTypeInfo>>& TypeArena() {
  static auto* arena = new std::deque<std::unique_ptr<TTypeInfo>>(); // lives to the end
  return *arena;
}

std::unique_ptr<TTypeInfo> NewType(String name, TTypeKind kind) {
  auto t = std::make_unique<TTypeInfo>();
  t->Name = std::move(name);
  t->Kind = kind;
  return t;
}

void PutShortString(std::vector<Byte>& out, std::string_view s) {
  std::size_t n = s.size() > 255 ? 255 : s.size();
  out.push_back(static_cast<Byte>(n));
  out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

} // namespace

struct TTypeData::TPropCache {
  std::vector<PPropInfo> Declared;
  std::unordered_map<std::string_view, PPropInfo, TextHash, TextEqual> ByName;
  std::unordered_map<std::uint64_t, std::vector<PPropInfo>> Lists; // key: filter mask * 2 + sorted
};

TTypeData::TTypeData() = default;
TTypeData::~TTypeData() = default;
TTypeData::TTypeData(TTypeData&&) noexcept = default;
TTypeData& TTypeData::operator=(TTypeData&&) noexcept = default;

TPropValueClass PropValueClassOf(TTypeKind kind) noexcept {
  return kind < TypeKindCount ? ValueClassByKind[kind] : TPropValueClass::None;
}

PTypeInfo TPropInfo::ResolveType() const {
  PTypeInfo t = TypeRef ? TypeRef() : nullptr;
  if (!t) throw std::logic_error("property " + Name + " has no type");
  if (ValueClass != TPropValueClass::None && PropValueClassOf(t->Kind) != ValueClass)
    throw std::logic_error("property " + Name + " of type " + t->Name +
                           " does not match its accessors");
  FType = t;
  return FType;
}

// ---- Building types ----------------------------------------------------------------------------

PTypeInfo KeepType(std::unique_ptr<TTypeInfo> type) {
  std::lock_guard lock(TypeArenaLock());
  TypeArena().push_back(std::move(type));
  return TypeArena().back().get();
}

PTypeInfo MakeOrdinalType(String name, TTypeKind kind, TOrdType ordType, Int64 minValue,
                          Int64 maxValue) {
  auto t = NewType(std::move(name), kind);
  t->Data.OrdType = ordType;
  t->Data.MinValue = minValue;
  t->Data.MaxValue = maxValue;
  return KeepType(std::move(t));
}

PTypeInfo MakeInt64Type(String name, Int64 minValue, Int64 maxValue) {
  auto t = NewType(std::move(name), kindInt64);
  t->Data.MinValue = minValue;
  t->Data.MaxValue = maxValue;
  return KeepType(std::move(t));
}

namespace {
TOrdType OrdTypeForCount(std::size_t n) {
  return n <= 256 ? otUByte : (n <= 65536 ? otUWord : otULong);
}
} // namespace

PTypeInfo MakeEnumType(String name, std::vector<String> identifiers, String unitName) {
  auto t = NewType(std::move(name), kindEnumeration);
  t->Data.OrdType = OrdTypeForCount(identifiers.size());
  t->Data.MinValue = 0;
  t->Data.MaxValue = static_cast<Int64>(identifiers.size()) - 1;
  t->Data.NameList = std::move(identifiers);
  t->Data.EnumUnitName = std::move(unitName);
  t->Data.BaseType = t.get();
  return KeepType(std::move(t));
}

PTypeInfo MakeEnumSubrange(String name, PTypeInfo base, Int64 minValue, Int64 maxValue) {
  auto t = NewType(std::move(name), kindEnumeration);
  t->Data.OrdType = base->Data.OrdType;
  t->Data.MinValue = minValue;
  t->Data.MaxValue = maxValue;
  t->Data.BaseType = base->Data.BaseType ? base->Data.BaseType : base;
  return KeepType(std::move(t));
}

PTypeInfo MakeSetType(String name, PTypeInfo elementType) {
  auto t = NewType(std::move(name), kindSet);
  t->Data.OrdType = otULong;
  t->Data.CompType = elementType;
  return KeepType(std::move(t));
}

PTypeInfo MakeFloatType(String name, TFloatType floatType, bool isDate) {
  auto t = NewType(std::move(name), kindFloat);
  t->Data.FloatType = floatType;
  t->Data.IsDate = isDate;
  return KeepType(std::move(t));
}

PTypeInfo MakeShortStringType(String name, Byte maxLength) {
  auto t = NewType(std::move(name), kindShortString);
  t->Data.MaxLength = maxLength;
  return KeepType(std::move(t));
}

PTypeInfo MakeSimpleType(String name, TTypeKind kind) {
  return KeepType(NewType(std::move(name), kind));
}

PTypeInfo MakeMethodType(String name, TMethodKind methodKind,
                         const std::vector<TMethodParam>& params, String resultType) {
  auto t = NewType(std::move(name), kindMethod);
  auto& d = t->Data.MethodData;
  d.push_back(static_cast<Byte>(methodKind));
  d.push_back(static_cast<Byte>(params.size() > 255 ? 255 : params.size()));
  for (std::size_t i = 0; i < params.size() && i < 255; ++i) {
    d.push_back(static_cast<Byte>(params[i].Flags.Mask()));
    PutShortString(d, params[i].Name);
    PutShortString(d, params[i].TypeName);
  }
  PutShortString(d, resultType);
  return KeepType(std::move(t));
}

PTypeInfo MakeInterfaceType(String name, const TGUID& guid, PTypeInfo parent, String unitName) {
  auto t = NewType(std::move(name), kindInterface);
  t->Data.Guid = guid;
  t->Data.IntfParent = parent;
  t->Data.IntfFlags = {ifHasGuid};
  t->Data.IntfUnit = std::move(unitName);
  return KeepType(std::move(t));
}

// ---- Built-in types ----------------------------------------------------------------------------

PTypeInfo TypeInfoOf(std::type_identity<Integer>) {
  static PTypeInfo t =
      MakeOrdinalType("Integer", kindInteger, otSLong, std::numeric_limits<Integer>::min(),
                      std::numeric_limits<Integer>::max());
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Cardinal>) {
  static PTypeInfo t = MakeOrdinalType("Cardinal", kindInteger, otULong, 0, 4294967295LL);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<std::int8_t>) {
  static PTypeInfo t = MakeOrdinalType("ShortInt", kindInteger, otSByte, -128, 127);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<std::int16_t>) {
  static PTypeInfo t = MakeOrdinalType("SmallInt", kindInteger, otSWord, -32768, 32767);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Byte>) {
  static PTypeInfo t = MakeOrdinalType("Byte", kindInteger, otUByte, 0, 255);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Word>) {
  static PTypeInfo t = MakeOrdinalType("Word", kindInteger, otUWord, 0, 65535);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Int64>) {
  static PTypeInfo t =
      MakeInt64Type("Int64", std::numeric_limits<Int64>::min(), std::numeric_limits<Int64>::max());
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<UInt64>) {
  // The framework describes UInt64 with the bit patterns of 0 and the all-ones value.
  static PTypeInfo t = MakeInt64Type("UInt64", 0, -1);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<bool>) {
  static PTypeInfo t = MakeEnumType("Boolean", {"False", "True"}, "System");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<char>) {
  static PTypeInfo t = MakeOrdinalType("AnsiChar", kindChar, otUByte, 0, 255);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<char16_t>) {
  static PTypeInfo t = MakeOrdinalType("WideChar", kindWideChar, otUWord, 0, 65535);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Single>) {
  static PTypeInfo t = MakeFloatType("Single", ftSingle);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Double>) {
  static PTypeInfo t = MakeFloatType("Double", ftDouble);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Extended>) {
  static PTypeInfo t = MakeFloatType("Extended", ftExtended);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Currency>) {
  static PTypeInfo t = MakeFloatType("Currency", ftCurr);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<String>) {
  static PTypeInfo t = MakeSimpleType("string", kindUnicodeString);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<WideString>) {
  static PTypeInfo t = MakeSimpleType("WideString", kindWideString);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<Variant>) {
  static PTypeInfo t = MakeSimpleType("Variant", kindVariant);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<IPtr<IInterface>>) {
  static PTypeInfo t = MakeInterfaceType("IInterface", IInterface::IID, nullptr, "System");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TMethod>) {
  static PTypeInfo t = MakeMethodType("TMethod", mkProcedure, {});
  return t;
}
PTypeInfo TypeInfoAnsiString() {
  static PTypeInfo t = MakeSimpleType("AnsiString", kindAnsiString);
  return t;
}
PTypeInfo TypeInfoShortString() {
  static PTypeInfo t = MakeShortStringType("ShortString", 255);
  return t;
}
PTypeInfo TypeInfoTDateTime() {
  static PTypeInfo t = MakeFloatType("TDateTime", ftDouble, true);
  return t;
}
PTypeInfo TypeInfoTDate() {
  static PTypeInfo t = MakeFloatType("TDate", ftDouble, true);
  return t;
}
PTypeInfo TypeInfoTTime() {
  static PTypeInfo t = MakeFloatType("TTime", ftDouble, true);
  return t;
}
PTypeInfo TypeInfoComp() {
  static PTypeInfo t = MakeFloatType("Comp", ftComp);
  return t;
}
PTypeInfo TypeInfoNotifyEvent() {
  static PTypeInfo t = MakeMethodType("TNotifyEvent", mkProcedure, {{{}, "Sender", "TObject"}});
  return t;
}

// ---- Enumerations and sets ---------------------------------------------------------------------

String GetEnumName(PTypeInfo type, Integer value) {
  if (!type) return {};
  if (type->Kind == kindInteger || type->Kind == kindChar || type->Kind == kindWideChar ||
      type->Kind == kindInt64)
    return std::to_string(value);
  if (type->Kind != kindEnumeration) return {};
  PTypeInfo base = type->Data.BaseType ? type->Data.BaseType : type;
  const auto& names = base->Data.NameList;
  if (value < 0 || static_cast<std::size_t>(value) >= names.size()) return {};
  return names[static_cast<std::size_t>(value)];
}

Integer GetEnumValue(PTypeInfo type, std::string_view name) {
  if (!type) return -1;
  if (type->Kind == kindInteger) {
    Integer v = 0;
    auto [p, ec] = std::from_chars(name.data(), name.data() + name.size(), v);
    return (ec == std::errc() && p == name.data() + name.size()) ? v : -1;
  }
  if (type->Kind != kindEnumeration) return -1;
  PTypeInfo base = type->Data.BaseType ? type->Data.BaseType : type;
  const auto& names = base->Data.NameList;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], name)) return static_cast<Integer>(i);
  return -1;
}

int SetElementCount(PTypeInfo setType) noexcept {
  PTypeInfo comp = setType ? setType->Data.CompType : nullptr;
  if (!comp || comp->Data.MaxValue < comp->Data.MinValue) return 0;
  const Int64 range = comp->Data.MaxValue - comp->Data.MinValue;
  return range >= 63 ? 64 : static_cast<int>(range) + 1;
}

String SetToString(PTypeInfo setType, Int64 value, bool brackets) {
  String out;
  PTypeInfo comp = setType ? setType->Data.CompType : nullptr;
  if (comp) {
    const Int64 lo = comp->Data.MinValue;
    const int count = SetElementCount(setType);
    for (int bit = 0; bit < count; ++bit) {
      if (!(static_cast<std::uint64_t>(value) & (std::uint64_t{1} << bit))) continue;
      if (!out.empty()) out += ',';
      out += GetEnumName(comp, static_cast<Integer>(lo + bit));
    }
  }
  return brackets ? "[" + out + "]" : out;
}

Int64 StringToSet(PTypeInfo setType, std::string_view text) {
  PTypeInfo comp = setType ? setType->Data.CompType : nullptr;
  if (!comp) throw EPropertyError(Format(sInvalidPropertyType, setType ? setType->Name : "nil"));
  std::string_view s = text;
  auto trim = [](std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
      v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
      v.remove_suffix(1);
    return v;
  };
  s = trim(s);
  if (!s.empty() && s.front() == '[') {
    if (s.back() != ']') throw EPropertyError(Format(sInvalidPropertyElement, s));
    s = s.substr(1, s.size() - 2);
  }
  Int64 mask = 0;
  while (!s.empty()) {
    auto comma = s.find(',');
    std::string_view item = trim(s.substr(0, comma));
    s = comma == std::string_view::npos ? std::string_view{} : s.substr(comma + 1);
    if (item.empty()) continue;
    Integer v = GetEnumValue(comp, item);
    Int64 bit = v - comp->Data.MinValue;
    if (v < 0 || bit < 0 || bit >= SetElementCount(setType))
      throw EPropertyError(Format(sInvalidPropertyElement, item));
    mask |= Int64{1} << bit;
  }
  return mask;
}

// ---- Property lists ----------------------------------------------------------------------------

namespace {

TTypeData::TPropCache& CacheOf(PTypeInfo type) {
  const TTypeData& d = type->Data;
  if (!d.Cache) {
    auto cache = std::make_unique<TTypeData::TPropCache>();
    if (d.ParentInfo) cache->Declared = GetPropInfos(d.ParentInfo);
    for (const auto& own : d.OwnProps) {
      bool replaced = false;
      for (auto& p : cache->Declared)
        if (SameText(p->Name, own->Name)) {
          p = own.get();
          replaced = true;
          break;
        }
      if (!replaced) cache->Declared.push_back(own.get());
    }
    for (PPropInfo p : cache->Declared)
      cache->ByName.emplace(p->Name, p);
    d.Cache = std::move(cache);
  }
  return *d.Cache;
}

const std::vector<PPropInfo>& EmptyList() {
  static const std::vector<PPropInfo> empty;
  return empty;
}

} // namespace

const std::vector<PPropInfo>& GetPropInfos(PTypeInfo classType) {
  if (!classType || classType->Kind != kindClass) return EmptyList();
  return CacheOf(classType).Declared;
}

const std::vector<PPropInfo>& GetPropList(PTypeInfo classType, TTypeKinds filter, bool sorted) {
  if (!classType || classType->Kind != kindClass) return EmptyList();
  auto& cache = CacheOf(classType);
  const std::uint64_t key = filter.Mask() * 2 + (sorted ? 1 : 0);
  auto it = cache.Lists.find(key);
  if (it != cache.Lists.end()) return it->second;
  std::vector<PPropInfo> list;
  list.reserve(cache.Declared.size());
  for (PPropInfo p : cache.Declared)
    if (filter.Contains(p->PropType()->Kind)) list.push_back(p);
  if (sorted)
    std::stable_sort(list.begin(), list.end(),
                     [](PPropInfo a, PPropInfo b) { return CompareText(a->Name, b->Name) < 0; });
  return cache.Lists.emplace(key, std::move(list)).first->second;
}

void InvalidatePropLists(PTypeInfo classType) noexcept {
  if (classType) classType->Data.Cache.reset();
}

const std::vector<PPropInfo>& GetPropList(const TObject* instance, TTypeKinds filter, bool sorted) {
  if (!instance) return EmptyList();
  return GetPropList(instance->ClassType()->TypeInfo, filter, sorted);
}

PPropInfo GetPropInfo(PTypeInfo classType, std::string_view name, TTypeKinds kinds) {
  if (!classType || classType->Kind != kindClass) return nullptr;
  auto& cache = CacheOf(classType);
  auto it = cache.ByName.find(name);
  if (it == cache.ByName.end()) return nullptr;
  return kinds.Contains(it->second->PropType()->Kind) ? it->second : nullptr;
}

PPropInfo GetPropInfo(const TObject* instance, std::string_view name, TTypeKinds kinds) {
  return instance ? GetPropInfo(instance->ClassType()->TypeInfo, name, kinds) : nullptr;
}

bool IsPublishedProp(const TObject* instance, std::string_view name) {
  return GetPropInfo(instance, name) != nullptr;
}

namespace {
PPropInfo FindOrRaise(TObject* instance, std::string_view name) {
  PPropInfo p = GetPropInfo(instance, name);
  if (!p) throw EPropertyError(Format(sUnknownProperty, name));
  return p;
}
} // namespace

TTypeKind PropType(const TObject* instance, std::string_view name) {
  PPropInfo p = GetPropInfo(instance, name);
  if (!p) throw EPropertyError(Format(sUnknownProperty, name));
  return p->PropType()->Kind;
}

// ---- Typed access ------------------------------------------------------------------------------

namespace detail {

void RequireClass(PPropInfo prop, TPropValueClass expected) {
  if (prop->ValueClass != expected) throw EPropertyError(Format(sInvalidPropertyType, prop->Name));
}

void Read(TObject* instance, PPropInfo prop, void* out) {
  if (!prop->HasRead()) throw EPropWriteOnly(Format(sWriteOnlyProperty, prop->Name));
  prop->Get(instance, out);
}

void Write(TObject* instance, PPropInfo prop, const void* in) {
  if (!prop->HasWrite()) throw EPropReadOnly(Format(sReadOnlyProperty, prop->Name));
  prop->Set(instance, in);
}

template <class V> V ReadAs(TObject* instance, PPropInfo prop, TPropValueClass cls) {
  RequireClass(prop, cls);
  V v{};
  Read(instance, prop, &v);
  return v;
}

template <class V>
void WriteAs(TObject* instance, PPropInfo prop, TPropValueClass cls, const V& v) {
  RequireClass(prop, cls);
  Write(instance, prop, &v);
}

} // namespace detail

using detail::ReadAs;
using detail::WriteAs;

Int64 GetOrdProp(TObject* instance, PPropInfo prop) {
  if (prop->ValueClass == TPropValueClass::Object)
    return static_cast<Int64>(reinterpret_cast<std::intptr_t>(GetObjectProp(instance, prop)));
  return ReadAs<Int64>(instance, prop, TPropValueClass::Ordinal);
}

void SetOrdProp(TObject* instance, PPropInfo prop, Int64 value) {
  WriteAs<Int64>(instance, prop, TPropValueClass::Ordinal, value);
}

String GetEnumProp(TObject* instance, PPropInfo prop) {
  return GetEnumName(prop->PropType(), static_cast<Integer>(GetOrdProp(instance, prop)));
}

void SetEnumProp(TObject* instance, PPropInfo prop, std::string_view value) {
  Integer v = GetEnumValue(prop->PropType(), value);
  if (v < 0) throw EPropertyError(Format(sInvalidPropertyElement, value));
  SetOrdProp(instance, prop, v);
}

String GetSetProp(TObject* instance, PPropInfo prop, bool brackets) {
  return SetToString(prop->PropType(), GetOrdProp(instance, prop), brackets);
}

void SetSetProp(TObject* instance, PPropInfo prop, std::string_view value) {
  SetOrdProp(instance, prop, StringToSet(prop->PropType(), value));
}

Int64 GetInt64Prop(TObject* instance, PPropInfo prop) {
  return ReadAs<Int64>(instance, prop, TPropValueClass::Ordinal);
}

void SetInt64Prop(TObject* instance, PPropInfo prop, Int64 value) {
  WriteAs<Int64>(instance, prop, TPropValueClass::Ordinal, value);
}

Extended GetFloatProp(TObject* instance, PPropInfo prop) {
  return ReadAs<Extended>(instance, prop, TPropValueClass::Float);
}

void SetFloatProp(TObject* instance, PPropInfo prop, Extended value) {
  WriteAs<Extended>(instance, prop, TPropValueClass::Float, value);
}

String GetStrProp(TObject* instance, PPropInfo prop) {
  if (prop->ValueClass == TPropValueClass::Wide) return WideToUtf8(GetWideStrProp(instance, prop));
  return ReadAs<String>(instance, prop, TPropValueClass::String);
}

void SetStrProp(TObject* instance, PPropInfo prop, const String& value) {
  if (prop->ValueClass == TPropValueClass::Wide)
    return SetWideStrProp(instance, prop, Utf8ToWide(value));
  WriteAs<String>(instance, prop, TPropValueClass::String, value);
}

WideString GetWideStrProp(TObject* instance, PPropInfo prop) {
  if (prop->ValueClass == TPropValueClass::String) return Utf8ToWide(GetStrProp(instance, prop));
  return ReadAs<WideString>(instance, prop, TPropValueClass::Wide);
}

void SetWideStrProp(TObject* instance, PPropInfo prop, const WideString& value) {
  if (prop->ValueClass == TPropValueClass::String)
    return SetStrProp(instance, prop, WideToUtf8(value));
  WriteAs<WideString>(instance, prop, TPropValueClass::Wide, value);
}

Variant GetVariantProp(TObject* instance, PPropInfo prop) {
  return ReadAs<Variant>(instance, prop, TPropValueClass::Variant);
}

void SetVariantProp(TObject* instance, PPropInfo prop, const Variant& value) {
  WriteAs<Variant>(instance, prop, TPropValueClass::Variant, value);
}

TMethod GetMethodProp(TObject* instance, PPropInfo prop) {
  return ReadAs<TMethod>(instance, prop, TPropValueClass::Method);
}

void SetMethodProp(TObject* instance, PPropInfo prop, const TMethod& value) {
  WriteAs<TMethod>(instance, prop, TPropValueClass::Method, value);
}

TObject* GetObjectProp(TObject* instance, PPropInfo prop) {
  return ReadAs<TObject*>(instance, prop, TPropValueClass::Object);
}

void SetObjectProp(TObject* instance, PPropInfo prop, TObject* value) {
  detail::RequireClass(prop, TPropValueClass::Object);
  TClass wanted = prop->PropType()->Data.ClassType;
  if (value && wanted && !value->InheritsFrom(wanted))
    throw EPropertyError(rtlconsts::SInvalidPropertyValue);
  detail::Write(instance, prop, &value);
}

IPtr<IInterface> GetInterfaceProp(TObject* instance, PPropInfo prop) {
  return ReadAs<IPtr<IInterface>>(instance, prop, TPropValueClass::Interface);
}

void SetInterfaceProp(TObject* instance, PPropInfo prop, const IPtr<IInterface>& value) {
  WriteAs<IPtr<IInterface>>(instance, prop, TPropValueClass::Interface, value);
}

Int64 GetOrdProp(TObject* instance, std::string_view name) {
  return GetOrdProp(instance, FindOrRaise(instance, name));
}
void SetOrdProp(TObject* instance, std::string_view name, Int64 value) {
  SetOrdProp(instance, FindOrRaise(instance, name), value);
}
String GetStrProp(TObject* instance, std::string_view name) {
  return GetStrProp(instance, FindOrRaise(instance, name));
}
void SetStrProp(TObject* instance, std::string_view name, const String& value) {
  SetStrProp(instance, FindOrRaise(instance, name), value);
}
Extended GetFloatProp(TObject* instance, std::string_view name) {
  return GetFloatProp(instance, FindOrRaise(instance, name));
}
void SetFloatProp(TObject* instance, std::string_view name, Extended value) {
  SetFloatProp(instance, FindOrRaise(instance, name), value);
}
TObject* GetObjectProp(TObject* instance, std::string_view name) {
  return GetObjectProp(instance, FindOrRaise(instance, name));
}
TMethod GetMethodProp(TObject* instance, std::string_view name) {
  return GetMethodProp(instance, FindOrRaise(instance, name));
}
void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value) {
  SetMethodProp(instance, FindOrRaise(instance, name), value);
}

} // namespace fw
