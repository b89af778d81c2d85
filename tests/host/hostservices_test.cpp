#include "host/hostservices.h"

#include "basert/classbuilder.h"

#include "support/testutil.h"
#include "toolsapi/toolsutils.h"

#include <gtest/gtest.h>

namespace {

using namespace fw;

/// Logs what a module or form hears; AllowSave answers `Allow`.
class TLogModuleNotifier : public TModuleNotifierObject, public IOTAFormNotifier {
  FW_CLASS(TLogModuleNotifier)
public:
  explicit TLogModuleNotifier(std::vector<String>* log) : FLog(log) {}
  bool Allow = true;
  void BeforeSave() override { FLog->push_back("BeforeSave"); }
  void AfterSave() override { FLog->push_back("AfterSave"); }
  void Destroyed() override { FLog->push_back("Destroyed"); }
  bool AllowSave() override { return Allow; }
  void ModuleRenamed(const String& name) override { FLog->push_back("ModuleRenamed " + name); }
  void FormActivated() override { FLog->push_back("FormActivated"); }
  void FormSaving() override { FLog->push_back("FormSaving"); }
  void ComponentRenamed(TComponent*, const String& o, const String& n) override {
    FLog->push_back("ComponentRenamed " + o + " " + n);
  }

private:
  std::vector<String>* FLog;
};

TClass TLogModuleNotifier::StaticClass() {
  static const TClass cls =
      TClassBuilder<TLogModuleNotifier, TModuleNotifierObject>("TLogModuleNotifier", "HostTests")
          .Implements<IOTAFormNotifier>()
          .Build();
  return cls;
}

TEST(HostModules, ModulesTellTheirNotifiersAboutSavesRenamesAndClosing) {
  IPtr<THostModuleServices> services(New<THostModuleServices>());
  IPtr<THostModule> module = services->OpenModule("src/Unit1.pas", "Form1");
  EXPECT_EQ(services->OpenModule("SRC/unit1.PAS").get(), module.get()) << "open modules are reused";
  ASSERT_EQ(module->GetModuleFileCount(), 2);
  auto form = QueryIntf<IOTAFormEditor>(module->GetModuleFileEditor(1));
  ASSERT_TRUE(form);
  EXPECT_EQ(form->GetFileName(), "src/Unit1.fwf");
  EXPECT_EQ(form->GetRootName(), "Form1");
  // What an editor view asks of a module context: embedded designer, native form editor.
  EXPECT_TRUE(QueryIntf<IOTAEmbeddedDesignerQuery>(module)->IsEmbeddedDesigner());
  EXPECT_FALSE(QueryIntf<INTAFormEditor>(form)->GetFormDesigner());
  QueryIntf<IOTAFormDesignerEditor>(form)->ShowFormDesigner();
  EXPECT_EQ(module->FormEditor()->ShowCount(), 1);
  EXPECT_FALSE(QueryIntf<INTAFormEditor>(module->GetModuleFileEditor(0))) << "the source editor";

  std::vector<String> log;
  auto* notifier = New<TLogModuleNotifier>(&log);
  IPtr<IOTAModuleNotifier> asModule(notifier);
  const Integer slot = module->AddNotifier(asModule);
  form->AddNotifier(IPtr<IOTANotifier>(notifier));

  EXPECT_TRUE(module->Save(false, false)) << "nothing to save";
  EXPECT_TRUE(log.empty());
  module->MarkModified();
  notifier->Allow = false;
  EXPECT_FALSE(module->Save(false, false));
  EXPECT_EQ(log, std::vector<String>{"BeforeSave"});
  notifier->Allow = true;
  log.clear();
  EXPECT_TRUE(module->Save(false, false));
  EXPECT_EQ(log, (std::vector<String>{"BeforeSave", "FormSaving", "AfterSave"}));
  EXPECT_EQ(module->SaveCount(), 1);

  log.clear();
  module->SetFileName("src/Main.pas");
  module->FormEditor()->ComponentRenamed(nullptr, "Button1", "OkButton");
  EXPECT_EQ(log, (std::vector<String>{"ModuleRenamed src/Main.pas",
                                      "ComponentRenamed Button1 OkButton"}));
  EXPECT_EQ(QueryIntf<IOTAModule>(services->FindModule("src/main.pas")).get(),
            static_cast<IOTAModule*>(module.get()));

  // A removed notifier hears nothing more, and its slot is the next one taken.
  module->RemoveNotifier(slot);
  EXPECT_EQ(module->NotifierCount(), 0);
  EXPECT_EQ(module->AddNotifier(asModule), slot);
  log.clear();
  module->Close();
  EXPECT_EQ(log, std::vector<String>{"Destroyed"});
  EXPECT_EQ(services->GetModuleCount(), 0);
  EXPECT_FALSE(services->FindModule("src/Main.pas"));
}

/// A file system known by its id only.
class TNamedFileSystem : public TInterfacedObject, public IOTAFileSystem {
  FW_CLASS(TNamedFileSystem)
public:
  explicit TNamedFileSystem(String id) : FId(std::move(id)) {}
  std::unique_ptr<TStream> GetFileStream(const String&, Integer) override { return nullptr; }
  Integer FileAge(const String&) override { return -1; }
  bool RenameFile(const String&, const String&) override { return true; }
  bool IsReadonly(const String&) override { return false; }
  bool IsFileBased() override { return false; }
  bool DeleteFile(const String&) override { return true; }
  bool FileExists(const String&) override { return false; }
  String GetTempFileName(const String& n) override { return n; }
  String GetBackupFileName(const String& n) override { return n; }
  String GetIDString() override { return FId; }

private:
  String FId;
};

TClass TNamedFileSystem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TNamedFileSystem, TInterfacedObject>("TNamedFileSystem", "HostTests")
          .Implements<IOTAFileSystem>()
          .Build();
  return cls;
}

TEST(HostModules, FileSystemsRegisterOncePerIdAndFreedSlotsAreReused) {
  IPtr<THostModuleServices> services(New<THostModuleServices>());
  IPtr<IOTAFileSystem> a(New<TNamedFileSystem>("A.Files"));
  IPtr<IOTAFileSystem> b(New<TNamedFileSystem>("B.Files"));
  EXPECT_EQ(services->AddFileSystem(a), 0);
  EXPECT_EQ(services->AddFileSystem(b), 1);
  EXPECT_EQ(services->AddFileSystem(IPtr<IOTAFileSystem>(New<TNamedFileSystem>("a.files"))), -1);
  EXPECT_EQ(services->AddFileSystem(nullptr), -1);
  services->RemoveFileSystem(0);
  EXPECT_FALSE(services->FindFileSystem("A.Files"));
  EXPECT_EQ(services->AddFileSystem(a), 0);
  EXPECT_EQ(services->FindFileSystem("b.files"), b);
}

TEST(HostServices, PartsAnswerThroughTheServicesObjectUnlessWithheld) {
  THostServicesScope scope;
  THostServices& host = scope.Services();
  auto options = QueryIntf<IOTAServices>(MarrickIDEServices)->GetEnvironmentOptions();
  EXPECT_FALSE(options->GetOptionValue("internalembeddeddesigner").AsBoolean());
  EXPECT_TRUE(options->GetOptionValue("NoSuchOption").IsEmpty());

  // The structure view records what it is asked and keeps the selection per context.
  auto view = QueryIntf<IOTAStructureView>(MarrickIDEServices);
  ASSERT_TRUE(view);
  EXPECT_EQ(view.get(), static_cast<IOTAStructureView*>(&host.StructureView()));
  class TNode : public TInterfacedObject, public IOTAStructureNode, public IOTAStructureContext {
  public:
    explicit TNode(String c) : FCaption(std::move(c)) {}
    String GetCaption() override { return FCaption; }
    String GetContextIdent() override { return FCaption; }
    bool SameContext(const IPtr<IOTAStructureContext>& c) override {
      return c && c->GetContextIdent() == FCaption;
    }

  private:
    String FCaption;
  };
  IPtr<IOTAStructureNode> node(new TNode("Button1"));
  IPtr<IOTAStructureContext> ctx1(new TNode("Form1")), ctx2(new TNode("Form2"));
  view->SetStructureContext(ctx1);
  view->BeginUpdate();
  view->SelectNode(node);
  view->SelectNode(node);
  view->EndUpdate();
  view->EndUpdate(); // unbalanced: recorded, depth stays 0
  EXPECT_EQ(view->GetSelectedCount(), 1);
  view->SetStructureContext(ctx2);
  EXPECT_EQ(view->GetSelectedCount(), 0) << "another context starts with no selection";
  EXPECT_EQ(host.StructureView().Calls(),
            (std::vector<String>{"SetStructureContext Form1", "BeginUpdate", "SelectNode Button1",
                                 "SelectNode Button1", "EndUpdate", "EndUpdate",
                                 "SetStructureContext Form2"}));
  EXPECT_EQ(host.StructureView().UpdateDepth(), 0);

  // Tools look-ups go through the same object; a withheld part is simply not there.
  EXPECT_FALSE(GetActiveProject());
  host.Modules().OpenProject("Project1.fwproj", "OSX32");
  ASSERT_TRUE(GetActiveProject());
  EXPECT_TRUE(PlatformMatch(GetActiveProject()->GetPlatform(), "iOSDevice"));
  EXPECT_EQ(PersonalityServices()->GetCurrentPersonality(), "Pascal");
  host.Withhold(IOTAModuleServices::IID);
  host.Withhold(IOTAPersonalityServices::IID);
  EXPECT_FALSE(GetActiveProject());
  EXPECT_FALSE(PersonalityServices());
  host.Withhold(IOTAModuleServices::IID, false);
  EXPECT_TRUE(GetActiveProject());
}

TEST(HostServices, ToolsLookupsAnswerNothingWithoutAHost) {
  ASSERT_FALSE(MarrickIDEServices);
  EXPECT_FALSE(GetActiveProject());
  EXPECT_FALSE(PersonalityServices());
  EXPECT_EQ(FindIDEAction("EditCutCommand"), nullptr);
}

} // namespace
