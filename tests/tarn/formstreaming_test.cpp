// Forms of the standard controls in form files: both layouts, structure and order kept.
#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/mainmenu.h"
#include "tarn/picture.h"
#include "tarn/screen.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"
#include "tarn/treeview.h"

#include <gtest/gtest.h>

using namespace fw;
using fwtest::BinaryToText;
using fwtest::ReadBinary;
using fwtest::TextToBinary;
using fwtest::WriteBinary;

namespace {

template <class T> T* Make(TComponent* owner, TWinControl* parent, const char* name) {
  T* c = New<T>(owner);
  c->SetName(name);
  if constexpr (std::is_base_of_v<TControl, T>)
    if (parent) c->SetParent(parent);
  return c;
}

class FormStreaming : public ::testing::Test {
protected:
  void SetUp() override { RegisterStandardControls(); }
  void TearDown() override {
    UnregisterStandardControls();
    Screen()->PixelsPerInch = FSavedPixelsPerInch;
  }
  const Integer FSavedPixelsPerInch = Screen()->PixelsPerInch;

  /// A form with every standard control, a menu and an inline frame; orders moved by hand.
  TOwned<TForm> SampleForm() {
    TOwned<TForm> f(New<TForm>(nullptr));
    f->SetName("MainForm");
    f->SetCaption("Sample");
    f->SetClientWidth(400);
    f->SetClientHeight(300);
    auto* top = Make<TPanel>(f.get(), f.get(), "TopPanel");
    top->SetAlign(alTop);
    top->SetHeight(60);
    auto* ok = Make<TButton>(f.get(), top, "OkButton");
    ok->SetBounds(300, 10, 75, 25);
    ok->SetAnchors({akTop, akRight});
    ok->SetModalResult(mrOk);
    auto* cancel = Make<TButton>(f.get(), top, "CancelButton");
    cancel->SetCaption("Cancel");
    Make<TLabel>(f.get(), top, "Caption1")->SetCaption("Name:");
    auto* edit = Make<TEdit>(f.get(), top, "NameEdit");
    edit->SetText("it's");
    edit->SetTabOrder(0); // the edit comes first in the tab order, last in z-order
    ok->BringToFront();   // and the ok button goes over it
    auto* memo = Make<TMemo>(f.get(), f.get(), "Notes");
    memo->SetAlign(alClient);
    memo->Lines()->Clear(); // a named memo shows its name
    memo->Lines()->Add("first line");
    memo->Lines()->Add("second line");
    auto* list = Make<TListBox>(f.get(), f.get(), "Choices");
    list->SetAlign(alLeft);
    list->Items()->Add("one");
    list->Items()->Add("two");
    auto* check = Make<TCheckBox>(f.get(), f.get(), "Agree");
    check->SetChecked(true);
    check->SetAlign(alBottom);
    check->Font()->SetStyle({fsBold});
    auto* image = Make<TImage>(f.get(), f.get(), "Logo");
    image->SetBounds(200, 100, 32, 32);
    image->SendToBack();
    image->Picture()->Bitmap()->SetSize(16, 8);
    image->SetAutoSize(true);

    auto* menu = Make<TMainMenu>(f.get(), nullptr, "MainMenu1");
    auto* file = Make<TMenuItem>(f.get(), nullptr, "File1");
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* open = Make<TMenuItem>(f.get(), nullptr, "Open1");
    open->SetCaption("&Open...");
    open->SetShortCut(TextToShortCut("Ctrl+O"));
    file->Add(open);
    auto* sep = Make<TMenuItem>(f.get(), nullptr, "N1");
    sep->SetCaption("-");
    file->Add(sep);
    auto* exit = Make<TMenuItem>(f.get(), nullptr, "Exit1");
    exit->SetCaption("E&xit");
    file->Insert(0, exit); // out of creation order
    f->SetMenu(menu);

    auto* frame = New<TFrame>(f.get());
    frame->SetInline(true);
    frame->SetName("Frame1");
    frame->SetParent(f.get());
    frame->SetBounds(150, 150, 200, 80);
    auto* inner = Make<TButton>(frame, frame, "FrameButton");
    inner->SetCaption("Inside");
    f->SetActiveControl(edit);
    return f;
  }
};

std::vector<String> ChildNames(TWinControl* parent) {
  std::vector<String> names;
  for (Integer i = 0; i < parent->ControlCount(); ++i)
    names.push_back(parent->Controls(i)->Name());
  return names;
}

TEST_F(FormStreaming, EveryControlRoundTripsInBothLayouts) {
  auto original = SampleForm();
  const String bytes = WriteBinary(original.get());

  TOwned<TComponent> read(ReadBinary(bytes));
  auto* f = dynamic_cast<TForm*>(read.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(WriteBinary(f), bytes);

  // The text layout carries the same stream.
  const String text = BinaryToText(bytes);
  EXPECT_EQ(
      fwtest::Missing(text, {"inline Frame1: TFrame", "Lines.Strings = (\r\n      'first line'"}),
      "")
      << text;
  EXPECT_EQ(TextToBinary(text), bytes);

  // Structure and order came back: graphic controls below windowed ones, z-order as moved.
  auto* top = dynamic_cast<TPanel*>(f->FindComponent("TopPanel"));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(ChildNames(top),
            (std::vector<String>{"Caption1", "CancelButton", "NameEdit", "OkButton"}));
  EXPECT_EQ(ChildNames(f),
            (std::vector<String>{"Logo", "TopPanel", "Notes", "Choices", "Agree", "Frame1"}));
  auto* edit = dynamic_cast<TEdit*>(f->FindComponent("NameEdit"));
  EXPECT_EQ(edit->TabOrder(), 0);
  EXPECT_EQ(edit->GetText(), "it's");
  EXPECT_EQ(f->ActiveControl(), edit);
  EXPECT_EQ(dynamic_cast<TMemo*>(f->FindComponent("Notes"))->Lines()->Get(1), "second line");
  EXPECT_TRUE(
      dynamic_cast<TCheckBox*>(f->FindComponent("Agree"))->Font()->GetStyle().Contains(fsBold));

  // Aligned controls were laid out against the streamed client size.
  EXPECT_EQ(f->ClientWidth(), 400);
  auto* memo = dynamic_cast<TMemo*>(f->FindComponent("Notes"));
  auto* list = dynamic_cast<TListBox*>(f->FindComponent("Choices"));
  EXPECT_EQ(memo->BoundsRect(), (TRect{list->Width(), 60, 400, 300 - 17}));

  // The menu tree in its order, items owned by the form.
  ASSERT_NE(f->Menu(), nullptr);
  TMenuItem* file = f->Menu()->Items()->Items(0);
  ASSERT_EQ(file->Count(), 3);
  EXPECT_EQ(file->Items(0)->Name(), "Exit1");
  EXPECT_TRUE(file->Items(2)->IsLine());
  EXPECT_EQ(f->Menu()->FindItem("file|open..."), file->Items(1));
  EXPECT_EQ(ShortCutToText(file->Items(1)->ShortCut()), "Ctrl+O");
  auto* logo = dynamic_cast<TImage*>(f->FindComponent("Logo"));
  EXPECT_EQ(logo->Picture()->Width(), 16);
  EXPECT_EQ(logo->BoundsRect(), (TRect{200, 100, 216, 108}));

  // The frame is inline and owns what it contains.
  auto* frame = dynamic_cast<TFrame*>(f->FindComponent("Frame1"));
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->ComponentState().Contains(stateInline));
  TComponent* inner = frame->FindComponent("FrameButton");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(dynamic_cast<TControl*>(inner)->Parent(), frame);
  EXPECT_EQ(f->FindComponent("FrameButton"), nullptr);

  // Anchors read from the stream work on the next resize.
  auto* ok = dynamic_cast<TButton*>(f->FindComponent("OkButton"));
  f->SetClientWidth(500);
  EXPECT_EQ(ok->Left(), 400);
}

TEST_F(FormStreaming, ControlInsideANonContainerIsRefused) {
  for (const char* outer : {"TButton", "TLabel", "TMenuItem"}) {
    const String nested = String("object Form1: TForm\r\n  object Outer1: ") + outer +
                          "\r\n    object Edit1: TEdit\r\n    end\r\n  end\r\nend\r\n";
    EXPECT_EQ(fwtest::MessageOf([&] { TOwned<TComponent>(ReadBinary(TextToBinary(nested))); }),
              "Control 'Outer1' does not accept controls")
        << outer;
  }
}

TEST_F(FormStreaming, ReadingIntoAnExistingFormKeepsAlignmentLinear) {
  // A form read into an existing root: children are laid out once their loading is done.
  const String text = "object Form1: TForm\r\n"
                      "  ClientHeight = 200\r\n"
                      "  ClientWidth = 300\r\n"
                      "  object P1: TPanel\r\n"
                      "    Left = 0\r\n    Top = 0\r\n    Width = 10\r\n    Height = 40\r\n"
                      "    Align = alTop\r\n"
                      "  end\r\n"
                      "  object P2: TPanel\r\n"
                      "    Left = 0\r\n    Top = 0\r\n    Width = 10\r\n    Height = 10\r\n"
                      "    Align = alClient\r\n"
                      "  end\r\n"
                      "end\r\n";
  TOwned<TForm> f(New<TForm>(nullptr));
  ReadBinary(TextToBinary(text), f.get());
  auto* p1 = dynamic_cast<TControl*>(f->FindComponent("P1"));
  auto* p2 = dynamic_cast<TControl*>(f->FindComponent("P2"));
  EXPECT_EQ(p1->BoundsRect(), (TRect{0, 0, 300, 40}));
  EXPECT_EQ(p2->BoundsRect(), (TRect{0, 40, 300, 200}));
}

TEST_F(FormStreaming, PastedTabOrdersLandAsIfAppliedOneByOne) {
  // Controls read beside existing siblings take their stored tab orders in reading order,
  // out-of-range ones going last; a few are settled in place, many all at once.
  struct TCase {
    int Existing;
    std::vector<int> Stored; // -1: not stored
  };
  std::vector<int> many;
  for (int i = 0; i < 60; ++i)
    many.push_back(i % 9 == 0 ? 500 : i % 7 == 0 ? -1 : (i * 37) % 45);
  for (const TCase& c : {TCase{3, {0, 99, 1, 1}}, TCase{0, {2, 0, 2}}, TCase{25, many}}) {
    TOwned<TForm> f(New<TForm>(nullptr));
    std::vector<String> model;
    for (int i = 0; i < c.Existing; ++i)
      model.push_back(Make<TButton>(f.get(), f.get(), ("Old" + std::to_string(i)).c_str())->Name());
    TMemoryStream stream;
    for (std::size_t i = 0; i < c.Stored.size(); ++i) {
      String text = "object New" + std::to_string(i) + ": TButton\r\n";
      if (c.Stored[i] >= 0) text += "  TabOrder = " + std::to_string(c.Stored[i]) + "\r\n";
      ObjectTextToBinary(text + "end\r\n", stream);
      model.push_back("New" + std::to_string(i));
    }
    stream.WriteBuffer("\0", 1);
    stream.SetPosition(0);
    for (std::size_t i = 0; i < c.Stored.size(); ++i) {
      if (c.Stored[i] < 0) continue;
      const auto from = std::find(model.begin(), model.end(), "New" + std::to_string(i));
      const auto to = std::min<std::size_t>(c.Stored[i], model.size() - 1);
      String name = *from;
      model.erase(from);
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(to), name);
    }
    TReader(&stream, 4096).ReadComponents(f.get(), f.get(), nullptr);
    std::vector<String> order;
    for (TWinControl* w : f->TabList()) {
      EXPECT_EQ(w->TabOrder(), static_cast<Integer>(order.size())) << w->Name();
      order.push_back(w->Name());
    }
    EXPECT_EQ(order, model) << c.Existing << " existing";
  }
}

} // namespace

namespace {

TEST_F(FormStreaming, DescendantKeepsItsOwnOrderOverTheAncestors) {
  // Ancestor: a panel with two buttons and a memo with lines.
  TOwned<TForm> ancestor(New<TForm>(nullptr));
  ancestor->SetName("BaseForm");
  auto* panel = Make<TPanel>(ancestor.get(), ancestor.get(), "Panel1");
  Make<TButton>(ancestor.get(), panel, "B1");
  Make<TButton>(ancestor.get(), panel, "B2");
  Make<TMemo>(ancestor.get(), ancestor.get(), "Memo1")->SetText("inherited");
  const String base = WriteBinary(ancestor.get());

  // Descendant: the ancestor's content, then its own changes.
  TOwned<TForm> derived(New<TForm>(nullptr));
  ReadBinary(base, derived.get());
  derived->SetName("DerivedForm");
  auto* b2 = dynamic_cast<TButton*>(derived->FindComponent("B2"));
  b2->SendToBack();
  Make<TButton>(derived.get(), dynamic_cast<TPanel*>(derived->FindComponent("Panel1")), "B3");
  const String text = fwtest::WriteFormText(derived.get(), ancestor.get());
  EXPECT_EQ(text.find("Lines.Strings"), String::npos) << "unchanged lines are inherited\n" << text;
  EXPECT_NE(text.find("inherited B2: TButton [0]"), String::npos) << text;

  // Rebuilt the way an inherited module loads: ancestor first, then the difference.
  TOwned<TForm> rebuilt(New<TForm>(nullptr));
  ReadBinary(base, rebuilt.get());
  fwtest::ReadFormText(text, rebuilt.get());
  auto* p = dynamic_cast<TPanel*>(rebuilt->FindComponent("Panel1"));
  EXPECT_EQ(ChildNames(p), (std::vector<String>{"B2", "B1", "B3"}));
  EXPECT_EQ(dynamic_cast<TMemo*>(rebuilt->FindComponent("Memo1"))->Lines()->Get(0), "inherited");
}

TEST_F(FormStreaming, FormFilesWrittenElsewhereRead) {
  // Outer size, identifiers for colours and cursors, sets and a list of strings.
  const String text = "object Form2: TForm\r\n"
                      "  Left = 10\r\n"
                      "  Top = 20\r\n"
                      "  Width = 216\r\n"
                      "  Height = 139\r\n"
                      "  Color = clWindow\r\n"
                      "  Font.Style = [fsBold, fsItalic]\r\n"
                      "  object Edit1: TEdit\r\n"
                      "    Left = 8\r\n    Top = 8\r\n    Width = 100\r\n    Height = 21\r\n"
                      "    Cursor = crHandPoint\r\n"
                      "    Anchors = [akLeft, akTop, akRight]\r\n"
                      "    TabOrder = 0\r\n"
                      "  end\r\n"
                      "  object ListBox1: TListBox\r\n"
                      "    Left = 8\r\n    Top = 40\r\n    Width = 100\r\n    Height = 50\r\n"
                      "    Items.Strings = (\r\n      'a'\r\n      'b''c')\r\n"
                      "    TabOrder = 1\r\n"
                      "  end\r\n"
                      "  object TreeView1: TTreeView\r\n"
                      "    Left = 110\r\n    Top = 8\r\n    Width = 80\r\n    Height = 80\r\n"
                      "    TabOrder = 2\r\n"
                      "  end\r\n"
                      "end\r\n";
  TOwned<TComponent> root(ReadBinary(TextToBinary(text)));
  auto* f = dynamic_cast<TForm*>(root.get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->ClientRect(), (TRect{0, 0, 200, 100}));
  EXPECT_EQ(f->Color(), clWindow);
  auto* edit = dynamic_cast<TEdit*>(f->FindComponent("Edit1"));
  EXPECT_EQ(edit->Cursor(), crHandPoint);
  f->SetClientWidth(300);
  EXPECT_EQ(edit->Width(), 200);
  auto* list = dynamic_cast<TListBox*>(f->FindComponent("ListBox1"));
  EXPECT_EQ(list->Items()->CommaText(), "a,b'c");
  auto* tree = dynamic_cast<TTreeView*>(f->FindComponent("TreeView1"));
  ASSERT_NE(tree, nullptr) << "the tree view is one of the standard controls";
  EXPECT_EQ(tree->BoundsRect(), (TRect{110, 8, 190, 88}));
}

TEST_F(FormStreaming, AnchorsInsideAnAlignedParentStartFromTheAlignedSize) {
  // The panel's size comes only from its alignment, after its children have been read.
  const String text = "object Form3: TForm\r\n"
                      "  ClientWidth = 700\r\n  ClientHeight = 300\r\n"
                      "  object Bar: TPanel\r\n"
                      "    Align = alTop\r\n    Height = 36\r\n"
                      "    object Inner: TPanel\r\n"
                      "      Align = alRight\r\n"
                      "      object Find: TEdit\r\n"
                      "        Left = 4\r\n        Top = 6\r\n        Width = 50\r\n"
                      "        Anchors = [akLeft, akTop, akRight]\r\n"
                      "      end\r\n"
                      "    end\r\n"
                      "    object Search: TEdit\r\n"
                      "      Left = 96\r\n      Top = 6\r\n      Width = 240\r\n"
                      "      Anchors = [akLeft, akTop, akRight]\r\n"
                      "    end\r\n"
                      "  end\r\n"
                      "end\r\n";
  TOwned<TComponent> root(ReadBinary(TextToBinary(text)));
  auto* f = dynamic_cast<TForm*>(root.get());
  ASSERT_NE(f, nullptr);
  auto* search = dynamic_cast<TEdit*>(f->FindComponent("Search"));
  auto* find = dynamic_cast<TEdit*>(f->FindComponent("Find"));
  EXPECT_EQ(search->Width(), 240);
  EXPECT_EQ(find->Width(), 50);
  f->SetClientWidth(800);
  EXPECT_EQ(search->Width(), 340);
  EXPECT_EQ(find->Width(), 50) << "its parent keeps its width";
}

TEST_F(FormStreaming, FormsReadAtAnotherResolutionAreScaledToTheScreens) {
  Screen()->PixelsPerInch = 96;
  const String text =
      "object Big: TForm\r\n"
      "  ClientHeight = 450\r\n"
      "  ClientWidth = 600\r\n"
      "  Font.Height = -18\r\n"
      "  PixelsPerInch = 144\r\n"
      "  TextHeight = 21\r\n"
      "  object Box: TScrollBox\r\n"
      "    Left = 0\r\n    Top = 0\r\n    Width = 304\r\n    Height = 154\r\n"
      "    HorzScrollBar.Range = 900\r\n"
      "    AutoScroll = False\r\n"
      "    TabOrder = 0\r\n"
      "    object Inner: TButton\r\n"
      "      Left = 31\r\n      Top = 15\r\n      Width = 150\r\n      Height = 45\r\n"
      "      TabOrder = 0\r\n"
      "    end\r\n"
      "  end\r\n"
      "  object Note: TLabel\r\n"
      "    Left = 300\r\n    Top = 300\r\n    Width = 90\r\n    Height = 21\r\n"
      "    Font.Height = -24\r\n"
      "    ParentFont = False\r\n"
      "  end\r\n"
      "  object Bottom: TPanel\r\n"
      "    Left = 0\r\n    Top = 390\r\n    Width = 600\r\n    Height = 60\r\n"
      "    Align = alBottom\r\n"
      "    TabOrder = 1\r\n"
      "  end\r\n"
      "end\r\n";
  TOwned<TComponent> root(ReadBinary(TextToBinary(text)));
  auto* f = static_cast<TForm*>(root.get());
  EXPECT_EQ(f->PixelsPerInch(), 96);
  EXPECT_EQ(f->ClientWidth(), 400);
  EXPECT_EQ(f->ClientHeight(), 300);
  EXPECT_EQ(f->Font()->GetHeight(), -12);
  auto* box = static_cast<TScrollBox*>(f->FindComponent("Box"));
  EXPECT_EQ(box->BoundsRect(), (TRect{0, 0, 203, 103}));
  EXPECT_EQ(box->HorzScrollBar()->Range(), 600);
  // Edges are scaled, so 31 + 150 = 181 ends at 121 and the width follows from that.
  EXPECT_EQ(static_cast<TControl*>(f->FindComponent("Inner"))->BoundsRect(),
            (TRect{21, 10, 121, 40}));
  auto* note = static_cast<TLabel*>(f->FindComponent("Note"));
  EXPECT_EQ(note->Font()->GetHeight(), -16);
  EXPECT_EQ(static_cast<TControl*>(f->FindComponent("Bottom"))->BoundsRect(),
            (TRect{0, 260, 400, 300}))
      << "aligned children are laid out again in the scaled form";

  // Written back it carries the screen's resolution and reads unchanged.
  const String scaled = BinaryToText(WriteBinary(f));
  EXPECT_NE(scaled.find("PixelsPerInch = 96"), String::npos) << scaled;
  TOwned<TComponent> again(ReadBinary(TextToBinary(scaled)));
  EXPECT_EQ(BinaryToText(WriteBinary(again.get())), scaled);

  // Scaled off, the form is taken as it stands.
  String unscaled = text;
  unscaled.insert(unscaled.find("  TextHeight"), "  Scaled = False\r\n");
  TOwned<TComponent> kept(ReadBinary(TextToBinary(unscaled)));
  EXPECT_EQ(static_cast<TForm*>(kept.get())->ClientWidth(), 600);
  EXPECT_EQ(static_cast<TForm*>(kept.get())->PixelsPerInch(), 144);
}

// An inherited form reads its ancestor's stream, then its own: each value must be scaled once,
// from the resolution of the stream that gave it.
TEST_F(FormStreaming, InheritedFormsScaleEachValueFromItsOwnStream) {
  Screen()->PixelsPerInch = 96;
  const String base = "object BaseForm: TForm\r\n"
                      "  ClientHeight = 450\r\n  ClientWidth = 600\r\n"
                      "  Font.Height = -18\r\n  PixelsPerInch = 144\r\n  TextHeight = 21\r\n"
                      "  object Kept: TButton\r\n"
                      "    Left = 30\r\n    Top = 30\r\n    Width = 150\r\n    Height = 45\r\n"
                      "  end\r\n"
                      "  object Moved: TButton\r\n"
                      "    Left = 30\r\n    Top = 90\r\n    Width = 150\r\n    Height = 45\r\n"
                      "  end\r\n"
                      "end\r\n";
  const String derived = "inherited DerivedForm: TForm\r\n"
                         "  ClientWidth = 600\r\n  PixelsPerInch = 120\r\n  TextHeight = 18\r\n"
                         "  inherited Moved: TButton\r\n    Left = 60\r\n  end\r\n"
                         "  object Added: TButton\r\n"
                         "    Left = 60\r\n    Top = 150\r\n    Width = 100\r\n    Height = 30\r\n"
                         "  end\r\n"
                         "end\r\n";
  TOwned<TForm> f(New<TForm>(nullptr));
  ReadBinary(TextToBinary(base), f.get());
  ReadBinary(TextToBinary(derived), f.get());
  auto bounds = [&](const char* name) {
    return static_cast<TControl*>(f->FindComponent(name))->BoundsRect();
  };
  EXPECT_EQ(bounds("Kept"), (TRect{20, 20, 120, 50})) << "from the ancestor's 144 only";
  EXPECT_EQ(bounds("Moved"), (TRect{48, 60, 148, 90})) << "its left from 120, the rest from 144";
  EXPECT_EQ(bounds("Added"), (TRect{48, 120, 128, 144})) << "all from 120";
  EXPECT_EQ(f->ClientWidth(), 480);
  EXPECT_EQ(f->ClientHeight(), 300);
  EXPECT_EQ(f->Font()->GetHeight(), -12);
  EXPECT_EQ(f->PixelsPerInch(), 96);
}

TEST_F(FormStreaming, ScrollBarsStreamTheirRangeOnlyWhenItIsFixed) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetName("Scrolling");
  auto* box = Make<TScrollBox>(f.get(), f.get(), "Box");
  Make<TButton>(f.get(), box, "Far")->SetBounds(500, 300, 75, 25);
  const String automatic = BinaryToText(WriteBinary(f.get()));
  EXPECT_EQ(automatic.find("ScrollBar"), String::npos) << automatic;

  box->HorzScrollBar()->SetRange(800);
  box->VertScrollBar()->SetIncrement(16);
  const String fixed = BinaryToText(WriteBinary(f.get()));
  EXPECT_EQ(fwtest::Missing(fixed, {"HorzScrollBar.Range = 800", "VertScrollBar.Increment = 16",
                                    "VertScrollBar.Range = 325", "AutoScroll = False"}),
            "")
      << fixed;
  TOwned<TComponent> copy(ReadBinary(TextToBinary(fixed)));
  auto* box2 = static_cast<TScrollBox*>(copy->FindComponent("Box"));
  EXPECT_FALSE(box2->AutoScroll());
  EXPECT_EQ(box2->HorzScrollBar()->Range(), 800);
  EXPECT_EQ(box2->VertScrollBar()->Range(), 325);
  EXPECT_EQ(BinaryToText(WriteBinary(copy.get())), fixed);
}

} // namespace

TEST_F(FormStreaming, ControlsShowTheirNameUntilGivenACaptionButNotWhenRead) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetName("Form1");
  EXPECT_EQ(f->Caption(), "Form1");
  auto* b = Make<TButton>(f.get(), f.get(), "Button1");
  EXPECT_EQ(b->Caption(), "Button1");
  b->SetName("Go");
  EXPECT_EQ(b->Caption(), "Go");
  b->SetCaption("Print");
  b->SetName("Other");
  EXPECT_EQ(b->Caption(), "Print");
  auto* memo = Make<TMemo>(f.get(), f.get(), "Memo1");
  memo->SetName("Notes");
  EXPECT_EQ(memo->Lines()->Count(), 1);
  EXPECT_EQ(memo->Lines()->Get(0), "Notes");

  // A name read from a form file leaves an empty, unstored caption empty.
  TOwned<TForm> read(New<TForm>(nullptr));
  fwtest::ReadFormText("object Form2: TForm\n  object B: TButton\n  end\n  object M: TMemo\n"
                       "  end\nend\n",
                       read.get());
  EXPECT_EQ(read->Caption(), "");
  EXPECT_EQ(dynamic_cast<TButton*>(read->FindComponent("B"))->Caption(), "");
  EXPECT_EQ(dynamic_cast<TMemo*>(read->FindComponent("M"))->Lines()->Count(), 0);
}
