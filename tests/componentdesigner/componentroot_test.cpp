#include "componentdesigner/componentroot.h"

#include "basert/filer.h"
#include "basert/formtext.h"
#include "componentdesigner/proxies.h"
#include "designedmodules.h"
#include "support/notificationlog.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/imglist.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

using namespace fw;
using fwtest::MessageOf;

namespace {

/// A component that refuses to be inherited.
class TSealed : public TComponent {
  FW_CLASS(TSealed)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TSealed(TComponent* owner) : TComponent(owner) {
    FComponentStyle.Exclude(styleInheritable);
  }
};

TClass TSealed::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSealed, TComponent>("TSealed", "ComponentRootTest").Build();
  return cls;
}

/// Records the module notifications, one line each.
class TOpenLog : public TInterfacedObject, public IDesignNotification {
  FW_CLASS(TOpenLog)
public:
  std::vector<String> Lines;
  bool Refuse = false;
  void ItemDeleted(const IPtr<IDesigner>&, TPersistent*) override {}
  void ItemInserted(const IPtr<IDesigner>&, TPersistent*) override {}
  void ItemsModified(const IPtr<IDesigner>&) override {}
  void SelectionChanged(const IPtr<IDesigner>&, const IPtr<IDesignerSelections>&) override {}
  void DesignerOpened(const IPtr<IDesigner>& d, bool resurrecting) override {
    if (Refuse) throw EComponentDesignerException("refused");
    Lines.push_back("Opened " + d->GetRoot()->Name() + (resurrecting ? " again" : ""));
  }
  void DesignerClosed(const IPtr<IDesigner>& d, bool goingDormant) override {
    Lines.push_back("Closed " + d->GetRoot()->Name() + (goingDormant ? " dormant" : ""));
  }
};

TClass TOpenLog::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOpenLog, TInterfacedObject>("TOpenLog", "ComponentRootTest")
          .Implements<IDesignNotification>()
          .Build();
  return cls;
}

/// A module holding one action list per name in `linked`, each showing that module's images.
String Linking(const String& rootName, std::initializer_list<String> linked) {
  String text = "object " + rootName + ": T" + rootName + "\n";
  Integer n = 0;
  for (const String& other : linked)
    text += "  object ActionList" + std::to_string(++n) + ": TActionList\n    Images = " + other +
            ".ImageList1\n  end\n";
  return text + "end\n";
}

/// The names of the roots `walk` visits.
template <class F> std::vector<String> RootNames(F&& walk) {
  std::vector<String> names;
  walk([&](const IPtr<IRoot>& r) { names.push_back(r->GetRootName()); });
  return names;
}

String FileText(const String& path) {
  std::ifstream in(path, std::ios::binary);
  return String(std::istreambuf_iterator<char>(in), {});
}

/// Modules stored in a directory of their own, with no update manager between them.
class ComponentRoot_ : public fwtest::DesignedModules {
protected:
  void SetUp() override {
    DesignedModules::SetUp();
    CreateUpdateManagerProc = nullptr;
    RegisterClass(TSealed::StaticClass());
    Log = New<TOpenLog>();
    RegisterDesignNotification(IPtr<IDesignNotification>(Log));
    Dir = std::filesystem::temp_directory_path() /
          ("fw-root-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override {
    UnregisterDesignNotification(IPtr<IDesignNotification>(Log));
    DesignedModules::TearDown();
    UnRegisterClass(TSealed::StaticClass());
    std::filesystem::permissions(Dir, std::filesystem::perms::all);
    std::filesystem::remove_all(Dir);
  }
  String Path(const String& name) const { return (Dir / name).string(); }
  bool EnvCalled(const String& call) const {
    return std::find(Env->Calls().begin(), Env->Calls().end(), call) != Env->Calls().end();
  }
  IPtr<THostComponentRoot> NewRoot(const String& rootName, const String& ancestor = {},
                                   TStream* stored = nullptr) {
    return THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit" + rootName, rootName, "TForm")),
        Path(rootName + ".lyt"), stored, rootName, ancestor);
  }
  IPtr<THostComponentRoot> OpenText(const String& rootName, const String& text,
                                    const String& ancestor = {}) {
    TStringStream s(text);
    return NewRoot(rootName, ancestor, &s);
  }
  static TButton* AddButton(THostComponentRoot& root, const String& caption) {
    auto* b = static_cast<TButton*>(
        root.CreateComponent(TButton::StaticClass(), root.GetRoot(), 8, 8, 75, 25));
    b->SetCaption(caption);
    return b;
  }

  IPtr<TOpenLog> Log;
  std::filesystem::path Dir;
};

} // namespace

TEST_F(ComponentRoot_, NewModuleIsAnInstanceOfItsOwnProxyClass) {
  auto root = NewRoot("Form1");
  TComponent* form = root->GetRoot();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Name(), "Form1");
  EXPECT_EQ(form->ClassName(), "TForm1");
  EXPECT_TRUE(IsProxyClass(form->ClassType()));
  EXPECT_EQ(form->ClassType()->Parent, TForm::StaticClass());
  EXPECT_EQ(form->ClassType()->UnitName, "UnitForm1");
  EXPECT_TRUE(form->ComponentState().Contains(stateDesigning));
  EXPECT_EQ(Log->Lines, (std::vector<String>{"Opened Form1"}));
  EXPECT_TRUE(root->Called("InitializeNewRoot Form1 "));
  EXPECT_TRUE(root->Called("NewRootCreated Form1 "));
  EXPECT_EQ(Designer->GetRootsCount(), 1);
  EXPECT_FALSE(root->IsModified());
  EXPECT_TRUE(root->GetCustomModule());

  // Activation puts the root in front and makes it the package's active root.
  auto second = NewRoot("Form2");
  EXPECT_EQ(Designer->GetRoots(0)->GetRootName(), "Form1");
  second->Activate();
  EXPECT_EQ(Designer->GetRoots(0)->GetRootName(), "Form2");
  EXPECT_EQ(ActiveRoot().get(), static_cast<IRoot*>(second.get()));

  root->Close();
  EXPECT_EQ(Log->Lines.back(), "Closed Form1");
  EXPECT_EQ(root->GetRoot(), nullptr);
  EXPECT_EQ(Designer->GetRootsCount(), 1);
}

TEST_F(ComponentRoot_, DormantModuleComesBackWithNamesPropertiesAndHandlers) {
  auto root = NewRoot("Form1");
  TButton* button = AddButton(*root, "Press");
  button->OnClick = TNotifyEvent{root->CreateMethod("Button1Click", nullptr)};
  ASSERT_TRUE(button->OnClick.Code);

  root->GoDormant();
  EXPECT_TRUE(root->IsDormant());
  EXPECT_EQ(root->GetRoot(), nullptr);
  EXPECT_EQ(root->GetRootName(), "Form1");
  EXPECT_EQ(Log->Lines.back(), "Closed Form1 dormant");
  root->GoDormant(); // nothing more to do

  root->Resurrect();
  ASSERT_NE(root->GetRoot(), nullptr);
  EXPECT_FALSE(root->IsDormant());
  EXPECT_EQ(Log->Lines.back(), "Opened Form1 again");
  EXPECT_EQ(root->GetRoot()->ClassName(), "TForm1");
  auto* back = dynamic_cast<TButton*>(root->GetComponent("Button1"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Caption(), "Press");
  EXPECT_EQ(root->GetMethodName(back->OnClick), "Button1Click");
  EXPECT_TRUE(root->IsModified()); // dormancy does not forget unsaved changes

  const std::size_t opened = Log->Lines.size();
  root->Resurrect(); // live: nothing happens
  EXPECT_EQ(Log->Lines.size(), opened);
}

TEST_F(ComponentRoot_, SaveWritesTheFormFileAndEqualisesModifyTimeAndDiskAge) {
  auto root = NewRoot("Form1");
  AddButton(*root, "Saved");
  EXPECT_TRUE(root->IsModified());
  root->Save();
  EXPECT_FALSE(root->IsModified());
  EXPECT_EQ(root->GetModifyTime(), root->GetTimeAtLoad());
  struct stat st {};
  ASSERT_EQ(::stat(Path("Form1.lyt").c_str(), &st), 0);
  EXPECT_EQ(root->GetTimeAtLoad(), static_cast<Integer>(st.st_mtime));

  // New modules are stored as text by default; the file reads back as the same module.
  const String text = FileText(Path("Form1.lyt"));
  EXPECT_EQ(text.rfind("object Form1: TForm1", 0), 0u) << text;
  root->Close();
  auto again = OpenText("Form1", text);
  auto* button = dynamic_cast<TButton*>(again->GetComponent("Button1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Caption(), "Saved");
  EXPECT_EQ(again->OrigLYTFormat(), lytText);
  EXPECT_FALSE(again->IsModified());

  // The file changing on disk is noticed once.
  EXPECT_FALSE(again->CheckFileDate());
  utimbuf times{st.st_atime, st.st_mtime - 100};
  ASSERT_EQ(::utime(Path("Form1.lyt").c_str(), &times), 0);
  EXPECT_TRUE(again->CheckFileDate());
  EXPECT_EQ(again->GetTimeAtLoad(), static_cast<Integer>(st.st_mtime - 100));
  EXPECT_FALSE(again->CheckFileDate());
}

TEST_F(ComponentRoot_, UnchangedModuleSavesItsCachedStream) {
  Env->Options.LYTFormat = false;
  auto root = NewRoot("Form1");
  AddButton(*root, "A");
  auto module = QueryIntf<IDesignerModule>(root->GetModule().get());
  TStream* first = root->GetRootStream();
  TStream* second = root->GetRootStream();
  EXPECT_EQ(first, second);
  auto* host = static_cast<THostDesignerModule*>(module.get());
  EXPECT_EQ(std::count(host->Calls().begin(), host->Calls().end(), "PrepareStreaming"), 1);
  root->Save();
  EXPECT_EQ(FileText(Path("Form1.lyt")).substr(0, 4), "TPF0");
  root->Modified();
  EXPECT_NE(root->GetRootStream(), nullptr);
  EXPECT_EQ(std::count(host->Calls().begin(), host->Calls().end(), "PrepareStreaming"), 2);

  // Text LYT switches the stored format.
  root->Command(dmTextLYT);
  root->Save();
  EXPECT_EQ(FileText(Path("Form1.lyt")).rfind("object Form1", 0), 0u);
}

TEST_F(ComponentRoot_, ReadOnlyOrUnwritableFormFileLeavesTheModuleModified) {
  auto root = NewRoot("Form1");
  AddButton(*root, "First");
  root->Save();
  const String saved = FileText(Path("Form1.lyt"));
  ::chmod(Path("Form1.lyt").c_str(), 0444);
  AddButton(*root, "Second");
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { root->Save(); }),
            "'" + Path("Form1.lyt") + "' is a read-only file");
  EXPECT_TRUE(root->IsModified());
  EXPECT_EQ(FileText(Path("Form1.lyt")), saved);
  EXPECT_NE(root->GetRoot(), nullptr);

  ::chmod(Path("Form1.lyt").c_str(), 0644);
  root->Rename(Path("missing/Form1.pas"));
  EXPECT_EQ(root->GetFileName(), Path("missing/Form1.lyt"));
  const String message = MessageOf<EComponentDesignerException>([&] { root->Save(); });
  EXPECT_NE(message.find(Path("missing/Form1.lyt")), String::npos) << message;
  EXPECT_TRUE(root->IsModified());
  EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

TEST_F(ComponentRoot_, LinksToModulesNotLoadedBlockSavingUntilRedirected) {
  auto root = OpenText("Form1", Linking("Form1", {"Form2"}));
  // Opening asked the environment for the module it links to.
  EXPECT_TRUE(EnvCalled("OpenRootModule Form2"));
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { root->Save(); }),
            "Module \"Form1\" references another module and cannot be saved until Form2 is "
            "loaded");

  auto two = OpenText("Form3", Linking("Form3", {"Form4", "Form5"}));
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { two->Save(); }),
            "Module \"Form3\" references other modules and cannot be saved until the following "
            "modules are loaded: Form4,Form5");
  EXPECT_TRUE(two->Called("QueryRedirectLinks Form3 Form4"));

  two->RedirectAnswer = qrYes;
  two->Save();
  EXPECT_TRUE(two->Called("RedirectLinks Form4"));
  EXPECT_TRUE(two->Called("RedirectLinks Form5"));
  EXPECT_TRUE(std::filesystem::exists(Path("Form3.lyt")));
}

TEST_F(ComponentRoot_, LinksResolveWhenTheOtherModuleIsOpenAndAreRecordedAsDependencies) {
  auto images = OpenText("Form2", "object Form2: TForm2\n"
                                  "  object ImageList1: TImageList\n"
                                  "  end\n"
                                  "end\n");
  auto user = OpenText("Form1", Linking("Form1", {"Form2"}));
  auto* list = dynamic_cast<TActionList*>(user->GetComponent("ActionList1"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetImages(), images->GetComponent("ImageList1"));
  EXPECT_EQ(user->GetComponentName(images->GetComponent("ImageList1")), "Form2.ImageList1");
  EXPECT_EQ(user->GetComponent("Form2.ImageList1"), images->GetComponent("ImageList1"));
  EXPECT_TRUE(user->IsComponentLinkable(images->GetComponent("ImageList1")));

  user->UpdateDependencies();
  EXPECT_EQ(RootNames([&](auto f) { user->GetDependencies(f); }), std::vector<String>{"Form2"});
  EXPECT_EQ(RootNames([&](auto f) { images->GetDependentRoots(f); }), std::vector<String>{"Form1"});
  images->Close();
  EXPECT_TRUE(RootNames([&](auto f) { user->GetDependencies(f); }).empty());
}

TEST_F(ComponentRoot_, InheritedModuleTakesTheAncestorsComponentsAndWritesOnlyDifferences) {
  auto base = NewRoot("Form1");
  AddButton(*base, "Inherited");
  auto derived = NewRoot("Form2", "Form1");
  TComponent* form2 = derived->GetRoot();
  EXPECT_EQ(form2->ClassName(), "TForm2");
  EXPECT_EQ(form2->ClassType()->Parent, base->GetRoot()->ClassType());
  auto* button = dynamic_cast<TButton*>(derived->GetComponent("Button1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Caption(), "Inherited");
  EXPECT_TRUE(button->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(derived->GetAncestorDesigner().get(), static_cast<IDesigner*>(base.get()));
  EXPECT_TRUE(derived->Called("InitializeNewRoot Form2 Form1"));

  derived->Save();
  const String text = FileText(Path("Form2.lyt"));
  EXPECT_EQ(text.rfind("inherited Form2: TForm2", 0), 0u) << text;
  EXPECT_EQ(text.find("Inherited"), String::npos) << text; // unchanged: not written

  button->SetCaption("Changed");
  derived->Modified();
  derived->Save();
  EXPECT_NE(FileText(Path("Form2.lyt")).find("Changed"), String::npos);

  // A dormant ancestor wakes to have its descendant written against it.
  base->GoDormant();
  derived->Modified();
  derived->Save();
  EXPECT_NE(base->GetRoot(), nullptr);
  EXPECT_EQ(FileText(Path("Form2.lyt")).rfind("inherited Form2: TForm2", 0), 0u);

  // The stored descendant reopens against the open ancestor.
  derived->Close();
  auto reopened = OpenText("Form2", FileText(Path("Form2.lyt")), "Form1");
  auto* again = dynamic_cast<TButton*>(reopened->GetComponent("Button1"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Caption(), "Changed");
}

TEST_F(ComponentRoot_, AncestorsThatCannotBeInheritedOrFoundOpenNothing) {
  auto base = NewRoot("Form1");
  New<TSealed>(base->GetRoot())->SetName("Sealed1");
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { NewRoot("Form2", "Form1"); }),
            "Cannot inherit from 'Form1'.  Contains a component 'Sealed1' that does not support "
            "inheritance");
  New<TSealed>(base->GetRoot())->SetName("Sealed2");
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { NewRoot("Form2", "Form1"); }),
            "Cannot inherit from 'Form1'.  Contains components 'Sealed1,Sealed2' that do not "
            "support inheritance");
  EXPECT_EQ(Designer->GetRootsCount(), 1);

  // Neither a root base class nor an open module.
  EXPECT_NE(MessageOf<EClassNotFound>([&] { NewRoot("Form3", "Nowhere"); }).find("TNowhere"),
            String::npos);
  EXPECT_TRUE(EnvCalled("OpenRootModule Nowhere"));

  // A designer that owns no registered base class cannot make the module.
  Designer->Accepts = [](TClass) { return false; };
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { NewRoot("Form4"); }),
            "Root class not found: \"TForm\"");
  EXPECT_EQ(Designer->GetRootsCount(), 1);
  EXPECT_EQ(Log->Lines, (std::vector<String>{"Opened Form1"}));
}

TEST_F(ComponentRoot_, UnreadableFormFilesOpenNothingAndNameFileAndPosition) {
  auto failsWith = [&](const String& text) {
    const String message = MessageOf<EComponentDesignerException>([&] { OpenText("Form1", text); });
    EXPECT_EQ(message.find("Error reading form file '" + Path("Form1.lyt") + "'"), 0u) << message;
    EXPECT_EQ(Designer->GetRootsCount(), 0);
    EXPECT_TRUE(Log->Lines.empty());
    return message;
  };
  EXPECT_NE(failsWith("object Form1: TForm1\n  object X1: TNoSuchClass\n  end\nend\n")
                .find("Class TNoSuchClass not found on line 2"),
            String::npos);
  EXPECT_NE(failsWith("object Form1: TForm1\n  Caption = \nend\n").find("line"), String::npos);

  // A binary form cut short.
  Env->Options.LYTFormat = false;
  auto root = NewRoot("Form9");
  AddButton(*root, "Cut");
  TStream* s = root->GetRootStream();
  String bytes(static_cast<std::size_t>(s->Size()), '\0');
  s->ReadBuffer(bytes.data(), s->Size());
  root->Close();
  Log->Lines.clear();
  ASSERT_EQ(bytes.substr(0, 4), "TPF0");
  EXPECT_NE(failsWith(bytes.substr(0, bytes.size() - 6)).find("byte"), String::npos);
}

TEST_F(ComponentRoot_, AListenerRefusingTheOpeningLeavesNothingOpen) {
  Log->Refuse = true;
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { NewRoot("Form1"); }), "refused");
  EXPECT_EQ(Designer->GetRootsCount(), 0);
  EXPECT_EQ(Log->Lines, std::vector<String>{"Closed Form1"});
  EXPECT_FALSE(ActiveRoot());
}

TEST_F(ComponentRoot_, FindRootIgnoresCaseAndSearchesOtherDesigners) {
  auto root = NewRoot("Form1");
  IPtr<THostComponentDesigner> other(
      New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env), ".vrz"));
  Registry()->RegisterDesigner(IPtr<IComponentDesigner>(other));
  EXPECT_EQ(other->FindRoot("form1").get(), static_cast<IRoot*>(root.get()));
  EXPECT_EQ(other->FindRootFor(root->GetRoot()).get(), static_cast<IRoot*>(root.get()));
  EXPECT_FALSE(other->FindRoot("Form2"));
  EXPECT_EQ(Designer->OpenRootClass("TFORM1").get(), static_cast<IRoot*>(root.get()));

  // A dormant module is found by name and woken by OpenRootClass.
  root->GoDormant();
  EXPECT_EQ(other->FindRoot("FORM1").get(), static_cast<IRoot*>(root.get()));
  other->OpenRootClass("TForm1");
  EXPECT_NE(root->GetRoot(), nullptr);
  Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(other));
}

TEST_F(ComponentRoot_, ReadOnlySourceRefusesModification) {
  auto root = NewRoot("Form1");
  EXPECT_TRUE(root->CanModify());
  root->ValidateModification();
  static_cast<THostDesignerModule*>(root->GetModule().get())->SetReadOnly(true);
  EXPECT_FALSE(root->CanModify());
  EXPECT_EQ(MessageOf<EComponentDesignerException>([&] { root->ValidateModification(); }),
            "Source is read-only");
}

TEST_F(ComponentRoot_, RenameKeepsTheFormExtensionAndMovesTheClassToTheModulesUnit) {
  auto root = NewRoot("Form1");
  root->Rename(Path("sub/Other.pas"));
  EXPECT_EQ(root->GetFileName(), Path("sub/Other.lyt"));
  EXPECT_EQ(root->GetRoot()->ClassName(), "TForm1");
  EXPECT_EQ(root->GetRoot()->ClassType()->UnitName, "UnitForm1");
  String impl, intf, form;
  root->ModuleFileNames(impl, intf, form);
  EXPECT_EQ(form, Path("sub/Other.lyt"));
  EXPECT_EQ(impl, Path("sub/Other.pas"));
}

namespace {

using ComponentRootUpdates = fwtest::DesignedModules;

} // namespace

// A change spreads through every generation and into placed frames; each module it reached
// announces itself modified once, after the module that changed, however many properties
// changed and however many runs touched it.
TEST_F(ComponentRootUpdates, ModulesAChangeReachesAnnounceItOnceEach) {
  auto base = NewRoot("Form1");
  auto* button = static_cast<TButton*>(Add(*base, TButton::StaticClass()));
  auto child = NewRoot("Form2", "Form1");
  auto grandchild = NewRoot("Form3", "Form2");
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TButton::StaticClass());
  Add(*grandchild, frame->GetRoot()->ClassType());

  auto heard = fwtest::Listen();
  button->SetCaption("Go");
  button->SetLeft(40);
  base->Modified();
  EXPECT_EQ(heard->Lines,
            (std::vector<String>{"Modified Form1", "Modified Form2", "Modified Form3"}));
  EXPECT_EQ(static_cast<TButton*>(grandchild->GetComponent("Button1"))->Caption(), "Go");

  heard->Lines.clear();
  frame->Modified();
  EXPECT_EQ(heard->Lines, (std::vector<String>{"Modified Frame1", "Modified Form3"}));

  heard->Lines.clear();
  grandchild->Modified(); // nothing inherits from it
  EXPECT_EQ(heard->Lines, std::vector<String>{"Modified Form3"});
}
