// Placeholders: components of classes that no loaded package registers, kept exactly as a form
// stream gave them (header, properties as raw values, children in order) so that writing them
// gives the same bytes back.
//
//   TReader reader(&stream, 4096);
//   reader.UsePlaceholders = true;             // unknown classes no longer raise EClassNotFound
//   TComponent* root = reader.ReadRootComponent(nullptr);
//   if (TPlaceholder* p = AsPlaceholder(root)) p->SetStoredText("Caption", "New caption");
//
// Each stored class name gets one class made at run time (per flavour), derived from the
// compiled placeholder class, whose published properties are the names stored by its instances;
// their type is StoredValueTypeInfo(), so property enumeration lists them and an editor can be
// registered for them. A placeholder whose children include controls, or whose parent is a
// control, is made of the control flavour that the GUI framework registers through
// SetPlaceholderControlHooks; otherwise it is a TPlaceholderComponent.
#pragma once

#include "basert/component.h"
#include "basert/formstream.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

class TReader;
class TWriter;

// Resource strings.
inline constexpr std::string_view sStoredValueReadOnly = "%s holds %s and cannot be set as text";
inline constexpr std::string_view sNotAnIdentifier = "'%s' is not a valid identifier";
inline constexpr std::string_view sNotASet = "'%s' is not a set: [name, ...] expected";
inline constexpr std::string_view sPropertyNotStored = "%s stores no property %s";

namespace detail {
void ForgetKept(TComponent* component) noexcept;
} // namespace detail

/// What a stored value holds, after its tag.
enum class TStoredKind : std::uint8_t {
  String,     ///< any string tag
  Ident,      ///< vaIdent, and the identifier-like vaFalse, vaTrue, vaNil, vaNull
  Integer,    ///< any integer tag
  Float,      ///< vaExtended, vaDouble, vaSingle, vaCurrency, vaDate
  Set,        ///< vaSet
  Binary,     ///< vaBinary
  List,       ///< vaList
  Collection, ///< vaCollection
};
inline constexpr std::array<std::string_view, 8> StoredKindNames = {
    "String", "Ident", "Integer", "Float", "Set", "Binary", "List", "Collection"};

/// True for the kinds SetStoredValueText accepts text for.
constexpr bool IsTextKind(TStoredKind kind) noexcept {
  return kind != TStoredKind::Binary && kind != TStoredKind::List &&
         kind != TStoredKind::Collection;
}

/// The kind of a stored value (its bytes, tag first); raises EReadError for an empty value or
/// an unknown tag.
TStoredKind StoredKindOf(std::string_view value);
/// The value as the property inspector shows it: a string's text, an identifier, a number
/// (floats with the fewest digits that read back the same), a set as "[a,b]"; binary data,
/// lists and collections as "(Binary)", "(List)" and "(Collection)".
String StoredValueText(std::string_view value);
/// The bytes of `text` taken as a value of the kind of `stored`: a string stays a string (with
/// the tag its characters call for), an identifier an identifier (dotted names allowed; True,
/// False, nil and Null get their own tags), an integer an integer (smallest tag), a float a
/// float of the same tag, a set a set ("[a, b]" or "[]"). Raises EConvertError with
/// SInvalidInteger, SInvalidFloat, sNotAnIdentifier or sNotASet for text of the wrong kind, and
/// EPropertyError (sStoredValueReadOnly) for binary data, lists and collections.
std::string StoredValueFromText(std::string_view stored, std::string_view text);

/// One property as the stream held it: its (possibly dotted) name and its value's bytes.
struct TStoredProperty {
  String Name;
  std::string Value;
  friend bool operator==(const TStoredProperty&, const TStoredProperty&) = default;
};

/// The stored side of a placeholder, shared by its flavours.
class TPlaceholder {
public:
  TPlaceholder() = default;
  TPlaceholder(const TPlaceholder&) = delete;
  TPlaceholder& operator=(const TPlaceholder&) = delete;

  /// The class name the stream gave (also the instance's ClassName).
  const String& StoredClassName() const noexcept { return FClassName; }
  /// The component's prefix as the stream held it: empty, or the prefix byte and, with
  /// ffChildPos, the child position's value.
  const std::string& StoredPrefix() const noexcept { return FPrefix; }
  /// The properties in stream order.
  const std::vector<TStoredProperty>& StoredProperties() const noexcept { return FProperties; }
  /// The property of that name (ignoring case), or null.
  const TStoredProperty* FindStored(std::string_view name) const;
  /// StoredValueText of a property; raises EPropertyError (sPropertyNotStored) when it has none.
  String StoredText(std::string_view name) const;
  /// Replaces a property's value by `text` in the kind of its stored value (see
  /// StoredValueFromText); the property keeps its place. Raises EPropertyError
  /// (sPropertyNotStored) when it has none, and what StoredValueFromText raises.
  void SetStoredText(std::string_view name, std::string_view text);
  /// Replaces a property's value by raw bytes (one whole value, tag first; checked).
  void SetStoredValue(std::string_view name, std::string value);
  /// The children read with it, in stream order, that still exist.
  const std::vector<TComponent*>& StoredChildren() const noexcept { return FChildren; }

  /// Takes live values that changed since the load (Tag, bounds, design position) back into
  /// the store, adding those it lacks; the writer calls it first.
  void SyncLiveValues();

protected:
  /// Binds the store to its component and counts an instance made of a placeholder class
  /// (which goes with its last instance); a flavour's constructor calls it.
  void Attach(TComponent* self);
  /// Lets go of the stored children (they stay, and no longer name this as their writer).
  ~TPlaceholder();
  /// The component this is the stored side of.
  TComponent* Self() const noexcept { return FSelf; }
  /// The children to write: the stored ones that still exist, then the `candidates` (and, for
  /// the root, the components it owns that have no parent) that no placeholder has stored.
  void GetStoredChildren(const TGetChildProc& proc, TComponent* root,
                         TFunctionRef<void(const TGetChildProc&)> candidates = {});
  /// Forgets a stored child that goes away (called as the child is destroyed).
  void ChildRemoved(TComponent* child);
  /// The live values a flavour mirrors: puts a stored integer into the live object at load
  /// (false when `name` is not mirrored), and answers the live value of a mirrored name.
  virtual bool ApplyStoredInteger(std::string_view name, Int64 value) = 0;
  virtual bool LiveInteger(std::string_view name, Int64& value) = 0;

private:
  friend void detail::ForgetKept(TComponent*) noexcept;
  friend class TReader;
  friend class TWriter;
  friend TComponent* CreatePlaceholder(const String&, bool, TComponent*, std::string);
  /// What the reader found: a property (published on the class too) and a child.
  void AddStored(String name, std::string value);
  void AddChild(TComponent* child);
  /// After the properties were read: the mirrored values go to the live object.
  void PropertiesRead();
  /// Tag, then what the flavour mirrors.
  bool ApplyMirrored(std::string_view name, Int64 value);
  bool LiveMirrored(std::string_view name, Int64& value);
  String FClassName;
  std::string FPrefix;
  std::vector<TStoredProperty> FProperties;
  std::vector<TComponent*> FChildren;
  std::vector<std::pair<String, Int64>> FMirrored; // values applied to the live object
  bool FComplete = false;                          // its properties were read once
  bool FReadAgain = false;                         // read into a second time
  TComponent* FSelf = nullptr;
};

/// The plain flavour: a component that is not a control.
class TPlaceholderComponent : public TComponent, public TPlaceholder {
  FW_CLASS(TPlaceholderComponent)
public:
  explicit TPlaceholderComponent(TComponent* owner);
  /// Written by WriteState from the store; nothing of its own.
  void DefineProperties(TFiler*) override {}
  /// The stored children, then the components it owns (as a root) that nobody else writes.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  /// An inline placeholder (a nested module) owns what it reads, as a frame does.
  TComponent* GetChildOwner() override;
  /// A placeholder read inside a component that cannot hold it (a menu, an action list) names
  /// that component as parent, so that the root does not list it among its own children.
  bool HasParent() override { return FParentComponent != nullptr; }
  TComponent* GetParentComponent() override { return FParentComponent; }
  void SetParentComponent(TComponent* value) override;

protected:
  /// Left and Top mirror the design position.
  bool ApplyStoredInteger(std::string_view name, Int64 value) override;
  bool LiveInteger(std::string_view name, Int64& value) override;

private:
  TComponent* FParentComponent = nullptr;
};

/// The placeholder side of a component, or null.
TPlaceholder* AsPlaceholder(TObject* instance) noexcept;
inline bool IsPlaceholder(TObject* instance) noexcept { return AsPlaceholder(instance) != nullptr; }

/// True for a component read as a placeholder's child: the placeholder writes it, so the
/// component's owner leaves it out of its own children.
bool IsStoredChild(TComponent* component) noexcept;

/// The type of a placeholder's synthesized properties (a string type named "TStoredValue"):
/// its value is StoredValueText, and setting it calls SetStoredText.
PTypeInfo StoredValueTypeInfo();

/// What the GUI framework tells the placeholders about controls.
struct TPlaceholderControlHooks {
  /// The compiled control flavour (a windowed control that accepts child controls and derives
  /// from TPlaceholder); null: placeholders are never controls.
  TClass ControlClass = nullptr;
  /// True for a class whose instances are controls.
  bool (*IsControlClass)(TClass cls) = nullptr;
};
/// Fills (or, with a default value, empties) the hooks.
void SetPlaceholderControlHooks(const TPlaceholderControlHooks& hooks);
const TPlaceholderControlHooks& PlaceholderControlHooks() noexcept;

/// Makes a placeholder of the stored class `className` owned by `owner`: of the control flavour
/// with `control` (when the hooks give one), else plain; `prefix` is its stored prefix. The
/// instance belongs to a class made at run time for that name and flavour.
TComponent* CreatePlaceholder(const String& className, bool control, TComponent* owner,
                              std::string prefix = {});
/// The class made for stored class name `className` of the flavour `base` (the compiled
/// placeholder class), made on first use.
TClass PlaceholderClass(const String& className, TClass base);
/// True for a class made for placeholders.
bool IsPlaceholderClass(TClass cls) noexcept;

namespace detail {

/// What a reader with placeholders on keeps of a component of a known class, so that writing
/// it changes only what changed since: its prefix and properties as read, the properties and
/// children the writer gave right after the load, and its children as read.
struct TKeptComponent {
  std::string Prefix;
  String ClassName;                        ///< as read (its case, its unit)
  std::vector<TStoredProperty> Properties; ///< as read
  std::vector<TStoredProperty> Canonical;  ///< as written after the load
  std::vector<TComponent*> Children;       ///< as read (only those that still exist)
  std::vector<TComponent*> Listed;         ///< as GetChildren listed them after the load
  TComponent* Parent = nullptr;            ///< the kept component whose child it was read as
  std::vector<TComponent*> FormerParents;  ///< those it was read under before (a name read again)
  bool Known = false;                      ///< kept for itself, not only as a child
};
/// The record of a component, or null.
TKeptComponent* FindKept(TComponent* component) noexcept;
/// The record of a component, made when missing.
TKeptComponent& Keep(TComponent* component);
/// Forgets `parent` among the parents of a kept record.
void DropParent(TKeptComponent& kept, TComponent* parent) noexcept;
/// Makes `parent` the kept parent of `child`; a parent it had stays in FormerParents, which
/// keep listing it until it goes.
void SetKeptParent(TComponent* child, TComponent* parent);
/// Drops a component's record and its place among its kept parents' children; called by the
/// component's destructor.
void ForgetKept(TComponent* component) noexcept;
/// The properties of `instance` as a writer under `root` writes them now, in order; `frame` is
/// the placed frame it lies in (or is), null for none.
std::vector<TStoredProperty> WrittenProperties(TPersistent* instance, TComponent* root,
                                               TComponent* frame = nullptr);
/// The kept properties with what changed since the load: a property whose written value is as
/// after the load comes as read, a changed one with its new value, one now left out is dropped,
/// and a new one goes at the end.
std::vector<TStoredProperty> MergeKeptProperties(const TKeptComponent& kept,
                                                 const std::vector<TStoredProperty>& now);
/// The children of `instance` to write: in the order read while GetChildren lists what it did
/// after the load, else in GetChildren's order; kept children it does not list but that still
/// name it as parent (placeholders in a container that cannot hold them) are written too.
std::vector<TComponent*> MergeKeptChildren(TComponent* instance, const TKeptComponent& kept,
                                           const std::vector<TComponent*>& listed);

} // namespace detail

} // namespace fw
