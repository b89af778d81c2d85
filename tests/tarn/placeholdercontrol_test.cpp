#include "tarn/placeholdercontrol.h"

#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formfiles.h"
#include "tarn/extctrls.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

class PlaceholderControls : public ::testing::Test {
protected:
  void SetUp() override { RegisterStandardControls(); }
  void TearDown() override { UnregisterStandardControls(); }

  static TOwned<TComponent> Read(std::string_view binary) {
    TStringStream in{std::string(binary)};
    TReader r(&in, 4096);
    r.UsePlaceholders = true;
    return TOwned<TComponent>(r.ReadRootComponent(nullptr));
  }
  static std::string Write(TComponent* root) {
    TMemoryStream out;
    {
      TWriter w(&out, 4096);
      w.WriteRootComponent(root);
    }
    return std::string(out.View());
  }
  static std::string Binary(std::string_view text) {
    TStringStream in{std::string(text)};
    TMemoryStream bin;
    ObjectTextToBinary(in, bin);
    return std::string(bin.View());
  }
};

} // namespace

TEST_F(PlaceholderControls, EveryRepositoryFormRoundTripsWithTheStandardClasses) {
  for (const TFormFile& f : RepositoryForms()) {
    SCOPED_TRACE(f.Path);
    auto root = Read(f.Binary);
    EXPECT_EQ(Write(root.get()), f.Binary);
  }
}

namespace {

std::string Text(const std::string& binary) {
  TStringStream in(binary);
  TMemoryStream text;
  ObjectBinaryToText(in, text);
  return std::string(text.View());
}

/// A line diff: "-line" for a line only `before` has, "+line" for one only `after` has.
std::vector<std::string> Diff(const std::string& before, const std::string& after) {
  auto lines = [](const std::string& s) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = s.find("\r\n", start)) != std::string::npos; start = end + 2)
      out.push_back(s.substr(start, end - start));
    return out;
  };
  const auto a = lines(before), b = lines(after);
  // Longest common subsequence, from the ends.
  std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (std::size_t i = a.size(); i-- > 0;)
    for (std::size_t j = b.size(); j-- > 0;)
      lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
  std::vector<std::string> out;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && a[i] == b[j]) {
      ++i;
      ++j;
    } else if (j == b.size() || (i < a.size() && lcs[i + 1][j] >= lcs[i][j + 1])) {
      out.push_back("-" + a[i++]);
    } else {
      out.push_back("+" + b[j++]);
    }
  }
  return out;
}

std::string Example(const char* name) {
  for (const TFormFile& f : RepositoryForms())
    if (f.Path.ends_with(name)) return f.Binary;
  return {};
}

} // namespace

// Written by hand, in an order and with values the framework's writer never gives: placeholders
// must keep it anyway.
TEST_F(PlaceholderControls, KnownControlsLiveInsideAControlPlaceholder) {
  auto root = Read(Example("placeholder/handwritten-mainform.fwf"));
  auto* form = dynamic_cast<TPlaceholderControl*>(root.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->ClassName(), "TMainForm");
  EXPECT_EQ(form->BoundsRect(), (TRect{240, 120, 960, 600}));
  auto* toolbar = dynamic_cast<TPanel*>(root->FindComponent("ToolBar"));
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(toolbar->Parent(), form);
  auto* button = dynamic_cast<TButton*>(root->FindComponent("NewButton"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Parent(), toolbar);
  // An unknown class inside a control is a control; an unknown one beside it need not be.
  auto* grid = dynamic_cast<TPlaceholderControl*>(root->FindComponent("OrderGrid"));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->Parent(), form);
  EXPECT_EQ(AsPlaceholder(grid)->StoredText("Options"),
            "[dgTitles,dgColumnResize,dgColLines,dgRowLines,dgRowSelect]");
}

TEST_F(PlaceholderControls, AnEditChangesOnlyWhatItEdits) {
  const std::string original = Example("placeholder/handwritten-mainform.fwf");
  const std::string text = Text(original);
  struct TCase {
    const char* What;
    std::function<void(TComponent*)> Edit;
    std::vector<std::string> Expected;
  };
  const std::vector<TCase> cases = {
      {"a known control's caption",
       [](TComponent* r) {
         static_cast<TButton*>(r->FindComponent("NewButton"))->SetCaption("Go");
       },
       {"+      Caption = 'Go'"}},
      {"a known control moved",
       [](TComponent* r) {
         auto* edit = static_cast<TControl*>(r->FindComponent("SearchEdit"));
         edit->SetBounds(100, edit->Top(), edit->Width(), edit->Height());
       },
       {"-      Left = 96", "+      Left = 100"}},
      {"a placeholder's stored value",
       [](TComponent* r) { AsPlaceholder(r)->SetStoredText("Position", "poDesigned"); },
       {"-  Position = poScreenCenter", "+  Position = poDesigned"}},
      {"a placeholder control resized by the designer",
       [](TComponent* r) { static_cast<TControl*>(r)->SetBounds(240, 120, 720, 500); },
       {"-  Height = 480", "+  Height = 500"}},
      {"a placeholder control whose bounds were not stored",
       [](TComponent* r) {
         static_cast<TControl*>(r->FindComponent("StatusBar"))->SetBounds(0, 0, 300, 20);
       },
       {"+    Width = 300", "+    Height = 20"}},
      {"a known control deleted",
       [](TComponent* r) { r->FindComponent("NewButton")->Free(); },
       {"-    object NewButton: TButton", "-      Left = 8", "-      Top = 6", "-      Width = 75",
        "-      Height = 25", "-      Action = NewOrderAction", "-      TabOrder = 0", "-    end",
        // the tab order closes up behind it
        "-      TabOrder = 1", "+      TabOrder = 0"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto root = Read(original);
    c.Edit(root.get());
    EXPECT_EQ(Diff(text, Text(Write(root.get()))), c.Expected);
  }
}
