#include "host/packageloader.h"

#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "basert/filer.h"
#include "basert/streams.h"
#include "basert/typinfo.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/editorregistry.h"
#include "designeditors/propcategories.h"
#include "designintf/designintf.h"
#include "host/hostservices.h"
#include "support/testdesigner.h"
#include "support/testutil.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <memory>

namespace {

using namespace fw;

class PackageLoaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    DesignPackageStartup();
    RegisterClass(TDataModule::StaticClass()); // the environment's own, group 0
  }
  void TearDown() override { DesignPackageShutdown(); }
  THostServicesScope Host;

  std::vector<String> PaletteNames() {
    std::vector<String> names;
    for (const auto& item : Host.Services().Palette().Items())
      names.push_back(item->Page + "/" + item->GetName());
    return names;
  }
};

TEST_F(PackageLoaderTest, PackageRegistersUnderItsOwnGroupAndWithdrawsOnUnload) {
  auto package = std::make_unique<TPackage>(FW_STDCOMPONENTS_PATH);
  ASSERT_TRUE(package->Loaded());
  EXPECT_EQ(CurrentGroup, 0) << "the environment's group is current again after Register";
  const Integer group = package->Group();
  EXPECT_NE(group, 0);

  TClass ticker = GetClass("TTicker");
  ASSERT_NE(ticker, nullptr);
  const auto names = PaletteNames();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(std::vector<String>(names.end() - 2, names.end()),
            (std::vector<String>{"System/TTicker", "System/TSettingsStore"}));
  for (const auto& item : Host.Services().Palette().Items())
    EXPECT_EQ(item->Group, group);

  // The package's components work while it is loaded: its editor and category apply, and a
  // module holding one streams and reads back by class name.
  auto* root = New<TDataModule>(nullptr);
  root->SetName("Module1");
  TComponent* t = CreateComponent(ticker, root);
  t->SetName("Ticker1");
  SetOrdProp(t, "Interval", 250);
  EXPECT_EQ(GetEditorClass(GetPropInfo(t, "Interval"), t)->ClassName, "TTickerIntervalProperty");
  EXPECT_TRUE(IsPropertyInCategory("Timing", ticker, "Interval"));
  EXPECT_FALSE(IsPropertyInCategory("Timing", GetClass("TSettingsStore"), "FileName"));
  EXPECT_TRUE(IsPropertyInCategory("Settings", GetClass("TSettingsStore"), "Section"));

  // The section editor offers the sections of the store's file, sorted by the inspector.
  const auto ini =
      std::filesystem::temp_directory_path() / ("fw-store-" + std::to_string(getpid()) + ".ini");
  std::ofstream(ini) << "[Window]\nLeft=1\n[Recent]\nFile1=a\n";
  TComponent* store = CreateComponent(GetClass("TSettingsStore"), root);
  SetStrProp(store, "FileName", ini.string());
  std::vector<String> sections;
  IPtr<IDesignerSelections> selection = CreateSelectionList();
  selection->Add(store);
  GetComponentProperties(selection, tkProperties, nullptr, [&](const IPtr<IProperty>& p) {
    if (p->GetName() == "Section") {
      EXPECT_TRUE(p->GetAttributes().Contains(paValueList));
      p->GetValues([&](const String& s) { sections.push_back(s); });
    }
  });
  std::filesystem::remove(ini);
  EXPECT_EQ(sections, (std::vector<String>{"Window", "Recent"}));
  TMemoryStream stream;
  {
    TWriter writer(&stream, 1024);
    writer.WriteRootComponent(root);
  }
  root->Free();
  stream.SetPosition(0);
  TReader reader(&stream, 1024);
  TComponent* read = reader.ReadRootComponent(nullptr);
  ASSERT_EQ(read->ComponentCount(), 2);
  EXPECT_EQ(read->Components(0)->ClassType(), ticker);
  EXPECT_EQ(GetOrdProp(read->Components(0), "Interval"), 250);
  read->Free();

  package->Unload();
  EXPECT_FALSE(package->Loaded());
  EXPECT_EQ(dlopen(FW_STDCOMPONENTS_PATH, RTLD_LAZY | RTLD_NOLOAD), nullptr)
      << "the module is really gone from the process";
  EXPECT_EQ(GetClass("TTicker"), nullptr);
  EXPECT_EQ(GetClass("TSettingsStore"), nullptr);
  EXPECT_NE(GetClass("TDataModule"), nullptr) << "the environment's classes stay";
  EXPECT_TRUE(PaletteNames().empty());
  TPropertyCategory* timing = PropertyCategoryList().FindCategory("Timing");
  EXPECT_TRUE(!timing || timing->Count() == 0) << "the package's category filters are gone";
  EXPECT_FALSE(EditorGroupInUse(group));

  // Nothing is left behind that would clash: the package loads again into the freed group.
  TPackage again(FW_STDCOMPONENTS_PATH);
  EXPECT_EQ(again.Group(), group);
  EXPECT_NE(GetClass("TTicker"), nullptr);
  // Loading it a second time while loaded is refused, and leaves the first one whole.
  EXPECT_EQ(fwtest::MessageOf([] { TPackage twice(FW_STDCOMPONENTS_PATH); }),
            Format(sPackageAlreadyLoaded, String(FW_STDCOMPONENTS_PATH)));
  EXPECT_NE(GetClass("TTicker"), nullptr);
  EXPECT_TRUE(again.Loaded());
}

TEST_F(PackageLoaderTest, DesignListenersOfThePackageAreWithdrawnBeforeItsCodeGoes) {
  const Integer listeners = DesignNotificationList()->Count();
  fwtest::TTestDesigner* designer;
  IPtr<IDesigner> keep = fwtest::MakeTestDesigner(designer);
  {
    TPackage package(FW_LISTENER_PACKAGE_PATH);
    EXPECT_EQ(DesignNotificationList()->Count(), listeners + 1);
    DesignNotificationItemsModified(keep);
    EXPECT_EQ(designer->ModifiedCount, 1) << "the package's listener is told";
  }
  EXPECT_EQ(dlopen(FW_LISTENER_PACKAGE_PATH, RTLD_LAZY | RTLD_NOLOAD), nullptr);
  EXPECT_EQ(DesignNotificationList()->Count(), listeners);
  DesignNotificationItemsModified(keep); // would run code of the closed module
  EXPECT_EQ(designer->ModifiedCount, 1);
}

// Records are not freed on unload: records made from them (designed-class proxies, classes of
// other packages) name them as their parent, objects may still carry them, and their accessors'
// code is gone with the module, so they could not even be destroyed safely afterwards.
TEST_F(PackageLoaderTest, ClassRecordsStayAfterUnloadBecauseRecordsMadeFromThemNameThemAsParent) {
  auto package = std::make_unique<TPackage>(FW_STDCOMPONENTS_PATH);
  TClass ticker = GetClass("TTicker");
  ASSERT_NE(ticker, nullptr);
  TClassRec proxy;
  proxy.ClassName = "TTicker1";
  proxy.Parent = ticker;
  package.reset();
  EXPECT_EQ(GetClass("TTicker"), nullptr) << "its name is withdrawn";
  EXPECT_TRUE(proxy.InheritsFrom(TComponent::StaticClass()));
  EXPECT_EQ(proxy.Parent->ClassName, "TTicker");

  TPackage again(FW_STDCOMPONENTS_PATH);
  ASSERT_NE(GetClass("TTicker"), nullptr);
  EXPECT_NE(GetClass("TTicker"), ticker) << "a reload makes records of its own";
}

TEST_F(PackageLoaderTest, StandardControlsComeAndGoWithThePackage) {
  TMemoryStream stream;
  {
    TPackage package(FW_STDCOMPONENTS_PATH);
    const auto names = PaletteNames();
    for (const char* entry : {"Standard/TButton", "Standard/TPanel", "Additional/TScrollBox"})
      EXPECT_NE(std::find(names.begin(), names.end(), entry), names.end()) << entry;

    // A form of the package's controls streams and reads back with its parents intact.
    auto* form = New<TForm>(nullptr);
    form->SetName("Form1");
    auto* panel = New<TPanel>(form);
    panel->SetName("Panel1");
    panel->SetParent(form);
    auto* button = New<TButton>(form);
    button->SetName("Button1");
    button->SetParent(panel);
    {
      TWriter writer(&stream, 1024);
      writer.WriteRootComponent(form);
    }
    form->Free();
    stream.SetPosition(0);
    TReader reader(&stream, 1024);
    auto* read = static_cast<TForm*>(reader.ReadRootComponent(nullptr));
    auto* readButton = static_cast<TControl*>(read->FindComponent("Button1"));
    ASSERT_NE(readButton, nullptr);
    EXPECT_EQ(readButton->Parent(), read->FindComponent("Panel1"));
    EXPECT_EQ(static_cast<TControl*>(read->FindComponent("Panel1"))->Parent(), read);
    read->Free();
  }
  // Without the package the same stream names classes nobody registers any more.
  EXPECT_TRUE(PaletteNames().empty());
  stream.SetPosition(0);
  TReader reader(&stream, 1024);
  EXPECT_EQ(fwtest::MessageOf([&] { reader.ReadRootComponent(nullptr); }), "Class TForm not found");
}

TEST_F(PackageLoaderTest, BadModulesAreRefusedAndLeaveNothingBehind) {
  Integer free = 0;
  while (EditorGroupInUse(free))
    ++free;
  EXPECT_EQ(fwtest::MessageOf<EPackageError>([] {
              TPackage p("/nonexistent/pkg.so");
            }).rfind("Can't load package /nonexistent/pkg.so.\n", 0),
            0u);
  EXPECT_EQ(fwtest::MessageOf<EPackageError>([] { TPackage p(FW_NO_ENTRY_MODULE_PATH); }),
            Format(sNoRegisterProc, String(FW_NO_ENTRY_MODULE_PATH)));
  EXPECT_EQ(CurrentGroup, 0);
  EXPECT_FALSE(EditorGroupInUse(free)) << "a refused module takes no group";

  // A Register that fails half-way: what it registered is withdrawn and the module closed.
  EXPECT_EQ(fwtest::MessageOf<EPackageError>([] { TPackage p(FW_FAILING_PACKAGE_PATH); }),
            Format(sRegisterFailed, String(FW_FAILING_PACKAGE_PATH), "the package is broken"));
  EXPECT_EQ(GetClass("TFailingWidget"), nullptr);
  EXPECT_TRUE(PaletteNames().empty());
  EXPECT_EQ(CurrentGroup, 0);
  EXPECT_FALSE(EditorGroupInUse(free));
  EXPECT_EQ(dlopen(FW_FAILING_PACKAGE_PATH, RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

} // namespace
