// Filers: the writer and reader that turn components into binary form streams and back,
// with inheritance (only what differs from an ancestor is written) and reference fix-ups.
#pragma once

#include "basert/ancestorlookup.h"
#include "basert/collection.h"
#include "basert/component.h"
#include "basert/formstream.h"
#include "basert/functionref.h"
#include "basert/propvalue.h"
#include "basert/streams.h"
#include "basert/variants.h"

#include <functional>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

namespace fw {

class TReader;
class TWriter;

// Called only during DefineProperty: references, since every DefineProperties call makes them.
using TReaderProc = TFunctionRef<void(TReader* reader)>;
using TWriterProc = TFunctionRef<void(TWriter* writer)>;
using TStreamProc = TFunctionRef<void(TStream* stream)>;

// Resource strings of the filers.
inline constexpr std::string_view sPropertyException = "Error reading %s%s%s: %s";
inline constexpr std::string_view sInvalidPropertyPath = "Invalid property path";
inline constexpr std::string_view sAncestorNotFound = "Ancestor for '%s' not found";
inline constexpr std::string_view sUnresolvedReference = "Invalid reference %s in property %s";
inline constexpr std::string_view sWriteVariantError = "Cannot write a variant of type %s";
inline constexpr std::string_view sReadVariantError = "Invalid variant value at byte %d";

/// Base of the reader and the writer: the stream they work on and the roots that give names
/// their meaning.
class TFiler : public TObject {
  FW_CLASS(TFiler)
public:
  ~TFiler() override;

  TComponent* Root() const noexcept { return FRoot; }
  /// Sets the root; the lookup root (whose components names refer to) follows it.
  virtual void SetRoot(TComponent* value);
  TComponent* LookupRoot() const noexcept { return FLookupRoot; }
  /// Names (references, methods) are then taken from `value` while the root still decides
  /// which children are listed: a placed frame's components copied from the form holding it.
  void SetLookupRoot(TComponent* value) { FLookupRoot = value; }
  /// The object whose values count as defaults while writing (the inherited counterpart).
  TPersistent* Ancestor() const noexcept { return FAncestor; }
  void SetAncestor(TPersistent* value) { FAncestor = value; }
  bool IgnoreChildren() const noexcept { return FIgnoreChildren; }
  void SetIgnoreChildren(bool value) { FIgnoreChildren = value; }

  /// A property the object streams itself: the reader calls `readData` when the stream has it,
  /// the writer calls `writeData` when `hasData`.
  virtual void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData,
                              bool hasData) = 0;
  /// The same for binary data, handed over as a stream.
  virtual void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                                    bool hasData) = 0;
  virtual void FlushBuffer() = 0;

protected:
  TFiler(TStream* stream, int bufSize) : FStream(stream), FBufSize(bufSize) {}
  TStream* FStream;
  int FBufSize;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
  bool FIgnoreChildren = false;
};

/// Finds the ancestor of a component being written (for nested module instances).
using TFindAncestorEvent =
    std::function<void(TWriter* writer, TComponent* component, const String& name,
                       TComponent*& ancestor, TComponent*& rootAncestor)>;

class TWriter : public TFiler {
  FW_CLASS(TWriter)
public:
  TWriter(TStream* stream, int bufSize);
  /// Flushes what is buffered (errors there are lost: call FlushBuffer to see them).
  ~TWriter() override;

  void SetRoot(TComponent* value) override;
  void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;
  void FlushBuffer() override { FCore.FlushBuffer(); }
  Int64 Position() const { return FCore.Position(); }
  /// Flushes and continues at `value` of the stream.
  void SetPosition(Int64 value) { FCore.SetPosition(value); }

  TComponent* RootAncestor() const noexcept { return FRootAncestor; }
  void SetRootAncestor(TComponent* value) { FRootAncestor = value; }
  const String& PropPath() const noexcept { return FPropPath; }
  TFindAncestorEvent OnFindAncestor;
  /// The module root a designed class was made for: a component of such a class without a
  /// counterpart (a designed frame placed on the module) is written against it.
  TFindAncestorRoot OnFindAncestorRoot;
  /// Write class names with their unit ("Unit.TClass").
  bool UseQualifiedNames = false;
  /// The placed frame whose contents are being written, or null: references from inside it to
  /// the lookup root or its own components are written with the lookup root's name
  /// ("Form1.Menu", "Form1.Owner"). Set while a frame is written; settable for one object's
  /// properties written alone.
  TComponent* Frame() const noexcept { return FFrame; }
  void SetFrame(TComponent* value) { FFrame = value; }

  /// The signature, then `root` and everything it owns, as a stream that stands alone.
  void WriteRootComponent(TComponent* root);
  /// The signature, then `root` with only what differs from `ancestor` (which may be null).
  /// An inherited component that differs in nothing (no property, no child, same position) is
  /// left out entirely.
  void WriteDescendent(TComponent* root, TComponent* ancestor);
  /// One component (with its children) under the current root and ancestor.
  void WriteComponent(TComponent* component);
  /// What TComponent::WriteState writes: prefix, class, name, properties, children.
  void WriteData(TComponent* instance);
  /// The published (stored, non-default) and defined properties of an object.
  void WriteProperties(TPersistent* instance);
  void WriteProperty(TPersistent* instance, PPropInfo prop);
  /// A collection value: vaCollection, each item's properties in a list, the end marker.
  void WriteCollection(TCollection* value);

  void WriteSignature() { FCore.WriteSignature(); }
  void WriteValue(TValueType value) { FCore.WriteValue(value); }
  void WriteListBegin() { FCore.WriteListBegin(); }
  void WriteListEnd() { FCore.WriteListEnd(); }
  void WriteInteger(Int64 value) { FCore.WriteInteger(value); }
  void WriteFloat(Extended value) { FCore.WriteFloat(value); }
  void WriteSingle(Single value) { FCore.WriteSingle(value); }
  void WriteDouble(Double value) { FCore.WriteDouble(value); }
  void WriteCurrency(Currency value) { FCore.WriteCurrency(value); }
  void WriteDate(TDateTime value) { FCore.WriteDate(value); }
  void WriteBoolean(bool value) { FCore.WriteBoolean(value); }
  void WriteString(std::string_view value) { FCore.WriteString(value); }
  void WriteWideString(std::u16string_view value) { FCore.WriteWideString(value); }
  void WriteUTF8Str(std::string_view value) { FCore.WriteUTF8Str(value); }
  void WriteIdent(std::string_view value) { FCore.WriteIdent(value); }
  void WriteStr(std::string_view value) { FCore.WriteStr(value); }
  void WriteChar(char value) { FCore.WriteString(std::string_view(&value, 1)); }
  void WriteWideChar(char16_t value) { FCore.WriteWideString(std::u16string_view(&value, 1)); }
  /// Raises EWriteError for a variant type the stream cannot carry.
  void WriteVariant(const Variant& value);
  void Write(const void* buffer, std::size_t count) { FCore.Write(buffer, count); }
  TBinaryWriterCore& Core() noexcept { return FCore; }

private:
  friend const TPropValueOps& PropValueOps(TPropValueClass cls) noexcept;
  void WritePropName(const String& name);
  void WritePrefixFor(TComponent* instance);
  /// The value-class test under the current ancestor and roots.
  bool IsDefaultHere(TPersistent* instance, PPropInfo prop) const;
  // One property of each value class, unless it is default (the entries of PropValueOps).
  void WriteNoProp(TPersistent* instance, PPropInfo prop);
  void WriteOrdinalProp(TPersistent* instance, PPropInfo prop);
  void WriteFloatProp(TPersistent* instance, PPropInfo prop);
  template <TPropValueClass C> void WritePlainProp(TPersistent* instance, PPropInfo prop);
  void WriteMethodProp(TPersistent* instance, PPropInfo prop);
  void WriteObjectProp(TPersistent* instance, PPropInfo prop);
  void WriteInterfaceProp(TPersistent* instance, PPropInfo prop);

  TBinaryWriterCore FCore;
  TComponent* FRootAncestor = nullptr;
  TComponent* FFrame = nullptr;
  /// The component being written has only its own module as ancestor, none in the root's.
  bool FModuleAncestorOnly = false;
  String FPropPath;
  std::vector<TComponent*>* FAncestorList = nullptr;
  std::size_t FAncestorPos = 0;
  Integer FChildPos = 0;
};

using TSetNameEvent = std::function<void(TReader* reader, TComponent* component, String& name)>;
using TReferenceNameEvent = std::function<void(TReader* reader, String& name)>;
using TFindMethodEvent =
    std::function<void(TReader* reader, const String& methodName, void*& address, bool& error)>;
using TFindComponentClassEvent =
    std::function<void(TReader* reader, const String& className, TClass& componentClass)>;
using TCreateComponentEvent =
    std::function<void(TReader* reader, TClass componentClass, TComponent*& component)>;
using TAncestorNotFoundEvent = std::function<void(TReader* reader, const String& componentName,
                                                  TClass componentClass, TComponent*& component)>;
using TReaderErrorEvent =
    std::function<void(TReader* reader, const String& message, bool& handled)>;
using TReadComponentsProc = std::function<void(TComponent* component)>;

class TReader : public TFiler {
  FW_CLASS(TReader)
public:
  TReader(TStream* stream, int bufSize);
  /// Puts the stream's position back after the last value read.
  ~TReader() override;

  void DefineProperty(const String& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const String& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;
  void FlushBuffer() override { FCore.FlushBuffer(); }
  Int64 Position() const { return FCore.Position(); }
  void SetPosition(Int64 value) { FCore.SetPosition(value); }

  /// Components created while reading are owned by it (by default the root).
  TComponent* Owner() const noexcept { return FOwner; }
  void SetOwner(TComponent* value) { FOwner = value; }
  /// The parent given to controls read (through SetParentComponent in their ReadState).
  TComponent* Parent() const noexcept { return FParent; }
  void SetParent(TComponent* value) { FParent = value; }
  /// The name the writer's root had (ReadRootComponent takes it from the stream): a reference
  /// through it ("Frame2.Action1") names the root read into, which may be a copy of that module
  /// under another name.
  const String& StreamRootName() const noexcept { return FStreamRootName; }
  void SetStreamRootName(const String& value) { FStreamRootName = value; }
  /// The name of the property being read.
  const String& PropName() const noexcept { return FPropName; }

  TSetNameEvent OnSetName;
  /// Sees each component reference whole ("Frame1.Edit1" as one name) before it is resolved,
  /// and may change it; emptied, the property stays unset.
  TReferenceNameEvent OnReferenceName;
  TFindMethodEvent OnFindMethod;
  TFindComponentClassEvent OnFindComponentClass;
  TCreateComponentEvent OnCreateComponent;
  TAncestorNotFoundEvent OnAncestorNotFound;
  TReaderErrorEvent OnError;
  /// Keep what cannot be made as placeholders (see placeholder.h) instead of raising
  /// EClassNotFound: components of classes no package registers, inherited components whose
  /// ancestor is missing, and components of known classes whose prefix (inherited, inline,
  /// child position) only their ancestor could give back. ReadRootComponent(nullptr) then also
  /// keeps the stream of every component of a known class, so that a writer gives it back with
  /// only what changed since: a property it cannot read (an unknown handler, a reference that
  /// does not resolve, a property the class lacks) is kept instead of raising.
  bool UsePlaceholders = false;

  /// Reads a whole stream (signature first) into `root`, or into a new component of the
  /// stream's class when `root` is null (freed again on failure). References are fixed up and
  /// every component read gets Loaded. Components read get stateLoading until then.
  TComponent* ReadRootComponent(TComponent* root);
  /// Reads signature-and-component entries up to an end-of-list marker into `owner` and
  /// `parent`, calling `proc` for each component read.
  void ReadComponents(TComponent* owner, TComponent* parent, TReadComponentsProc proc) {
    ReadComponents(owner, owner, parent, std::move(proc));
  }
  /// The same with `owner` other than the root that names methods and resolves references:
  /// components pasted into a frame placed on `root`.
  void ReadComponents(TComponent* root, TComponent* owner, TComponent* parent,
                      TReadComponentsProc proc);
  /// Reads one component (prefix, class, name, state). With `component` null it is created
  /// (or, when the stream marks it inherited, found under the lookup root). A component
  /// created here is freed again when reading it fails.
  TComponent* ReadComponent(TComponent* component);
  /// What TComponent::ReadState reads: properties, then children.
  void ReadData(TComponent* instance);
  /// One property: its (dotted) name and value. Errors in the value are offered to OnError:
  /// handled, reading goes on after the whole value; unhandled, they raise EReadError naming the
  /// component and property.
  void ReadProperty(TPersistent* instance);
  /// The items of a collection value (after its vaCollection tag).
  void ReadCollection(TCollection* collection);

  /// Reference tracking around several ReadComponent calls.
  void BeginReferences();
  /// Resolves the references collected so far and calls Loaded on what was read.
  void FixupReferences();
  void EndReferences();

  void ReadSignature() { FCore.ReadSignature(); }
  TValueType NextValue() { return FCore.NextValue(); }
  TValueType ReadValue() { return FCore.ReadValue(); }
  void CheckValue(TValueType value) { FCore.CheckValue(value); }
  bool EndOfList() { return FCore.EndOfList(); }
  void ReadListBegin() { FCore.ReadListBegin(); }
  void ReadListEnd() { FCore.ReadListEnd(); }
  void ReadPrefix(TFilerFlags& flags, Integer& childPos) { FCore.ReadPrefix(flags, childPos); }
  Integer ReadInteger() { return FCore.ReadInteger(); }
  Int64 ReadInt64() { return FCore.ReadInt64(); }
  Extended ReadFloat() { return FCore.ReadFloat(); }
  Single ReadSingle() { return FCore.ReadSingle(); }
  Double ReadDouble() { return FCore.ReadDouble(); }
  Currency ReadCurrency() { return FCore.ReadCurrency(); }
  TDateTime ReadDate() { return FCore.ReadDate(); }
  bool ReadBoolean() { return FCore.ReadBoolean(); }
  String ReadString() { return FCore.ReadString(); }
  WideString ReadWideString() { return FCore.ReadWideString(); }
  String ReadIdent() { return FCore.ReadIdent(); }
  String ReadStr() { return FCore.ReadStr(); }
  /// A one-character string value.
  char ReadChar();
  char16_t ReadWideChar();
  Variant ReadVariant();
  void SkipValue() { FCore.SkipValue(); }
  void Read(void* buffer, std::size_t count) { FCore.Read(buffer, count); }
  TBinaryReaderCore& Core() noexcept { return FCore; }

  /// Offers an error to OnError; true when it was handled (reading then goes on).
  bool Error(const String& message);

private:
  struct TFixup;
  friend const TPropValueOps& PropValueOps(TPropValueClass cls) noexcept;
  void ReadPropValue(TPersistent* instance, PPropInfo prop);
  // The value after a property's name, by value class (the entries of PropValueOps).
  void ReadNoProp(TPersistent* instance, PPropInfo prop);
  void ReadOrdinalProp(TPersistent* instance, PPropInfo prop);
  void ReadFloatProp(TPersistent* instance, PPropInfo prop);
  template <TPropValueClass C> void ReadPlainProp(TPersistent* instance, PPropInfo prop);
  void ReadMethodProp(TPersistent* instance, PPropInfo prop);
  void ReadObjectProp(TPersistent* instance, PPropInfo prop);
  void ReadInterfaceProp(TPersistent* instance, PPropInfo prop);
  void SkipComponent(bool skipHeader);
  TClass FindComponentClass(const String& className);
  /// The registered component class of that name, or null; `ask` offers it to
  /// OnFindComponentClass.
  TClass FindKnownClass(const String& className, bool ask = true);
  /// ReadPrefix that also answers the prefix's bytes.
  void ReadRawPrefix(TFilerFlags& flags, Integer& childPos, std::string& raw);
  /// A placeholder for the component whose header was just read, owned by the current owner.
  TComponent* CreatePlaceholderHere(const String& className, std::string prefix);
  /// True when the component being read must be a control: its parent is one, or its stream
  /// holds controls (looked at ahead, through placeholders-to-be).
  bool PlaceholderNeedsControl();
  bool SubtreeHasControl();
  /// The properties of a known component read while keeping: each kept as read, one that
  /// cannot be read skipped.
  void ReadKeptProperties(TComponent* instance);
  /// Bytes [from, to) of the stream.
  std::string StreamBytes(Int64 from, Int64 to);
  /// After the load: what the writer gives for each kept component now.
  void SnapshotKept();
  void* FindMethod(const String& name);
  void AddFixup(TPersistent* instance, PPropInfo prop, const String& ident);
  void DoFixupReferences();

  TBinaryReaderCore FCore;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  String FPropName;
  String FStreamRootName;
  std::unique_ptr<std::vector<TFixup>> FFixups;
  std::unique_ptr<std::vector<TComponent*>> FLoaded; // in reading order, for Loaded
  std::unordered_set<TComponent*> FLoadedSet;
  bool FKeeping = false; // keeping the streams of known components
  // In reading order, for the snapshot, each with the root its children are listed under.
  std::vector<std::pair<TComponent*, TComponent*>> FKeptRead;
  std::vector<TComponent*> FInRead; // the components being read, outermost first
  /// Reading into one of these would nest the stream without end.
  bool BeingRead(const TComponent* c) const;
  /// True for a component this stream has read or is reading. An inherited entry names what
  /// was there before the stream: reading it into one of these again would merge two entries
  /// and write one of them back twice.
  bool ReadHere(TComponent* c) const;
  /// The component an inherited entry `name` is read into: found under the lookup root or
  /// offered by OnAncestorNotFound (asked only with a class), never one ReadHere; else null.
  TComponent* FindInherited(const String& name, TClass cls);
};

// ---- Module-wide references --------------------------------------------------------------------

/// Finds a loaded module's root component by name; null when it knows none.
using TFindGlobalComponent = TComponent* (*)(const String& name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent proc);
/// Asks the registered procedures, newest first.
TComponent* FindGlobalComponent(const String& name);

/// Resolves references to other modules that were waiting for them (called after every root
/// is read); answers how many were resolved.
Integer GlobalFixupReferences();
/// The names of the modules `root` still waits for, each once, in order of first reference.
std::vector<String> GetFixupReferenceNames(TComponent* root);
/// The names of `root`'s components that wait for module `referenceRootName`.
std::vector<String> GetFixupInstanceNames(TComponent* root, const String& referenceRootName);
/// Forgets what `root` waits for (everything when `rootName` is empty).
void RemoveFixupReferences(TComponent* root, const String& rootName);
/// Makes `root`'s references to module `oldRootName` refer to `newRootName` instead.
void RedirectFixupReferences(TComponent* root, const String& oldRootName,
                             const String& newRootName);
namespace detail {
/// Called by a component's destructor: references it waits with, or waits for, are dropped.
void ForgetFixupsOf(TComponent* component);
} // namespace detail

/// A component found by a dotted path of names through owned components ("Frame1.Button1");
/// null when a step is missing.
TComponent* FindNestedComponent(TComponent* root, std::string_view namePath);

// ---- Defaults ----------------------------------------------------------------------------------

/// What a default-value test needs to know of the module being written.
using TGetLookupInfoEvent = std::function<void(TPersistent*& ancestor, TComponent*& root,
                                               TComponent*& lookupRoot, TComponent*& rootAncestor)>;

/// True when the property holds what the writer would leave out: the ancestor's value, or with
/// no ancestor the declared default (ordinals), zero, empty or nil.
bool IsDefaultPropertyValue(TObject* instance, PPropInfo prop,
                            const TGetLookupInfoEvent& onGetLookupInfo, TWriter* writer = nullptr,
                            const TFindAncestorEvent& onFindAncestor = {});
/// The same test against a lookup found by the ancestor walk (whose root is also the lookup
/// root).
bool IsDefaultPropertyValue(TObject* instance, PPropInfo prop, const TAncestorLookup& lookup);
/// True when `ancestor` can stand for a component of `root` (root descends from the ancestor
/// root's class).
bool AncestorIsValid(TPersistent* ancestor, TComponent* root, TComponent* rootAncestor);
/// True when two collections would be written the same way (same class, items and values).
bool CollectionsEqual(TCollection* c1, TCollection* c2, TComponent* owner1, TComponent* owner2);

// ---- Integer identifiers -----------------------------------------------------------------------

/// Maps between integer values and identifiers for an integer type (colours, cursors...), used
/// by the filers and the property editors.
using TIdentToInt = bool (*)(const String& ident, Integer& value);
using TIntToIdent = bool (*)(Integer value, String& ident);
void RegisterIntegerConsts(PTypeInfo integerType, TIdentToInt identToInt, TIntToIdent intToIdent);
void UnregisterIntegerConsts(PTypeInfo integerType);
TIdentToInt FindIdentToInt(PTypeInfo integerType);
TIntToIdent FindIntToIdent(PTypeInfo integerType);

} // namespace fw
