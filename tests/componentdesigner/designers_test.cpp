#include "componentdesigner/designers.h"

#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "componentdesigner/designerevents.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "designeditors/editorregistry.h"
#include "host/designenvironment.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

/// A second custom module class, to tell registrations apart.
class TOtherModule : public TCustomModule {
  FW_CLASS(TOtherModule)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*, IPtr<IDesigner>>;
  using TCustomModule::TCustomModule;
  bool Nestable() override { return true; }
};

TClass TOtherModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOtherModule, TCustomModule>("TOtherModule", "DesignersTest").Build();
  return cls;
}

class TCounter : public TObject {
  FW_CLASS(TCounter)
public:
  void Heard(TObject*) { ++Count; }
  Integer Count = 0;
};

TClass TCounter::StaticClass() {
  static const TClass cls = TClassBuilder<TCounter, TObject>("TCounter", "DesignersTest").Build();
  return cls;
}

std::vector<Integer> gInitCalls;
void InitA(const IPtr<IDesignEnvironment>&) { gInitCalls.push_back(1); }
void InitB(const IPtr<IDesignEnvironment>&) { gInitCalls.push_back(2); }

class Designers_ : public ::testing::Test {
protected:
  void SetUp() override {
    DesignPackageStartup();
    Env = New<THostDesignEnvironment>();
  }
  void TearDown() override {
    for (auto& d : Made)
      Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(d));
    Made.clear();
    DesignPackageShutdown();
  }
  IPtr<IInternalComponentDesigners> Registry() {
    return QueryIntf<IInternalComponentDesigners>(Designers().get());
  }
  IPtr<THostComponentDesigner> MakeDesigner(const String& ext, bool registerIt = true) {
    IPtr<THostComponentDesigner> d(New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env), ext));
    if (registerIt) {
      Registry()->RegisterDesigner(IPtr<IComponentDesigner>(d));
      Made.push_back(d);
    }
    return d;
  }
  IPtr<THostDesignEnvironment> Env;
  std::vector<IPtr<THostComponentDesigner>> Made;
};

} // namespace

TEST(DesignersStartup, StructureTreeUnitRunsInsideTheDesignersLifetime) {
  static std::vector<String> log;
  log.clear();
  StructureTreeUnit = {[] { log.push_back(Designers() ? "start" : "start without registry"); },
                       [] { log.push_back(Designers() ? "stop" : "stop without registry"); }};
  DesignPackageStartup();
  DesignPackageShutdown();
  StructureTreeUnit = {};
  EXPECT_EQ(log, (std::vector<String>{"start", "stop"}));
}

TEST_F(Designers_, LaterBaseClassRegistrationWinsUntilItsGroupIsFreed) {
  auto d = MakeDesigner(".lyt");
  RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
  const Integer previous = CurrentGroup;
  const Integer group = NewEditorGroup();
  RegisterCustomModule(TForm::StaticClass(), TOtherModule::StaticClass());
  CurrentGroup = previous;
  EXPECT_EQ(d->FindCustomModuleClass("tform"), TOtherModule::StaticClass());
  EXPECT_TRUE(d->IsNestable("TForm"));
  FreeEditorGroup(group);
  EXPECT_EQ(d->FindCustomModuleClass("TForm"), TCustomModule::StaticClass());
  EXPECT_FALSE(d->IsNestable("TForm"));
  EXPECT_FALSE(d->IsNestable("TNothing"));

  EXPECT_TRUE(d->IsRootBaseClass("TFORM"));
  EXPECT_FALSE(d->IsRootBaseClass(""));
  EXPECT_EQ(d->FindBaseClass("tform"), "TForm");
  EXPECT_EQ(d->FindBaseClass("TUnknown"), "TForm");
  EXPECT_EQ(d->FindBaseClass(""), "TForm");
  // The environment sees each lookup first.
  EXPECT_NE(std::find(Env->Calls().begin(), Env->Calls().end(), "BeforeFindClass tform"),
            Env->Calls().end());

  // A designer of another framework does not own the class.
  auto other = MakeDesigner(".vrz");
  other->Accepts = [](TClass c) { return c->InheritsFrom(TDataModule::StaticClass()); };
  EXPECT_FALSE(other->IsRootBaseClass("TForm"));
  EXPECT_EQ(other->FindCustomModuleClass("TForm"), nullptr);
}

TEST_F(Designers_, NoIconClassesHideTheirInstancesAndNil) {
  EXPECT_TRUE(IsNoIconComponent(nullptr));
  TButton button(nullptr);
  TLabel label(nullptr);
  EXPECT_FALSE(IsNoIconComponent(&button));
  const Integer previous = CurrentGroup;
  const Integer group = NewEditorGroup();
  RegisterNoIcon({TWinControl::StaticClass()});
  CurrentGroup = previous;
  EXPECT_TRUE(IsNoIconComponent(&button)); // through its ancestor
  EXPECT_FALSE(IsNoIconComponent(&label));
  FreeEditorGroup(group);
  EXPECT_FALSE(IsNoIconComponent(&button));
}

TEST_F(Designers_, InitializersAreListedOnceAndCalledInRegistrationOrder) {
  gInitCalls.clear();
  const Integer a = RegisterInitializeDesigner(&InitA);
  const Integer b = RegisterInitializeDesigner(&InitB);
  EXPECT_EQ(RegisterInitializeDesigner(&InitA), a);
  EXPECT_EQ(b, a + 1);
  InitializeDesigners(IPtr<IDesignEnvironment>(Env));
  EXPECT_EQ(gInitCalls, (std::vector<Integer>{1, 2}));
}

TEST_F(Designers_, RegistryActivatesTheFirstDesignerAndFindsDesignersByExtension) {
  auto lyt = MakeDesigner(".lyt");
  auto vrz = MakeDesigner(".VRZ");
  auto kyt = MakeDesigner(".kyt");
  EXPECT_EQ(ActiveDesigner().get(), static_cast<IComponentDesigner*>(lyt.get()));
  EXPECT_EQ(Registry()->DesignerFromExtension(".vrz").get(),
            static_cast<IComponentDesigner*>(vrz.get()));
  EXPECT_FALSE(Registry()->DesignerFromExtension(".dfm"));
  EXPECT_EQ(Registry()->RegisteredExtensions(), (std::vector<String>{".lyt", ".VRZ", ".kyt"}));

  // Designers may leave while they are visited: the visit runs over a copy.
  std::vector<String> seen;
  Registry()->ForEachDesigner([&](const IPtr<IComponentDesigner>& d) {
    seen.push_back(d->GetExtension());
    Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(vrz));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<String>{".lyt", ".VRZ", ".kyt"}));
  EXPECT_EQ(Registry()->RegisteredExtensions(), (std::vector<String>{".lyt", ".kyt"}));

  TCounter listener;
  EvDesignerDeactivated->Add(HandlerOf<THandler, &TCounter::Heard>(&listener));
  Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(lyt));
  EXPECT_FALSE(ActiveDesigner()); // the active one left
  Registry()->ActivateDesigner(IPtr<IComponentDesigner>(kyt));
  Registry()->DeactivateDesigner();
  Registry()->DeactivateDesigner(); // nothing was active any more
  EXPECT_EQ(listener.Count, 1);
  EvDesignerDeactivated->Remove(HandlerOf<THandler, &TCounter::Heard>(&listener));
}
