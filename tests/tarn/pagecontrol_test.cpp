#include "tarn/docktabset.h"

#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "tarn/forms.h"
#include "tarn/pagecontrol.h"
#include "tarn/render.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

using fwtest::BinaryToText;
using fwtest::TextToBinary;
using fwtest::WriteBinary;

// Reads a form; with `accept`, reading errors are taken and reading goes on.
TComponent* ReadBinary(std::string_view bytes, std::vector<String>* accept = nullptr) {
  TReaderErrorEvent onError;
  if (accept)
    onError = [accept](TReader*, const String& message, bool& handled) {
      accept->push_back(message);
      handled = true;
    };
  return fwtest::ReadBinary(bytes, nullptr, onError);
}

class PageControlStreaming : public ::testing::Test {
protected:
  void SetUp() override { RegisterStandardControls(); }
  void TearDown() override { UnregisterStandardControls(); }
};

// Three sheets, the last moved to the front, the middle one active and holding a button.
const String kPagesForm = "object PagesForm: TForm\r\n"
                          "  ClientWidth = 300\r\n  ClientHeight = 200\r\n"
                          "  object Pages: TPageControl\r\n"
                          "    Left = 10\r\n    Top = 10\r\n    Width = 280\r\n"
                          "    Height = 180\r\n"
                          "    ActivePage = Second\r\n"
                          "    TabOrder = 0\r\n"
                          "    object Third: TTabSheet\r\n"
                          "      Caption = 'Third'\r\n"
                          "      ImageIndex = 2\r\n"
                          "      TabVisible = False\r\n"
                          "    end\r\n"
                          "    object First: TTabSheet\r\n"
                          "      Caption = 'First'\r\n"
                          "    end\r\n"
                          "    object Second: TTabSheet\r\n"
                          "      Caption = '&Second'\r\n"
                          "      object Go: TButton\r\n"
                          "        Left = 8\r\n        Top = 8\r\n        Width = 75\r\n"
                          "        Height = 25\r\n"
                          "        Caption = 'Go'\r\n"
                          "        TabOrder = 0\r\n"
                          "      end\r\n"
                          "    end\r\n"
                          "  end\r\n"
                          "end\r\n";

} // namespace

TEST_F(PageControlStreaming, SheetsRoundTripInPageOrderWithTheActivePage) {
  TOwned<TComponent> root(ReadBinary(TextToBinary(kPagesForm)));
  auto* pages = dynamic_cast<TPageControl*>(root->FindComponent("Pages"));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->Pages(0)->Name(), "Third");
  EXPECT_EQ(pages->Pages(0)->ImageIndex(), 2);
  auto* second = pages->Pages(2);
  EXPECT_EQ(pages->ActivePage(), second);
  EXPECT_EQ(pages->TabIndex(), 1) << "the hidden tab does not count";
  EXPECT_TRUE(second->Visible());
  EXPECT_FALSE(pages->Pages(1)->Visible());
  EXPECT_EQ(second->BoundsRect(), pages->AdjustClientRect()) << "sheets fill the page area";
  EXPECT_EQ(dynamic_cast<TControl*>(root->FindComponent("Go"))->Parent(), second);

  // Written back, in both layouts, as it was read: no sheet bounds, the page as a reference.
  const String bytes = WriteBinary(root.get());
  const String written = BinaryToText(bytes);
  EXPECT_EQ(written.substr(written.find("  object Pages")),
            kPagesForm.substr(kPagesForm.find("  object Pages")));
  TOwned<TComponent> again(ReadBinary(bytes));
  EXPECT_EQ(WriteBinary(again.get()), bytes);

  // Moving a page and switching pages by tab are what gets written.
  pages->MovePage(pages->Pages(0), 2);
  pages->SetTabIndex(0);
  pages->SetTabIndex(7); // out of range: stays
  EXPECT_EQ(pages->ActivePage()->Name(), "First");
  const String moved = BinaryToText(WriteBinary(root.get()));
  EXPECT_NE(moved.find("ActivePage = First"), String::npos) << moved;
  EXPECT_LT(moved.find("object Second"), moved.find("object Third"));
  TOwned<TComponent> movedBack(ReadBinary(TextToBinary(moved)));
  EXPECT_EQ(BinaryToText(WriteBinary(movedBack.get())), moved);
}

TEST_F(PageControlStreaming, BadActivePagesAndTabIndexesReadCleanly) {
  auto variant = [](std::string_view from, std::string_view to) {
    String text = kPagesForm;
    text.replace(text.find(from), from.size(), to);
    return TextToBinary(text);
  };
  // A page that is not there waits for a module of that name; a control that is not a sheet is
  // the reader's error. Either way the page control reads, without an active page.
  for (auto [target, refused] : {std::pair{"Missing", false}, {"Go", true}}) {
    const String bytes = variant("ActivePage = Second", String("ActivePage = ") + target);
    const String message =
        fwtest::MessageOf<EReadError>([&] { TOwned<TComponent>(ReadBinary(bytes)); });
    EXPECT_EQ(message.find("ActivePage") != String::npos, refused) << target << ": " << message;
    std::vector<String> errors;
    TOwned<TComponent> root(ReadBinary(bytes, &errors));
    EXPECT_EQ(errors.size(), refused ? 1u : 0u) << target;
    auto* pages = static_cast<TPageControl*>(root->FindComponent("Pages"));
    EXPECT_EQ(pages->ActivePage(), nullptr) << target;
    EXPECT_NE(ControlToSVG(pages), "") << target;
  }
  // A sheet of another page control is not taken.
  TOwned<TComponent> root(ReadBinary(TextToBinary(kPagesForm)));
  auto* pages = static_cast<TPageControl*>(root->FindComponent("Pages"));
  auto* other = New<TPageControl>(root.get());
  auto* stray = New<TTabSheet>(root.get());
  stray->SetPageControl(other);
  pages->SetActivePage(stray);
  EXPECT_EQ(pages->ActivePage()->Name(), "Second");

  // A tab index in a file written elsewhere picks by shown tab; out of range it is ignored.
  for (auto [index, active] : {std::pair{"0", "First"}, {"9", "Second"}, {"-3", "Second"}}) {
    TOwned<TComponent> read(ReadBinary(
        variant("    TabOrder = 0", String("    TabIndex = ") + index + "\r\n    TabOrder = 0")));
    EXPECT_EQ(static_cast<TPageControl*>(read->FindComponent("Pages"))->ActivePage()->Name(),
              active)
        << index;
  }
}

TEST(PageControlDocking, EachDockedControlGetsASheetThatGoesWithIt) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* host = New<TForm>(owner.get());
  auto* pages = New<TPageControl>(owner.get());
  pages->SetParent(host);
  pages->SetDockSite(true);
  std::vector<String> log;
  pages->OnDockClientAdded = [&](TPageControl*, TControl* c) { log.push_back("+" + c->Caption()); };
  pages->OnDockClientRemoved = [&](TPageControl*, TControl* c) {
    log.push_back("-" + c->Caption());
  };
  auto* a = New<TForm>(owner.get());
  a->SetCaption("A");
  auto* b = New<TForm>(owner.get());
  b->SetCaption("B");
  a->ManualDock(pages);
  b->ManualDock(pages);
  ASSERT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->Pages(0)->Caption(), "A");
  EXPECT_EQ(pages->Pages(1)->DockedControl(), b);
  EXPECT_EQ(pages->ActivePage(), pages->Pages(1));
  EXPECT_FALSE(pages->Pages(0)->Visible());
  EXPECT_EQ(a->Align(), alClient);
  EXPECT_EQ(pages->PageForClient(a), pages->Pages(0));

  pages->MovePage(pages->Pages(1), 0);
  EXPECT_EQ(pages->Pages(0)->DockedControl(), b);
  EXPECT_EQ(pages->PageForClient(b)->PageIndex(), 0);

  // Leaving takes the sheet away; the next one becomes active.
  b->ManualFloat({10, 10, 110, 110});
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->ActivePage()->DockedControl(), a);
  // A control freed while docked takes its sheet along.
  a->Free();
  EXPECT_EQ(pages->PageCount(), 0);
  EXPECT_EQ(pages->ActivePage(), nullptr);
  EXPECT_EQ(log, (std::vector<String>{"+A", "+B", "-B", "-A"}));

  // Freeing the page control with a control docked frees that control as its child.
  b->ManualDock(pages);
  host->Free();
  EXPECT_EQ(owner->ComponentCount(), 0);
}

TEST(DockTabSet, DockedWindowsHideBehindNumberedTabs) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* tabs = New<TDockTabSet>(owner.get());
  auto* a = New<TForm>(owner.get());
  auto* b = New<TForm>(owner.get());
  a->Show();
  a->ManualDock(tabs);
  b->ManualDock(tabs);
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(tabs->TabIndexOf(a), 0);
  EXPECT_EQ(tabs->TabIndexOf(b), 1);
  tabs->SetTabIndexOf(a, 5);
  EXPECT_EQ(tabs->TabOrder(), (std::vector<TControl*>{b, a}));
  a->ManualFloat({0, 0, 10, 10});
  EXPECT_EQ(tabs->TabCount(), 1);
  EXPECT_EQ(tabs->TabIndexOf(a), -1);
  EXPECT_THROW(tabs->TabClient(1), EListError);
}
