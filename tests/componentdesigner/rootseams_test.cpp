// The seams through which an update manager and a design surface attach to a module root.
#include "componentdesigner/componentroot.h"

#include "support/hostsession.h"
#include "tarn/stdctrls.h"

using namespace fw;

namespace {

std::vector<String> gLog;

String NameOf(TComponentRoot& root) { return root.GetRootName(); }

class TFakeManager : public TInterfacedObject, public IUpdateManager {
  FW_CLASS(TFakeManager)
public:
  TFakeManager(TComponent* component, TComponent* ancestorRoot, IPtr<IUpdateManager> ancestor,
               IPtr<IUpdateManagerCallback> notifier)
      : Component(component), AncestorRoot(ancestorRoot), Ancestor(std::move(ancestor)),
        Notifier(std::move(notifier)) {}
  bool CanRevert(TPersistent* instance, PPropInfo) override { return instance == Revertible; }
  TComponent* GetComponent() override { return Component; }
  TComponent* GetAncestor() override { return AncestorRoot; }
  bool GetHasDescendents() override { return false; }
  bool GetIsDescendent() override { return AncestorRoot != nullptr; }
  void Modified() override { gLog.push_back("Modified " + Component->Name()); }
  bool NameExists(const String& name) override { return SameText(name, TakenName); }
  void Notification(TPersistent*, TOperation) override {}
  void RenameComponent(const String&, const String&) override {}
  void RenameDescendents(const String&, const String&) override {}
  void Revert(TPersistent*, PPropInfo propInfo) override {
    gLog.push_back("Revert " + propInfo->Name);
  }
  void Update() override { gLog.push_back("Update " + Component->Name()); }

  TComponent* Component;
  TComponent* AncestorRoot;
  IPtr<IUpdateManager> Ancestor;
  IPtr<IUpdateManagerCallback> Notifier;
  TPersistent* Revertible = nullptr;
  String TakenName;
};

TClass TFakeManager::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFakeManager, TInterfacedObject>("TFakeManager", "SeamTest")
          .Implements<IUpdateManager>()
          .Build();
  return cls;
}

class TFakeSurface : public TInterfacedObject, public IRootSurface {
  FW_CLASS(TFakeSurface)
public:
  explicit TFakeSurface(TComponentRoot& root) : Root(root) {}
  void NotificationsStarting() override { gLog.push_back("Starting"); }
  void NotificationsDone() override { gLog.push_back("Done"); }
  void SetActive(bool active) override { gLog.push_back(active ? "Active" : "Inactive"); }
  void SetOptions(const TDesignSurfaceOptions& o) override {
    gLog.push_back("Options " + std::to_string(o.GridSize.X) + (o.DisplayGrid ? " grid" : ""));
  }
  void SetGrid(TPoint size, bool snap, bool) override {
    gLog.push_back("Grid " + std::to_string(size.Y) + (snap ? " snap" : ""));
  }
  void SetControlsLocked(bool locked) override { gLog.push_back(locked ? "Locked" : "Unlocked"); }
  void Modified() override { gLog.push_back("Surface modified"); }
  void GoingDormant() override { gLog.push_back("GoingDormant"); }
  void Hide() override { gLog.push_back("Hide"); }
  void Show() override { gLog.push_back("Show"); }
  void Close() override { gLog.push_back("Close " + NameOf(Root)); }
  IPtr<ISurfaceDesigner> GetSurfaceDesigner() override { return nullptr; }
  TComponentRoot& Root;
};

TClass TFakeSurface::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFakeSurface, TInterfacedObject>("TFakeSurface", "SeamTest")
          .Implements<IRootSurface>()
          .Build();
  return cls;
}

/// Also a design window, to hear the designer hide and show its windows.
class TOpenedLog : public TInterfacedObject, public IDesignWindow {
  FW_CLASS(TOpenedLog)
public:
  void ItemDeleted(const IPtr<IDesigner>&, TPersistent*) override {}
  void ItemInserted(const IPtr<IDesigner>&, TPersistent*) override {}
  void ItemsModified(const IPtr<IDesigner>&) override {}
  void SelectionChanged(const IPtr<IDesigner>&, const IPtr<IDesignerSelections>&) override {}
  void DesignerOpened(const IPtr<IDesigner>&, bool) override { gLog.push_back("Opened"); }
  void DesignerClosed(const IPtr<IDesigner>&, bool) override { gLog.push_back("Closed"); }
  void WindowHide() override { gLog.push_back("Window hide"); }
  void WindowShow() override { gLog.push_back("Window show"); }
};

TClass TOpenedLog::StaticClass() {
  static const TClass cls = TClassBuilder<TOpenedLog, TInterfacedObject>("TOpenedLog", "SeamTest")
                                .Implements<IDesignNotification, IDesignWindow>()
                                .Build();
  return cls;
}

/// The host session with no update manager or surface but those a case installs.
class RootSeams : public fwtest::HostSession {
protected:
  void SetUp() override {
    gLog.clear();
    HostSession::SetUp();
    CreateUpdateManagerProc = nullptr;
    Env = static_cast<THostDesignEnvironment*>(Designer->GetEnvironment().get());
  }
  void TearDown() override {
    CreateUpdateManagerProc = nullptr;
    CreateRootSurfaceProc = nullptr;
    HostSession::TearDown();
  }
  static TFakeManager* ManagerOf(THostComponentRoot& root) {
    return static_cast<TFakeManager*>(root.GetUpdateManager().get());
  }
  THostDesignEnvironment* Env = nullptr;
};

IPtr<IUpdateManager> MakeManager(TComponent* component, TComponent* ancestor,
                                 const IPtr<IUpdateManager>& ancestorManager,
                                 const IPtr<IUpdateManagerCallback>& notifier) {
  return IPtr<IUpdateManager>(New<TFakeManager>(component, ancestor, ancestorManager, notifier));
}

IPtr<IRootSurface> MakeSurface(TComponentRoot& root) {
  return IPtr<IRootSurface>(New<TFakeSurface>(root));
}

} // namespace

TEST_F(RootSeams, UpdateManagersAreMadePerLiveModuleAndHearItsChanges) {
  CreateUpdateManagerProc = &MakeManager;
  auto base = NewRoot("Form1");
  TFakeManager* baseManager = ManagerOf(*base);
  ASSERT_NE(baseManager, nullptr);
  EXPECT_FALSE(baseManager->Ancestor);
  EXPECT_EQ(baseManager->AncestorRoot, nullptr);

  auto derived = NewRoot("Form2", "Form1");
  TFakeManager* derivedManager = ManagerOf(*derived);
  EXPECT_EQ(derivedManager->Ancestor.get(), static_cast<IUpdateManager*>(baseManager));
  EXPECT_EQ(derivedManager->AncestorRoot, base->GetRoot());
  EXPECT_EQ(derivedManager->Notifier.get(), static_cast<IUpdateManagerCallback*>(derived.get()));
  // Names taken in a descendant module are not handed out.
  derivedManager->TakenName = "Button1";
  EXPECT_EQ(derived->UniqueName("TButton"), "Button2");

  gLog.clear();
  base->Modified();
  base->GetRootStream();
  EXPECT_EQ(gLog, (std::vector<String>{"Modified Form1", "Update Form1"}));

  // Another manager's update of this module reaches its own manager; its own does not.
  gLog.clear();
  derived->Updating(IPtr<IUpdateManager>(baseManager));
  derived->Updated(IPtr<IUpdateManager>(baseManager));
  derived->Updating(derived->GetUpdateManager());
  derived->Updated(derived->GetUpdateManager());
  EXPECT_EQ(gLog, std::vector<String>{"Modified Form2"});

  // Revert goes through the manager that can; the module is then modified.
  auto* button = derived->CreateComponent(TButton::StaticClass(), derived->GetRoot(), 0, 0, 0, 0);
  derivedManager->Revertible = button;
  PPropInfo caption = GetPropInfo(button, "Caption");
  ASSERT_NE(caption, nullptr);
  gLog.clear();
  EXPECT_TRUE(derived->CanRevert(button, caption));
  EXPECT_FALSE(derived->CanRevert(derived->GetRoot(), caption));
  derived->Revert(button, caption);
  EXPECT_EQ(gLog, (std::vector<String>{"Revert Caption", "Modified Form2"}));
  derived->Revert(derived->GetRoot(), caption); // nobody can: nothing changes
  EXPECT_EQ(gLog.size(), 2u);

  // Reverting the selection does it for each property, modifying the module once and telling
  // no update manager about its own reversal.
  derived->SelectComponent(button);
  gLog.clear();
  derived->Command(dmRevert);
  EXPECT_GT(std::count(gLog.begin(), gLog.end(), "Revert Caption"), 0);
  EXPECT_EQ(std::count(gLog.begin(), gLog.end(), "Modified Form2"), 0);

  // Dormancy drops the manager; waking makes a new one.
  derived->GoDormant();
  EXPECT_FALSE(derived->GetUpdateManager());
  derived->Resurrect();
  EXPECT_TRUE(derived->GetUpdateManager());
}

TEST_F(RootSeams, RootsWorkWithoutUpdateManagerOrSurface) {
  auto root = NewRoot("Form1");
  EXPECT_FALSE(root->GetUpdateManager());
  EXPECT_FALSE(root->Surface());
  root->Modified();
  root->SetActive(true);
  Designer->DesignerOptionsChanged();
  Designer->HideWindows();
  root->GoDormant();
  root->Resurrect();
  EXPECT_NE(root->GetRoot(), nullptr);
  EXPECT_FALSE(root->CanRevert(root->GetRoot(), GetPropInfo(root->GetRoot(), "Caption")));
}

TEST_F(RootSeams, SurfaceBracketsTheOpeningAndFollowsOptionsLocksAndWindows) {
  CreateRootSurfaceProc = &MakeSurface;
  auto listener = IPtr<IDesignNotification>(New<TOpenedLog>());
  RegisterDesignNotification(listener);
  Env->Options.GridSizeX = 4;
  Env->Options.GridSizeY = 6;
  auto root = NewRoot("Form1");
  ASSERT_TRUE(root->Surface());
  EXPECT_EQ(gLog,
            (std::vector<String>{"Starting", "Opened", "Done", "Grid 6 snap", "Options 4 grid"}));

  gLog.clear();
  root->SetActive(true);
  Designer->SetControlsLocked(true);
  root->SetActive(true); // locked controls keep the surface inactive
  Designer->HideWindows();
  Designer->ShowWindows();
  Env->Options.DisplayGrid = false;
  Designer->DesignerOptionsChanged();
  EXPECT_EQ(gLog, (std::vector<String>{"Active", "Locked", "Inactive", "Window hide", "Hide",
                                       "Window show", "Show", "Grid 6 snap", "Options 4"}));

  gLog.clear();
  root->GoDormant();
  EXPECT_EQ(gLog, (std::vector<String>{"GoingDormant", "Closed", "Close Form1"}));
  root->Resurrect();
  gLog.clear();
  root->Close();
  EXPECT_EQ(gLog, (std::vector<String>{"Closed", "Close Form1"}));
  UnregisterDesignNotification(listener);
}
