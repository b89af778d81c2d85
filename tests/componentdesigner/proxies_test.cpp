#include "componentdesigner/proxies.h"

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

struct THeard {
  String AsClass;
  TComponent* Component;
  TOperation Op;
};

/// A component that records how it is told things and under which class.
class TProbe : public TComponent {
  FW_CLASS(TProbe)
public:
  explicit TProbe(TComponent* owner) : TComponent(owner) {}
  void BeforeDestruction() override {
    if (DestroyLog) DestroyLog->push_back(ClassName());
    TComponent::BeforeDestruction();
  }
  void Notification(TComponent* component, TOperation op) override {
    Heard.push_back({ClassName(), component, op});
    if (Raise) throw EComponentError("refused");
    TComponent::Notification(component, op);
  }
  void Clicked(TObject*) {}
  Integer FValue = 0;
  bool Raise = false;
  std::vector<THeard> Heard;
  std::vector<String>* DestroyLog = nullptr;
};

class TWideProbe : public TProbe {
  FW_CLASS(TWideProbe)
public:
  using TProbe::TProbe;
  Integer FMore = 0;
};

TClass TProbe::StaticClass() {
  static const TClass cls = TClassBuilder<TProbe, TComponent>("TProbe", "ProbeUnit")
                                .Property("Value", &TProbe::FValue, &TProbe::FValue)
                                .Method<&TProbe::Clicked>("Clicked")
                                .Build();
  return cls;
}

TClass TWideProbe::StaticClass() {
  static const TClass cls = TClassBuilder<TWideProbe, TProbe>("TWideProbe", "ProbeUnit").Build();
  return cls;
}

void* Code(std::uintptr_t n) { return reinterpret_cast<void*>(n); }
std::uint32_t Number(void* code) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code));
}

// Every case must leave no proxy and no code number behind.
class Proxies : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(ProxyClassCount(), 0u);
    ASSERT_EQ(ProxyCodeNumbers().Count(), 0u);
  }
  void TearDown() override {
    EXPECT_EQ(ProxyClassCount(), 0u);
    EXPECT_EQ(ProxyCodeNumbers().Count(), 0u);
  }
  TProbe* Probe(TComponent* owner = nullptr) { return New<TProbe>(owner); }
};

TEST_F(Proxies, SubClassDescribesTheDesignedClassKeepsInstanceDataAndRenames) {
  TProbe* form = Probe();
  form->FValue = 42;
  std::vector<String> log;
  form->DestroyLog = &log;
  TClass cls = CreateSubClass(form, "TForm1", "Unit1", TProbe::StaticClass());

  EXPECT_EQ(form->ClassType(), cls);
  EXPECT_EQ(form->ClassName(), "TForm1");
  EXPECT_EQ(cls->UnitName, "Unit1");
  EXPECT_EQ(cls->Parent, TProbe::StaticClass());
  EXPECT_TRUE(form->InheritsFrom(TComponent::StaticClass()));
  const TTypeInfo* t = cls->TypeInfo;
  EXPECT_EQ(t->Kind, kindClass);
  EXPECT_EQ(t->Name, "TForm1");
  EXPECT_EQ(t->Data.ClassType, cls);
  EXPECT_EQ(t->Data.ParentInfo, TProbe::StaticClass()->TypeInfo);
  EXPECT_EQ(t->Data.PropCount, TProbe::StaticClass()->TypeInfo->Data.PropCount);
  EXPECT_EQ(t->Data.UnitName, "Unit1");
  EXPECT_TRUE(t->Data.OwnProps.empty());
  // The inherited description still works on the switched instance.
  EXPECT_EQ(GetOrdProp(form, "Value"), 42);
  EXPECT_NE(form->MethodAddress("clicked"), nullptr);
  EXPECT_TRUE(Supports<IInterfaceComponentReference>(form));
  EXPECT_FALSE(cls->CanCreate<TComponent*>());
  EXPECT_TRUE(IsProxyClass(cls));
  EXPECT_FALSE(IsProxyClass(TProbe::StaticClass()));
  EXPECT_FALSE(IsProxyClass(nullptr));

  RenameSubClass(form, "TMainForm"); // without a unit name the unit stays
  EXPECT_EQ(cls->ClassName, "TMainForm");
  EXPECT_EQ(t->Name, "TMainForm");
  EXPECT_EQ(cls->UnitName, "Unit1");
  EXPECT_EQ(t->Data.UnitName, "Unit1");
  RenameSubClass(form, "TMainForm", "Main");
  EXPECT_EQ(cls->UnitName, "Main");
  EXPECT_EQ(t->Data.UnitName, "Main");

  form->Free(); // the previous class is back before destruction starts
  EXPECT_EQ(log, std::vector<String>{"TProbe"});
  EXPECT_FALSE(IsProxyClass(cls));

  TOwned<TProbe> other(Probe());
  TClass noUnit = CreateSubClass(other.get(), "TDataModule2", TProbe::StaticClass());
  EXPECT_EQ(noUnit->UnitName, "");
  // Any object can be switched; only components hear notifications.
  TOwned<TPersistent> plain(New<TPersistent>());
  TClass persistentProxy = CreateSubClass(plain.get(), "TMyPersistent", TPersistent::StaticClass());
  EXPECT_EQ(persistentProxy->Notification, nullptr);
  EXPECT_NE(noUnit->Notification, nullptr);
}

TEST_F(Proxies, MethodTableTakesItsLimitAndRefusesOneMore) {
  TOwned<TProbe> form(Probe());
  CreateSubClass(form.get(), "TForm1", TProbe::StaticClass());
  for (std::size_t i = 0; i < MaxProxyMethods; ++i)
    CreateSubClassMethod(form.get(), "M" + std::to_string(i));
  const std::vector<Byte> table = ProxyMethodTable(form->ClassType());
  ASSERT_GE(table.size(), 2u);
  EXPECT_EQ(table[0] | table[1] << 8, static_cast<int>(MaxProxyMethods)); // the count is full
  EXPECT_EQ(fwtest::MessageOf<EInvalidOperation>([&] { CreateSubClassMethod(form.get(), "One"); }),
            "Class TForm1 cannot hold more than 65535 methods");
  // A name it holds is still found, and a freed entry makes room again.
  void* first = CreateSubClassMethod(form.get(), "M0");
  EXPECT_EQ(first, form->MethodAddress("M0"));
  DestroySubClassMethod(form.get(), first);
  EXPECT_NE(CreateSubClassMethod(form.get(), "One"), nullptr);
}

TEST_F(Proxies, BadInstancesAreRefusedWithoutSideEffects) {
  TOwned<TProbe> probe(Probe());
  EXPECT_THROW(CreateSubClass(nullptr, "TForm1", TProbe::StaticClass()), EInvalidOperation);
  EXPECT_THROW(CreateSubClass(probe.get(), "TForm1", nullptr), EInvalidOperation);
  EXPECT_THROW(CreateSubClass(probe.get(), "TForm1", TWideProbe::StaticClass()), EInvalidOperation);
  EXPECT_EQ(probe->ClassType(), TProbe::StaticClass());
  EXPECT_EQ(ProxyClassCount(), 0u);

  // Operations on an ordinary class do nothing, look-ups act on the class as it is.
  EXPECT_EQ(CreateSubClassMethod(probe.get(), "NewHandler"), nullptr);
  EXPECT_EQ(CreateSubClassMethod(probe.get(), "Clicked"), probe->MethodAddress("Clicked"));
  RenameSubClassMethod(probe.get(), probe->MethodAddress("Clicked"), "Renamed");
  DestroySubClassMethod(probe.get(), probe->MethodAddress("Clicked"));
  RenameSubClass(probe.get(), "TOther", "Other");
  DestroySubClass(probe.get());
  EXPECT_NE(probe->MethodAddress("Clicked"), nullptr);
  EXPECT_EQ(probe->ClassName(), "TProbe");
  EXPECT_EQ(ProxyCodeNumbers().Count(), 0u);
}

TEST_F(Proxies, MethodsTakeTheLowestFreeCodeNumberPackageWide) {
  TProbe* form1 = Probe();
  TOwned<TProbe> form2(Probe());
  CreateSubClass(form1, "TForm1", "Unit1", TProbe::StaticClass());
  CreateSubClass(form2.get(), "TForm2", "Unit2", TProbe::StaticClass());

  void* click = CreateSubClassMethod(form1, "Button1Click");
  EXPECT_EQ(click, Code(1));
  EXPECT_EQ(CreateSubClassMethod(form1, "Button2Click"), Code(2));
  EXPECT_EQ(CreateSubClassMethod(form1, "BUTTON1CLICK"), click);
  EXPECT_EQ(form1->ClassType()->Methods.Count(), 2u);
  EXPECT_EQ(CreateSubClassMethod(form2.get(), "FormCreate"), Code(3));
  // Inherited methods are answered, not duplicated.
  EXPECT_EQ(CreateSubClassMethod(form2.get(), "Clicked"), form2->MethodAddress("Clicked"));
  // An address identifies one handler of one module.
  EXPECT_EQ(form1->MethodName(click), "Button1Click");
  EXPECT_EQ(form2->MethodName(click), "");

  // A removed method keeps its number until its class goes.
  DestroySubClassMethod(form1, Code(2));
  DestroySubClassMethod(form1, Code(999)); // unknown: nothing happens
  EXPECT_EQ(form1->MethodAddress("Button2Click"), nullptr);
  EXPECT_EQ(form1->ClassType()->Methods.Count(), 1u);
  EXPECT_EQ(CreateSubClassMethod(form2.get(), "FormShow"), Code(4));

  form1->Free();
  EXPECT_FALSE(ProxyCodeNumbers().InUse(1));
  EXPECT_EQ(CreateSubClassMethod(form2.get(), "FormHide"), Code(1));
  EXPECT_EQ(CreateSubClassMethod(form2.get(), "FormPaint"), Code(2));
  EXPECT_EQ(CreateSubClassMethod(form2.get(), "FormResize"), Code(5));
}

TEST_F(Proxies, MethodTableHasThePublishedTableLayout) {
  TOwned<TProbe> form(Probe());
  TClass cls = CreateSubClass(form.get(), "TForm1", TProbe::StaticClass());
  EXPECT_EQ(ProxyMethodTable(cls), (std::vector<Byte>{0, 0}));
  EXPECT_TRUE(ProxyMethodTable(TProbe::StaticClass()).empty());

  void* click = CreateSubClassMethod(form.get(), "Button1Click");
  void* go = CreateSubClassMethod(form.get(), "Go");
  RenameSubClassMethod(form.get(), click, "OK"); // moves to the end, same address
  RenameSubClassMethod(form.get(), Code(77), "Ghost");
  EXPECT_EQ(ProxyMethodTable(cls), (std::vector<Byte>{2, 0,                          //
                                                      9, 0, 2, 0, 0, 0, 2, 'G', 'o', //
                                                      9, 0, 1, 0, 0, 0, 2, 'O', 'K'}));
  EXPECT_EQ(form->MethodAddress("Button1Click"), nullptr);
  EXPECT_EQ(form->MethodAddress("ok"), click);
  EXPECT_EQ(form->MethodName(go), "Go");

  DestroySubClassMethod(form.get(), click);
  DestroySubClassMethod(form.get(), go);
  EXPECT_EQ(ProxyMethodTable(cls), (std::vector<Byte>{0, 0}));

  // Names are short strings: cut at 255 bytes, never inside a character.
  const String longName = String(254, 'a') + "\xC3\xA9"; // 256 bytes, last character 2 bytes
  void* code = CreateSubClassMethod(form.get(), longName);
  EXPECT_EQ(form->MethodName(code), String(254, 'a'));
  RenameSubClass(form.get(), String(300, 'T'));
  EXPECT_EQ(form->ClassName().size(), 255u);
}

TEST_F(Proxies, SharedAndDerivedProxiesAreCounted) {
  // A frame module's class, shared by a nested instance, and a module inheriting from it.
  TProbe* frame = Probe();
  TClass frameClass = CreateSubClass(frame, "TFrame1", "Frame1", TProbe::StaticClass());
  void* handler = CreateSubClassMethod(frame, "FrameClick");
  TProbe* nested = Probe();
  ASSERT_TRUE(ChangeToProxyClass(nested, frameClass));
  TProbe* derived = Probe();
  TClass derivedClass = CreateSubClass(derived, "TFrame2", "Frame2", frameClass);
  EXPECT_TRUE(derived->InheritsFrom(frameClass));
  EXPECT_EQ(derived->MethodName(handler), "FrameClick");
  // A method of the ancestor is not added again to the descendant.
  EXPECT_EQ(CreateSubClassMethod(derived, "frameclick"), handler);

  frame->Free();
  EXPECT_TRUE(IsProxyClass(frameClass));
  EXPECT_EQ(nested->ClassType(), frameClass);
  nested->Free();
  EXPECT_TRUE(IsProxyClass(frameClass)); // still held by its descendant
  EXPECT_TRUE(ProxyCodeNumbers().InUse(Number(handler)));
  EXPECT_EQ(derived->MethodName(handler), "FrameClick");
  std::vector<String> log;
  derived->DestroyLog = &log;
  derived->Free();
  EXPECT_EQ(log, std::vector<String>{"TProbe"});
  EXPECT_FALSE(IsProxyClass(derivedClass));
  EXPECT_FALSE(IsProxyClass(frameClass));
}

TEST_F(Proxies, DescendantsGoFirstOrWithTheirInstance) {
  TProbe* ancestor = Probe();
  TClass base = CreateSubClass(ancestor, "TForm1", TProbe::StaticClass());
  TProbe* descendant = Probe();
  TClass derived = CreateSubClass(descendant, "TForm2", base);
  DestroySubClass(descendant); // leaves the ancestor with its instance
  EXPECT_EQ(descendant->ClassType(), TProbe::StaticClass());
  EXPECT_FALSE(IsProxyClass(derived));
  EXPECT_TRUE(IsProxyClass(base));
  descendant->Free();

  // An instance made a proxy of its own proxy class holds both until it is freed.
  TClass second = CreateSubClass(ancestor, "TForm2", base);
  EXPECT_EQ(ancestor->ClassName(), "TForm2");
  std::vector<String> log;
  ancestor->DestroyLog = &log;
  ancestor->Free();
  EXPECT_EQ(log, std::vector<String>{"TProbe"});
  EXPECT_FALSE(IsProxyClass(base));
  EXPECT_FALSE(IsProxyClass(second));
}

TEST_F(Proxies, ChangeToProxyClassRefusesWhatIsNotADescendant) {
  TProbe* form = Probe();
  TClass proxy = CreateSubClass(form, "TForm1", TProbe::StaticClass());
  TOwned<TComponent> plain(New<TComponent>(nullptr));
  TOwned<TWideProbe> wide(New<TWideProbe>(nullptr));
  TOwned<TProbe> probe(Probe());
  TOwned<TProbe> unrelated(Probe());
  TClass other = CreateSubClass(unrelated.get(), "TForm2", TProbe::StaticClass());

  EXPECT_FALSE(ChangeToProxyClass(plain.get(), proxy)); // a descendant, other layout
  EXPECT_FALSE(ChangeToProxyClass(wide.get(), proxy));  // not a descendant
  EXPECT_FALSE(ChangeToProxyClass(probe.get(), TWideProbe::StaticClass())); // not a proxy
  EXPECT_FALSE(ChangeToProxyClass(unrelated.get(), proxy));                 // sibling proxy
  EXPECT_FALSE(ChangeToProxyClass(nullptr, proxy));
  EXPECT_EQ(plain->ClassType(), TComponent::StaticClass());
  EXPECT_EQ(wide->ClassType(), TWideProbe::StaticClass());
  EXPECT_EQ(probe->ClassType(), TProbe::StaticClass());
  EXPECT_EQ(unrelated->ClassType(), other);
  // No reference was taken: the one instance still holds the only one.
  form->Free();
  EXPECT_FALSE(IsProxyClass(proxy));
}

TEST_F(Proxies, NotificationsRunUnderThePreviousClass) {
  TOwned<TProbe> root(Probe());
  CreateSubClass(root.get(), "TForm1", TProbe::StaticClass());
  TProbe* child = Probe(root.get());
  ASSERT_EQ(root->Heard.size(), 1u);
  EXPECT_EQ(root->Heard[0].AsClass, "TProbe");
  EXPECT_EQ(root->Heard[0].Component, child);
  EXPECT_EQ(root->ClassName(), "TForm1");

  root->Raise = true;
  EXPECT_THROW(TComponent::SendNotification(root.get(), child, notifyInsert), EComponentError);
  EXPECT_EQ(root->ClassName(), "TForm1"); // restored on the way out
  root->Raise = false;
}

TEST_F(Proxies, InlineInstanceForwardsNewsOfItsOwnPartsToItsOwner) {
  TOwned<TProbe> form(Probe());
  TProbe* sibling = Probe(form.get());
  TProbe* frame = Probe(form.get());
  frame->SetInline(true);
  CreateSubClass(frame, "TFrame1", TProbe::StaticClass());
  TProbe* inner = Probe(frame);
  // Inserting into the frame reaches the form, which tells everything it owns.
  ASSERT_EQ(form->Heard.size(), 3u);
  EXPECT_EQ(form->Heard[2].Component, inner);
  ASSERT_FALSE(sibling->Heard.empty());
  EXPECT_EQ(sibling->Heard.back().Component, inner);
  ASSERT_FALSE(frame->Heard.empty());
  EXPECT_EQ(frame->Heard.back().Component, inner);
  EXPECT_EQ(frame->Heard.back().AsClass, "TProbe");
  EXPECT_EQ(frame->ClassName(), "TFrame1");

  // News of an outside component stays with the frame: the form's other parts hear it once.
  const std::size_t siblingBefore = sibling->Heard.size();
  TProbe* outside = Probe(form.get());
  EXPECT_EQ(sibling->Heard.size(), siblingBefore + 1);
  EXPECT_EQ(frame->Heard.back().Component, outside);
  EXPECT_EQ(frame->Heard.back().AsClass, "TProbe");
}

TEST_F(Proxies, OwnedInstanceThatIsNotInlineHandsEverythingToItsOwner) {
  TOwned<TProbe> host(Probe());
  TProbe* module = Probe(host.get());
  CreateSubClass(module, "TDataModule1", TProbe::StaticClass());
  const std::size_t hostBefore = host->Heard.size();
  TProbe* part = Probe(module);
  ASSERT_EQ(host->Heard.size(), hostBefore + 1);
  EXPECT_EQ(host->Heard.back().Component, part);
  ASSERT_FALSE(module->Heard.empty());
  EXPECT_EQ(module->Heard.back().Component, part); // through the host's fan-out
  EXPECT_EQ(module->Heard.back().AsClass, "TProbe");
}

} // namespace
