// The property editor registry: which editor class serves a property of an object, the editors
// of a selection for the inspector, and the package groups that stamp every registration.
#pragma once

#include "designeditors/propedit.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace fw {

/// One RegisterPropertyEditor call.
struct TPropertyClassRec {
  Integer Group = 0;                          ///< CurrentGroup at registration
  PTypeInfo PropertyType = nullptr;           ///< the type served
  String PropertyName;                        ///< empty: any property of the type
  TClass ComponentClass = nullptr;            ///< null: objects of any class
  TClass ClassGroup = nullptr;                ///< null unless SetPropertyEditorGroup set it
  TPropertyEditorClass EditorClass = nullptr; ///< null: the property is hidden
};

/// One RegisterPropertyMapper call.
struct TPropertyMapperRec {
  Integer Group = 0;
  TPropertyMapperFunc Mapper = nullptr;
};

/// The published properties of one object whose kinds pass a filter, sorted by name. An object
/// whose class has no type information has none.
class TPropInfoList {
public:
  TPropInfoList(const TObject* instance, TTypeKinds filter);
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  PPropInfo Get(Integer index) const { return FList[static_cast<std::size_t>(index)]; }
  const std::vector<PPropInfo>& Items() const noexcept { return FList; }
  void Delete(Integer index);
  /// True when the list has the same property: identical type, name equal ignoring case.
  bool Contains(PPropInfo prop) const;
  /// Keeps only the entries `other` contains (a sorted merge).
  void Intersect(const TPropInfoList& other);

private:
  std::vector<PPropInfo> FList;
};

/// The registrations of property editors and mappers. The global one serves the hooks; tests
/// may make their own.
class TPropertyEditorRegistry {
public:
  TPropertyEditorRegistry();
  ~TPropertyEditorRegistry();
  TPropertyEditorRegistry(const TPropertyEditorRegistry&) = delete;
  TPropertyEditorRegistry& operator=(const TPropertyEditorRegistry&) = delete;

  /// Stamped with CurrentGroup. A name given without a class is dropped: the registration then
  /// serves every property of the type.
  void RegisterPropertyEditor(PTypeInfo propertyType, TClass componentClass,
                              const String& propertyName, TPropertyEditorClass editorClass);
  /// Restricts the most recent registration of `editorClass` to objects of the class group of
  /// `groupClass`; nothing when there is none.
  void SetPropertyEditorGroup(TPropertyEditorClass editorClass, TPersistentClass groupClass);
  void RegisterPropertyMapper(TPropertyMapperFunc mapper);

  /// The editor class for one property of one object: the newest mapper that answers, else the
  /// most specific registration (of equally specific ones the newest), else the default of the
  /// property's type kind. Null means the property is hidden or has no editor.
  TPropertyEditorClass GetEditorClass(PPropInfo propInfo, TPersistent* obj) const;

  /// Calls `proc` with one editor per property that every object of `objects` shares (same
  /// name and type, same editor class), in name order. The first object's properties are
  /// screened first: no editor, no read access, read-only (unless GShowReadOnlyProps or a class
  /// type), not multi-selectable in a multi-selection, value not available, or refused by
  /// `editorFilter`. With a designer whose selection has ISelectionPropertyFilter editors, they
  /// trim the list before `proc` sees it. Exceptions of editors and of `proc` pass on after
  /// the temporary lists are freed; a selection holding nil raises EArgumentException.
  void GetComponentProperties(const IPtr<IDesignerSelections>& objects, TTypeKinds filter,
                              const IPtr<IDesigner>& designer, const TGetPropProc& proc,
                              const TPropertyEditorFilterFunc& editorFilter = {}) const;

  /// Removes the editor and mapper registrations of `group`.
  void FreeGroup(Integer group);
  void FreeEditors(Integer group);
  void FreeMappers(Integer group);
  /// Registrations, most recent first.
  std::vector<const TPropertyClassRec*> Records() const;
  std::vector<TPropertyMapperRec> Mappers() const;

private:
  struct TEntry;
  struct TCandidates;
  /// Buckets are keyed by the class of a class type and by the type itself otherwise.
  static const void* KeyOf(PTypeInfo type);
  void Candidates(PTypeInfo type, TCandidates& out) const;

  std::vector<std::unique_ptr<TEntry>> FEntries; // registration order: the front is the back
  std::unordered_map<const void*, std::vector<TEntry*>> FByKey;
  std::vector<TPropertyMapperRec> FMappers; // registration order as well
  std::uint64_t FNextSeq = 0;
};

/// The package's registry, made on first use.
TPropertyEditorRegistry& PropertyEditorRegistry();

/// The default editor class of a type kind (null for kinds without one).
TPropertyEditorClass DefaultEditorClass(TTypeKind kind);

TPropertyEditorClass GetEditorClass(PPropInfo propInfo, TPersistent* obj);
void GetComponentProperties(const IPtr<IDesignerSelections>& objects, TTypeKinds filter,
                            const IPtr<IDesigner>& designer, const TGetPropProc& proc,
                            const TPropertyEditorFilterFunc& editorFilter = {});

// ---- Package groups ----------------------------------------------------------------------------

using TGroupChangeProc = void (*)(Integer group);

/// Takes the lowest free group number (0 is the environment's own and is never handed out
/// while in use), makes it CurrentGroup and returns it.
Integer NewEditorGroup();
/// Withdraws every registration of `group` (property editors, component editors, mappers,
/// selection editors, guidelines), calls the group-change procedures newest first, and frees
/// the number for reuse.
void FreeEditorGroup(Integer group);
/// Registers a procedure called when a group is freed; one already registered moves to the end.
void NotifyGroupChange(TGroupChangeProc proc);
void UnnotifyGroupChange(TGroupChangeProc proc);
/// Whether a group number is taken.
bool EditorGroupInUse(Integer group);

// ---- Seams for the component and selection editor registries -----------------------------------

/// The selection editors for a selection; empty: no selection editors exist.
using TGetSelectionEditorsFunc = IPtr<ISelectionEditorList> (*)(
    const IPtr<IDesigner>& designer, const IPtr<IDesignerSelections>& selection);
extern TGetSelectionEditorsFunc GetSelectionEditorsProc;
/// Withdraw one group's registrations from the other registries; empty ones are skipped.
using TFreeGroupProc = void (*)(Integer group);
extern TFreeGroupProc FreeComponentEditorGroupProc;
extern TFreeGroupProc FreeSelectionEditorGroupProc;
extern TFreeGroupProc FreeComponentGuidelinesGroupProc;

/// Start-up: fills the property editor hooks. Shut-down empties them and the component editor,
/// selection editor and guidelines hooks, so later registrations are dropped.
void DesignEditorsStartup();
void DesignEditorsShutdown();

} // namespace fw
