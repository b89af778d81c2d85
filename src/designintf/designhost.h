// What the design-time package asks of the IDE host beyond the tools interfaces: the source
// module behind each designed module (IDesignerModule), the design environment
// (IDesignEnvironment), and what the source module is told of a component when
// it is renamed (ICompInfo). The host implements the first two; the package the third.
#pragma once

#include "designintf/designintf.h"

namespace fw {

/// The design dialogs the environment shows on the designer's request.
enum TDesignDialog { ddAlign, ddSize, ddScale, ddTabOrder, ddCreationOrder, ddSaveTemplate };

/// The design commands a root carries out on the designer's request.
enum TDesignCommand {
  dmAlignToGrid,
  dmFlipAllChildren,
  dmFlipSelectedChildren,
  dmTextLYT,
  dmViewAsText,
  dmRevert,
};

/// One designed component (or sub-object) as the source module sees it: its class, name path,
/// event properties sorted by name with their handler names, and its sub-objects.
struct ICompInfo : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{116CD63F-93AB-4C4C-B70D-2C1C60B7491F}");
  virtual String GetClassName() = 0;
  virtual String GetQualifiedClassName() = 0;
  virtual IPtr<IDesignObject> GetComponentHandle() = 0;
  virtual String GetNamePath() = 0;
  virtual Integer GetEventCount() = 0;
  virtual PPropInfo GetEventInfo(Integer index) = 0;
  virtual String GetEventName(Integer index) = 0;
  virtual IPtr<IEventInfo> GetIEventInfo(Integer index) = 0;
  /// The handler name, or empty when the event holds no method of the root.
  virtual String GetEventValue(Integer index) = 0;
  virtual void ClearEvent(Integer index) = 0;
  virtual Integer GetSubInfoCount() = 0;
  virtual IPtr<ICompInfo> GetSubInfo(Integer index) = 0;
};

/// The change codes a root passes to its source module.
inline constexpr Integer mcModified = 3;
inline constexpr Integer mcStreaming = 8;

/// The host's source module behind one designed root: the unit's text with the root's class
/// declaration, its fields and its handler methods.
struct IDesignerModule : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{99AD9449-3500-4141-8B0C-C6039143ACD7}");
  // The module as a whole.
  virtual void Modified() = 0;
  virtual void NotifyChange(Integer code) = 0;
  /// Brings source and form into step before the form is streamed.
  virtual void PrepareStreaming() = 0;
  /// A component was renamed: its field declaration follows. An empty new name removes it.
  virtual void ComponentRenamed(const IPtr<ICompInfo>& info, const String& oldName,
                                const String& newName) = 0;
  /// The root was renamed: the class declaration becomes "T" + `newName`.
  virtual void RootRenamed(const IPtr<ICompInfo>& info, const String& newName) = 0;
  virtual String GetUnitName() = 0;
  virtual bool IsSourceReadOnly() = 0;
  /// Raises when the source may not change (read-only).
  virtual void ValidateModification() = 0;
  virtual void ViewAsText() = 0;
  virtual void DesignerActivated() = 0;

  // Handler methods.
  /// Adds a method of the event's signature with an empty body; an existing one stays.
  virtual void CreateMethod(const String& name, const IPtr<IEventInfo>& info) = 0;
  /// `proc` once per method whose signature fits the event, in source order.
  virtual void GetMethods(const IPtr<IEventInfo>& info, const TGetStrProc& proc) = 0;
  virtual bool MethodExists(const String& name) = 0;
  virtual void RenameMethod(const String& curName, const String& newName) = 0;
  virtual void ShowMethod(const String& name) = 0;
  /// Makes `methodName` call the inherited handler `instanceMethod` of `instanceName` first.
  virtual void ChainCall(const String& methodName, const String& instanceName,
                         const String& instanceMethod, const IPtr<IEventInfo>& info) = 0;
  /// The full text of a method, header to final "end;"; empty when there is none.
  virtual String GetMethodSource(const String& name) = 0;
  /// Inserts the methods of `source` (texts as GetMethodSource gives them), renamed by the
  /// name=value list `renames`; `present` receives the names of the methods now in the module.
  virtual void InsertMethods(const String& source, TStrings* renames, TStrings* present) = 0;
};

/// Offered by a source module that wants to hear that a module read with errors (or with
/// recovered inherited components) differs from its form file.
struct IDesignerLoadingFormModified : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5C3D1E8A-9B24-4F0E-A6C7-2E81D4B07F31}");
  virtual void LoadingFormModified() = 0;
};

/// The IDE's environment as the designers see it.
struct IDesignEnvironment : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{20F0D3BD-D807-40DB-9681-E24B38DB0109}");
  /// The current time as a 32-bit file time.
  virtual Integer GetCurrentFileTime() = 0;
  /// Opens the project's module whose root has that name, when there is one.
  virtual void OpenRootModule(const String& rootName) = 0;
  virtual void ComponentRenamed(const String& oldName, const String& newName) = 0;
  virtual void ShowDialog(TDesignDialog dialog) = 0;
  /// Called before a class is looked up by name for `designer` (a component designer), so the
  /// host can load the package that registers it.
  virtual void BeforeFindClass(const String& className, const IPtr<IInterface>& designer) = 0;
};

} // namespace fw
