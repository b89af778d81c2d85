#include "tarn/actions.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "tarn/imglist.h"
#include "tarn/standardcontrols.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

class TActionHost : public TComponent {
  FW_CLASS(TActionHost)
public:
  using TComponent::TComponent;
  void GetChildren(const TGetChildProc& proc, TComponent*) override {
    for (TComponent* c : ComponentList())
      if (!c->HasParent()) proc(c);
  }
};

TClass TActionHost::StaticClass() {
  static const TClass cls = TClassBuilder<TActionHost, TComponent>("TActionHost", "Tests").Build();
  return cls;
}

class ActionList : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterStandardControls();
    RegisterClass(TActionHost::StaticClass());
  }
  void TearDown() override {
    UnRegisterClass(TActionHost::StaticClass());
    UnregisterStandardControls();
  }
};

template <class T> T* Named(TComponent* owner, const char* name) {
  auto* c = New<T>(owner);
  c->SetName(name);
  return c;
}

} // namespace

TEST_F(ActionList, KeepsOrderAndForgetsFreedActionsAndImages) {
  TOwned<TActionHost> host(New<TActionHost>(nullptr));
  auto* list = Named<TActionList>(host.get(), "ActionList1");
  auto* a = Named<TAction>(host.get(), "A");
  auto* b = Named<TAction>(host.get(), "B");
  auto* c = Named<TAction>(host.get(), "C");
  int changes = 0;
  list->OnChange = [&](TObject*) { ++changes; };
  for (auto* x : {a, b, c})
    x->SetActionList(list);
  EXPECT_EQ(changes, 3);
  c->SetIndex(0);
  EXPECT_EQ(list->Actions(0), c);
  EXPECT_EQ(a->GetIndex(), 1);
  c->SetIndex(99); // clamped
  EXPECT_EQ(list->Actions(2), c);
  b->Free();
  EXPECT_EQ(list->ActionCount(), 2);
  EXPECT_NE(MessageOf<EListError>([&] { list->Actions(2); }), "nothing raised");

  auto* images = Named<TImageList>(host.get(), "Images");
  list->SetImages(images);
  images->Free();
  EXPECT_EQ(list->GetImages(), nullptr);

  list->Free(); // frees its actions too
  EXPECT_EQ(host->ComponentCount(), 0);
}

TEST_F(ActionList, ActionsStreamAsChildrenOfTheirList) {
  TOwned<TActionHost> host(New<TActionHost>(nullptr));
  host->SetName("Host");
  auto* images = Named<TImageList>(host.get(), "Images");
  images->SetSize(24, 24);
  auto* list = Named<TActionList>(host.get(), "ActionList1");
  list->SetImages(images);
  auto* save = Named<TAction>(host.get(), "FileSave");
  auto* open = Named<TAction>(host.get(), "FileOpen");
  open->SetActionList(list);
  save->SetActionList(list);
  save->Caption = "&Save";
  save->SetCategory("File");
  save->ShortCut = TextToShortCut("Ctrl+S");
  save->Enabled = false;
  save->ImageIndex = 3;

  const String text = fwtest::WriteFormText(host.get());
  EXPECT_NE(text.find("Images = Images"), String::npos) << text;
  EXPECT_NE(text.find("ShortCut = 16467"), String::npos) << text;
  EXPECT_NE(text.find("Enabled = False"), String::npos) << text;
  EXPECT_LT(text.find("object FileOpen"), text.find("object FileSave")) << text;
  EXPECT_LT(text.find("object ActionList1"), text.find("object FileOpen")) << text;

  TOwned<TActionHost> copy(New<TActionHost>(nullptr));
  fwtest::ReadFormText(text, copy.get());
  auto* list2 = static_cast<TActionList*>(copy->FindComponent("ActionList1"));
  ASSERT_NE(list2, nullptr);
  ASSERT_EQ(list2->ActionCount(), 2);
  auto* save2 = static_cast<TAction*>(list2->Actions(1));
  EXPECT_EQ(save2->Name(), "FileSave");
  EXPECT_EQ(save2->GetCategory(), "File");
  EXPECT_EQ(save2->ShortCut, TextToShortCut("Ctrl+S"));
  EXPECT_FALSE(save2->Enabled);
  EXPECT_EQ(list2->GetImages(), copy->FindComponent("Images"));
  EXPECT_EQ(static_cast<TImageList*>(list2->GetImages())->GetWidth(), 24);
  EXPECT_EQ(fwtest::WriteFormText(copy.get()), text);
}

TEST(ActionHooks, ForwardWhenFilledAndRaiseWhenEmpty) {
  EXPECT_EQ(MessageOf<EActionError>([] { RegisterActions("File", {TAction::StaticClass()}); }),
            sInvalidActionRegistration);
  EXPECT_EQ(MessageOf<EActionError>([] { CreateAction(nullptr, TAction::StaticClass()); }),
            sInvalidActionCreation);
  static String seenCategory;
  static std::size_t seenCount = 0;
  RegisterActionsProc = [](const String& category, const std::vector<TClass>& classes, TClass) {
    seenCategory = category;
    seenCount = classes.size();
  };
  RegisterActions("Edit", {TAction::StaticClass(), TAction::StaticClass()});
  RegisterActionsProc = nullptr;
  EXPECT_EQ(seenCategory, "Edit");
  EXPECT_EQ(seenCount, 2u);
}
