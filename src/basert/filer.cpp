#include "basert/filer.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/onexit.h"
#include "basert/placeholder.h"
#include "basert/propvalue.h"
#include "basert/sysutils.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace fw {

namespace {

using detail::IsSubComponent;
using detail::ReferencedComponent;

/// The module-wide state: references waiting for other modules, the finders of loaded modules
/// and the integer identifier maps.
struct TGlobalFixup {
  TPersistent* Instance;
  TComponent* InstanceRoot;
  PPropInfo Prop;
  String RootName;
  String Name;
};

std::vector<TGlobalFixup>& GlobalFixups() {
  static std::vector<TGlobalFixup> list;
  return list;
}

std::vector<TFindGlobalComponent>& GlobalFinders() {
  static std::vector<TFindGlobalComponent> list;
  return list;
}

struct TIntConsts {
  TIdentToInt IdentToInt;
  TIntToIdent IntToIdent;
};
std::unordered_map<PTypeInfo, TIntConsts>& IntConsts() {
  static std::unordered_map<PTypeInfo, TIntConsts> map;
  return map;
}

/// The reference text the writer stores for a component. Inside a placed frame (`frame`) a
/// reader looks names up in the frame first, so the module's own names take the module's name.
String ComponentValue(TComponent* component, TComponent* lookupRoot, TComponent* frame) {
  if (frame && frame != lookupRoot && !lookupRoot->Name().empty() &&
      (component == lookupRoot || component->Owner() == lookupRoot) && !component->Name().empty())
    return lookupRoot->Name() + "." + (component == lookupRoot ? "Owner" : component->Name());
  if (component == lookupRoot) return "Owner";
  if (component->Owner() && component->Owner() == lookupRoot) return component->Name();
  if (component->Owner() && !component->Owner()->Name().empty() && !component->Name().empty()) {
    String path = component->Owner()->Name() + "." + component->Name();
    // A component of a nested module instance is named through the instance.
    for (TComponent* o = component->Owner()->Owner(); o && o != lookupRoot; o = o->Owner())
      path = o->Name() + "." + path;
    return path;
  }
  if (!component->Name().empty()) return component->Name() + ".Owner";
  return {};
}

} // namespace

// ---- TFiler ------------------------------------------------------------------------------------

TClass TFiler::StaticClass() {
  static const TClass cls = TClassBuilder<TFiler, TObject>("TFiler", "Classes").Build();
  return cls;
}

TFiler::~TFiler() = default;

void TFiler::SetRoot(TComponent* value) {
  FRoot = value;
  FLookupRoot = value;
}

// ---- TWriter -----------------------------------------------------------------------------------

TClass TWriter::StaticClass() {
  static const TClass cls = TClassBuilder<TWriter, TFiler>("TWriter", "Classes").Build();
  return cls;
}

TWriter::TWriter(TStream* stream, int bufSize)
    : TFiler(stream, bufSize), FCore(*stream, bufSize > 0 ? bufSize : 1024) {}

TWriter::~TWriter() = default;

void TWriter::SetRoot(TComponent* value) { TFiler::SetRoot(value); }

void TWriter::DefineProperty(const String& name, TReaderProc, TWriterProc writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  writeData(this);
}

void TWriter::DefineBinaryProperty(const String& name, TStreamProc, TStreamProc writeData,
                                   bool hasData) {
  if (!hasData || !writeData) return;
  WritePropName(name);
  TMemoryStream data;
  writeData(&data);
  FCore.WriteBinary(data.Memory(), static_cast<std::size_t>(data.Size()));
}

void TWriter::WritePropName(const String& name) { FCore.WriteStr(FPropPath + name); }

void TWriter::WriteRootComponent(TComponent* root) { WriteDescendent(root, nullptr); }

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor) {
  FRootAncestor = ancestor;
  FAncestor = ancestor;
  SetRoot(root);
  WriteSignature();
  WriteComponent(root);
}

void TWriter::WriteComponent(TComponent* component) {
  TPersistent* oldAncestor = FAncestor;
  TComponent* oldRootAncestor = FRootAncestor;
  component->SetStateFlag(stateWriting, true);
  TOnExit restore([&] {
    component->SetStateFlag(stateWriting, false);
    FAncestor = oldAncestor;
    FRootAncestor = oldRootAncestor;
  });
  if (FAncestorList) FAncestor = FindAncestorChild(*FAncestorList, component, FAncestorPos);
  FModuleAncestorOnly = false;
  if (OnFindAncestorRoot) {
    TAncestorLookup lookup{FAncestor, FRoot, FRootAncestor};
    if (FindDesignedAncestor(lookup, component, FLookupRoot, OnFindAncestorRoot)) {
      FAncestor = lookup.Ancestor;
      FRootAncestor = lookup.RootAncestor;
      FModuleAncestorOnly = true;
    }
  }
  if (OnFindAncestor && (!FAncestor || dynamic_cast<TComponent*>(FAncestor))) {
    auto* a = static_cast<TComponent*>(FAncestor);
    OnFindAncestor(this, component, component->Name(), a, FRootAncestor);
    if (a != FAncestor) FModuleAncestorOnly = false;
    FAncestor = a;
  }
  component->WriteState(this);
}

void TWriter::WritePrefixFor(TComponent* instance) {
  TFilerFlags flags = 0;
  if (instance->ComponentState().Contains(stateInline)) {
    // Inherited only where the root's ancestor has it: a frame inherited from a module that is
    // not written against its own ancestor is placed anew by whoever reads the stream.
    if (FAncestor && !FModuleAncestorOnly && instance->ComponentState().Contains(stateAncestor) &&
        FLookupRoot)
      flags |= ffInherited;
    flags |= ffInline;
  } else if (FAncestor) {
    flags |= ffInherited;
  }
  if (FAncestorList && FAncestorPos < FAncestorList->size() &&
      (!FAncestor || (*FAncestorList)[FAncestorPos] != FAncestor))
    flags |= ffChildPos;
  FCore.WritePrefix(flags, FChildPos);
  if (UseQualifiedNames && !instance->ClassType()->UnitName.empty())
    FCore.WriteStr(instance->ClassType()->UnitName + "." + instance->ClassName());
  else
    FCore.WriteStr(instance->ClassName());
  FCore.WriteStr(instance->Name());
}

void TWriter::WriteData(TComponent* instance) {
  // Keep an inherited component's header in the buffer, so that it can be taken back when
  // nothing about the component differs from its ancestor.
  const bool inherited = FAncestor && instance != FRoot;
  if (inherited && FCore.BufferFree() < 2 * 256 + 16) FCore.FlushBuffer();
  const Int64 start = FCore.Position();
  const std::size_t ancestorPos = FAncestorPos;
  TPlaceholder* placeholder = AsPlaceholder(instance);
  if (placeholder) placeholder->SyncLiveValues();
  // Without an ancestor, what a stream gave is written back as it was.
  const bool standalone = !FAncestor && !FAncestorList;
  detail::TKeptComponent* kept = standalone && !placeholder ? detail::FindKept(instance) : nullptr;
  if (kept && !kept->Known) kept = nullptr;
  if ((placeholder || kept) && standalone) {
    const std::string& prefix = placeholder ? placeholder->StoredPrefix() : kept->Prefix;
    FCore.Write(prefix.data(), prefix.size());
    // The name as read, unless the class changed since (a designed class was renamed).
    const String& asRead = placeholder ? placeholder->StoredClassName() : kept->ClassName;
    const String& now = instance->ClassName();
    const bool same =
        SameText(asRead, now) ||
        (asRead.size() > now.size() && asRead[asRead.size() - now.size() - 1] == '.' &&
         SameText(std::string_view(asRead).substr(asRead.size() - now.size()), now));
    FCore.WriteStr(same ? asRead : now);
    FCore.WriteStr(instance->Name());
  } else {
    WritePrefixFor(instance);
  }
  const Int64 headerEnd = FCore.Position();
  TComponent* const oldFrame = FFrame;
  TOnExit leaveFrame([&] { FFrame = oldFrame; });
  if (instance->ComponentState().Contains(stateInline) && instance != FLookupRoot)
    FFrame = instance;
  const bool plainInherited = inherited && !instance->ComponentState().Contains(stateInline) &&
                              !(FAncestorList && ancestorPos < FAncestorList->size() &&
                                (*FAncestorList)[ancestorPos] != FAncestor);
  if (FAncestorList && FAncestorPos < FAncestorList->size()) {
    if (FAncestor) ++FAncestorPos;
    ++FChildPos;
  }
  auto writeStored = [this](const std::vector<TStoredProperty>& props) {
    for (const TStoredProperty& p : props) {
      WritePropName(p.Name);
      FCore.Write(p.Value.data(), p.Value.size());
    }
  };
  if (placeholder)
    writeStored(placeholder->StoredProperties());
  else if (kept)
    writeStored(detail::MergeKeptProperties(
        *kept, detail::WrittenProperties(instance, FLookupRoot, FFrame)));
  else
    WriteProperties(instance);
  WriteListEnd();

  {
    std::vector<TComponent*>* oldList = FAncestorList;
    const std::size_t oldPos = FAncestorPos;
    const Integer oldChildPos = FChildPos;
    TComponent* oldRoot = FRoot;
    TComponent* oldRootAncestor = FRootAncestor;
    TOnExit restore([&] {
      FAncestorList = oldList;
      FAncestorPos = oldPos;
      FChildPos = oldChildPos;
      FRoot = oldRoot;
      FRootAncestor = oldRootAncestor;
    });
    std::vector<TComponent*> ancestorList;
    FAncestorList = nullptr;
    FAncestorPos = 0;
    FChildPos = 0;
    if (!FIgnoreChildren) {
      TAncestorLookup lookup{FAncestor, FRoot, FRootAncestor};
      if (EnterChildren(lookup, instance, ancestorList)) FAncestorList = &ancestorList;
      FRoot = lookup.Root;
      FRootAncestor = lookup.RootAncestor;
      if (kept) {
        std::vector<TComponent*> listed;
        instance->GetChildren([&listed](TComponent* c) { listed.push_back(c); }, FRoot);
        for (TComponent* c : detail::MergeKeptChildren(instance, *kept, listed))
          WriteComponent(c);
      } else {
        instance->GetChildren([this](TComponent* c) { WriteComponent(c); }, FRoot);
      }
    }
  }
  WriteListEnd();

  // Header plus two end markers and nothing else: the component is as inherited.
  // The positions in the ancestor list still moved on, as they must for the next sibling.
  if (plainInherited && FCore.Position() == headerEnd + 2) FCore.Rewind(start);
}

void TWriter::WriteProperties(TPersistent* instance) {
  for (PPropInfo p : GetPropInfos(instance->ClassType()->TypeInfo))
    if (IsStoredProp(instance, p)) WriteProperty(instance, p);
  instance->DefineProperties(this);
}

void TWriter::WriteProperty(TPersistent* instance, PPropInfo prop) {
  if (!prop->HasRead()) return;
  // Read-only: only a sub-component's own properties are written.
  if (!prop->HasWrite() &&
      (prop->PropType()->Kind != kindClass || !IsSubComponent(GetObjectProp(instance, prop))))
    return;
  (this->*PropValueOps(prop).Write)(instance, prop);
}

bool TWriter::IsDefaultHere(TPersistent* instance, PPropInfo prop) const {
  return PropValueOps(prop).IsDefault(instance, prop, {FAncestor, FRoot, FRootAncestor},
                                      FLookupRoot);
}

void TWriter::WriteNoProp(TPersistent*, PPropInfo) {}

void TWriter::WriteOrdinalProp(TPersistent* instance, PPropInfo prop) {
  if (IsDefaultHere(instance, prop)) return;
  WritePropName(prop->Name);
  PTypeInfo type = prop->PropType();
  const Int64 v = GetInt64Prop(instance, prop);
  switch (type->Kind) {
  case kindInteger: {
    String ident;
    TIntToIdent toIdent = FindIntToIdent(type);
    if (toIdent && toIdent(static_cast<Integer>(v), ident))
      WriteIdent(ident);
    else if (type->Data.OrdType == otULong)
      // Unsigned values above the signed range take the 64-bit tag, so that the text form
      // shows the number itself.
      WriteInteger(static_cast<std::uint32_t>(v));
    else
      WriteInteger(static_cast<Integer>(static_cast<std::uint32_t>(v)));
    return;
  }
  case kindChar:
    WriteChar(static_cast<char>(v));
    return;
  case kindWideChar:
    WriteWideChar(static_cast<char16_t>(v));
    return;
  case kindEnumeration:
    WriteIdent(GetEnumName(type, static_cast<Integer>(v)));
    return;
  case kindSet: {
    std::vector<String> elements;
    PTypeInfo comp = type->Data.CompType;
    const int count = SetElementCount(type);
    for (int bit = 0; bit < count; ++bit)
      if (static_cast<std::uint64_t>(v) & (std::uint64_t{1} << bit))
        elements.push_back(GetEnumName(comp, static_cast<Integer>(comp->Data.MinValue + bit)));
    FCore.WriteSet(elements);
    return;
  }
  default: // Int64
    WriteInteger(v);
    return;
  }
}

void TWriter::WriteFloatProp(TPersistent* instance, PPropInfo prop) {
  if (IsDefaultHere(instance, prop)) return;
  WritePropName(prop->Name);
  const TTypeData& data = prop->PropType()->Data;
  const Extended v = GetFloatProp(instance, prop);
  if (data.FloatType == ftSingle)
    WriteSingle(static_cast<Single>(v));
  else if (data.FloatType == ftCurr)
    WriteCurrency(Currency::FromExtended(v));
  else if (data.IsDate)
    WriteDate(static_cast<TDateTime>(v));
  else
    WriteFloat(v);
}

template <TPropValueClass C> void TWriter::WritePlainProp(TPersistent* instance, PPropInfo prop) {
  if (IsDefaultHere(instance, prop)) return;
  WritePropName(prop->Name);
  const TPropValue v = PropValueOps(C).Get(instance, prop);
  const auto& value = std::get<static_cast<std::size_t>(C)>(v);
  if constexpr (C == TPropValueClass::String)
    WriteString(value);
  else if constexpr (C == TPropValueClass::Wide)
    WriteWideString(value);
  else
    WriteVariant(value);
}
template void TWriter::WritePlainProp<TPropValueClass::String>(TPersistent*, PPropInfo);
template void TWriter::WritePlainProp<TPropValueClass::Wide>(TPersistent*, PPropInfo);
template void TWriter::WritePlainProp<TPropValueClass::Variant>(TPersistent*, PPropInfo);

void TWriter::WriteMethodProp(TPersistent* instance, PPropInfo prop) {
  if (IsDefaultHere(instance, prop)) return;
  WritePropName(prop->Name);
  TMethod m = GetMethodProp(instance, prop);
  if (!m.Code)
    FCore.WriteValue(vaNil);
  else
    WriteIdent(FLookupRoot->MethodName(m.Code));
}

void TWriter::WriteInterfaceProp(TPersistent* instance, PPropInfo prop) {
  if (IsDefaultHere(instance, prop)) return;
  IPtr<IInterface> v = GetInterfaceProp(instance, prop);
  TComponent* c = v ? ReferencedComponent(v) : nullptr;
  if (v && !c) return; // an interface without a component cannot be named
  WritePropName(prop->Name);
  if (!c)
    FCore.WriteValue(vaNil);
  else
    WriteIdent(ComponentValue(c, FLookupRoot, FFrame));
}

void TWriter::WriteObjectProp(TPersistent* instance, PPropInfo prop) {
  const String& name = prop->Name;
  TObject* value = GetObjectProp(instance, prop);
  if (!value) {
    if (!IsDefaultHere(instance, prop)) {
      WritePropName(name);
      FCore.WriteValue(vaNil);
    }
    return;
  }
  auto* persistent = dynamic_cast<TPersistent*>(value);
  if (!persistent) return;
  auto* component = dynamic_cast<TComponent*>(value);
  if (component && !IsSubComponent(component)) {
    if (IsDefaultHere(instance, prop)) return;
    String ref = ComponentValue(component, FLookupRoot, FFrame);
    if (ref.empty()) return; // an unnamed component cannot be referred to
    WritePropName(name);
    WriteIdent(ref);
    return;
  }
  // A sub-object: its own properties, prefixed with this property's name.
  {
    TPersistent* oldAncestor = FAncestor;
    String savedPath = FPropPath;
    TOnExit restore([&] {
      FAncestor = oldAncestor;
      FPropPath = std::move(savedPath);
    });
    FPropPath += name + ".";
    if (FAncestor) FAncestor = dynamic_cast<TPersistent*>(GetObjectProp(FAncestor, prop));
    WriteProperties(persistent);
  }
  if (auto* coll = dynamic_cast<TCollection*>(value)) {
    auto* ancestorColl =
        FAncestor ? dynamic_cast<TCollection*>(GetObjectProp(FAncestor, prop)) : nullptr;
    if (!FAncestor || !ancestorColl ||
        !CollectionsEqual(coll, ancestorColl, FRoot, FRootAncestor)) {
      WritePropName(name);
      WriteCollection(coll);
    }
  }
}

void TWriter::WriteCollection(TCollection* value) {
  FCore.WriteCollectionBegin();
  if (value) {
    TPersistent* oldAncestor = FAncestor;
    TOnExit restore([&] { FAncestor = oldAncestor; });
    FAncestor = nullptr; // items are written whole
    for (TCollectionItem* item : value->ItemList()) {
      WriteListBegin();
      WriteProperties(item);
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteVariant(const Variant& value) {
  switch (value.VarType() & varTypeMask) {
  case varEmpty:
    FCore.WriteValue(vaNil);
    return;
  case varNull:
    FCore.WriteValue(vaNull);
    return;
  case varOleStr:
    WriteWideString(value.AsWideString());
    return;
  case varString:
  case varUString:
    WriteString(value.AsString());
    return;
  case varShortInt:
  case varByte:
  case varSmallint:
  case varWord:
  case varInteger:
  case varLongWord:
  case varInt64:
    WriteInteger(value.AsInt64());
    return;
  case varSingle:
    WriteSingle(static_cast<Single>(value.AsDouble()));
    return;
  case varDouble:
    WriteFloat(value.AsDouble());
    return;
  case varCurrency:
    WriteCurrency(value.AsCurrency());
    return;
  case varDate:
    WriteDate(value.AsDate());
    return;
  case varBoolean:
    WriteBoolean(value.AsBoolean());
    return;
  default:
    throw EWriteError(Format(sWriteVariantError, VarTypeAsText(value.VarType())));
  }
}

// ---- TReader -----------------------------------------------------------------------------------

struct TReader::TFixup {
  TPersistent* Instance;
  TComponent* InstanceRoot;
  TComponent* ModuleRoot;
  String ModuleName; // the stream's name for ModuleRoot
  PPropInfo Prop;
  String RootName;
  String Name;
};

TClass TReader::StaticClass() {
  static const TClass cls = TClassBuilder<TReader, TFiler>("TReader", "Classes").Build();
  return cls;
}

TReader::TReader(TStream* stream, int bufSize)
    : TFiler(stream, bufSize), FCore(*stream, bufSize > 0 ? bufSize : 1024) {}

TReader::~TReader() = default;

bool TReader::Error(const String& message) {
  bool handled = false;
  if (OnError) OnError(this, message, handled);
  return handled;
}

void TReader::DefineProperty(const String& name, TReaderProc readData, TWriterProc, bool) {
  if (!readData || !SameText(name, FPropName)) return;
  readData(this);
  FPropName.clear();
}

void TReader::DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc, bool) {
  if (!readData || !SameText(name, FPropName)) return;
  std::vector<Byte> bytes = FCore.ReadBinary();
  TMemoryStream data;
  if (!bytes.empty()) data.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  data.SetPosition(0);
  readData(&data);
  FPropName.clear();
}

char TReader::ReadChar() {
  String s = ReadString();
  if (s.size() > 1) FCore.PropValueError("Char");
  return s.empty() ? '\0' : s[0];
}

char16_t TReader::ReadWideChar() {
  WideString s = ReadWideString();
  if (s.size() > 1) FCore.PropValueError("Char");
  return s.empty() ? u'\0' : s[0];
}

Variant TReader::ReadVariant() {
  switch (NextValue()) {
  case vaNil:
    ReadValue();
    return Unassigned();
  case vaNull:
    ReadValue();
    return Null();
  case vaInt8:
    return Variant(static_cast<std::int8_t>(ReadInteger()));
  case vaInt16:
    return Variant(static_cast<std::int16_t>(ReadInteger()));
  case vaInt32:
    return Variant(ReadInteger());
  case vaInt64:
    return Variant(ReadInt64());
  case vaExtended:
  case vaDouble:
    return Variant(static_cast<double>(ReadFloat()));
  case vaSingle:
    return Variant(ReadSingle());
  case vaCurrency:
    return Variant(ReadCurrency());
  case vaDate:
    return VarFromDateTime(ReadDate());
  case vaString:
  case vaLString:
  case vaUTF8String:
    return Variant(ReadString());
  case vaWString:
    return Variant(ReadWideString());
  case vaFalse:
  case vaTrue:
    return Variant(ReadBoolean());
  default:
    FCore.PropValueError("Variant");
  }
}

TClass TReader::FindKnownClass(const String& className, bool ask) {
  TClass cls = GetClass(className);
  if (!cls) {
    // "Unit.TClass" names the class with its unit.
    auto dot = className.rfind('.');
    if (dot != String::npos) cls = GetClass(std::string_view(className).substr(dot + 1));
  }
  if (ask && OnFindComponentClass) OnFindComponentClass(this, className, cls);
  return cls && cls->InheritsFrom(TComponent::StaticClass()) ? cls : nullptr;
}

TClass TReader::FindComponentClass(const String& className) {
  TClass cls = FindKnownClass(className);
  if (!cls) throw EClassNotFound(Format(sClassNotFound, className));
  return cls;
}

void TReader::ReadRawPrefix(TFilerFlags& flags, Integer& childPos, std::string& raw) {
  flags = 0;
  childPos = -1;
  const Byte b = FCore.PeekByte();
  if ((b & 0xF0) != 0xF0) return;
  raw.push_back(static_cast<char>(FCore.ReadByte()));
  flags = b & 0x0F;
  if (!(flags & ffChildPos)) return;
  if (!detail::IsIntTag(FCore.PeekByte())) {
    FCore.ReadValue();
    FCore.PropValueError("Integer");
  }
  const std::size_t at = raw.size();
  const Int64 pos = Position();
  FCore.SkipValue(&raw);
  TBinaryReaderCore value(raw.data() + at, raw.size() - at, pos);
  childPos = value.ReadInteger();
}

bool TReader::SubtreeHasControl() {
  while (!EndOfList())
    FCore.SkipProperty();
  ReadListEnd();
  const auto isControl = PlaceholderControlHooks().IsControlClass;
  while (!EndOfList()) {
    TFilerFlags flags;
    Integer pos;
    ReadPrefix(flags, pos);
    TClass known = FindKnownClass(ReadStr(), false);
    ReadStr();
    if (known && isControl(known)) return true;
    if (known)
      SkipComponent(false);
    else if (SubtreeHasControl())
      return true;
  }
  ReadListEnd();
  return false;
}

bool TReader::PlaceholderNeedsControl() {
  const TPlaceholderControlHooks& hooks = PlaceholderControlHooks();
  if (!hooks.ControlClass || !hooks.IsControlClass) return false;
  if (FParent && hooks.IsControlClass(FParent->ClassType())) return true;
  const Int64 start = Position();
  bool control = false;
  try {
    control = SubtreeHasControl();
  } catch (const Exception&) {
    // A broken stream is reported where the component itself is read.
  }
  SetPosition(start);
  return control;
}

TComponent* TReader::CreatePlaceholderHere(const String& className, std::string prefix) {
  return CreatePlaceholder(className, PlaceholderNeedsControl(), FOwner, std::move(prefix));
}

void* TReader::FindMethod(const String& name) {
  // Handlers are the module's methods, also those of components inside a placed frame.
  void* address = FRoot ? FRoot->MethodAddress(name) : nullptr;
  bool error = address == nullptr;
  if (OnFindMethod) OnFindMethod(this, name, address, error);
  if (error) FCore.PropValueError("Method");
  return address;
}

std::string TReader::StreamBytes(Int64 from, Int64 to) {
  const Int64 physical = FStream->Position();
  std::string bytes(static_cast<std::size_t>(to - from), '\0');
  FStream->SetPosition(from);
  FStream->ReadBuffer(bytes.data(), to - from);
  FStream->SetPosition(physical);
  return bytes;
}

void TReader::ReadKeptProperties(TComponent* instance) {
  detail::TKeptComponent& kept = detail::Keep(instance);
  kept.Known = true;
  FKeptRead.emplace_back(instance, FLookupRoot);
  while (!EndOfList()) {
    const Int64 start = Position();
    const int depth = FCore.Depth();
    try {
      ReadProperty(instance);
    } catch (const Exception&) {
      // Kept as read, whatever part of it reached the component.
      FCore.Depth() = depth;
      SetPosition(start);
      FCore.SkipProperty();
    }
    const std::string bytes = StreamBytes(start, Position());
    TBinaryReaderCore in(bytes.data(), bytes.size(), start);
    TStoredProperty p;
    p.Name = in.ReadStr();
    p.Value = bytes.substr(static_cast<std::size_t>(in.Position() - start));
    kept.Properties.push_back(std::move(p));
  }
  ReadListEnd();
}

void TReader::SnapshotKept() {
  if (!FKeeping) return;
  FKeeping = false;
  for (auto [c, listRoot] : FKeptRead) {
    detail::TKeptComponent* kept = detail::FindKept(c);
    if (!kept) continue;
    // Written and listed as a writer does: inside a placed frame, under that frame.
    if (listRoot != FRoot && !FLoadedSet.count(listRoot)) listRoot = FRoot;
    try {
      kept->Canonical = detail::WrittenProperties(c, FRoot, listRoot != FRoot ? listRoot : nullptr);
    } catch (const Exception&) {
      kept->Known = false; // written as the class writes it, which reports the failure
      continue;
    }
    kept->Listed.clear();
    c->GetChildren([kept](TComponent* child) { kept->Listed.push_back(child); }, listRoot);
  }
  FKeptRead.clear();
}

TComponent* TReader::ReadRootComponent(TComponent* root) {
  ReadSignature();
  TComponent* result = nullptr;
  bool created = false;
  try {
    TFilerFlags flags;
    Integer childPos;
    std::string prefix;
    if (UsePlaceholders && !root)
      ReadRawPrefix(flags, childPos, prefix);
    else
      ReadPrefix(flags, childPos);
    String className = ReadStr();
    String name = ReadStr();
    FStreamRootName = name;
    FKeeping = UsePlaceholders && !root;
    FKeptRead.clear();
    if (!root) {
      TClass cls = UsePlaceholders ? FindKnownClass(className) : FindComponentClass(className);
      if (cls && prefix.empty()) {
        result = CreateComponent(cls, nullptr);
      } else {
        FOwner = nullptr;
        result = CreatePlaceholderHere(className, std::move(prefix));
      }
      created = true;
    } else {
      result = root;
    }
    // Loading before naming: a name read is not a rename the root's caption should follow.
    result->SetStateFlag(stateLoading, true);
    result->SetStateFlag(stateReading, true);
    if (created || !result->ComponentState().Contains(stateDesigning)) result->SetName(name);
    FRoot = result;
    FLookupRoot = result;
    FLoaded = std::make_unique<std::vector<TComponent*>>();
    FLoadedSet = {result};
    FLoaded->push_back(result);
    FOwner = result;
    result->ReadState(this);
    result->SetStateFlag(stateReading, false);
    if (detail::TKeptComponent* k = FKeeping ? detail::FindKept(result) : nullptr)
      k->ClassName = className;
    auto loaded = std::move(FLoaded);
    for (TComponent* c : *loaded)
      c->Loaded();
    GlobalFixupReferences();
    SnapshotKept();
  } catch (...) {
    FKeeping = false;
    FKeptRead.clear();
    FLoaded.reset();
    if (result) {
      result->SetStateFlag(stateReading, false);
      RemoveFixupReferences(result, {});
    }
    if (created) result->Free();
    throw;
  }
  return result;
}

void TReader::ReadComponents(TComponent* root, TComponent* owner, TComponent* parent,
                             TReadComponentsProc proc) {
  SetRoot(root);
  FOwner = owner;
  FParent = parent;
  BeginReferences();
  try {
    while (!EndOfList()) {
      ReadSignature();
      TComponent* c = ReadComponent(nullptr);
      if (proc && c) proc(c);
    }
    ReadListEnd();
    FixupReferences();
  } catch (...) {
    EndReferences();
    throw;
  }
  EndReferences();
}

void TReader::BeginReferences() {
  FLoaded = std::make_unique<std::vector<TComponent*>>();
  FLoadedSet.clear();
  FFixups = std::make_unique<std::vector<TFixup>>();
}

void TReader::FixupReferences() {
  DoFixupReferences();
  GlobalFixupReferences();
  if (FLoaded)
    for (TComponent* c : *FLoaded)
      c->Loaded();
}

void TReader::EndReferences() {
  FFixups.reset();
  FLoaded.reset();
  FLoadedSet.clear();
}

void TReader::SkipComponent(bool skipHeader) {
  if (skipHeader) {
    TFilerFlags flags;
    Integer pos;
    ReadPrefix(flags, pos);
    ReadStr();
    ReadStr();
  }
  while (!EndOfList())
    FCore.SkipProperty();
  ReadListEnd();
  while (!EndOfList())
    SkipComponent(true);
  ReadListEnd();
}

bool TReader::BeingRead(const TComponent* c) const {
  return std::find(FInRead.begin(), FInRead.end(), c) != FInRead.end();
}

bool TReader::ReadHere(TComponent* c) const {
  return c && (BeingRead(c) || (FLoaded && FLoadedSet.count(c)));
}

TComponent* TReader::FindInherited(const String& name, TClass cls) {
  TComponent* found = FLookupRoot ? FLookupRoot->FindComponent(name) : nullptr;
  if (ReadHere(found)) found = nullptr;
  if (!found && cls && OnAncestorNotFound) OnAncestorNotFound(this, name, cls, found);
  return ReadHere(found) ? nullptr : found;
}

TComponent* TReader::ReadComponent(TComponent* component) {
  TFilerFlags flags;
  Integer position;
  std::string prefix;
  if (UsePlaceholders && !component)
    ReadRawPrefix(flags, position, prefix);
  else
    ReadPrefix(flags, position);
  String className = ReadStr();
  String name = ReadStr();
  TComponent* oldParent = FParent;
  TComponent* oldLookupRoot = FLookupRoot;
  TComponent* result = component;
  bool created = false;
  TOnExit restore([&] {
    FParent = oldParent;
    FLookupRoot = oldLookupRoot;
  });
  // A component that cannot be made is skipped when the error handler accepts that.
  auto recover = [&](const Exception& e) {
    if (created && result) result->Free();
    result = nullptr;
    created = false;
    SkipComponent(false);
    return Error(e.Message());
  };
  // What cannot be made as the stream says becomes a placeholder.
  bool placeholder = false;
  if (!result && UsePlaceholders) {
    try {
      TClass known = FindKnownClass(className);
      if (flags & ffInherited) {
        placeholder = !FindInherited(name, known);
      } else {
        // Flags never stop a known class (a frame placed inline must be a frame): the prefix
        // comes back from its state, or as read when kept.
        placeholder = !known;
      }
      if (placeholder) {
        result = CreatePlaceholderHere(className, std::move(prefix));
        created = true;
      }
    } catch (const Exception& e) {
      if (!recover(e)) throw;
      return nullptr;
    }
  }
  if (!result && !placeholder) {
    if (flags & ffInherited) {
      try {
        TClass cls = FindComponentClass(className);
        result = FindInherited(name, cls);
        if (!result) throw EReadError(Format(sAncestorNotFound, name));
        FParent = result->GetParentComponent();
        if (!FParent) FParent = FRoot;
      } catch (const Exception& e) {
        if (!recover(e)) throw;
      }
    } else {
      try {
        TClass cls = FindComponentClass(className);
        if (OnCreateComponent) OnCreateComponent(this, cls, result);
        if (!result) {
          TComponentState state{stateLoading};
          if (flags & ffInline) state.Include(stateInline);
          result = CreateComponentWithState(cls, FOwner, state);
        }
        created = true;
        result->SetStateFlag(stateLoading, true);
      } catch (const Exception& e) {
        if (!recover(e)) throw;
      }
    }
  }
  if (result) {
    try {
      result->SetStateFlag(stateLoading, true);
      if (!(flags & ffInherited) || placeholder) {
        String newName = name;
        if (OnSetName) OnSetName(this, result, newName);
        result->SetName(newName);
      }
      if (result->ComponentState().Contains(stateInline)) FLookupRoot = result;
      result->SetStateFlag(stateReading, true);
      FInRead.push_back(result);
      {
        TOnExit done([this] { FInRead.pop_back(); });
        result->ReadState(this);
      }
      result->SetStateFlag(stateReading, false);
      if (detail::TKeptComponent* k = FKeeping ? detail::FindKept(result) : nullptr) {
        k->Prefix = std::move(prefix);
        k->ClassName = className;
      }
      if ((flags & ffChildPos) && FParent) FParent->SetChildOrder(result, position);
      if (FLoaded && FLoadedSet.insert(result).second) FLoaded->push_back(result);
    } catch (...) {
      if (created) {
        if (FLoaded && FLoadedSet.erase(result))
          FLoaded->erase(std::remove(FLoaded->begin(), FLoaded->end(), result), FLoaded->end());
        result->Free();
      } else {
        result->SetStateFlag(stateReading, false);
      }
      throw;
    }
  }
  return result;
}

void TReader::ReadData(TComponent* instance) {
  const bool outermost = !FFixups;
  if (outermost) FFixups = std::make_unique<std::vector<TFixup>>();
  TPlaceholder* placeholder = AsPlaceholder(instance);
  try {
    if (placeholder) {
      while (!EndOfList()) {
        String name = ReadStr();
        std::string value;
        FCore.SkipValue(&value);
        placeholder->AddStored(std::move(name), std::move(value));
      }
      ReadListEnd();
      placeholder->PropertiesRead();
    } else if (FKeeping) {
      ReadKeptProperties(instance);
    } else {
      while (!EndOfList())
        ReadProperty(instance);
      ReadListEnd();
    }
    {
      TComponent* oldParent = FParent;
      TComponent* oldOwner = FOwner;
      TOnExit restore([&] {
        FParent = oldParent;
        FOwner = oldOwner;
      });
      FParent = instance->GetChildParent();
      FOwner = instance->GetChildOwner();
      // What lies inside a frame placed inline is the frame's, however deep; what a
      // placeholder holds is the root's, as it always was.
      if (!FOwner) FOwner = oldOwner && !placeholder ? oldOwner : FRoot;
      while (!EndOfList()) {
        TComponent* child = ReadComponent(nullptr);
        if (!child) continue;
        if (placeholder) {
          placeholder->AddChild(child);
        } else if (FKeeping) {
          detail::Keep(instance).Children.push_back(child);
          detail::SetKeptParent(child, instance);
          // A placeholder that its container cannot hold still belongs to it.
          if (IsPlaceholder(child) && !child->GetParentComponent())
            child->SetParentComponent(instance);
        }
      }
      ReadListEnd();
    }
    if (outermost) DoFixupReferences();
  } catch (...) {
    if (outermost) FFixups.reset();
    throw;
  }
  if (outermost) FFixups.reset();
}

void TReader::ReadProperty(TPersistent* instance) {
  String path;
  Int64 valueStart = -1;
  const int depth = FCore.Depth();
  try {
    path = ReadStr();
    valueStart = Position();
    try {
      TPersistent* target = instance;
      std::size_t i = 0;
      for (;;) {
        std::size_t dot = path.find('.', i);
        FPropName = path.substr(i, dot == String::npos ? String::npos : dot - i);
        if (dot == String::npos) break;
        PPropInfo p = GetPropInfo(target, FPropName);
        if (!p) {
          FCore.SkipValue();
          throw EReadError(Format(sUnknownProperty, FPropName));
        }
        TObject* value =
            p->ValueClass == TPropValueClass::Object ? GetObjectProp(target, p) : nullptr;
        auto* next = dynamic_cast<TPersistent*>(value);
        if (!next) {
          FCore.SkipValue();
          throw EReadError(sInvalidPropertyPath);
        }
        target = next;
        i = dot + 1;
      }
      PPropInfo p = GetPropInfo(target, FPropName);
      if (p) {
        ReadPropValue(target, p);
      } else {
        // Not published: maybe the object streams it itself.
        target->DefineProperties(this);
        if (!FPropName.empty()) {
          FCore.SkipValue();
          throw EReadError(Format(sUnknownProperty, FPropName));
        }
      }
    } catch (const Exception& e) {
      String who;
      if (auto* c = dynamic_cast<TComponent*>(instance)) who = c->Name();
      if (who.empty()) who = instance->ClassName();
      throw EReadError(Format(sPropertyException, who, String("."), path, e.Message()));
    }
  } catch (const Exception& e) {
    // Without a name the stream is broken; otherwise reading goes on after the whole value,
    // however much of it was taken before the error.
    if (valueStart < 0 || !Error(e.Message())) throw;
    FCore.Depth() = depth;
    SetPosition(valueStart);
    FCore.SkipValue();
  }
}

void TReader::ReadPropValue(TPersistent* instance, PPropInfo prop) {
  if (!prop->HasWrite() &&
      !(prop->PropType()->Kind == kindClass && IsSubComponent(GetObjectProp(instance, prop)))) {
    FCore.SkipValue();
    throw EReadError(Format(sReadOnlyProperty, prop->Name));
  }
  (this->*PropValueOps(prop).Read)(instance, prop);
}

void TReader::ReadNoProp(TPersistent*, PPropInfo prop) {
  FCore.SkipValue();
  throw EReadError(Format(sInvalidPropertyType, prop->PropType()->Name));
}

void TReader::ReadOrdinalProp(TPersistent* instance, PPropInfo prop) {
  PTypeInfo type = prop->PropType();
  switch (type->Kind) {
  case kindInteger:
    if (NextValue() == vaIdent) {
      String ident = ReadIdent();
      Integer v = 0;
      TIdentToInt toInt = FindIdentToInt(type);
      if (!toInt || !toInt(ident, v)) FCore.PropValueError("Integer");
      SetOrdProp(instance, prop, v);
    } else if (type->Data.OrdType == otULong) {
      // Either encoding of an unsigned value: signed 32-bit, or the number itself.
      Int64 v = FCore.ReadInt64();
      if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<std::uint32_t>::max())
        FCore.ErrorAt(sValueOutOfRange);
      SetOrdProp(instance, prop, static_cast<std::uint32_t>(v));
    } else {
      SetOrdProp(instance, prop, ReadInteger());
    }
    return;
  case kindChar:
    SetOrdProp(instance, prop, static_cast<unsigned char>(ReadChar()));
    return;
  case kindWideChar:
    SetOrdProp(instance, prop, ReadWideChar());
    return;
  case kindSet: {
    if (NextValue() != vaSet) FCore.PropValueError("Set");
    ReadValue();
    PTypeInfo comp = type->Data.CompType;
    const int count = SetElementCount(type);
    std::uint64_t mask = 0;
    for (;;) {
      String element = ReadStr();
      if (element.empty()) break;
      Integer v = GetEnumValue(comp, element);
      Int64 bit = v - comp->Data.MinValue;
      if (v < 0 || bit < 0 || bit >= count) FCore.PropValueError("Set");
      mask |= std::uint64_t{1} << bit;
    }
    SetOrdProp(instance, prop, static_cast<Int64>(mask));
    return;
  }
  case kindEnumeration: {
    Integer v = GetEnumValue(type, ReadIdent());
    if (v < 0 || v < type->Data.MinValue || v > type->Data.MaxValue)
      FCore.PropValueError("Enumeration");
    SetOrdProp(instance, prop, v);
    return;
  }
  default: // Int64
    SetInt64Prop(instance, prop, ReadInt64());
    return;
  }
}

void TReader::ReadFloatProp(TPersistent* instance, PPropInfo prop) {
  if (prop->PropType()->Data.FloatType == ftCurr)
    SetFloatProp(instance, prop, ReadCurrency().ToExtended());
  else
    SetFloatProp(instance, prop, ReadFloat());
}

template <TPropValueClass C> void TReader::ReadPlainProp(TPersistent* instance, PPropInfo prop) {
  TPropValueOf<C> v;
  if constexpr (C == TPropValueClass::String)
    v = ReadString();
  else if constexpr (C == TPropValueClass::Wide)
    v = ReadWideString();
  else
    v = ReadVariant();
  PropValueOps(C).Set(instance, prop,
                      TPropValue(std::in_place_index<static_cast<std::size_t>(C)>, std::move(v)));
}
template void TReader::ReadPlainProp<TPropValueClass::String>(TPersistent*, PPropInfo);
template void TReader::ReadPlainProp<TPropValueClass::Wide>(TPersistent*, PPropInfo);
template void TReader::ReadPlainProp<TPropValueClass::Variant>(TPersistent*, PPropInfo);

void TReader::ReadMethodProp(TPersistent* instance, PPropInfo prop) {
  if (NextValue() == vaNil) {
    ReadValue();
    SetMethodProp(instance, prop, TMethod{});
    return;
  }
  void* code = FindMethod(ReadIdent());
  if (code) SetMethodProp(instance, prop, TMethod{code, static_cast<TObject*>(FRoot)});
}

void TReader::ReadObjectProp(TPersistent* instance, PPropInfo prop) {
  switch (NextValue()) {
  case vaNil:
    ReadValue();
    SetObjectProp(instance, prop, nullptr);
    return;
  case vaCollection: {
    ReadValue();
    auto* coll = dynamic_cast<TCollection*>(GetObjectProp(instance, prop));
    if (!coll) FCore.PropValueError("Collection");
    ReadCollection(coll);
    return;
  }
  default:
    AddFixup(instance, prop, ReadIdent());
    return;
  }
}

void TReader::ReadInterfaceProp(TPersistent* instance, PPropInfo prop) {
  if (NextValue() == vaNil) {
    ReadValue();
    SetInterfaceProp(instance, prop, nullptr);
  } else {
    AddFixup(instance, prop, ReadIdent());
  }
}

void TReader::ReadCollection(TCollection* collection) {
  collection->BeginUpdate();
  try {
    if (!EndOfList()) collection->Clear();
    while (!EndOfList()) {
      TValueType next = NextValue();
      if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger(); // item order
      TCollectionItem* item = collection->Add();
      ReadListBegin();
      while (!EndOfList())
        ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    collection->EndUpdate();
    throw;
  }
  collection->EndUpdate();
}

// ---- Fix-ups -----------------------------------------------------------------------------------

namespace {

bool SplitReference(const String& ident, String& rootName, String& name) {
  auto dot = ident.find('.');
  if (dot == String::npos) {
    rootName.clear();
    name = ident;
  } else {
    rootName = ident.substr(0, dot);
    name = ident.substr(dot + 1);
  }
  return true;
}

/// The component a reference names, or null. `waitFor` receives the module it waits for.
/// Inside a placed frame (`root` is not `moduleRoot`) the frame's names come first, then those
/// of what holds it, out to the module, which the stream may call `moduleName`.
TComponent* ResolveReference(TComponent* root, TComponent* moduleRoot, const String& moduleName,
                             const String& rootName, const String& name, String& waitFor) {
  waitFor.clear();
  if (rootName.empty() && SameText(name, "Owner")) return root;
  const bool nested = root && moduleRoot && root != moduleRoot;
  bool baseFound = false;
  for (TComponent* scope = root; scope;
       scope = nested && scope != moduleRoot ? scope->Owner() : nullptr) {
    TComponent* base = scope;
    if (!rootName.empty()) {
      base = scope->FindComponent(rootName);
      // A placed frame, and the module around one, are named through themselves.
      if (!base && (scope->ComponentState().Contains(stateInline) || scope != root) &&
          SameText(scope->Name(), rootName))
        base = scope;
      // A copy of a module read from the module's stream goes by the module's name there.
      if (!base && scope == moduleRoot && !moduleName.empty() && SameText(moduleName, rootName))
        base = scope;
      if (!base) continue;
      if (SameText(name, "Owner")) return base;
      baseFound = true;
    }
    if (TComponent* found = FindNestedComponent(base, name)) return found;
  }
  if (baseFound) return nullptr;
  if (!rootName.empty()) {
    TComponent* base = FindGlobalComponent(rootName);
    if (!base) {
      waitFor = rootName;
      return nullptr;
    }
    return SameText(name, "Owner") ? base : FindNestedComponent(base, name);
  }
  TComponent* found = nullptr;
  if (name.find('.') == String::npos) {
    // A bare name may be another module's root.
    found = FindGlobalComponent(name);
    if (!found) waitFor = name;
  }
  return found;
}

void Apply(TPersistent* instance, PPropInfo prop, TComponent* target) {
  if (prop->ValueClass == TPropValueClass::Interface) {
    // Components are not counted, so the reference GetInterface adds needs no release.
    void* intf = nullptr;
    if (target->GetInterface(prop->PropType()->Data.Guid, &intf))
      SetInterfaceProp(instance, prop, QueryIntf<IInterface>(target));
    return;
  }
  SetObjectProp(instance, prop, target);
}

} // namespace

void TReader::AddFixup(TPersistent* instance, PPropInfo prop, const String& ident) {
  TFixup f{instance, FLookupRoot ? FLookupRoot : FRoot, FRoot, FStreamRootName, prop, {}, {}};
  SplitReference(ident, f.RootName, f.Name);
  if (FFixups) FFixups->push_back(std::move(f));
}

void TReader::DoFixupReferences() {
  if (!FFixups) return;
  for (TFixup& f : *FFixups) {
    String rootName = f.RootName;
    String name = f.Name;
    if (OnReferenceName) {
      // Whole: a rename of the frame a reference goes through must reach it, and one of a
      // namesake inside that frame must not.
      String whole = rootName.empty() ? name : rootName + "." + name;
      OnReferenceName(this, whole);
      if (whole.empty()) continue;
      SplitReference(whole, rootName, name);
    }
    String waitFor;
    TComponent* target =
        ResolveReference(f.InstanceRoot, f.ModuleRoot, f.ModuleName, rootName, name, waitFor);
    if (target) {
      try {
        Apply(f.Instance, f.Prop, target);
      } catch (const Exception& e) {
        if (!Error(e.Message()) && !FKeeping)
          throw EReadError(Format(sUnresolvedReference, name, f.Prop->Name));
      }
    } else if (!waitFor.empty()) {
      String rest = rootName.empty() ? String("Owner") : name;
      GlobalFixups().push_back(TGlobalFixup{f.Instance, f.InstanceRoot, f.Prop, waitFor, rest});
    } else {
      String message = Format(sUnresolvedReference, rootName.empty() ? name : rootName + "." + name,
                              f.Prop->Name);
      if (!Error(message) && !FKeeping) throw EReadError(message);
    }
  }
  FFixups->clear();
}

void RegisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  auto& list = GlobalFinders();
  if (std::find(list.begin(), list.end(), proc) == list.end()) list.push_back(proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent proc) {
  auto& list = GlobalFinders();
  list.erase(std::remove(list.begin(), list.end(), proc), list.end());
}

TComponent* FindGlobalComponent(const String& name) {
  auto& list = GlobalFinders();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (TComponent* c = (*it)(name)) return c;
  return nullptr;
}

Integer GlobalFixupReferences() {
  auto& list = GlobalFixups();
  Integer resolved = 0;
  for (std::size_t i = 0; i < list.size();) {
    TGlobalFixup& f = list[i];
    TComponent* module = FindGlobalComponent(f.RootName);
    TComponent* target =
        module ? (SameText(f.Name, "Owner") ? module : FindNestedComponent(module, f.Name))
               : nullptr;
    if (!target) {
      ++i;
      continue;
    }
    TGlobalFixup done = f;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    try {
      Apply(done.Instance, done.Prop, target);
      ++resolved;
    } catch (const Exception&) {
      // A reference of the wrong class stays unset, as an unknown name would.
    }
  }
  return resolved;
}

std::vector<String> GetFixupReferenceNames(TComponent* root) {
  std::vector<String> names;
  for (const auto& f : GlobalFixups())
    if (f.InstanceRoot == root && std::none_of(names.begin(), names.end(), [&](const String& n) {
          return SameText(n, f.RootName);
        }))
      names.push_back(f.RootName);
  return names;
}

std::vector<String> GetFixupInstanceNames(TComponent* root, const String& referenceRootName) {
  std::vector<String> names;
  for (const auto& f : GlobalFixups()) {
    if (f.InstanceRoot != root || !SameText(f.RootName, referenceRootName)) continue;
    auto* c = dynamic_cast<TComponent*>(f.Instance);
    String n = c ? c->Name() : f.Instance->GetNamePath();
    if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
  }
  return names;
}

void RemoveFixupReferences(TComponent* root, const String& rootName) {
  auto& list = GlobalFixups();
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const TGlobalFixup& f) {
                              return (!root || f.InstanceRoot == root) &&
                                     (rootName.empty() || SameText(f.RootName, rootName));
                            }),
             list.end());
}

void RedirectFixupReferences(TComponent* root, const String& oldRootName,
                             const String& newRootName) {
  for (auto& f : GlobalFixups())
    if (f.InstanceRoot == root && SameText(f.RootName, oldRootName)) f.RootName = newRootName;
}

namespace detail {
/// Called when a component goes: references it waits with, or waits for, are dropped.
void ForgetFixupsOf(TComponent* component) {
  auto& list = GlobalFixups();
  if (list.empty()) return;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const TGlobalFixup& f) {
                              return f.InstanceRoot == component ||
                                     f.Instance == static_cast<TPersistent*>(component);
                            }),
             list.end());
}
} // namespace detail

TComponent* FindNestedComponent(TComponent* root, std::string_view namePath) {
  TComponent* result = root;
  while (result && !namePath.empty()) {
    std::size_t end = 0;
    while (end < namePath.size() && namePath[end] != '.' &&
           !(namePath[end] == '-' && end + 1 < namePath.size() && namePath[end + 1] == '>'))
      ++end;
    result = result->FindComponent(namePath.substr(0, end));
    if (end >= namePath.size()) break;
    namePath.remove_prefix(end + (namePath[end] == '.' ? 1 : 2));
  }
  return result;
}

// ---- Defaults ----------------------------------------------------------------------------------

bool IsDefaultPropertyValue(TObject* instance, PPropInfo prop,
                            const TGetLookupInfoEvent& onGetLookupInfo, TWriter* writer,
                            const TFindAncestorEvent& onFindAncestor) {
  TAncestorLookup at;
  TComponent* lookupRoot = nullptr;
  if (onGetLookupInfo) onGetLookupInfo(at.Ancestor, at.Root, lookupRoot, at.RootAncestor);
  if (writer && onFindAncestor) {
    if (auto* c = dynamic_cast<TComponent*>(instance)) {
      auto* a = dynamic_cast<TComponent*>(at.Ancestor);
      onFindAncestor(writer, c, c->Name(), a, at.RootAncestor);
      at.Ancestor = a;
    }
  }
  if (!prop->HasRead()) return true;
  return PropValueOps(prop).IsDefault(instance, prop, at, lookupRoot);
}

bool IsDefaultPropertyValue(TObject* instance, PPropInfo prop, const TAncestorLookup& lookup) {
  if (!prop->HasRead()) return true;
  return PropValueOps(prop).IsDefault(instance, prop, lookup, lookup.Root);
}

bool AncestorIsValid(TPersistent* ancestor, TComponent* root, TComponent* rootAncestor) {
  return ancestor && rootAncestor && root && root->InheritsFrom(rootAncestor->ClassType());
}

bool CollectionsEqual(TCollection* c1, TCollection* c2, TComponent* owner1, TComponent* owner2) {
  if (!c1 || !c2) return c1 == c2;
  if (c1->ClassType() != c2->ClassType() || c1->Count() != c2->Count()) return false;
  auto streamOf = [](TCollection* c, TComponent* owner) {
    TMemoryStream s;
    {
      TWriter w(&s, 1024);
      w.SetRoot(owner);
      w.WriteCollection(c);
      w.FlushBuffer();
    }
    return String(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
  };
  return streamOf(c1, owner1) == streamOf(c2, owner2);
}

// ---- Integer identifiers -----------------------------------------------------------------------

void RegisterIntegerConsts(PTypeInfo integerType, TIdentToInt identToInt, TIntToIdent intToIdent) {
  IntConsts()[integerType] = TIntConsts{identToInt, intToIdent};
}

void UnregisterIntegerConsts(PTypeInfo integerType) { IntConsts().erase(integerType); }

TIdentToInt FindIdentToInt(PTypeInfo integerType) {
  auto it = IntConsts().find(integerType);
  return it == IntConsts().end() ? nullptr : it->second.IdentToInt;
}

TIntToIdent FindIntToIdent(PTypeInfo integerType) {
  auto it = IntConsts().find(integerType);
  return it == IntConsts().end() ? nullptr : it->second.IntToIdent;
}

} // namespace fw
