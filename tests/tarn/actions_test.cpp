#include "tarn/actions.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "tarn/forms.h"
#include "tarn/imglist.h"
#include "tarn/mainmenu.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

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
  save->SetCaption("&Save");
  save->SetCategory("File");
  save->SetShortCut(TextToShortCut("Ctrl+S"));
  save->SetEnabled(false);
  save->SetImageIndex(3);

  const String text = fwtest::WriteFormText(host.get());
  EXPECT_EQ(Missing(text, {"Images = Images", "ShortCut = 16467", "Enabled = False"}), "") << text;
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
  EXPECT_EQ(save2->ShortCut(), TextToShortCut("Ctrl+S"));
  EXPECT_FALSE(save2->Enabled());
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

namespace {

int gExecuted = 0;
int gClicked = 0;

template <class E> void Bind(E& event, void (*fn)(void*, TObject*)) {
  event.Code = reinterpret_cast<void*>(fn);
  event.Data = nullptr;
}

} // namespace

TEST_F(ActionList, ClientsFollowTheirActionStreamItByNameAndForgetItWhenFreed) {
  TOwned<TForm> form(New<TForm>(nullptr));
  form->SetName("Host");
  auto* list = Named<TActionList>(form.get(), "ActionList1");
  auto* save = Named<TAction>(form.get(), "FileSave");
  save->SetActionList(list);
  save->SetCaption("&Save");
  save->SetHint("Save|Saves the file");
  save->SetShortCut(TextToShortCut("Ctrl+S"));
  save->SetEnabled(false);
  auto* button = Named<TButton>(form.get(), "SaveButton");
  button->SetParent(form.get());
  auto* menu = Named<TMainMenu>(form.get(), "MainMenu1");
  auto* item = Named<TMenuItem>(form.get(), "Save1");
  menu->Items()->Add(item);

  button->SetAction(save);
  item->SetAction(save);
  EXPECT_EQ(save->ClientCount(), 2);
  EXPECT_EQ(button->Caption(), "&Save");
  EXPECT_FALSE(button->Enabled());
  EXPECT_EQ(button->Hint(), "Save|Saves the file");
  EXPECT_EQ(item->ShortCut(), TextToShortCut("Ctrl+S"));

  // Later changes of the action reach every client.
  save->SetCaption("Save &As");
  save->SetEnabled(true);
  save->SetVisible(false);
  save->SetShortCut(TextToShortCut("Ctrl+Shift+S"));
  save->SetChecked(true);
  EXPECT_EQ(button->Caption(), "Save &As");
  EXPECT_TRUE(button->Enabled());
  EXPECT_FALSE(button->Visible());
  EXPECT_EQ(item->Caption(), "Save &As");
  EXPECT_FALSE(item->Visible());
  EXPECT_TRUE(item->Checked());
  EXPECT_EQ(item->ShortCut(), TextToShortCut("Ctrl+Shift+S"));
  save->SetVisible(true);

  // A click runs the action unless the client has a handler of its own.
  gExecuted = gClicked = 0;
  Bind(save->OnExecute, [](void*, TObject* sender) {
    ++gExecuted;
    EXPECT_EQ(static_cast<TBasicAction*>(sender)->ActionComponent->Name(), "SaveButton");
  });
  button->Click();
  EXPECT_EQ(gExecuted, 1);
  button->OnClick = save->OnExecute; // the action's own handler still goes through the action
  button->Click();
  EXPECT_EQ(gExecuted, 2);
  Bind(button->OnClick, [](void*, TObject*) { ++gClicked; });
  button->Click();
  EXPECT_EQ(gExecuted, 2);
  EXPECT_EQ(gClicked, 1);
  button->OnClick = {};
  save->OnExecute = {};

  // The reference streams by name; what the action supplies is not stored on the client.
  const String text = fwtest::WriteFormText(form.get());
  EXPECT_NE(text.find("Action = FileSave"), String::npos) << text;
  const auto buttonPart = text.substr(text.find("object SaveButton"));
  EXPECT_EQ(buttonPart.substr(0, buttonPart.find("end")).find("Caption"), String::npos) << text;
  TOwned<TForm> copy(New<TForm>(nullptr));
  fwtest::ReadFormText(text, copy.get());
  auto* button2 = static_cast<TButton*>(copy->FindComponent("SaveButton"));
  auto* item2 = static_cast<TMenuItem*>(copy->FindComponent("Save1"));
  EXPECT_EQ(button2->Action(), copy->FindComponent("FileSave"));
  EXPECT_EQ(item2->Action(), copy->FindComponent("FileSave"));
  EXPECT_EQ(button2->Caption(), "Save &As");
  EXPECT_EQ(item2->ShortCut(), TextToShortCut("Ctrl+Shift+S"));
  EXPECT_EQ(fwtest::WriteFormText(copy.get()), text);

  // A value of the client's own survives loading; freeing the action clears the references.
  button->SetCaption("Keep");
  const String own = fwtest::WriteFormText(form.get());
  TOwned<TForm> third(New<TForm>(nullptr));
  fwtest::ReadFormText(own, third.get());
  EXPECT_EQ(static_cast<TButton*>(third->FindComponent("SaveButton"))->Caption(), "Keep");
  save->Free();
  EXPECT_EQ(button->Action(), nullptr);
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(button->Caption(), "Keep");
  button->Click(); // nothing to run, nothing to crash
  const String after = fwtest::WriteFormText(form.get());
  EXPECT_EQ(after.find("Action ="), String::npos) << after;
  EXPECT_NE(after.find("Caption = 'Save &As'"), String::npos) << after;
}
