// The host's source module behind a designed root, in memory: the unit's class declaration
// with a field per component and the handler methods with their bodies, so that what the
// designer asks of the source (create, rename, chain, copy and paste handlers; renamed
// components and roots) can be observed in its text.
#pragma once

#include "basert/component.h"
#include "basert/sysutils.h"
#include "designintf/designhost.h"

#include <unordered_map>
#include <vector>

namespace fw {

class EDesignerModuleError : public Exception {
public:
  using Exception::Exception;
};

class THostDesignerModule : public TInterfacedObject, public IDesignerModule {
  FW_CLASS(THostDesignerModule)
public:
  /// A unit whose root class is "T" + `rootName`, descending from `ancestorClass`.
  THostDesignerModule(String unitName, const String& rootName, String ancestorClass);

  struct TParam {
    String Flags; ///< "", "var", "const" or "out"
    String Name;
    String Type;
  };
  struct TMethodText {
    String Name;
    bool IsFunction = false;
    std::vector<TParam> Params;
    String ResultType;
    String Body; ///< the lines between "begin" and "end;", each ending in a line break
  };
  struct TField {
    String Name;
    String ClassName;
  };

  // What the source holds.
  const String& ClassName() const noexcept { return FClassName; }
  const std::vector<TField>& Fields() const;
  const std::vector<TMethodText>& Methods() const noexcept { return FMethods; }
  /// The method of that name (ignoring case), or null.
  const TMethodText* FindMethod(const String& name) const;
  /// Replaces a method's body; raises EDesignerModuleError (sNoSuchMethod) for an unknown name.
  void SetMethodBody(const String& name, const String& body);
  /// The whole unit as text: interface with the class declaration, implementation with every
  /// method.
  String Source() const;
  /// Every call the designer made, one line each ("Modified", "NotifyChange 3", "ShowMethod
  /// Button1Click", ...), in order.
  const std::vector<String>& Calls() const noexcept { return FCalls; }
  Integer ModifiedCount() const noexcept { return FModifiedCount; }
  void SetReadOnly(bool value) { FReadOnly = value; }

  // IDesignerModule
  void Modified() override;
  void NotifyChange(Integer code) override;
  void PrepareStreaming() override { FCalls.push_back("PrepareStreaming"); }
  /// Raises EComponentError (sInvalidName) for a reserved word, keeping the source as it was;
  /// the same for RootRenamed.
  void ComponentRenamed(const IPtr<ICompInfo>& info, const String& oldName,
                        const String& newName) override;
  void RootRenamed(const IPtr<ICompInfo>& info, const String& newName) override;
  String GetUnitName() override { return FUnitName; }
  bool IsSourceReadOnly() override { return FReadOnly; }
  /// Raises EDesignerModuleError (sUnitReadOnly) while the source is read-only.
  void ValidateModification() override;
  void ViewAsText() override { FCalls.push_back("ViewAsText"); }
  void DesignerActivated() override { FCalls.push_back("DesignerActivated"); }
  void CreateMethod(const String& name, const IPtr<IEventInfo>& info) override;
  void GetMethods(const IPtr<IEventInfo>& info, const TGetStrProc& proc) override;
  bool MethodExists(const String& name) override { return FindMethod(name) != nullptr; }
  /// Raises EDesignerModuleError: sNoSuchMethod for an unknown current name, sDuplicateMethod
  /// when another method already has the new name.
  void RenameMethod(const String& curName, const String& newName) override;
  void ShowMethod(const String& name) override { FCalls.push_back("ShowMethod " + name); }
  /// Creates `methodName` when missing and makes its body call the inherited handler first
  /// ("  Frame1.Button1Click(Sender);"), once.
  void ChainCall(const String& methodName, const String& instanceName, const String& instanceMethod,
                 const IPtr<IEventInfo>& info) override;
  String GetMethodSource(const String& name) override;
  /// Methods whose (renamed) name exists already are kept as they are.
  void InsertMethods(const String& source, TStrings* renames, TStrings* present) override;

private:
  static void CheckIdentifier(const String& name);
  TMethodText* Find(const String& name);
  void AddMethod(TMethodText method);
  String MethodSource(const TMethodText& m) const;
  /// Drops the holes removed fields left, keeping the index on the positions.
  void PackFields() const;
  String FUnitName;
  String FClassName;
  String FAncestorClass;
  // A removed field leaves a hole (empty name) until the fields are next read: deleting many
  // components would otherwise shift the fields and reindex them on each.
  mutable std::vector<TField> FFields;
  mutable std::unordered_map<String, std::size_t, TextHash, TextEqual> FFieldIndex;
  mutable std::size_t FFieldHoles = 0;
  std::vector<TMethodText> FMethods;
  /// Position in FMethods by name, ignoring case.
  std::unordered_map<String, std::size_t, TextHash, TextEqual> FMethodIndex;
  std::vector<String> FCalls;
  Integer FModifiedCount = 0;
  bool FReadOnly = false;
};

inline constexpr std::string_view sUnitReadOnly = "Unit %s is read-only";
inline constexpr std::string_view sNoSuchMethod = "Method %s does not exist";
inline constexpr std::string_view sDuplicateMethod = "A method named %s already exists";

} // namespace fw
