#include "designintf/designintf.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"

namespace fw {

bool GReferenceExpandable = true;
bool GShowReadOnlyProps = true;

TRegisterPropertyEditorProc RegisterPropertyEditorProc = nullptr;
TSetPropertyEditorGroupProc SetPropertyEditorGroupProc = nullptr;
TRegisterPropertyMapperProc RegisterPropertyMapperProc = nullptr;
TRegisterComponentEditorProc RegisterComponentEditorProc = nullptr;
TRegisterSelectionEditorProc RegisterSelectionEditorProc = nullptr;
TRegisterCustomModuleProc RegisterCustomModuleProc = nullptr;
TRegisterComponentGuidelinesProc RegisterComponentGuidelinesProc = nullptr;
TRegisterPropertyInCategoryProc RegisterPropertyInCategoryProc = nullptr;
TDesignNotificationProc RegisterDesignNotificationProc = nullptr;
TDesignNotificationProc UnregisterDesignNotificationProc = nullptr;
TForceDemandLoadStateProc ForceDemandLoadStateProc = nullptr;
TEnableDemandLoadReportProc EnableDemandLoadReportProc = nullptr;
TRegisterDragTargetProc RegisterDragTargetProc = nullptr;
TRegisterDesignDragObjectProc RegisterDesignDragObjectProc = nullptr;
TRegisterIDropTargetProc RegisterIDropTargetProc = nullptr;

namespace {
[[noreturn]] void IndexError(Integer index) { throw EListError(Format(sListIndexError, index)); }
} // namespace

// ---- Class records -----------------------------------------------------------------------------

TClass TBasePropertyEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBasePropertyEditor, TInterfacedObject>("TBasePropertyEditor", "DesignIntf")
          .Build();
  return cls;
}

TClass TBaseComponentEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBaseComponentEditor, TInterfacedObject>("TBaseComponentEditor", "DesignIntf")
          .Build();
  return cls;
}

TClass TBaseSelectionEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBaseSelectionEditor, TInterfacedObject>("TBaseSelectionEditor", "DesignIntf")
          .Build();
  return cls;
}

TClass TBaseCustomModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBaseCustomModule, TInterfacedObject>("TBaseCustomModule", "DesignIntf")
          .Build();
  return cls;
}

TClass TBaseComponentGuidelines::StaticClass() {
  static const TClass cls = TClassBuilder<TBaseComponentGuidelines, TInterfacedObject>(
                                "TBaseComponentGuidelines", "DesignIntf")
                                .Build();
  return cls;
}

TClass TDragTarget::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDragTarget, TObject>("TDragTarget", "DesignIntf").Build();
  return cls;
}

TClass TDesignerSelections::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDesignerSelections, TInterfacedObject>("TDesignerSelections", "DesignIntf")
          .Implements<IDesignerSelections>()
          .Build();
  return cls;
}

TClass TEventInfo::StaticClass() {
  static const TClass cls = TClassBuilder<TEventInfo, TInterfacedObject>("TEventInfo", "DesignIntf")
                                .Implements<IEventInfo>()
                                .Build();
  return cls;
}

TClass TClassWrapper::StaticClass() {
  static const TClass cls =
      TClassBuilder<TClassWrapper, TInterfacedObject>("TClassWrapper", "DesignIntf")
          .Implements<IClass>()
          .Build();
  return cls;
}

TClass TDesignObject::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDesignObject, TInterfacedObject>("TDesignObject", "DesignIntf")
          .Implements<IDesignObject, IDesignPersistent>()
          .Build();
  return cls;
}

// ---- TDesignerSelections -----------------------------------------------------------------------

TDesignerSelections::TDesignerSelections(const IPtr<IDesignerSelections>& selections) {
  if (!selections) return;
  const Integer n = selections->GetCount();
  FList.reserve(static_cast<std::size_t>(n));
  for (Integer i = 0; i < n; ++i)
    FList.push_back(selections->Get(i));
}

Integer TDesignerSelections::Add(TPersistent* item) {
  FList.push_back(item);
  return static_cast<Integer>(FList.size()) - 1;
}

bool TDesignerSelections::Equals(const IPtr<IDesignerSelections>& list) {
  if (!list) return false;
  const Integer n = list->GetCount();
  if (n != GetCount()) return false;
  for (Integer i = 0; i < n; ++i)
    if (list->Get(i) != FList[static_cast<std::size_t>(i)]) return false;
  return true;
}

TPersistent* TDesignerSelections::Get(Integer index) {
  if (index < 0 || index >= GetCount()) IndexError(index);
  return FList[static_cast<std::size_t>(index)];
}

IPtr<IDesignObject> TDesignerSelections::GetDesignObject(Integer index) {
  return PersistentToDesignObject(Get(index));
}

IPtr<IDesignerSelections> CreateSelectionList() {
  return IPtr<IDesignerSelections>(New<TDesignerSelections>());
}

IPtr<IDesignObject> PersistentToDesignObject(TPersistent* persistent) {
  return IPtr<IDesignObject>(New<TDesignObject>(persistent));
}

// ---- TEventInfo --------------------------------------------------------------------------------

TEventInfo::TEventInfo(PPropInfo propInfo) {
  PTypeInfo type = propInfo ? propInfo->PropType() : nullptr;
  if (!type || type->Kind != kindMethod)
    throw EPropertyError(Format("Property %s is not an event", propInfo ? propInfo->Name : ""));
  Load(GetTypeData(type)->MethodData);
}

TEventInfo::TEventInfo(const TTypeData* typeData) {
  if (!typeData) throw EPropertyError("Method type data expected");
  Load(typeData->MethodData);
}

void TEventInfo::Load(const std::vector<Byte>& data) {
  std::size_t pos = 0;
  auto byte = [&]() -> Byte {
    if (pos >= data.size()) throw EPropertyError("Method type data is truncated");
    return data[pos++];
  };
  auto shortString = [&]() {
    const std::size_t len = byte();
    if (pos + len > data.size()) throw EPropertyError("Method type data is truncated");
    String s(reinterpret_cast<const char*>(data.data() + pos), len);
    pos += len;
    return s;
  };
  FMethodKind = static_cast<TMethodKind>(byte() & 239);
  const std::size_t count = byte();
  FParamNames.reserve(count);
  FParamTypes.reserve(count);
  FParamFlags.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    FParamFlags.push_back(byte());
    FParamNames.push_back(shortString());
    FParamTypes.push_back(shortString());
  }
  FResultType = pos < data.size() ? shortString() : String();
}

String TEventInfo::GetParamName(Integer index) {
  if (index < 0 || index >= GetParamCount()) IndexError(index);
  return FParamNames[static_cast<std::size_t>(index)];
}

String TEventInfo::GetParamType(Integer index) {
  if (index < 0 || index >= GetParamCount()) IndexError(index);
  return FParamTypes[static_cast<std::size_t>(index)];
}

TParamFlags TEventInfo::GetParamFlags(Integer index) {
  if (index < 0 || index >= GetParamCount()) IndexError(index);
  return TParamFlags::FromMask(FParamFlags[static_cast<std::size_t>(index)]);
}

// ---- TClassWrapper and TDesignObject -----------------------------------------------------------

bool TClassWrapper::ClassNameIs(const String& name) { return FClass && FClass->ClassNameIs(name); }

String TClassWrapper::GetClassName() { return FClass ? FClass->ClassName : String(); }

String TClassWrapper::GetUnitName() { return FClass ? FClass->UnitName : String(); }

IPtr<IClass> TClassWrapper::GetClassParent() {
  if (!FClass || !FClass->Parent) return nullptr;
  return IPtr<IClass>(New<TClassWrapper>(FClass->Parent));
}

bool TDesignObject::Equals(const IPtr<IDesignObject>& other) {
  IPtr<IDesignPersistent> p;
  return Supports(other, &p) && p->GetPersistent() == FPersistent;
}

IPtr<IClass> TDesignObject::GetClassType() {
  return IPtr<IClass>(New<TClassWrapper>(FPersistent ? FPersistent->ClassType() : nullptr));
}

String TDesignObject::GetClassName() { return FPersistent ? FPersistent->ClassName() : String(); }

Integer TDesignObject::GetComponentIndex() {
  auto* c = dynamic_cast<TComponent*>(FPersistent);
  return c ? c->ComponentIndex() : -1;
}

String TDesignObject::GetComponentOrClassName() {
  if (auto* c = dynamic_cast<TComponent*>(FPersistent)) return c->Name();
  return GetClassName();
}

bool TDesignObject::GetIsComponent() { return dynamic_cast<TComponent*>(FPersistent) != nullptr; }

String TDesignObject::GetNamePath() { return FPersistent ? FPersistent->GetNamePath() : String(); }

// ---- Registration ------------------------------------------------------------------------------

void RegisterPropertyEditor(PTypeInfo propertyType, TClass componentClass,
                            const String& propertyName, TPropertyEditorClass editorClass) {
  if (RegisterPropertyEditorProc)
    RegisterPropertyEditorProc(propertyType, componentClass, propertyName, editorClass);
}

void SetPropertyEditorGroup(TPropertyEditorClass editorClass, TPersistentClass groupClass) {
  if (SetPropertyEditorGroupProc) SetPropertyEditorGroupProc(editorClass, groupClass);
}

void UnlistPublishedProperty(TClass componentClass, const String& propertyName) {
  if (!componentClass || !componentClass->TypeInfo) return;
  if (PPropInfo prop = GetPropInfo(componentClass->TypeInfo, propertyName))
    RegisterPropertyEditor(prop->PropType(), componentClass, propertyName, nullptr);
}

void RegisterPropertyMapper(TPropertyMapperFunc mapper) {
  if (RegisterPropertyMapperProc) RegisterPropertyMapperProc(mapper);
}

void RegisterComponentEditor(TComponentClass componentClass,
                             TComponentEditorClass componentEditor) {
  if (RegisterComponentEditorProc) RegisterComponentEditorProc(componentClass, componentEditor);
}

void RegisterSelectionEditor(TClass aClass, TSelectionEditorClass editor) {
  if (RegisterSelectionEditorProc) RegisterSelectionEditorProc(aClass, editor);
}

void RegisterCustomModule(TComponentClass componentBaseClass,
                          TCustomModuleClass customModuleClass) {
  if (RegisterCustomModuleProc)
    RegisterCustomModuleProc(CurrentGroup, componentBaseClass, customModuleClass);
}

void RegisterComponentGuidelines(TComponentClass componentClass,
                                 TComponentGuidelinesClass guidelinesClass) {
  if (RegisterComponentGuidelinesProc)
    RegisterComponentGuidelinesProc(componentClass, guidelinesClass);
}

void RegisterPropertyInCategory(const String& categoryName, const String& propertyName) {
  if (RegisterPropertyInCategoryProc)
    RegisterPropertyInCategoryProc(categoryName, nullptr, nullptr, propertyName);
}

void RegisterPropertyInCategory(const String& categoryName, TClass componentClass,
                                const String& propertyName) {
  if (RegisterPropertyInCategoryProc)
    RegisterPropertyInCategoryProc(categoryName, componentClass, nullptr, propertyName);
}

void RegisterPropertyInCategory(const String& categoryName, PTypeInfo propertyType,
                                const String& propertyName) {
  if (RegisterPropertyInCategoryProc)
    RegisterPropertyInCategoryProc(categoryName, nullptr, propertyType, propertyName);
}

void RegisterPropertyInCategory(const String& categoryName, PTypeInfo propertyType) {
  if (RegisterPropertyInCategoryProc)
    RegisterPropertyInCategoryProc(categoryName, nullptr, propertyType, String());
}

void RegisterPropertiesInCategory(const String& categoryName, std::span<const TVarRec> filters) {
  if (!RegisterPropertyInCategoryProc) return;
  for (std::size_t i = 0; i < filters.size(); ++i) {
    const TVarRec& f = filters[i];
    switch (f.VType) {
    case vtPointer:
      RegisterPropertyInCategoryProc(categoryName, nullptr, static_cast<PTypeInfo>(f.VPointer),
                                     String());
      break;
    case vtClass:
      RegisterPropertyInCategoryProc(categoryName, f.VClass, nullptr, String());
      break;
    case vtAnsiString:
    case vtUnicodeString:
      RegisterPropertyInCategoryProc(categoryName, nullptr, nullptr, String(f.VText));
      break;
    default:
      throw EPropertyError(
          Format(sInvalidFilter, static_cast<Integer>(i), static_cast<Integer>(f.VType)));
    }
  }
}

void RegisterPropertiesInCategory(const String& categoryName,
                                  std::initializer_list<TVarRec> filters) {
  RegisterPropertiesInCategory(categoryName,
                               std::span<const TVarRec>(filters.begin(), filters.size()));
}

void RegisterPropertiesInCategory(const String& categoryName, TClass componentClass,
                                  std::span<const String> filters) {
  if (!RegisterPropertyInCategoryProc) return;
  for (const String& name : filters)
    RegisterPropertyInCategoryProc(categoryName, componentClass, nullptr, name);
}

void RegisterPropertiesInCategory(const String& categoryName, TClass componentClass,
                                  std::initializer_list<String> filters) {
  RegisterPropertiesInCategory(categoryName, componentClass,
                               std::span<const String>(filters.begin(), filters.size()));
}

void RegisterPropertiesInCategory(const String& categoryName, PTypeInfo propertyType,
                                  std::span<const String> filters) {
  if (!RegisterPropertyInCategoryProc) return;
  for (const String& name : filters)
    RegisterPropertyInCategoryProc(categoryName, nullptr, propertyType, name);
}

void RegisterPropertiesInCategory(const String& categoryName, PTypeInfo propertyType,
                                  std::initializer_list<String> filters) {
  RegisterPropertiesInCategory(categoryName, propertyType,
                               std::span<const String>(filters.begin(), filters.size()));
}

void RegisterDesignNotification(const IPtr<IDesignNotification>& designNotification) {
  if (RegisterDesignNotificationProc) RegisterDesignNotificationProc(designNotification);
}

void UnregisterDesignNotification(const IPtr<IDesignNotification>& designNotification) {
  if (UnregisterDesignNotificationProc) UnregisterDesignNotificationProc(designNotification);
}

void ForceDemandLoadState(TDemandLoadState state) {
  if (ForceDemandLoadStateProc) ForceDemandLoadStateProc(state);
}

void EnableDemandLoadReport(bool enable) {
  if (EnableDemandLoadReportProc) EnableDemandLoadReportProc(enable);
}

void RegisterDragTarget(const String& sourceName, TDragTargetClass targetClass) {
  if (RegisterDragTargetProc) RegisterDragTargetProc(sourceName, targetClass);
}

void RegisterDesignDragObject(TClass dragObjectClass) {
  if (RegisterDesignDragObjectProc) RegisterDesignDragObjectProc(dragObjectClass);
}

void RegisterIDropTarget(const IPtr<IDropTarget>& dropTarget) {
  if (RegisterIDropTargetProc) RegisterIDropTargetProc(dropTarget);
}

} // namespace fw
