// Small support classes and functions for add-ins of the tools interface: notifier bases that
// do nothing, a file object carrying source text, a string-list adapter, look-ups of the host's
// services, a base class keeping its own notifier list, and the platform-name comparison.
#pragma once

#include "basert/exceptions.h"
#include "basert/intflist.h"
#include "basert/object.h"
#include "designintf/designintf.h"
#include "toolsapi/toolsapi.h"

namespace fw {

class EPersonalityException : public ENonAIRException {
public:
  using ENonAIRException::ENonAIRException;
};

/// The base of notifiers: every notification is ignored.
class TNotifierObject : public TInterfacedObject, public virtual IOTANotifier {
  FW_CLASS(TNotifierObject)
public:
  void AfterSave() override {}
  void BeforeSave() override {}
  void Destroyed() override {}
  void Modified() override {}
};

/// The base of module notifiers: saving and overwriting are allowed, no extra files.
class TModuleNotifierObject : public TNotifierObject, public IOTAModuleNotifier80 {
  FW_CLASS(TModuleNotifierObject)
public:
  bool AllowSave() override { return true; }
  bool CheckOverwrite() override { return true; }
  Integer GetOverwriteFileNameCount() override { return 0; }
  String GetOverwriteFileName(Integer) override { return {}; }
  void ModuleRenamed(const String&) override {}
  void SetSaveFileName(const String&) override {}
};

class TOTAFile : public TInterfacedObject, public IOTAFile {
  FW_CLASS(TOTAFile)
public:
  TOTAFile(String source, TDateTime age) : FSource(std::move(source)), FAge(age) {}
  String GetSource() override { return FSource; }
  TDateTime GetAge() override { return FAge; }

protected:
  String FSource;
  TDateTime FAge;
};

/// A TOTAFile with that source and no date (age -1).
IPtr<IOTAFile> StringToIOTAFile(const String& source);

/// Presents a string list through IOTAStrings; an item's data is the integer kept in the list's
/// object slot.
class TOTAStringsAdapter : public TInterfacedObject, public IOTAStrings, public INTAStrings {
  FW_CLASS(TOTAStringsAdapter)
public:
  /// With `owned`, the adapter frees the list when it goes.
  TOTAStringsAdapter(TStrings* strings, bool owned);
  ~TOTAStringsAdapter() override;
  Integer GetCount() override { return FStrings->Count(); }
  String GetItem(Integer index) override { return FStrings->Get(index); }
  void SetItem(Integer index, const String& value) override { FStrings->Put(index, value); }
  Integer GetData(Integer index) override;
  void SetData(Integer index, Integer value) override;
  String GetName(Integer index) override { return FStrings->Names(index); }
  String GetValue(const String& name) override { return FStrings->Values(name); }
  void SetValue(const String& name, const String& value) override {
    FStrings->SetValues(name, value);
  }
  String GetValueFromIndex(Integer index) override { return FStrings->ValueFromIndex(index); }
  void SetValueFromIndex(Integer index, const String& value) override {
    FStrings->SetValueFromIndex(index, value);
  }
  /// A source that also offers INTAStrings is copied in one step (TStrings::Assign); any other
  /// is copied item by item, text and data.
  void Assign(const IPtr<IOTAStrings>& source) override;
  TStrings* GetStrings() override { return FStrings; }

private:
  TStrings* FStrings;
  bool FOwned;
};

/// Called for each entry of a notifier list.
using TOTAClassProc = void (*)(const IPtr<IInterface>& item, void* data);

/// A base for host-side objects that keep their own notifier list. The object holds one
/// reference to itself from construction, so interface references alone never free it: Destroy
/// does.
class TOTAClass : public TInterfacedObject, public IImplementation {
  FW_CLASS(TOTAClass)
public:
  TOTAClass();
  TObject* GetInstance() override { return this; }
  /// Tells every notifier Destroyed, then drops the self-reference, which frees the object.
  /// When a client still holds a reference, raises Exception (sDanglingReference: class name,
  /// count of the other references) and the object stays.
  void Destroy();
  /// Adds a notifier in the first empty slot; the slot index identifies it for removal.
  Integer AddNotifier(const IPtr<IInterface>& notifier);
  /// Empties a slot (its index is reused by the next AddNotifier); out of range does nothing.
  void RemoveNotifier(Integer index);
  IInterfaceList* NotifyList() const noexcept { return FNotifyList.get(); }

  /// `notifier`'s Destroyed, when it is an IOTANotifier; fits ForEach.
  static void NotifyDestroyed(const IPtr<IInterface>& notifier, void* data);
  /// Puts `item` into the first empty slot of `list`, else appends it; the index it took.
  static Integer AddToList(IInterfaceList* list, const IPtr<IInterface>& item);
  /// `proc(item, data)` for every non-empty slot in index order; nothing without a list or
  /// with an unassigned `proc` (an address of 65535 or less counts as unassigned).
  static void ForEach(IInterfaceList* list, TOTAClassProc proc, void* data);

protected:
  ~TOTAClass() override = default;

private:
  IPtr<TInterfaceList> FNotifyList;
  IPtr<IInterface> FSelf;
};

/// The active project of the host's module services; null without host or services.
IPtr<IOTAProject> GetActiveProject();
/// The host's personality services, or null.
IPtr<IOTAPersonalityServices> PersonalityServices();

using TRegisterPackageWizardProc = void (*)(const IPtr<IOTAWizard>& wizard);
/// Filled by the host; RegisterPackageWizard does nothing while it is empty.
extern TRegisterPackageWizardProc RegisterPackageWizardProc;
void RegisterPackageWizard(const IPtr<IOTAWizard>& wizard);

/// Whether a project for platform `a` also serves platform `b`: "OSX32" serves itself and the
/// iOS simulator and device; any other platform only itself (case-sensitive).
bool PlatformMatch(const String& a, const String& b);

inline constexpr std::string_view sDanglingReference =
    "Instance of Class %s has dangling reference count of %d";

} // namespace fw
