// DesignIntf: the contract between component packages, the IDE host and the design-time code:
// interfaces, small base classes, registration functions and the hooks they forward to.
#pragma once

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/intflist.h"
#include "basert/typinfo.h"
#include "designintf/designmenus.h"
#include "tarn/uitypes.h"

#include <functional>
#include <initializer_list>
#include <span>
#include <tuple>
#include <vector>

namespace fw {

/// Errors the IDE shows to the user without a report. Declared here, below both the property
/// editors and the tools interface, which derive their own errors from it.
class ENonAIRException : public Exception {
public:
  using Exception::Exception;
};

class TCustomIniFile;

// ---- Resource strings ------------------------------------------------------------------------

inline constexpr std::string_view sActionCategoryName = "Action";
inline constexpr std::string_view sDataCategoryName = "Data";
inline constexpr std::string_view sDatabaseCategoryName = "Database";
inline constexpr std::string_view sDragNDropCategoryName = "Drag Drop/Docking";
inline constexpr std::string_view sHelpCategoryName = "Help and Hints";
inline constexpr std::string_view sLayoutCategoryName = "Layout";
inline constexpr std::string_view sLegacyCategoryName = "Legacy";
inline constexpr std::string_view sLinkageCategoryName = "Linkage";
inline constexpr std::string_view sLocaleCategoryName = "Locale";
inline constexpr std::string_view sLocalizableCategoryName = "Localizable";
inline constexpr std::string_view sMiscellaneousCategoryName = "Miscellaneous";
inline constexpr std::string_view sVisualCategoryName = "Visual";
inline constexpr std::string_view sInputCategoryName = "Input";
inline constexpr std::string_view sAppearanceCategoryName = "Appearance";
inline constexpr std::string_view sBehaviorCategoryName = "Behavior";
inline constexpr std::string_view sDesignCategoryName = "Design";
inline constexpr std::string_view sFocusCategoryName = "Focus";
inline constexpr std::string_view sWindowStyleName = "Window Style";
inline constexpr std::string_view sPropertyChangeCategoryName = "Property Changed";
inline constexpr std::string_view sMouseCategoryName = "Mouse";
inline constexpr std::string_view sKeyCategoryName = "Key";
inline constexpr std::string_view sInvalidFilter =
    "Property filters may only be name, class or type based (%d:%d)";

// ---- Enumerations and sets -------------------------------------------------------------------

enum TPropertyAttribute : std::uint8_t {
  paValueList,
  paSubProperties,
  paDialog,
  paMultiSelect,
  paAutoUpdate,
  paSortList,
  paReadOnly,
  paRevertable,
  paFullWidthName,
  paVolatileSubProperties,
  paTarn,
  paNotNestable,
  paDisplayReadOnly,
  paCustomDropDown,
  paValueEditable,
};
/// Bit n of the mask is member n; the mask fits 16 bits (see AttributesToMask).
using TPropertyAttributes = TSet<TPropertyAttribute>;
/// The 16-bit form of a set of attributes, as it crosses the package boundary.
constexpr Word AttributesToMask(TPropertyAttributes attrs) noexcept {
  return static_cast<Word>(attrs.Mask());
}
constexpr TPropertyAttributes MaskToAttributes(Word mask) noexcept {
  return TPropertyAttributes::FromMask(mask & 0x7FFFu);
}

enum TPropKind : std::uint8_t { pkProperties, pkEvents };

enum TEditAction : std::uint8_t {
  eaUndo,
  eaRedo,
  eaCut,
  eaCopy,
  eaPaste,
  eaDelete,
  eaSelectAll,
  eaPrint,
  eaElide,
};

enum TEditState : std::uint8_t {
  esCanUndo,
  esCanRedo,
  esCanCut,
  esCanCopy,
  esCanPaste,
  esCanDelete,
  esCanEditOle,
  esCanPrint,
  esCanSelectAll,
  esCanCreateTemplate,
  esCanElide,
};
using TEditStates = TSet<TEditState>;

enum TDemandLoadState : std::uint8_t { dlDefault, dlDisable, dlEnable };

enum TCustomModuleAttribute : std::uint8_t { cmaVirtualSize };
using TCustomModuleAttributes = TSet<TCustomModuleAttribute>;

enum TDesignerGuideType : std::uint8_t {
  gtAlignLeft,
  gtAlignTop,
  gtAlignRight,
  gtAlignBottom,
  gtMarginLeft,
  gtMarginTop,
  gtMarginRight,
  gtMarginBottom,
  gtPaddingLeft,
  gtPaddingTop,
  gtPaddingRight,
  gtPaddingBottom,
  gtBaseline,
};

/// Where a drag is, as a drag target is told.
enum TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };

// ---- Global flags ----------------------------------------------------------------------------

/// A component-reference property offers its component's properties as sub-properties.
extern bool GReferenceExpandable;
/// Properties without write access are listed.
extern bool GShowReadOnlyProps;

// ---- Interfaces ------------------------------------------------------------------------------
//
// Interfaces grow by descent, never by edit: a number after a name (IProperty70, IDesigner100)
// is the release that added the operations it declares, and the plain name is the newest member
// of the family. Ask for the member whose operations you need; older hosts may implement only
// an earlier one. Where a family's operations are used by position (IDesigner), the trailing
// `// n` comment is the operation's position counted from the first operation of the oldest
// member, so it never changes when a member is added; it is not a vtable index.

struct IProperty;
struct IDesigner;
struct IDesignerSelections;
struct IClass;
struct IPropertyHost;
struct IEventInfo;

using TGetPropProc = std::function<void(const IPtr<IProperty>& prop)>;
using TGetStrProc = std::function<void(const String& s)>;
using TGetWideStrProc = std::function<void(const WideString& s)>;
using TPropertyEditorFilterFunc = std::function<bool(const IPtr<IProperty>& testEditor)>;

/// Class references of the contract's base classes (records of descendants of those classes).
using TPropertyEditorClass = TClass;
using TComponentEditorClass = TClass;
using TSelectionEditorClass = TClass;
using TCustomModuleClass = TClass;
using TComponentGuidelinesClass = TClass;
using TDragTargetClass = TClass;
using TComponentClass = TClass;
using TPersistentClass = TClass;

/// Chooses an editor class for one property of one object ahead of every registration; null
/// lets the registrations decide.
using TPropertyMapperFunc = TPropertyEditorClass (*)(TPersistent* obj, PPropInfo propInfo);

/// One property of the selected objects, as the property inspector sees it.
/// The editor edits as many (object, property) entries as objects are selected; the first
/// entry is the reference the single-value operations read.
struct IProperty : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{7AB565AD-19CC-4245-A5F0-E28A3391D439}");
  /// Called when the inspector row is selected; nothing by default.
  virtual void Activate() = 0;
  /// True when every entry shows the same value; the base answers true only for one entry.
  virtual bool AllEqual() = 0;
  /// True when a double-click may cycle the value through the value list (Edit).
  virtual bool AutoFill() = 0;
  /// The double-click action: by default sets the value after the current one in GetValues,
  /// wrapping to the first; nothing when AutoFill is false or the list is empty.
  virtual void Edit() = 0;
  /// True when some entry holds that very object (identity, not equality).
  virtual bool HasInstance(TPersistent* instance) = 0;
  virtual TPropertyAttributes GetAttributes() = 0;
  /// The longest text the inspector lets the user type (2047 by default).
  virtual Integer GetEditLimit() = 0;
  /// The text to edit and whether it may be written. Never raises: a write-only property gives
  /// "(Not available)", any other failure its message in parentheses, and false.
  virtual bool GetEditValue(String& value) = 0;
  virtual String GetName() = 0;
  /// Hands each sub-property editor to `proc`; nothing for a property without them.
  virtual void GetProperties(const TGetPropProc& proc) = 0;
  virtual PPropInfo GetPropInfo() = 0;
  virtual PTypeInfo GetPropType() = 0;
  /// The reference entry's value as text; raises what reading the property raises.
  virtual String GetValue() = 0;
  /// Hands each entry of the value list to `proc` (paValueList); nothing by default.
  virtual void GetValues(const TGetStrProc& proc) = 0;
  /// Asks the designer to restore every entry's inherited value; does not mark the module
  /// modified. Nothing without a designer.
  virtual void Revert() = 0;
  /// Parses `value` and writes it to every entry, then marks the module modified once. Raises
  /// EDesignPropertyError (or the editor's own error) for text it cannot take.
  virtual void SetValue(const String& value) = 0;
  /// False when the first entry of a component asking for the check (styleCheckPropAvail)
  /// fails to read; such a property is left out of the inspector. Never raises.
  virtual bool ValueAvailable() = 0;
};

struct IProperty70 : IProperty {
  static constexpr TGUID IID = TGUID::Parse("{27041C3F-CBA2-48A5-88FE-A21E2750DF2B}");
  /// True when the shown value need not be highlighted as changed: the value is the default, or
  /// what the ancestor module has for the same component. True without designer or entries;
  /// false when the entries differ.
  virtual bool GetIsDefault() = 0;
};

struct IProperty80 : IProperty {
  static constexpr TGUID IID = TGUID::Parse("{5BA323A5-2338-4FE4-A7C1-C8BCCB1DC5DA}");
  using IProperty::Edit;
  /// Edits in the inspector's own window (a drop-down through `host`); `dblClick` tells a
  /// double-click from the ellipsis button.
  virtual void Edit(const IPtr<IPropertyHost>& host, bool dblClick) = 0;
};

struct IProperty160 : IProperty {
  static constexpr TGUID IID = TGUID::Parse("{59801F46-8E00-413E-9BAD-B9ED896BC863}");
  virtual void SetPropertyPath(const String& value) = 0;
};

struct IPropertyKind : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{A4482815-19B3-46DA-ADA9-16F2D77832A6}");
  /// The type kind of the property's type.
  virtual TTypeKind GetKind() = 0;
};

/// The wide-text face of editors whose values do not fit 8-bit text.
struct IWideProperty : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{1780C37A-F37B-42BF-B1A2-C6A12D5EC6BE}");
  virtual WideString GetValueW() = 0;
  /// As IProperty::GetEditValue, through GetValueW.
  virtual bool GetEditValue(WideString& value) = 0;
  virtual void SetValue(const WideString& value) = 0;
};

struct IWideProperty10 : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{1B892CA8-5BA0-4DB0-83CA-CCC679411B00}");
  virtual WideString GetNameW() = 0;
  virtual void GetValues(const TGetWideStrProc& proc) = 0;
};

/// Marker: the property is an event.
struct IMethodProperty : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5F56BDBF-E4DF-46F6-8352-4E231426CDCB}");
};

struct IReferenceProperty : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{228D500A-03FA-4FF9-AC67-3095D552C62B}");
  /// The component the property refers to; null for nil.
  virtual TComponent* GetComponentReference() = 0;
};

struct IShowReferenceProperty : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{117D5771-62F0-4A22-8E24-5B37CABA4C28}");
  /// True when the inspector should show the referenced component beside the property.
  virtual bool ShowReferenceProperty() = 0;
};

struct IActivatable : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{F3B20BAE-000D-4CAB-8CA1-A1B6B5667CFC}");
  virtual void Activate() = 0;
};

/// A class, as the host sees it across the package boundary.
struct IClass : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{8A2E2147-4FD0-44F9-951B-24E2EEA6C37B}");
  virtual bool ClassNameIs(const String& name) = 0;
  virtual String GetClassName() = 0;
  virtual String GetUnitName() = 0;
  /// Null for a class without parent.
  virtual IPtr<IClass> GetClassParent() = 0;
};

struct IDesignObject : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{FD07E43D-DD43-4C00-8DC2-2E598B551075}");
  /// The wrapped object's own equality with `obj`.
  virtual bool Equals(TObject* obj) = 0;
  /// True when `other` wraps the same persistent object.
  virtual bool Equals(const IPtr<IDesignObject>& other) = 0;
  virtual IPtr<IClass> GetClassType() = 0;
  virtual String GetClassName() = 0;
  /// The component's index in its owner; -1 for an object that is not a component.
  virtual Integer GetComponentIndex() = 0;
  /// The component's name, or the class name for an object that is not a component.
  virtual String GetComponentOrClassName() = 0;
  virtual bool GetIsComponent() = 0;
  virtual String GetNamePath() = 0;
};

struct IDesignPersistent : IDesignObject {
  static constexpr TGUID IID = TGUID::Parse("{9DB80B46-C198-4B71-9D72-F78B1CA9DDDF}");
  virtual TPersistent* GetPersistent() = 0;
};

/// An ordered list of persistent objects: the currency of selection.
struct IDesignerSelections : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5EFB7729-7559-4519-981E-7D699555B4CE}");
  /// Appends; answers the new index.
  virtual Integer Add(TPersistent* item) = 0;
  /// Same count and the same object at every index.
  virtual bool Equals(const IPtr<IDesignerSelections>& list) = 0;
  /// Raises EListError for an index out of range.
  virtual TPersistent* Get(Integer index) = 0;
  /// A new wrapper of the object at `index`; raises EListError out of range.
  virtual IPtr<IDesignObject> GetDesignObject(Integer index) = 0;
  virtual Integer GetCount() = 0;
};

/// The designer of one designed module, as editors see it. Operations are declared in the
/// family's fixed order; the position comment counts from the first operation of the family.
struct IDesigner60 : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{0D68FCAD-7F4A-481C-9875-C939F2939032}");
  virtual void Activate() = 0; // 0
  virtual void Modified() = 0; // 1
  /// The handler `name` with the signature of the method type data (nil method for '').
  virtual TMethod CreateMethod(const String& name, const TTypeData* typeData) = 0; // 2
  /// The handler's name; empty for a method the module does not hold.
  virtual String GetMethodName(const TMethod& method) = 0; // 3
  /// Hands `proc` the name of every handler whose signature matches the method type.
  virtual void GetMethods(const TTypeData* typeData, const TGetStrProc& proc) = 0; // 4
  virtual String GetPathAndBaseExeName() = 0;                                      // 5
  virtual String GetPrivateDirectory() = 0;                                        // 6
  virtual String GetBaseRegKey() = 0;                                              // 7
  virtual TCustomIniFile* GetIDEOptions() = 0;                                     // 8
  /// Adds the current selection to `list`.
  virtual void GetSelections(const IPtr<IDesignerSelections>& list) = 0;       // 9
  /// True when a handler of that name exists (any signature).
  virtual bool MethodExists(const String& name) = 0; // 10
  /// Renames a handler in the source and in every reference to it.
  virtual void RenameMethod(const String& curName, const String& newName) = 0; // 11
  virtual void SelectComponent(TPersistent* instance) = 0;                     // 12
  /// Replaces the selection by `list`.
  virtual void SetSelections(const IPtr<IDesignerSelections>& list) = 0;                  // 13
  virtual void ShowMethod(const String& name) = 0;                                        // 14
  /// Hands `proc` the names of the root's components of the class of `typeData`, then those of
  /// linkable other modules as "Module.Name".
  virtual void GetComponentNames(const TTypeData* typeData, const TGetStrProc& proc) = 0; // 15
  /// The component a name from GetComponentNames stands for; null when none.
  virtual TComponent* GetComponent(const String& name) = 0; // 16
  /// The component's name, qualified by its owner's name path when the owner is not the root
  /// ("Frame1.Button1", "DataModule1.Table1").
  virtual String GetComponentName(TComponent* component) = 0;                             // 17
  virtual TPersistent* GetObject(const String& name) = 0;                                 // 18
  virtual String GetObjectName(TPersistent* instance) = 0;                                // 19
  virtual void GetObjectNames(const TTypeData* typeData, const TGetStrProc& proc) = 0;    // 20
  /// True when the handler was inherited from an ancestor module (so it must not be renamed).
  virtual bool MethodFromAncestor(const TMethod& method) = 0; // 21
  virtual TComponent* CreateComponent(TComponentClass componentClass, TComponent* parent,
                                      Integer left, Integer top, Integer width,
                                      Integer height) = 0;                               // 22
  virtual TComponent* CreateCurrentComponent(TComponent* parent, const TRect& rect) = 0; // 23
  /// True when a property of this module may refer to `component` (of another module) as
  /// things stand; MakeComponentLinkable makes it so.
  virtual bool IsComponentLinkable(TComponent* component) = 0; // 24
  virtual bool IsComponentHidden(TComponent* component) = 0;   // 25
  /// Makes references from this module to `component` possible.
  virtual void MakeComponentLinkable(TComponent* component) = 0; // 26
  /// Restores the inherited value of one property.
  virtual void Revert(TPersistent* instance, PPropInfo propInfo) = 0; // 27
  /// True while the module is unloaded to its stream (its root is gone until Resurrect).
  virtual bool GetIsDormant() = 0;                                    // 28
  virtual void GetProjectModules(const TGetStrProc& proc) = 0;        // 29
  /// The designer of the module this one inherits from, or null.
  virtual IPtr<IDesigner> GetAncestorDesigner() = 0;                // 30
  virtual bool IsSourceReadOnly() = 0;                              // 31
  virtual TPoint GetScrollRanges(const TPoint& scrollPosition) = 0; // 32
  virtual void Edit(TComponent* component) = 0;                     // 33
  /// Puts into the new handler `methodName` a call to `instanceName`'s handler
  /// `instanceMethod`, which it replaces.
  virtual void ChainCall(const String& methodName, const String& instanceName,
                         const String& instanceMethod, const TTypeData* typeData) = 0; // 34
  virtual void CopySelection() = 0;                                                    // 35
  virtual void CutSelection() = 0;                                                     // 36
  virtual bool CanPaste() = 0;                                                         // 37
  virtual void PasteSelection() = 0;                                                   // 38
  virtual void SelectAll() = 0;                                                        // 39
  virtual void DeleteSelection(bool doAll) = 0;                                        // 40
  virtual void ClearSelection() = 0;                                                   // 41
  virtual void NoSelection() = 0;                                                      // 42
  virtual void ModuleFileNames(String& implFileName, String& intfFileName,
                               String& formFileName) = 0;                           // 43
  virtual String GetRootClassName() = 0;                                            // 44
  /// The first free name of `baseName` (less a leading "T") followed by 1, 2, 3, ...; free in
  /// this module and in every loaded descendant module.
  virtual String UniqueName(const String& baseName) = 0;                            // 45
  virtual TComponent* GetRoot() = 0;                                                // 46
  virtual TShiftState GetShiftState() = 0;                                          // 47
  virtual void ModalEdit(char editKey, const IPtr<IActivatable>& returnWindow) = 0; // 48
  virtual void SelectItemName(const String& propertyName) = 0;                      // 49
  /// Loads a dormant module back from its stream; nothing when it is live.
  virtual void Resurrect() = 0; // 50
};

struct IDesigner70 : IDesigner60 {
  static constexpr TGUID IID = TGUID::Parse("{D6D8EF22-341A-4653-BC84-43CD1E8CDB42}");
  virtual TPersistentClass GetActiveClassGroup() = 0; // 51
  /// The root component of the open ancestor module of that class, or null.
  virtual TComponent* FindAncestorRoot(const String& className) = 0; // 52
};

struct IDesigner80 : IDesigner70 {
  static constexpr TGUID IID = TGUID::Parse("{24AF50FE-67AF-4C23-BF78-ED204BC3798E}");
  /// Creates a component of that class inside `parent`, named and placed as a drop would.
  virtual TComponent* CreateChild(TComponentClass componentClass, TComponent* parent) = 0; // 53
  virtual TComponent* GetCurrentParent() = 0;                                              // 54
  virtual bool SpecialPropertyHelp(TPersistent* instance, const String& propertyName,
                                   String& helpKeyword, String& helpFile) = 0; // 55
};

struct IDesigner100 : IDesigner80 {
  static constexpr TGUID IID = TGUID::Parse("{3118BDC4-ADA9-4A0C-BAE8-51E3997A1864}");
  /// The name under which the module is known to the string file system.
  virtual String GetDesignerExtension() = 0; // 56
};

struct IDesigner170 : IDesigner100 {
  static constexpr TGUID IID = TGUID::Parse("{B3D022BD-E0E1-49F8-B72C-39049544D02E}");
  virtual String GetAppDataDirectory(bool local) = 0; // 57
};

struct IDesigner : IDesigner170 {
  static constexpr TGUID IID = TGUID::Parse("{08BD7CD9-84A2-4D27-964D-B7B549794A2B}");
  virtual void ShowHelp(const String& helpKeyword) = 0; // 58
};

/// A listener for changes of designed modules.
struct IDesignNotification : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{22DF68F4-4D5A-4399-A4CF-5EF2EEB68C02}");
  virtual void ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item) = 0;
  virtual void ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item) = 0;
  virtual void ItemsModified(const IPtr<IDesigner>& designer) = 0;
  virtual void SelectionChanged(const IPtr<IDesigner>& designer,
                                const IPtr<IDesignerSelections>& selection) = 0;
  /// `resurrecting`: the module comes back from dormancy rather than being opened.
  virtual void DesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting) = 0;
  /// `goingDormant`: the module is unloaded to its stream and may come back.
  virtual void DesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant) = 0;
};

struct IDesignWindow : IDesignNotification {
  static constexpr TGUID IID = TGUID::Parse("{94477FF3-577C-4018-ABA3-D4B275387FF6}");
  virtual void WindowHide() = 0;
  virtual void WindowShow() = 0;
};

struct IEditHandler : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{1CC1C86F-E7BE-45BC-A147-A056053721F4}");
  /// Carries out the action; false when it does not apply here.
  virtual bool EditAction(TEditAction action) = 0;
  virtual TEditStates GetEditState() = 0;
};

struct IImplementation : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6E1D30A7-C536-41ED-AF3A-6A705A9A5337}");
  virtual TObject* GetInstance() = 0;
};

struct IComponentEditor : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{D77AA009-DF12-477E-92B7-F44E832EB3C8}");
  virtual void Edit() = 0;
  virtual void ExecuteVerb(Integer index) = 0;
  virtual String GetVerb(Integer index) = 0;
  virtual Integer GetVerbCount() = 0;
  /// Lets the editor adjust the menu item made for verb `index`; nothing by default.
  virtual void PrepareItem(Integer index, const IPtr<IMenuItem>& item) = 0;
  /// Puts the component's own data on the clipboard beside the component; nothing by default.
  virtual void Copy() = 0;
  /// True when the component's owner is inline (a frame placed on another module).
  virtual bool IsInInlined() = 0;
  virtual TComponent* GetComponent() = 0;
  virtual IPtr<IDesigner> GetDesigner() = 0;
};

/// Marker: the editor chosen when no component editor is registered.
struct IDefaultEditor : IComponentEditor {
  static constexpr TGUID IID = TGUID::Parse("{FCCD2DE2-5879-4693-A87E-0B50755CD8BB}");
};

struct ISelectionEditor : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6C1CC658-FD2B-48B3-8B20-5C21327C0D37}");
  virtual void ExecuteVerb(Integer index, const IPtr<IDesignerSelections>& list) = 0;
  virtual String GetVerb(Integer index) = 0;
  virtual Integer GetVerbCount() = 0;
  virtual void PrepareItem(Integer index, const IPtr<IMenuItem>& item) = 0;
  /// Hands `proc` every unit the module's uses must name for the selection to compile.
  virtual void RequiresUnits(const TGetStrProc& proc) = 0;
};

/// A selection editor that trims or reorders the property list of a selection.
struct ISelectionPropertyFilter : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{B2ED0E54-9FA8-4E92-A86F-3A6E0F739EA6}");
  /// `properties` holds IProperty references; the filter may delete or move them.
  virtual void FilterProperties(const IPtr<IDesignerSelections>& selection,
                                const IPtr<IInterfaceList>& properties) = 0;
};

struct ISelectionEditorList : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{339C5BF3-4B97-4AC2-9A3A-62F9AEE9DD7C}");
  virtual IPtr<ISelectionEditor> Get(Integer index) = 0;
  virtual Integer GetCount() = 0;
};

struct ICustomModule : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{46EB155C-57E9-4A36-9060-64868500A1E2}");
  virtual TCustomModuleAttributes GetAttributes() = 0;
  virtual void ExecuteVerb(Integer index) = 0;
  virtual String GetVerb(Integer index) = 0;
  virtual Integer GetVerbCount() = 0;
  virtual void PrepareItem(Integer index, const IPtr<IMenuItem>& item) = 0;
  /// Called before the module is saved.
  virtual void Saving() = 0;
  /// Raises when `component` may not be placed on the module.
  virtual void ValidateComponent(TComponent* component) = 0;
  /// False when components of that class may not be placed on the module (a designed class
  /// answers for its compiled ancestor); false for nil.
  virtual bool ValidateComponentClass(TComponentClass componentClass) = 0;
  /// True when such a module may be placed inside another one (as a frame).
  virtual bool Nestable() = 0;
};

struct IComponentGuidelines : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{139843E6-7778-495E-8AC8-CB58BCAB6CA8}");
  virtual Integer GetCount() = 0;
  virtual TDesignerGuideType GetDesignerGuideType(Integer index) = 0;
  /// The guide's position in the container's coordinates; 2147483647 for no guide.
  virtual Integer GetDesignerGuideOffset(Integer index) = 0;
};

/// The parameter list and result of an event's method type.
struct IEventInfo : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{934C21B9-B6F9-44FF-9768-0884C3517D1F}");
  virtual TMethodKind GetMethodKind() = 0;
  virtual Integer GetParamCount() = 0;
  /// The indexed getters raise EListError for an index out of range.
  virtual String GetParamName(Integer index) = 0;
  virtual String GetParamType(Integer index) = 0;
  virtual TParamFlags GetParamFlags(Integer index) = 0;
  virtual String GetResultType() = 0;
};

/// The host window a designed module is shown in; the host implements it.
struct IHostForm : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{CA0F5374-B403-4DA1-8877-4D0134AB6AFF}");
  virtual void BringToFront() = 0;
  virtual void CheckPosChanged() = 0;
  virtual TRect GetBoundsRect() = 0;
  virtual void SetBoundsRect(const TRect& rect) = 0;
  virtual String GetCaption() = 0;
  virtual void SetCaption(const String& value) = 0;
  virtual TPoint GetClientOrigin() = 0;
  virtual TRect GetClientRect() = 0;
  virtual bool GetVisible() = 0;
  virtual void SetVisible(bool value) = 0;
  virtual bool GetEnabled() = 0;
  virtual void SetEnabled(bool value) = 0;
  virtual bool GetFocused() = 0;
  virtual void SetFocus() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void Close() = 0;
  virtual void Invalidate() = 0;
  virtual void Update() = 0;
  virtual TComponent* GetDesignedRoot() = 0;
  virtual void SetDesigner(const IPtr<IDesigner>& designer) = 0;
};

/// The property inspector as an editor editing in place sees it; the host implements it.
struct IPropertyHost : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6E659565-FAB4-4C0B-A7FA-A8464958AA21}");
  virtual void DropDownControl(TComponent* control) = 0;
  virtual void CloseDropDown() = 0;
};

struct IPropertyHost20 : IPropertyHost {
  static constexpr TGUID IID = TGUID::Parse("{9AE816D0-3613-478E-BA9E-AD81FB1D274C}");
  virtual Integer GetDropDownWidth() = 0;
};

struct IPropertyControl : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{851E82FF-42D9-454B-994B-13E6BB49F61F}");
  virtual void Refresh() = 0;
};

struct IPropertyDescription : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{9D623D8B-FA27-44F8-909D-6EC7F5DE3877}");
  virtual String GetDescription() = 0;
};

struct IWidePropertyDescription : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{045AC8C5-543E-4C94-9801-66D76267A45B}");
  virtual WideString GetDescriptionW() = 0;
};

/// An OLE drop target as the host registers it for design windows.
struct IDropTarget : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{00000122-0000-0000-C000-000000000046}");
  virtual HResult DragEnter(const IPtr<IInterface>& dataObj, Integer keyState, TPoint pt,
                            Integer& effect) = 0;
  virtual HResult DragOver(Integer keyState, TPoint pt, Integer& effect) = 0;
  virtual HResult DragLeave() = 0;
  virtual HResult Drop(const IPtr<IInterface>& dataObj, Integer keyState, TPoint pt,
                       Integer& effect) = 0;
};

// ---- Base classes of the contract ------------------------------------------------------------

/// Abstract base of every property editor. Editors are created only through the class
/// record's virtual constructor (designer, number of selected objects); then SetPropEntry runs
/// once per object and Initialize once.
class TBasePropertyEditor : public TInterfacedObject {
  FW_CLASS(TBasePropertyEditor)
public:
  using TVirtualCtorArgs = std::tuple<IPtr<IDesigner>, Integer>;
  TBasePropertyEditor(const IPtr<IDesigner>&, Integer) {}
  virtual void Initialize() = 0;
  virtual void SetPropEntry(Integer index, TPersistent* instance, PPropInfo propInfo) = 0;
};

class TBaseComponentEditor : public TInterfacedObject {
  FW_CLASS(TBaseComponentEditor)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*, IPtr<IDesigner>>;
  TBaseComponentEditor(TComponent*, const IPtr<IDesigner>&) {}
  /// Keeps the class abstract: only descendants are created.
  virtual void Edit() = 0;
};

class TBaseSelectionEditor : public TInterfacedObject {
  FW_CLASS(TBaseSelectionEditor)
public:
  using TVirtualCtorArgs = std::tuple<IPtr<IDesigner>>;
  explicit TBaseSelectionEditor(const IPtr<IDesigner>&) {}
  virtual Integer GetVerbCount() = 0;
};

class TBaseCustomModule : public TInterfacedObject {
  FW_CLASS(TBaseCustomModule)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*, IPtr<IDesigner>>;
  TBaseCustomModule(TComponent*, const IPtr<IDesigner>&) {}
  /// The class whose designer form hosts the module; null by default.
  virtual TClass DesignClass() const { return nullptr; }
  virtual Integer GetVerbCount() = 0;
};

class TBaseComponentGuidelines : public TInterfacedObject {
  FW_CLASS(TBaseComponentGuidelines)
public:
  using TVirtualCtorArgs = std::tuple<IPtr<IDesigner>>;
  explicit TBaseComponentGuidelines(const IPtr<IDesigner>&) {}
  virtual void Initialize(TComponent* component, TComponent* container) = 0;
};

/// A drop target of a design window for one drag source (not reference-counted).
class TDragTarget : public TObject {
  FW_CLASS(TDragTarget)
public:
  using TVirtualCtorArgs = std::tuple<IPtr<IDesigner>>;
  explicit TDragTarget(const IPtr<IDesigner>& designer) : FDesigner(designer) {}
  virtual bool DragOver(TObject* target, TObject* source, Integer x, Integer y,
                        TDragState state) = 0;
  virtual void DragDrop(TObject* target, TObject* source, Integer x, Integer y) = 0;
  const IPtr<IDesigner>& Designer() const noexcept { return FDesigner; }

protected:
  IPtr<IDesigner> FDesigner;
};

/// The standard selection list.
class TDesignerSelections : public TInterfacedObject, public IDesignerSelections {
  FW_CLASS(TDesignerSelections)
public:
  TDesignerSelections() = default;
  /// Copies every element of `selections` (which may be null) in index order.
  explicit TDesignerSelections(const IPtr<IDesignerSelections>& selections);
  Integer Add(TPersistent* item) override;
  bool Equals(const IPtr<IDesignerSelections>& list) override;
  TPersistent* Get(Integer index) override;
  IPtr<IDesignObject> GetDesignObject(Integer index) override;
  Integer GetCount() override { return static_cast<Integer>(FList.size()); }

protected:
  std::vector<TPersistent*> FList;
};

/// IEventInfo over the type data of a method type.
class TEventInfo : public TInterfacedObject, public IEventInfo {
  FW_CLASS(TEventInfo)
public:
  /// From the type of an event property. Raises EPropertyError when it is not a method type.
  explicit TEventInfo(PPropInfo propInfo);
  /// From method type data in the layout of TTypeData::MethodData. Raises EPropertyError when
  /// the data is truncated.
  explicit TEventInfo(const TTypeData* typeData);
  TMethodKind GetMethodKind() override { return FMethodKind; }
  Integer GetParamCount() override { return static_cast<Integer>(FParamNames.size()); }
  String GetParamName(Integer index) override;
  String GetParamType(Integer index) override;
  TParamFlags GetParamFlags(Integer index) override;
  String GetResultType() override { return FResultType; }

private:
  void Load(const std::vector<Byte>& data);
  TMethodKind FMethodKind = mkProcedure;
  std::vector<String> FParamNames;
  std::vector<String> FParamTypes;
  std::vector<Byte> FParamFlags;
  String FResultType;
};

class TClassWrapper : public TInterfacedObject, public IClass {
  FW_CLASS(TClassWrapper)
public:
  explicit TClassWrapper(TClass cls) : FClass(cls) {}
  bool ClassNameIs(const String& name) override;
  String GetClassName() override;
  String GetUnitName() override;
  IPtr<IClass> GetClassParent() override;

private:
  TClass FClass;
};

class TDesignObject : public TInterfacedObject, public IDesignPersistent {
  FW_CLASS(TDesignObject)
public:
  explicit TDesignObject(TPersistent* persistent) : FPersistent(persistent) {}
  bool Equals(TObject* obj) override { return obj == FPersistent; }
  bool Equals(const IPtr<IDesignObject>& other) override;
  IPtr<IClass> GetClassType() override;
  String GetClassName() override;
  Integer GetComponentIndex() override;
  String GetComponentOrClassName() override;
  bool GetIsComponent() override;
  String GetNamePath() override;
  TPersistent* GetPersistent() override { return FPersistent; }

private:
  TPersistent* FPersistent;
};

IPtr<IDesignerSelections> CreateSelectionList();
IPtr<IDesignObject> PersistentToDesignObject(TPersistent* persistent);

// ---- Registration ----------------------------------------------------------------------------
// Each function forwards to its hook; a call while the hook is empty does nothing.

using TRegisterPropertyEditorProc = void (*)(PTypeInfo propertyType, TClass componentClass,
                                             const String& propertyName,
                                             TPropertyEditorClass editorClass);
using TSetPropertyEditorGroupProc = void (*)(TPropertyEditorClass editorClass,
                                             TPersistentClass groupClass);
using TRegisterPropertyMapperProc = void (*)(TPropertyMapperFunc mapper);
using TRegisterComponentEditorProc = void (*)(TComponentClass componentClass,
                                              TComponentEditorClass componentEditor);
using TRegisterSelectionEditorProc = void (*)(TClass aClass, TSelectionEditorClass editor);
using TRegisterCustomModuleProc = void (*)(Integer group, TComponentClass componentBaseClass,
                                           TCustomModuleClass customModuleClass);
using TRegisterComponentGuidelinesProc = void (*)(TComponentClass componentClass,
                                                  TComponentGuidelinesClass guidelinesClass);
using TRegisterPropertyInCategoryProc = void (*)(const String& categoryName, TClass componentClass,
                                                 PTypeInfo propertyType,
                                                 const String& propertyName);
using TDesignNotificationProc = void (*)(const IPtr<IDesignNotification>& designNotification);
using TForceDemandLoadStateProc = void (*)(TDemandLoadState state);
using TEnableDemandLoadReportProc = void (*)(bool enable);
using TRegisterDragTargetProc = void (*)(const String& sourceName, TDragTargetClass targetClass);
using TRegisterDesignDragObjectProc = void (*)(TClass dragObjectClass);
using TRegisterIDropTargetProc = void (*)(const IPtr<IDropTarget>& dropTarget);

extern TRegisterPropertyEditorProc RegisterPropertyEditorProc;
extern TSetPropertyEditorGroupProc SetPropertyEditorGroupProc;
extern TRegisterPropertyMapperProc RegisterPropertyMapperProc;
extern TRegisterComponentEditorProc RegisterComponentEditorProc;
extern TRegisterSelectionEditorProc RegisterSelectionEditorProc;
extern TRegisterCustomModuleProc RegisterCustomModuleProc;
extern TRegisterComponentGuidelinesProc RegisterComponentGuidelinesProc;
extern TRegisterPropertyInCategoryProc RegisterPropertyInCategoryProc;
extern TDesignNotificationProc RegisterDesignNotificationProc;
extern TDesignNotificationProc UnregisterDesignNotificationProc;
extern TForceDemandLoadStateProc ForceDemandLoadStateProc;
extern TEnableDemandLoadReportProc EnableDemandLoadReportProc;
extern TRegisterDragTargetProc RegisterDragTargetProc;
extern TRegisterDesignDragObjectProc RegisterDesignDragObjectProc;
extern TRegisterIDropTargetProc RegisterIDropTargetProc;

/// A null editor class hides the property.
void RegisterPropertyEditor(PTypeInfo propertyType, TClass componentClass,
                            const String& propertyName, TPropertyEditorClass editorClass);
void SetPropertyEditorGroup(TPropertyEditorClass editorClass, TPersistentClass groupClass);
/// Hides a published property of a class (any kind) and its descendants; does nothing for a
/// name the class does not publish.
void UnlistPublishedProperty(TClass componentClass, const String& propertyName);
void RegisterPropertyMapper(TPropertyMapperFunc mapper);
void RegisterComponentEditor(TComponentClass componentClass, TComponentEditorClass componentEditor);
void RegisterSelectionEditor(TClass aClass, TSelectionEditorClass editor);
/// Stamps the registration with the current package group (CurrentGroup).
void RegisterCustomModule(TComponentClass componentBaseClass, TCustomModuleClass customModuleClass);
void RegisterComponentGuidelines(TComponentClass componentClass,
                                 TComponentGuidelinesClass guidelinesClass);
void RegisterPropertyInCategory(const String& categoryName, const String& propertyName);
void RegisterPropertyInCategory(const String& categoryName, TClass componentClass,
                                const String& propertyName);
void RegisterPropertyInCategory(const String& categoryName, PTypeInfo propertyType,
                                const String& propertyName);
void RegisterPropertyInCategory(const String& categoryName, PTypeInfo propertyType);
/// One hook call per filter, in order: a pointer is a type (PTypeInfo), a class a class, an
/// ANSI or Unicode string a property name. Any other element raises EPropertyError
/// (sInvalidFilter with its index and type code); the elements before it stay registered.
void RegisterPropertiesInCategory(const String& categoryName, std::span<const TVarRec> filters);
void RegisterPropertiesInCategory(const String& categoryName,
                                  std::initializer_list<TVarRec> filters);
void RegisterPropertiesInCategory(const String& categoryName, TClass componentClass,
                                  std::span<const String> filters);
void RegisterPropertiesInCategory(const String& categoryName, TClass componentClass,
                                  std::initializer_list<String> filters);
void RegisterPropertiesInCategory(const String& categoryName, PTypeInfo propertyType,
                                  std::span<const String> filters);
void RegisterPropertiesInCategory(const String& categoryName, PTypeInfo propertyType,
                                  std::initializer_list<String> filters);
void RegisterDesignNotification(const IPtr<IDesignNotification>& designNotification);
void UnregisterDesignNotification(const IPtr<IDesignNotification>& designNotification);
void ForceDemandLoadState(TDemandLoadState state);
void EnableDemandLoadReport(bool enable);
void RegisterDragTarget(const String& sourceName, TDragTargetClass targetClass);
void RegisterDesignDragObject(TClass dragObjectClass);
void RegisterIDropTarget(const IPtr<IDropTarget>& dropTarget);

} // namespace fw
