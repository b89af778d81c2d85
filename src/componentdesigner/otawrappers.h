// The tools-interface wrappers of a module root: the form editor of one designed module and the
// component wrapper of one of its objects. Both are made on demand; neither keeps the module
// alive. A wrapper whose module is closed, or whose object is freed (or sent dormant with its
// module), raises on use instead of touching what is gone.
//
//   IPtr<IOTAFormEditor> form = root->GetFormEditor();
//   IPtr<IOTAComponent> button = form->CreateComponent(nullptr, "TButton", 8, 8, 75, 25);
//   button->SetPropByName("Caption", TPropValue(String("OK")));
#pragma once

#include "basert/intflist.h"
#include "toolsapi/toolsapi.h"

#include <string_view>
#include <vector>

namespace fw {

class TComponentRoot;
class TOTAComponent;

inline constexpr std::string_view sModuleClosed = "The module is closed";
inline constexpr std::string_view sComponentFreed =
    "The object of this component wrapper no longer exists";

/// The form editor of one module root. The root holds it and detaches it when the module
/// closes; its notifiers then hear Destroyed.
class TOTAFormEditor : public TInterfacedObject, public IOTAFormEditor, public INTAFormEditor {
  FW_CLASS(TOTAFormEditor)
public:
  explicit TOTAFormEditor(TComponentRoot* root);
  ~TOTAFormEditor() override;

  // ---- IOTAEditor; everything but RemoveNotifier raises EComponentDesignerException
  // (sModuleClosed) once the module is closed.
  String GetFileName() override;
  /// The notifier's slot index (-1 for null); a removed slot is reused by the next notifier.
  Integer AddNotifier(const IPtr<IOTANotifier>& notifier) override;
  /// Safe during a broadcast (the removed notifier hears nothing after it) and after closing.
  void RemoveNotifier(Integer index) override;
  /// The module's Modified.
  void MarkModified() override;
  bool GetModified() override;
  /// Shows and activates the module's designer.
  void Show() override;

  // ---- IOTAFormEditor
  String GetRootName() override;
  IPtr<IOTAComponent> GetRootComponent() override;
  IPtr<IOTAComponent> FindComponent(const String& name) override;
  Integer GetSelCount() override;
  IPtr<IOTAComponent> GetSelComponent(Integer index) override;
  IPtr<IOTAComponent> CreateComponent(const IPtr<IOTAComponent>& container, const String& typeName,
                                      Integer x, Integer y, Integer w, Integer h) override;

  // ---- INTAFormEditor
  IPtr<IDesigner> GetFormDesigner() override;

  /// Marks the module as not modified, without saving.
  void ResetDiskAge();
  /// Writes the module's form stream (as its form file would hold it) into `stream`.
  void GetContent(TStream& stream);
  /// Replaces the module by the form stream in `stream` (from its position): the module goes
  /// dormant, comes back from the new content and is modified. When the content cannot be
  /// read the module comes back as it was, in the state it was in (live or dormant), and the
  /// reading error is raised.
  void SetContent(TStream& stream);

  // ---- called by the root: each tells the notifiers that offer IOTAFormNotifier (Modified
  // and Destroyed go to every IOTANotifier).
  void FormModified();
  void FormSaving();
  void NotifyActivate();
  void NotifyRenamed(TComponent* component, const String& oldName, const String& newName);
  /// The module closes: notifiers hear Destroyed, every wrapper dies, the editor detaches.
  void NotifyDestruct();
  /// The live root component is about to be freed (dormant or closing): its wrappers die.
  void RootDestroying();
  /// `object` is leaving the module: its wrappers and those of what it owns die.
  void ObjectRemoved(TPersistent* object);

  /// Null once the module is closed.
  TComponentRoot* Root() const noexcept { return FRoot; }
  /// A wrapper for an object of this module; null for null.
  IPtr<IOTAComponent> Wrap(TPersistent* object);

private:
  friend class TOTAComponent;
  TComponentRoot& LiveRoot();
  template <class T, class F> void Broadcast(F&& send);

  TComponentRoot* FRoot;
  IPtr<TInterfaceList> FNotifiers = New<TInterfaceList>();
  std::vector<TOTAComponent*> FComponents; ///< living wrappers; each leaves on destruction
  TOwned<TComponent> FWatch;               ///< free notifications of the wrapped objects
};

/// One object of a module, through the tools interface.
class TOTAComponent : public TInterfacedObject, public IOTAComponent, public INTAComponent {
  FW_CLASS(TOTAComponent)
public:
  /// `object` must belong to the editor's live module.
  TOTAComponent(const IPtr<TOTAFormEditor>& editor, TPersistent* object);
  ~TOTAComponent() override;

  // Every operation raises EComponentDesignerException (sComponentFreed) once the object is
  // gone, or sModuleClosed once the module is closed.
  String GetComponentType() override;
  IPtr<IOTAComponent> GetParent() override;
  bool IsTControl() override;
  Integer GetPropCount() override;
  String GetPropName(Integer index) override;
  TTypeKind GetPropType(Integer index) override;
  TTypeKind GetPropTypeByName(const String& name) override;
  bool GetPropValue(Integer index, TPropValue& value) override;
  bool GetPropValueByName(const String& name, TPropValue& value) override;
  bool SetProp(Integer index, const TPropValue& value) override;
  bool SetPropByName(const String& name, const TPropValue& value) override;
  Integer GetComponentCount() override;
  IPtr<IOTAComponent> GetComponent(Integer index) override;
  Integer GetControlCount() override;
  IPtr<IOTAComponent> GetControl(Integer index) override;
  bool Select(bool addToSelection) override;
  bool Focus(bool addToSelection) override;
  bool Delete() override;

  // ---- INTAComponent: never raise
  TPersistent* GetPersistent() override { return FObject; }
  TComponent* GetComponent() override;

private:
  friend class TOTAFormEditor;
  TPersistent& Object();
  PPropInfo PropAt(Integer index);
  bool SetValue(PPropInfo prop, const TPropValue& value);

  IPtr<TOTAFormEditor> FEditor;
  TPersistent* FObject; ///< null once the object is gone
  TComponent* FHolder;  ///< the component the object dies with
};

} // namespace fw
