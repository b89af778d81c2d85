// The design commands (inspect, set, tree) through the built program: what they print, what
// they write, and that a refusal leaves every file as it was.
#include "hostrun.h"
#include "inspector.h"

#include "basert/types.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace {

using namespace fwtest;

struct DesignCommands : HostRun {
  void SetUp() override {
    HostRun::SetUp();
    if (IsSkipped()) return;
    Copy = (Dir / "form.fwf").string();
    fs::copy_file(kForm, Copy);
    CopyIn(kForms, {"actionsmodule.fwf"});
  }
  // The lines `a` has and `b` lacks ("-line"), then those `b` has and `a` lacks ("+line"),
  // each in its file's order; line ends aside.
  static std::vector<std::string> Changed(const std::string& a, const std::string& b) {
    auto lines = [](const std::string& s) {
      std::vector<std::string> out;
      std::istringstream in(s);
      for (std::string l; std::getline(in, l);)
        out.push_back(l.substr(0, l.find('\r')));
      return out;
    };
    auto x = lines(a), y = lines(b);
    std::vector<std::string> diff;
    auto only = [&](const std::vector<std::string>& from, std::vector<std::string> other,
                    const char* mark) {
      for (const std::string& l : from) {
        auto it = std::find(other.begin(), other.end(), l);
        if (it == other.end())
          diff.push_back(mark + l);
        else
          other.erase(it);
      }
    };
    only(x, y, "-");
    only(y, x, "+");
    return diff;
  }
  /// The row of property `name` in an inspect --json list, or null.
  static nlohmann::json Row(const nlohmann::json& rows, const std::string& name) {
    for (const auto& row : rows)
      if (row["name"] == name) return row;
    return nlohmann::json();
  }
  std::string Copy;
};

TEST_F(DesignCommands, InspectShowsTheRootOrTheSharedPropertiesOfTheSelection) {
  TRun r = Run({"inspect", kForm});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("\nCaption "), std::string::npos);
  EXPECT_NE(r.Out.find("Orders"), std::string::npos);
  EXPECT_NE(r.Out.find("\n  Style "), std::string::npos) << "Font's sub-properties, indented";
  EXPECT_NE(r.Out.find("\n    fsItalic "), std::string::npos);

  // A button and an edit share Top, not Caption; a tab position is never shared.
  r = Run({"inspect", kForm, "--select", "OKButton,NameEdit"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out.find("\nCaption "), std::string::npos);
  EXPECT_EQ(r.Out.find("\nTabOrder "), std::string::npos);
  const auto top = r.Out.find("\nTop ");
  ASSERT_NE(top, std::string::npos);
  const std::string line = r.Out.substr(top + 1, r.Out.find('\n', top + 1) - top - 1);
  EXPECT_EQ(line.find_first_of("0123456789"), std::string::npos) << "values differ: none shown";
}

// Columns are padded by what a terminal shows: a multi-byte or wide caption must not shift the
// columns after it, and a long one is cut between characters.
TEST_F(DesignCommands, InspectColumnsLineUpAfterNonAsciiText) {
  const std::string form = (Dir / "wide.fwf").string();
  std::string wide;
  for (int i = 0; i < 12; ++i)
    wide += "#26085#26412"; // 24 wide characters: 48 columns, past the value column
  std::ofstream(form, std::ios::binary) << "object WideForm: TWideForm\n  Caption = " << wide
                                        << "\n  object Panel1: TPanel\n    Caption = 'Gr'#252'n "
                                           "'#26085'x'\n  end\nend\n";
  for (const char* select : {"WideForm", "Panel1"}) {
    const TRun table = Run({"inspect", form, "--select", select});
    ASSERT_EQ(table.Code, 0) << table.Err;
    const TRun json = Run({"inspect", form, "--select", select, "--json"});
    ASSERT_EQ(json.Code, 0) << json.Err;
    std::map<std::string, std::string> categories;
    for (const auto& row : nlohmann::json::parse(json.Out))
      categories[row["name"]] = row["category"];
    std::set<std::size_t> columns;
    std::istringstream lines(table.Out);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == ' ') continue; // sub-properties
      const std::string name = line.substr(0, line.find(' '));
      const auto at = line.rfind("  " + categories[name] + "  ");
      ASSERT_NE(at, std::string::npos) << line;
      columns.insert(fwcli::DisplayWidth(line.substr(0, at)));
      EXPECT_EQ(fw::Utf8ToWide(line).find(u'\uFFFD'), std::u16string::npos) << line;
    }
    EXPECT_EQ(columns.size(), 1u) << select << "\n" << table.Out;
  }
}

TEST_F(DesignCommands, InspectJsonIsOneDocumentWithEveryField) {
  TRun r = Run({"inspect", kForm, "--json"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const auto rows = nlohmann::json::parse(r.Out);
  const auto font = Row(rows, "Font");
  ASSERT_TRUE(font.is_object());
  const auto style = Row(font["properties"], "Style");
  EXPECT_EQ(style["value"], "[fsItalic]");
  EXPECT_EQ(style["category"], "Miscellaneous");
  EXPECT_NE(std::find(style["attributes"].begin(), style["attributes"].end(), "paSubProperties"),
            style["attributes"].end());
  EXPECT_EQ(Row(rows, "Caption")["writable"], true);

  // A package's own category and value list.
  r = Run({"inspect", kForm, "--select", "ticker1", "--json"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const auto interval = Row(nlohmann::json::parse(r.Out), "Interval");
  EXPECT_EQ(interval["value"], "250");
  EXPECT_EQ(interval["category"], "Timing");
  EXPECT_EQ(interval["attributes"][0], "paValueList");
}

TEST_F(DesignCommands, SetChangesOnlyTheEditedLinesInTheFormsLayout) {
  const std::string out = (Dir / "out.fwf").string();
  TRun r =
      Run({"set", Copy, "OKButton.Caption=Fine", "OrderForm.Font.Style=[fsBold, fsUnderline]",
           "Ticker1.Interval=500", "Settings.Section=Orders", "Ticker1.OnTimer=DoTick", "-o", out});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(ReadAll(Copy), ReadAll(kForm)) << "-o leaves FORM alone";
  EXPECT_EQ(Changed(ReadAll(kForm), ReadAll(out)),
            (std::vector<std::string>{
                "-  Font.Style = [fsItalic]", "-      Caption = '&OK'", "-    Section = 'Settings'",
                "-    Interval = 250", "-    OnTimer = Ticker1Timer",
                "+  Font.Style = [fsBold, fsUnderline]", "+      Caption = 'Fine'",
                "+    Section = 'Orders'", "+    Interval = 500", "+    OnTimer = DoTick"}));

  // Lines end as they did.
  std::string text = ReadAll(kForm);
  std::erase(text, '\r');
  std::ofstream(Copy, std::ios::binary | std::ios::trunc) << text;
  ASSERT_EQ(Run({"set", Copy, "NameEdit.Width=321"}).Code, 0);
  EXPECT_EQ(ReadAll(Copy).find('\r'), std::string::npos);
  EXPECT_EQ(Changed(text, ReadAll(Copy)),
            (std::vector<std::string>{"-    Width = 200", "+    Width = 321"}));

  // A binary form is saved over itself, still binary.
  const std::string binary = (Dir / "form.fwb").string();
  ASSERT_EQ(Run({"convert", kForm, binary}).Code, 0);
  ASSERT_EQ(Run({"set", binary, "NameEdit.Width=321"}).Code, 0);
  EXPECT_EQ(ReadAll(binary).substr(0, 4), "TPF0");
  r = Run({"inspect", binary, "--select", "NameEdit", "--json"});
  EXPECT_NE(r.Out.find("\"321\""), std::string::npos);
}

TEST_F(DesignCommands, ARefusedEditStopsEverythingAndWritesNothing) {
  const std::string out = (Dir / "out.fwf").string();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"OKButton.Width=wide", "OKButton.Width=wide: 'wide' is not a valid integer value"},
      {"OrderForm.Font.Style=[fsBald]", "Invalid property value"},
      {"OrderForm.Font=Arial", "Property Font is read-only"},
      {"Nobody.Width=1", "OrderForm has no component named Nobody"},
      {"OKButton.Wingspan=1", "OKButton has no property Wingspan"},
      {"OKButton.Font.Weight=1", "OKButton has no property Font.Weight"},
      {"OKButton", "expected NAME.PROP=VALUE, got 'OKButton'"},
  };
  for (const auto& [edit, message] : cases) {
    // The edit before it succeeded; it is not saved either.
    for (const std::vector<std::string>& extra : {std::vector<std::string>{}, {"-o", out}}) {
      std::vector<std::string> args = {"set", Copy, "OKButton.Caption=Fine", edit};
      args.insert(args.end(), extra.begin(), extra.end());
      const TRun r = Run(args);
      EXPECT_EQ(r.Code, 1) << edit;
      EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
      EXPECT_EQ(ReadAll(Copy), ReadAll(kForm)) << edit;
      EXPECT_FALSE(fs::exists(out)) << edit;
    }
  }
}

TEST_F(DesignCommands, ModulesALinkNamesOpenFromBesideTheForm) {
  TRun r = Run({"inspect", Copy, "--select", "ExitItem", "--json"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"ActionsModule.ExitAction\""), std::string::npos);
  ASSERT_EQ(Run({"set", Copy, "FileItem.Caption=Fil&e"}).Code, 0);
  EXPECT_EQ(Changed(ReadAll(kForm), ReadAll(Copy)),
            (std::vector<std::string>{"-      Caption = '&File'", "+      Caption = 'Fil&e'"}));
  EXPECT_EQ(ReadAll(Dir / "actionsmodule.fwf"), ReadAll(kForms + "actionsmodule.fwf"))
      << "the linked module is not saved";

  // Without the module the link cannot be kept, and nothing is written.
  fs::remove(Dir / "actionsmodule.fwf");
  r = Run({"set", Copy, "FileItem.Caption=&File"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("ActionsModule"), std::string::npos) << r.Err;
  EXPECT_NE(ReadAll(Copy).find("'Fil&e'"), std::string::npos);
}

// Classes no package registers: their stored properties are shown as stored and take a new
// value in the kind of the old one.
TEST_F(DesignCommands, PlaceholdersKeepTheKindOfEachStoredValue) {
  const std::string module = (Dir / "ordersmodule.fwf").string();
  fs::copy_file(kExamples + "ordersmodule.fwf", module);
  TRun r = Run({"inspect", module, "--select", "Connection", "--json"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const auto rows = nlohmann::json::parse(r.Out);
  EXPECT_EQ(Row(rows, "ConnectionString")["value"], "Provider=Local;Data Source=orders.db");
  EXPECT_EQ(Row(rows, "LoginPrompt")["value"], "False");

  r = Run({"set", module, "Connection.LoginPrompt=True", "Connection.ConnectionString=Remote",
           "OrdersAmount.MaxValue=5"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(
      Changed(ReadAll(kExamples + "ordersmodule.fwf"), ReadAll(module)),
      (std::vector<std::string>{"-    ConnectionString = 'Provider=Local;Data Source=orders.db'",
                                "-    LoginPrompt = False", "-      MaxValue = 1000000.0c",
                                "+    ConnectionString = 'Remote'", "+    LoginPrompt = True",
                                "+      MaxValue = 5.0c"}));

  const std::string before = ReadAll(module);
  for (const char* edit : {"Connection.LoginPrompt='quoted'", "Orders.Parameters=none",
                           "OrdersAmount.MaxValue=lots"}) {
    r = Run({"set", module, edit});
    EXPECT_EQ(r.Code, 1) << edit;
    EXPECT_NE(r.Err.find(edit), std::string::npos) << r.Err;
    EXPECT_EQ(ReadAll(module), before) << edit;
  }
}

// Every form in the repository opens; an edit changes its own line only or, where the form
// holds what could not be read, is refused and nothing is written.
TEST_F(DesignCommands, EveryRepositoryFormOpensAndAnEditLosesNothing) {
  const std::vector<fs::path> forms = AllForms();
  ASSERT_GE(forms.size(), 10u);
  auto text = [&](const std::string& file) {
    return Run({"convert", file, "-", "--to", "text"}).Out;
  };
  int saved = 0;
  for (const fs::path& f : forms) {
    TRun r = Run({"tree", f.string()});
    ASSERT_EQ(r.Code, 0) << f << r.Err;
    const std::string root = r.Out.substr(0, r.Out.find('\n'));
    EXPECT_EQ(Run({"inspect", f.string(), "--json"}).Code, 0) << f;
    const std::string out = (Dir / ("out" + f.extension().string())).string();
    r = Run({"set", f.string(), root + ".Tag=7", "-o", out});
    if (r.Code == 0) {
      ++saved;
      EXPECT_EQ(Changed(text(f.string()), text(out)), (std::vector<std::string>{"+  Tag = 7"}))
          << f;
      fs::remove(out);
    } else {
      EXPECT_EQ(r.Code, 1) << f;
      EXPECT_NE(r.Err.find("cannot be saved"), std::string::npos) << f << r.Err;
      EXPECT_FALSE(fs::exists(out)) << f;
    }
  }
  EXPECT_GE(saved, 4);
}

TEST_F(DesignCommands, TreeShowsTheStructureViewsCaptions) {
  const TRun r = Run({"tree", kForm, "--classes"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "OrderForm (TOrderForm)\n"
                   "  Panel1 (TPanel)\n"
                   "    OKButton (TButton)\n"
                   "  NameEdit (TEdit)\n"
                   "  NotesMemo (TMemo)\n"
                   "  MainMenu1 (TMainMenu)\n"
                   "    FileItem (TMenuItem)\n"
                   "      ExitItem (TMenuItem)\n"
                   "  Settings (TSettingsStore)\n"
                   "  Ticker1 (TTicker)\n");
}

TEST_F(DesignCommands, BadInputGivesTheSystemsMessageAndExitCode) {
  const std::string package = (Host().parent_path().parent_path() / "lib" / "stdcomponents.so");
  const std::vector<TRefusal> cases = {
      {{"inspect"}, 2, "FORM is required"},
      {{"set", kForm}, 2, "ASSIGNMENT is required"},
      {{"tree", kForm, "--bogus"}, 2, "--bogus"},
      {{"inspect", (Dir / "missing.fwf").string()}, 1, "missing.fwf"},
      {{"tree", kForm, "--package", (Dir / "none.so").string()}, 1, "Can't load package"},
      {{"inspect", kForm, "--select", "OKButton,Ghost"}, 1, "has no component named Ghost"},
      {{"set", kForm, "OKButton.Left=1", "-o", (Dir / "no" / "out.fwf").string()},
       1,
       "cannot write"},
      // The same package twice.
      {{"tree", kForm, "--package", package, "--package", package}, 1, "already loaded"},
  };
  for (const TRefusal& c : cases)
    EXPECT_EQ(Refused(c).Out, "") << c.Message;
  for (const char* command : {"inspect", "set", "tree"}) {
    const TRun r = Run({"help", command});
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out.find(std::string("usage: formwright ") + command), 0u) << r.Out;
    EXPECT_NE(r.Out.find("--package"), std::string::npos);
  }
}

} // namespace
