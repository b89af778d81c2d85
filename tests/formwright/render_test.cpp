// The render command through the built program: a well-formed picture whose rectangles sit at
// the controls' bounds, grab handles only around what is selected, nothing written on failure.
#include "hostrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace {

using namespace fwtest;

struct TElement {
  std::string Name;
  std::map<std::string, std::string> Attributes;
  int Number(const std::string& a) const {
    auto it = Attributes.find(a);
    return it == Attributes.end() ? -1 : std::stoi(it->second);
  }
};

// Checks that `xml` is one well-formed element (tags nested and closed, attributes quoted and
// unique, references known, no stray markup in text) and lists its elements in document order.
// Answers the first fault, or empty.
std::string CheckXml(const std::string& xml, std::vector<TElement>& elements) {
  static const std::regex name("[A-Za-z_:][-A-Za-z0-9_:.]*");
  static const std::regex reference("&(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9A-Fa-f]+);");
  auto textOk = [&](const std::string& text) {
    if (text.find('<') != std::string::npos) return false;
    for (std::size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 1)) {
      std::smatch m;
      const std::string rest = text.substr(at, 12);
      if (!std::regex_search(rest, m, reference, std::regex_constants::match_continuous))
        return false;
    }
    return true;
  };
  std::vector<std::string> open;
  bool rootSeen = false;
  std::size_t i = 0;
  while (i < xml.size()) {
    const std::size_t lt = xml.find('<', i);
    const std::string text = xml.substr(i, lt == std::string::npos ? std::string::npos : lt - i);
    if (!textOk(text)) return "bad text: " + text;
    if (open.empty() && text.find_first_not_of(" \t\r\n") != std::string::npos)
      return "text outside the root";
    if (lt == std::string::npos) break;
    const std::size_t gt = xml.find('>', lt);
    if (gt == std::string::npos) return "unclosed tag";
    std::string tag = xml.substr(lt + 1, gt - lt - 1);
    i = gt + 1;
    if (tag.starts_with('/')) {
      if (open.empty() || open.back() != tag.substr(1)) return "mismatched </" + tag + ">";
      open.pop_back();
      continue;
    }
    const bool empty = tag.ends_with('/');
    if (empty) tag.pop_back();
    std::smatch m;
    if (!std::regex_search(tag, m, name, std::regex_constants::match_continuous))
      return "bad tag: " + tag;
    if (open.empty() && rootSeen) return "second root";
    rootSeen = true;
    TElement e{m.str(), {}};
    static const std::regex attribute("\\s+([A-Za-z_:][-A-Za-z0-9_:.]*)=\"([^\"<]*)\"");
    std::string rest = m.suffix();
    while (std::regex_search(rest, m, attribute, std::regex_constants::match_continuous)) {
      if (!textOk(m[2]) || !e.Attributes.emplace(m[1], m[2]).second)
        return "bad attribute in " + tag;
      rest = m.suffix();
    }
    if (rest.find_first_not_of(" \t\r\n") != std::string::npos) return "bad attributes: " + tag;
    if (!empty) open.push_back(e.Name);
    elements.push_back(std::move(e));
  }
  if (!rootSeen) return "no root";
  return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

struct Render : HostRun {
  // Renders and checks the picture; its elements, or none with a test failure.
  std::vector<TElement> Picture(const std::string& form, const std::string& select = {}) {
    const std::string out = (Dir / "form.svg").string();
    std::vector<std::string> args = {"render", form, "-o", out};
    if (!select.empty()) args.insert(args.end(), {"--select", select});
    const TRun r = Run(args);
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    std::vector<TElement> elements;
    const std::string fault = CheckXml(ReadAll(out), elements);
    EXPECT_EQ(fault, "") << form;
    return fault.empty() ? elements : std::vector<TElement>{};
  }
  static bool HasRect(const std::vector<TElement>& svg, int x, int y, int w, int h) {
    return std::any_of(svg.begin(), svg.end(), [&](const TElement& e) {
      return e.Name == "rect" && e.Number("x") == x && e.Number("y") == y &&
             e.Number("width") == w && e.Number("height") == h;
    });
  }
  // The 5 x 5 squares, by their centres.
  static std::vector<std::pair<int, int>> Handles(const std::vector<TElement>& svg) {
    std::vector<std::pair<int, int>> centres;
    for (const TElement& e : svg)
      if (e.Name == "rect" && e.Number("width") == 5 && e.Number("height") == 5)
        centres.emplace_back(e.Number("x") + 2, e.Number("y") + 2);
    std::sort(centres.begin(), centres.end());
    return centres;
  }
  static std::vector<std::pair<int, int>> HandlesAround(int x, int y, int w, int h) {
    std::vector<std::pair<int, int>> c;
    for (int dx : {0, w / 2, w})
      for (int dy : {0, h / 2, h})
        if (dx != w / 2 || dy != h / 2) c.emplace_back(x + dx, y + dy);
    std::sort(c.begin(), c.end());
    return c;
  }
};

TEST_F(Render, ControlsSitAtTheirBoundsAndHandlesFollowTheSelection) {
  const std::vector<TElement> plain = Picture(kForm);
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(plain[0].Name, "svg");
  // The client area (ClientWidth x ClientHeight) places the form's coordinates in the picture.
  const auto client = std::find_if(plain.begin(), plain.end(), [](const TElement& e) {
    return e.Name == "rect" && e.Number("width") == 464 && e.Number("height") == 281;
  });
  ASSERT_NE(client, plain.end());
  const int ox = client->Number("x"), oy = client->Number("y");
  EXPECT_GT(oy, 0) << "the caption bar lies above the client area";
  struct TBounds {
    const char* Name;
    int X, Y, W, H; // form coordinates
  };
  const TBounds controls[] = {{"Panel1", 0, 0, 464, 41},
                              {"OKButton", 8, 8, 75, 25}, // on Panel1 at its origin
                              {"NameEdit", 8, 56, 200, 21},
                              {"NotesMemo", 8, 88, 200, 89}};
  for (const TBounds& b : controls)
    EXPECT_TRUE(HasRect(plain, ox + b.X, oy + b.Y, b.W, b.H)) << b.Name;
  EXPECT_TRUE(Handles(plain).empty());

  const TBounds& ok = controls[1];
  EXPECT_EQ(Handles(Picture(kForm, "okbutton")), HandlesAround(ox + ok.X, oy + ok.Y, ok.W, ok.H));
  std::vector<std::pair<int, int>> both = HandlesAround(ox + ok.X, oy + ok.Y, ok.W, ok.H);
  const TBounds& edit = controls[2];
  for (const auto& c : HandlesAround(ox + edit.X, oy + edit.Y, edit.W, edit.H))
    both.push_back(c);
  std::sort(both.begin(), both.end());
  EXPECT_EQ(Handles(Picture(kForm, "OKButton,NameEdit")), both);
  // The form itself and a non-visual component show no handles.
  EXPECT_TRUE(Handles(Picture(kForm, "OrderForm,Settings")).empty());
}

// Only the active page shows, inside the page control's border below its tabs.
TEST_F(Render, PageControlsShowTheirActivePage) {
  const std::vector<TElement> svg = Picture(FW_TEST_DATA_DIR "/forms/pages.fwf");
  const auto client = std::find_if(svg.begin(), svg.end(), [](const TElement& e) {
    return e.Name == "rect" && e.Number("width") == 320 && e.Number("height") == 240;
  });
  ASSERT_NE(client, svg.end());
  const int ox = client->Number("x") + 8, oy = client->Number("y") + 8; // the page control's
  EXPECT_TRUE(HasRect(svg, ox + 4, oy + 24, 296, 196)) << "the active sheet";
  EXPECT_TRUE(HasRect(svg, ox + 4 + 8, oy + 24 + 8 + 2, 13, 13)) << "its check box";
  EXPECT_FALSE(HasRect(svg, ox + 4 + 8, oy + 24 + 8, 200, 23)) << "the other sheet's edit";
  for (const char* caption : {">General<", ">Options<"})
    EXPECT_NE(ReadAll(Dir / "form.svg").find(caption), std::string::npos) << caption;
}

TEST_F(Render, EveryShippedFormRendersOrIsRefusedCleanly) {
  int rendered = 0;
  for (const fs::path& form : AllForms()) {
    const fs::path out = Dir / "shipped.svg";
    const TRun r = Run({"render", form.string(), "-o", out.string()});
    if (r.Code == 0) {
      std::vector<TElement> elements;
      EXPECT_EQ(CheckXml(ReadAll(out), elements), "") << form;
      ++rendered;
      fs::remove(out);
    } else {
      EXPECT_EQ(r.Code, 1) << form;
      EXPECT_NE(r.Err.find("is not a control"), std::string::npos) << form << r.Err;
      EXPECT_FALSE(fs::exists(out)) << form;
    }
  }
  EXPECT_GE(rendered, 6);
}

// The shipped about box holds a PNG logo: it reads without a complaint and is drawn.
TEST_F(Render, TheAboutBoxDrawsItsLogo) {
  const fs::path out = Dir / "about.svg";
  const TRun r = Run({"render", kExamples + "aboutbox.fwb", "-o", out.string()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err.find("skipped"), std::string::npos) << r.Err;
  std::vector<TElement> elements;
  ASSERT_EQ(CheckXml(ReadAll(out), elements), "");
  EXPECT_TRUE(std::any_of(elements.begin(), elements.end(), [](const TElement& e) {
    const auto href = e.Attributes.find("href");
    return e.Name == "image" && e.Number("width") == 16 && href != e.Attributes.end() &&
           href->second.starts_with("data:image/png;base64,");
  }));
}

TEST_F(Render, FailuresWriteNothing) {
  const fs::path existing = Dir / "kept.svg";
  std::ofstream(existing) << "before";
  const std::vector<TRefusal> cases = {
      {{"render", (Dir / "missing.fwf").string(), "-o", existing.string()}, 1, "missing.fwf"},
      {{"render", kForm, "-o", existing.string(), "--select", "OKButton,Ghost"},
       1,
       "has no component named Ghost"},
      {{"render", kForms + "datamodule.fwf", "-o", existing.string()}, 1, "is not a control"},
      {{"render", kForm, "-o", (Dir / "no" / "out.svg").string()}, 1, "out.svg"},
      {{"render", kForm}, 2, "--output is required"},
  };
  for (const TRefusal& c : cases) {
    Refused(c);
    EXPECT_EQ(ReadAll(existing), "before") << c.Message;
  }
  EXPECT_FALSE(fs::exists(Dir / "no"));
  const TRun help = Run({"help", "render"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_EQ(help.Out.find("usage: formwright render FORM -o OUT.svg"), 0u) << help.Out;
}

} // namespace
