// Forms, frames and menus as objects: references they hold, handlers, and the menu tree.
#include "basert/classbuilder.h"
#include "support/testutil.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/mainmenu.h"
#include "tarn/screen.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

TEST(Forms, ReferencesToFreedComponentsAreCleared) {
  TOwned<TForm> f(New<TForm>(nullptr));
  auto* panel = New<TPanel>(f.get());
  panel->SetParent(f.get());
  auto* edit = New<TEdit>(f.get());
  edit->SetParent(panel);
  auto* menu = New<TMainMenu>(f.get());
  f->SetMenu(menu);
  f->SetActiveControl(edit);
  EXPECT_EQ(GetParentForm(edit), f.get());

  // Only a visible, enabled control on this form can be active.
  TOwned<TForm> other(New<TForm>(nullptr));
  auto* stranger = New<TButton>(other.get());
  stranger->SetParent(other.get());
  EXPECT_EQ(fwtest::MessageOf<EInvalidOperation>([&] { f->SetActiveControl(stranger); }),
            "Cannot focus a disabled or invisible window");
  panel->SetEnabled(false);
  auto* second = New<TEdit>(f.get());
  second->SetParent(panel);
  EXPECT_THROW(f->SetActiveControl(second), EInvalidOperation);
  EXPECT_EQ(f->ActiveControl(), edit);

  menu->Free();
  EXPECT_EQ(f->Menu(), nullptr);
  panel->Free(); // frees the edit with it
  EXPECT_EQ(f->ActiveControl(), nullptr);
}

void Note(void* log, const char* what) { static_cast<std::vector<String>*>(log)->push_back(what); }

/// A form whose handlers are bound before it is complete, as a form read from its file has them.
struct TLoggedForm : TForm {
  FW_CLASS(TLoggedForm)
public:
  TLoggedForm(TComponent* owner, std::vector<String>* log, bool designing) : TForm(owner) {
    if (designing) SetDesigning(true);
    auto bind = [log](TNotifyEvent& e, void (*fn)(void*, TObject*)) {
      e.Code = reinterpret_cast<void*>(fn);
      e.Data = log;
    };
    bind(OnCreate, [](void* l, TObject*) { Note(l, "create"); });
    bind(OnShow, [](void* l, TObject*) { Note(l, "show"); });
    bind(OnHide, [](void* l, TObject*) { Note(l, "hide"); });
    bind(OnDestroy, [](void* l, TObject*) { Note(l, "destroy"); });
  }
};

TClass TLoggedForm::StaticClass() {
  static const TClass cls = TClassBuilder<TLoggedForm, TForm>("TLoggedForm", "Tests").Build();
  return cls;
}

TEST(Forms, HandlersRunOnlyOutsideTheDesigner) {
  std::vector<String> log;
  TOwned<TForm> designed(New<TLoggedForm>(nullptr, &log, true));
  designed->Show();
  designed.reset();
  EXPECT_TRUE(log.empty());

  TOwned<TForm> running(New<TLoggedForm>(nullptr, &log, false));
  EXPECT_FALSE(running->Visible());
  running->Show();
  running->Show();
  running->Close();
  running.reset();
  EXPECT_EQ(log, (std::vector<String>{"create", "show", "hide", "destroy"}));
}

TEST(Forms, FormsJoinTheScreenAndHandActivityOnWhenHiddenOrFreed) {
  TScreen* screen = Screen();
  const Integer before = screen->FormCount();
  int changes = 0;
  screen->OnActiveFormChange = [&](TScreen*) { ++changes; };
  TOwned<TForm> a(New<TForm>(nullptr));
  TOwned<TForm> b(New<TForm>(nullptr));
  ASSERT_EQ(screen->FormCount(), before + 2);
  EXPECT_EQ(screen->Forms(before), a.get());
  EXPECT_EQ(screen->Forms(before + 1), b.get());
  EXPECT_THROW(screen->Forms(before + 2), EListError);

  EXPECT_EQ(fwtest::MessageOf<EInvalidOperation>([&] { a->SetFocus(); }),
            "Cannot focus a disabled or invisible window");
  a->Show();
  b->Show();
  EXPECT_TRUE(b->Active());
  a->SetFocus();
  EXPECT_EQ(screen->ActiveForm(), a.get());
  a->Hide(); // the form activated before it takes over
  EXPECT_EQ(screen->ActiveForm(), b.get());
  a->Show();
  a.reset();
  EXPECT_EQ(screen->ActiveForm(), b.get());
  EXPECT_EQ(screen->FormCount(), before + 1);
  b.reset();
  EXPECT_EQ(screen->ActiveForm(), nullptr);
  EXPECT_EQ(screen->FormCount(), before);
  EXPECT_EQ(changes, 7);
  screen->OnActiveFormChange = nullptr;
}

TEST(Forms, ScrollRangesFollowTheChildrenUntilFixed) {
  TOwned<TForm> f(New<TForm>(nullptr));
  auto* box = New<TScrollBox>(f.get());
  box->SetParent(f.get());
  box->SetBounds(0, 0, 204, 104); // client 200 x 100 inside the border
  TControlScrollBar* horz = box->HorzScrollBar();
  TControlScrollBar* vert = box->VertScrollBar();
  EXPECT_EQ(horz->Range(), 0);
  EXPECT_FALSE(horz->IsScrollBarVisible());

  auto* button = New<TButton>(f.get());
  button->SetParent(box);
  button->SetBounds(300, 10, 75, 25);
  auto* right = New<TPanel>(f.get());
  right->SetParent(box);
  right->SetAlign(alRight);
  right->SetWidth(20);
  auto* hidden = New<TButton>(f.get());
  hidden->SetParent(box);
  hidden->SetBounds(0, 900, 10, 10);
  hidden->Hide();
  EXPECT_EQ(horz->Range(), 375 + 20);
  EXPECT_EQ(vert->Range(), 35) << "a right-aligned panel adds nothing to the height";
  EXPECT_TRUE(horz->IsScrollBarVisible());
  EXPECT_FALSE(vert->IsScrollBarVisible());

  // Scrolling is clamped to the range and moves the children; the range stays put.
  horz->SetPosition(1000);
  EXPECT_EQ(horz->Position(), 395 - 200);
  EXPECT_EQ(button->Left(), 300 - 195);
  EXPECT_EQ(horz->Range(), 395);
  horz->SetPosition(-5);
  EXPECT_EQ(button->Left(), 300);

  // Suspended, the range keeps its value until the suspension ends.
  box->DisableAutoRange();
  button->SetLeft(500);
  EXPECT_EQ(horz->Range(), 395);
  box->EnableAutoRange();
  EXPECT_EQ(horz->Range(), 595);

  // A range set by hand ends automatic scrolling and no longer follows.
  vert->SetRange(1000);
  EXPECT_FALSE(box->AutoScroll());
  EXPECT_EQ(vert->Range(), 1000);
  vert->SetPosition(950);
  EXPECT_EQ(vert->Position(), 900);
  EXPECT_EQ(horz->Range(), 595) << "the other bar keeps what it had";
  button->SetLeft(0);
  EXPECT_EQ(horz->Range(), 595);
}

TEST(Menus, ItemTreeRefusesLoopsAndKeepsGroups) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* menu = New<TMainMenu>(owner.get());
  auto* view = New<TMenuItem>(owner.get());
  view->SetCaption("&View");
  menu->Items()->Add(view);
  auto* sub = New<TMenuItem>(owner.get());
  sub->SetCaption("Zoom && Pan");
  view->Add(sub);
  EXPECT_EQ(menu->FindItem("view|zoom && pan"), sub);
  EXPECT_EQ(menu->FindItem("View|Missing"), nullptr);
  EXPECT_EQ(sub->GetParentMenu(), menu);
  EXPECT_EQ(sub->GetParentComponent(), view);
  EXPECT_EQ(view->GetParentComponent(), menu);

  EXPECT_EQ(fwtest::MessageOf<EMenuError>([&] { sub->Add(view); }), "Menu inserted twice");
  EXPECT_EQ(fwtest::MessageOf<EMenuError>([&] { view->Add(sub); }), "Menu inserted twice");
  EXPECT_EQ(fwtest::MessageOf<EMenuError>([&] { menu->Items()->Remove(sub); }),
            "Sub-menu is not in menu");

  // Radio items of one group check one at a time; another group is left alone.
  std::vector<TMenuItem*> radios;
  for (Byte group : {1, 1, 2}) {
    auto* r = New<TMenuItem>(owner.get());
    r->SetRadioItem(true);
    r->SetGroupIndex(group);
    view->Add(r);
    radios.push_back(r);
  }
  radios[2]->SetChecked(true);
  radios[0]->SetChecked(true);
  radios[1]->SetAutoCheck(true);
  radios[1]->Click();
  EXPECT_FALSE(radios[0]->Checked());
  EXPECT_TRUE(radios[1]->Checked());
  EXPECT_TRUE(radios[2]->Checked());

  // A freed item leaves its parent; a freed parent frees its sub-items.
  radios[1]->Free();
  EXPECT_EQ(view->Count(), 3);
  radios[2]->SetMenuIndex(0);
  EXPECT_EQ(view->Items(0), radios[2]);
  view->Free();
  EXPECT_EQ(menu->Items()->Count(), 0);
  EXPECT_EQ(owner->ComponentCount(), 1);
}

} // namespace
