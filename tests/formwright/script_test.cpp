// Design scripts through the built program: a session over several modules, the line that
// stops a broken one, and the shipped session.
#include "hostrun.h"

#include <gtest/gtest.h>

namespace {

using namespace fwtest;

struct Scripts : HostRun {
  void SetUp() override {
    HostRun::SetUp();
    if (IsSkipped()) return;
    CopyIn(kForms, {"designable.fwf", "actionsmodule.fwf"});
    CopyIn(kSession, {"orderbase.fwf", "orderentry.fwf"});
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(Dir / name, std::ios::binary) << text;
    return (Dir / name).string();
  }
  static bool Has(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
  }
};

TEST_F(Scripts, ASessionEditsSeveralModulesAndPrintsItsNotifications) {
  const std::string script = Write("edit.fws", R"(# comment, then a blank line

open designable.fwf
create TButton at 300,100
set Button1.Caption=Hello there
select Button1
move 8,4
size 90,30
expect Button1.Left=304
expect Button1.Width=90
expect OrderForm.Font.Style=[fsItalic]
expect OrderForm.Font.Style.fsItalic=True
copy
paste
expect Button2.Caption=Hello there
delete
undelete
expect Button2.Height=30
rename Button2 GoButton
select OKButton,Button1
align Top
new TForm Extra
create TButton at 10,10
inherit Extra as Extra2
module Extra
set Button1.Caption=Base
module Extra2
expect Button1.Caption=Base
save to out/extra2.fwf
save Extra to out/extra.fwf
save OrderForm to out/form.fwf
new TForm Lone
rename Lone Single
create TPanel at 8,8
create TButton at 4,4 in Panel1
select Button1
cut
select Panel1
paste
save to out/single.fwf
new TDataModule Data
save to out/data.fwf
)");
  const TRun r = Run({"script", script});
  ASSERT_EQ(r.Code, 0) << r.Err;
  for (const char* line :
       {"DesignerOpened OrderForm", "ItemInserted OrderForm.Button1",
        "SelectionChanged OrderForm [Button1]", "ItemsModified OrderForm",
        "ItemDeleted OrderForm.Button2", "DesignerOpened Extra2", "Saved Extra to out/extra.fwf"})
    EXPECT_TRUE(Has(r.Out, line)) << line << "\n" << r.Out;
  EXPECT_EQ(r.Err, "");

  const std::string form = ReadAll(Dir / "out/form.fwf");
  EXPECT_NE(form.find("object GoButton: TButton\r\n    Left = 304\r\n    Top = 100\r\n    Width = "
                      "90\r\n    Height = 30\r\n    Caption = 'Hello there'"),
            std::string::npos)
      << form;
  EXPECT_EQ(ReadAll(Dir / "designable.fwf"), ReadAll(kForms + "designable.fwf"));
  EXPECT_EQ(ReadAll(Dir / "out/extra2.fwf"), "inherited Extra2: TExtra2\r\nend\r\n");
  EXPECT_NE(ReadAll(Dir / "out/extra.fwf").find("Caption = 'Base'"), std::string::npos);
  const std::string single = ReadAll(Dir / "out/single.fwf");
  EXPECT_EQ(single.find("object Single: TSingle\r\n"), 0u) << single;
  EXPECT_NE(single.find("  object Panel1: TPanel\r\n    Left = 8\r\n    Top = 8\r\n"),
            std::string::npos)
      << single;
  EXPECT_NE(single.find("    object Button1: TButton\r\n      Left = 8\r\n      Top = 8\r\n"),
            std::string::npos)
      << "cut from the panel and pasted back into it\n"
      << single;

  EXPECT_EQ(ReadAll(Dir / "out/data.fwf"), "object Data: TData\r\n  OldCreateOrder = False\r\n  "
                                           "Height = 240\r\n  Width = 320\r\nend\r\n")
      << "a new data module says how large its window is";

  const TRun help = Run({"help", "script"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("inherit NAME as NEWNAME"), std::string::npos) << help.Out;
}

// The inherited form's file names only its own class: its ancestor is found among the form
// files beside it, alone or already open, and edits through it are saved against it.
TEST_F(Scripts, AnInheritedFormOpensOnItsAncestorBesideIt) {
  TRun r = Run({"set", (Dir / "orderentry.fwf").string(), "OKButton.Caption=Go", "-o",
                (Dir / "out.fwf").string()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const std::string out = ReadAll(Dir / "out.fwf");
  EXPECT_NE(out.find("inherited OKButton: TButton\r\n      Caption = 'Go'"), std::string::npos)
      << out;
  EXPECT_EQ(out.find("CancelButton"), std::string::npos) << "inherited unchanged: not written";

  r = Run({"inspect", (Dir / "orderentry.fwf").string(), "--select", "CancelButton", "--json"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"Cancel\""), std::string::npos) << "the ancestor's caption";

  // In a chain, the nearest ancestor: the one with every inherited component and the fewest
  // others (not the decoy that has them too), itself opened on its own ancestor.
  std::string decoy = ReadAll(Dir / "orderbase.fwf");
  decoy.replace(0, decoy.find("\r\n"), "object BigBase: TBigBase");
  decoy.insert(decoy.rfind("end"), "  object Extra: TButton\r\n  end\r\n");
  Write("bigbase.fwf", decoy);
  Write("rushorder.fwf", "inherited RushOrder: TRushOrder\r\n  inherited CustomerEdit: TEdit\r\n"
                         "    Text = 'Rush'\r\n  end\r\nend\r\n");
  const std::string base = Run({"tree", (Dir / "orderbase.fwf").string()}).Out;
  r = Run({"tree", (Dir / "rushorder.fwf").string()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "RushOrder" + base.substr(base.find('\n')) + "  CustomerEdit\n");
  EXPECT_EQ(r.Err, "");

  // Opened after its ancestor: the open one serves, and changes to it reach the descendant.
  const std::string script =
      Write("s.fws", "open orderbase.fwf\nopen orderentry.fwf\n"
                     "module OrderBase\nset CancelButton.Caption=Stop\n"
                     "module OrderEntry\nexpect CancelButton.Caption=Stop\n");
  r = Run({"script", script});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "DesignerOpened OrderBase\nDesignerOpened OrderEntry\nItemsModified OrderBase\n"
                   "ItemsModified OrderEntry\nChecked OrderEntry: CancelButton.Caption=Stop\n");

  // A rename is a change like any other: the module and its descendant hear it.
  r = Run({"script", Write("r.fws", "open orderbase.fwf\nopen orderentry.fwf\n"
                                    "module OrderBase\nrename CancelButton StopButton\n"
                                    "rename OrderBase Base\nmodule OrderEntry\n"
                                    "expect StopButton.Caption=Cancel\n")});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "DesignerOpened OrderBase\nDesignerOpened OrderEntry\nItemsModified OrderBase\n"
                   "ItemsModified OrderEntry\nItemsModified Base\nItemsModified OrderEntry\n"
                   "Checked OrderEntry: StopButton.Caption=Cancel\n");

  // Without the ancestor there is nothing to design it on.
  fs::remove(Dir / "orderbase.fwf");
  fs::remove(Dir / "bigbase.fwf");
  r = Run({"set", (Dir / "orderentry.fwf").string(), "OKButton.Caption=Go"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("cannot be saved"), std::string::npos) << r.Err;
}

// A root of a plain base class keeps the name its file gives it, in text and in binary, and
// a form inherited from it finds it by that name.
TEST_F(Scripts, APlainFormKeepsItsFilesNameAndServesAsAncestor) {
  Write("plain.fwf", "object Form1: TForm\n  object Button1: TButton\n"
                     "    Left = 4\n  end\nend\n");
  Write("child.fwf", "inherited Form2: TForm2\n  inherited Button1: "
                     "TButton\n    Left = 9\n  end\nend\n");
  fs::create_directory(Dir / "bin");
  for (const char* f : {"plain", "child"})
    ASSERT_EQ(Run({"convert", (Dir / (f + std::string(".fwf"))).string(),
                   (Dir / "bin" / (f + std::string(".fwb"))).string(), "--to", "binary"})
                  .Code,
              0);
  auto text = [&](const std::string& file) {
    std::string t = Run({"convert", file, "-", "--to", "text"}).Out;
    std::erase(t, '\r');
    return t;
  };
  for (const std::string& folder : {Dir.string(), (Dir / "bin").string()}) {
    const std::string ext = folder == Dir.string() ? ".fwf" : ".fwb";
    const std::string out = (Dir / "out.fwf").string();
    TRun r = Run({"set", folder + "/plain" + ext, "Form1.Tag=1", "-o", out});
    ASSERT_EQ(r.Code, 0) << folder << r.Err;
    EXPECT_EQ(text(out).rfind("object Form1: TForm\n  Tag = 1\n", 0), 0u) << text(out);

    r = Run({"set", folder + "/child" + ext, "Form2.Tag=2", "Button1.Tag=3", "-o", out});
    ASSERT_EQ(r.Code, 0) << folder << r.Err;
    EXPECT_EQ(text(out), "inherited Form2: TForm2\n  Tag = 2\n  inherited Button1: TButton\n"
                         "    Tag = 3\n    Left = 9\n  end\nend\n")
        << folder;
  }
}

// The shipped inherited form opens on the shipped ancestor and frame, which are what the
// shipped script makes, and saves as it was.
TEST_F(Scripts, TheShippedInheritedFormOpensOnItsShippedAncestorAndSaves) {
  TRun r = Run({"script", kSession + "orderdialog.fws", "--out", (Dir / "made").string()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  for (const char* f : {"orderdialog.fwf", "addressframe.fwf"})
    EXPECT_EQ(ReadAll(Dir / "made" / f), ReadAll(kExamples + f)) << f;

  // Alone with what it builds on, away from the other forms of the fixture.
  const fs::path shipped = Dir / "shipped";
  fs::create_directory(shipped);
  for (const char* f : {"editorderform.fwf", "orderdialog.fwf", "addressframe.fwf"})
    fs::copy_file(kExamples + f, shipped / f);
  // The frame's file stores no tab order: it still opens as a frame, at its own size.
  r = Run(
      {"script", Write("shipped/s.fws", "open addressframe.fwf\nexpect AddressFrame.Width=320\n"
                                        "open editorderform.fwf\nexpect OKButton.Caption=&Save\n"
                                        "expect CancelButton.Caption=Cancel\nsave to once.fwf\n")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(ReadAll(shipped / "once.fwf"), ReadAll(kExamples + "editorderform.fwf"))
      << "saved as it was read";
}

// Entries with stream flags: a frame placed inline at a child position, and a new label
// placed before the inherited buttons. Their classes are known, so they are made as such; the
// frame's class only a form file beside it designs, the other frame's nothing does.
TEST_F(Scripts, FlaggedEntriesOfKnownClassesAreDesignedAsThemselves) {
  const fs::path dir = Dir / "ship";
  fs::create_directory(dir);
  for (const char* f : {"orderdialog.fwf", "addressframe.fwf"})
    fs::copy_file(kExamples + f, dir / f);
  const std::string form =
      "inherited ShipForm: TShipForm\n  Caption = 'Ship'\n  inherited ButtonPanel: TPanel\n"
      "    object NoteLabel: TLabel [0]\n      Left = 200\n      Top = 12\n      Width = 22\n"
      "      Height = 13\n      Caption = 'Note'\n    end\n  end\n"
      "  inline AddressFrame: TAddressFrame [1]\n    Left = 8\n    Top = 48\n    TabOrder = 2\n"
      "    inherited CityEdit: TEdit\n      Text = 'Lyon'\n    end\n  end\n"
      "  inline Mystery: TMysteryFrame\n    Left = 8\n    Top = 200\n    TabOrder = 3\n"
      "    inherited MysteryEdit: TEdit\n      Text = 'Kept'\n    end\n  end\nend\n";
  Write("ship/ship.fwf", form);
  const TRun r = Run(
      {"script", Write("ship/s.fws", "open ship.fwf\nsave to same.fwf\n"
                                     // the frame's size and edit come from its module
                                     "expect AddressFrame.Width=320\n"
                                     "expect AddressFrame.CityEdit.Text=Lyon\n"
                                     "expect AddressFrame.CityEdit.Left=64\n"
                                     "expect NoteLabel.AutoSize=True\n"
                                     "set AddressFrame.CityEdit.Text=Paris\n"
                                     "module AddressFrame\nset StreetEdit.Width=99\n"
                                     "module ShipForm\nexpect AddressFrame.StreetEdit.Width=99\n"
                                     "save to edited.fwf\n")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(ReadAll(dir / "same.fwf"), form);
  std::string edited = form;
  edited.replace(edited.find("Lyon"), 4, "Paris");
  EXPECT_EQ(ReadAll(dir / "edited.fwf"), edited) << "the module's change is not the form's own";

  // Only a class nothing makes stays a placeholder: it has the properties it stored, a
  // frame's own (AutoScroll) only the designed frame has.
  for (const auto& [name, isFrame] : {std::pair{"AddressFrame", true}, {"Mystery", false}}) {
    const TRun i = Run({"inspect", (dir / "ship.fwf").string(), "--select", name});
    ASSERT_EQ(i.Code, 0) << i.Err;
    EXPECT_EQ(i.Out.find("\nAutoScroll ") != std::string::npos, isFrame) << i.Out;
  }
}

TEST_F(Scripts, TheFirstErrorStopsTheScriptAtItsLineWritingNothingMore) {
  struct TCase {
    std::string Text;
    std::string Error; // after "FILE(LINE): "
    bool Ran = false;  // an earlier save ran
  };
  const std::string saved = "open designable.fwf\nsave to early.fwf\n"; // then line 3
  const std::vector<TCase> cases = {
      {saved + "frobnicate\n", "3): unknown command 'frobnicate'"},
      {saved + "create TButton 1,2\n", "3): usage: create CLASS at X,Y [in PARENT]"},
      {saved + "size 1,x\n", "3): usage: size W,H | size AFFECT"},
      {saved + "open \"other.fwf\n", "3): usage: open FILE"},
      {saved + "set\n", "3): usage: set NAME.PROP=VALUE"},
      {saved + "set OKButton.Caption=X\nexpect OKButton.Caption=Y\nsave\n",
       "4): OKButton.Caption is 'X', expected 'Y'", true},
      {saved + "set OKButton.Width=wide\n", "3): 'wide' is not a valid integer value", true},
      {saved + "create TNothing at 1,1\n", "3): Class TNothing not found", true},
      {saved + "module Elsewhere\n", "3): no module named Elsewhere is open", true},
      {saved + "paste\n", "3): nothing to paste", true},
      {saved + "undelete\n", "3): nothing to undelete", true},
      {saved + "render early.svg Ghost\n", "3): OrderForm has no component named Ghost", true},
      {saved + "rename Ghost Spirit\n", "3): OrderForm has no component named Ghost", true},
      {"select OKButton\n", "1): no module is open"},
      {"new TDataModule Data\nmove 1,1\n", "2): Data has no design window"},
      {"open designable.fwf\nselect OKButton\ncopy\nnew TDataModule Data\npaste\n",
       "5): Class TButton is not applicable to this module"},
      {"open designable.fwf\nnew TForm OrderForm\n",
       "2): A component named OrderForm already exists"},
      {"new TForm Extra\nsave\n", "2): Extra has no file yet: save it to a file first"},
  };
  for (const TCase& c : cases) {
    const std::string script = Write("broken.fws", c.Text);
    const TRun r = Run({"script", script});
    EXPECT_EQ(r.Code, 1) << c.Text;
    EXPECT_EQ(r.Err, script + "(" + c.Error + "\n") << c.Text;
    EXPECT_EQ(fs::exists(Dir / "early.fwf"), c.Ran) << c.Text;
    EXPECT_FALSE(fs::exists(Dir / "early.svg")) << c.Text;
    EXPECT_EQ(ReadAll(Dir / "designable.fwf"), ReadAll(kForms + "designable.fwf")) << c.Text;
    fs::remove(Dir / "early.fwf");
  }
  const TRun r = Run({"script", (Dir / "none.fws").string()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("cannot read"), std::string::npos) << r.Err;
}

TEST_F(Scripts, TheShippedSessionFollowsOneEditIntoTheInheritedForm) {
  const TRun r = Run({"script", kSession + "road.fws", "--out", (Dir / "road").string()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  for (const char* line :
       {"DesignerOpened OrderEntry", "ItemInserted OrderBase.Button1",
        "SelectionChanged OrderBase [Button1]", "ItemsModified OrderEntry",
        "Checked OrderEntry: Button1.Caption=&Print", "Saved OrderEntry to saved/orderentry.fwf"})
    EXPECT_TRUE(Has(r.Out, line)) << line << "\n" << r.Out;
  for (const char* f : {"orderbase.fwf", "orderentry.fwf"})
    EXPECT_EQ(ReadAll(kSession + f), ReadAll(Dir / f)) << "the shipped files are left alone";
  EXPECT_NE(ReadAll(Dir / "road/saved/orderbase.fwf").find("Caption = '&Print'"),
            std::string::npos);
  const std::string svg = ReadAll(Dir / "road/saved/orderbase.svg");
  EXPECT_EQ(svg.find("<svg "), 0u);
  EXPECT_NE(svg.find(">Print</text>"), std::string::npos) << svg;
}

// What is dropped or pasted into a placed frame is the frame's: it is saved inside the frame's
// inline entry, in standard syntax, read back into the frame, and the rest of the form stays
// as it was. Taking it all away again gives back the shipped file.
TEST_F(Scripts, ComponentsMadeOrPastedIntoAPlacedFrameAreSavedInsideIt) {
  const fs::path dir = Dir / "framed";
  fs::create_directory(dir);
  for (const char* f : {"editorderform.fwf", "orderdialog.fwf", "addressframe.fwf"})
    fs::copy_file(kExamples + f, dir / f);
  TRun r = Run({"script", Write("framed/make.fws",
                                "open editorderform.fwf\n"
                                "create TButton at 200,4 in AddressFrame\n"
                                "set AddressFrame.Button1.Caption=Go\n"
                                "create TCheckBox at 20,150\n"
                                "create TImageList at 8,8\ncreate TActionList at 40,8\n"
                                "set ActionList1.Images=ImageList1\n"
                                "select ImageList1,ActionList1\ncopy\n"
                                "select AddressFrame\npaste\n"
                                "expect AddressFrame.ActionList1.Images=AddressFrame.ImageList1\n"
                                "expect ActionList1.Images=ImageList1\n"
                                "select ImageList1,ActionList1\ndelete\n"
                                "save to made.fwf\n")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  for (const char* line : {"ItemInserted EditOrderForm.Button1",
                           "SelectionChanged EditOrderForm [ImageList1, ActionList1]"})
    EXPECT_TRUE(Has(r.Out, line)) << line << "\n" << r.Out;

  const std::string shipped = ReadAll(kExamples + std::string("editorderform.fwf"));
  const std::string made = ReadAll(dir / "made.fwf");
  const std::string eol = shipped.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  // Everything the frame gained goes just before the end of its inline entry.
  const std::size_t at = shipped.find("\n  end" + eol, shipped.find("  inline AddressFrame")) + 1;
  ASSERT_NE(at, 0u);
  ASSERT_GT(made.size(), shipped.size());
  const std::size_t gained = made.size() - shipped.size();
  EXPECT_EQ(made.substr(0, at), shipped.substr(0, at));
  EXPECT_EQ(made.substr(at + gained), shipped.substr(at));
  const std::string inserted = made.substr(at, gained);
  EXPECT_EQ(inserted.find("    object Button1: TButton" + eol), 0u) << inserted;
  for (const char* line :
       {"      Caption = 'Go'", "    object CheckBox1: TCheckBox",
        "    object ImageList1: TImageList", "    object ActionList1: TActionList",
        "      Images = AddressFrame.ImageList1"})
    EXPECT_NE(inserted.find(eol + line + eol), std::string::npos) << line << inserted;

  r = Run({"script", Write("framed/back.fws",
                           "open made.fwf\n"
                           "expect AddressFrame.Button1.Caption=Go\n"
                           "expect AddressFrame.Button1.Left=200\n"
                           "expect AddressFrame.ActionList1.Images=AddressFrame.ImageList1\n"
                           "select AddressFrame.Button1\ndelete\nundelete\n"
                           "expect AddressFrame.Button1.Caption=Go\n"
                           "select AddressFrame.Button1,AddressFrame.CheckBox1\ndelete\n"
                           "select AddressFrame.ImageList1,AddressFrame.ActionList1\ndelete\n"
                           "save to back.fwf\n")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(Has(r.Out, "ItemDeleted EditOrderForm.Button1")) << r.Out;
  EXPECT_EQ(ReadAll(dir / "back.fwf"), shipped);

  // What the frame brought from its module still stays.
  r = Run({"script", Write("framed/inherited.fws",
                           "open editorderform.fwf\nselect AddressFrame.CityEdit\ndelete\n")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("introduced in an ancestor"), std::string::npos) << r.Err;
}

// In a module inheriting the form, the inherited frame copied with a list that refers into it
// pastes as a new frame of that module, the list following it; the frame copied from stays,
// and the new frame comes back from the saved file as it was written.
TEST_F(Scripts, AnInheritedFramePastesAsANewFrameOfTheDescendant) {
  const fs::path dir = Dir / "derived";
  fs::create_directory(dir);
  for (const char* f : {"editorderform.fwf", "orderdialog.fwf", "addressframe.fwf"})
    fs::copy_file(kExamples + f, dir / f);
  TRun r = Run(
      {"script", Write("derived/make.fws", "open editorderform.fwf\n"
                                           "create TImageList at 8,8 in AddressFrame\n"
                                           "create TActionList at 40,8\n"
                                           "set ActionList1.Images=AddressFrame.ImageList1\n"
                                           "save\n"
                                           "inherit EditOrderForm as EditOrderForm2\n"
                                           "module EditOrderForm2\n"
                                           "select AddressFrame,ActionList1\ncopy\n"
                                           "select EditOrderForm2\npaste\n"
                                           "expect AddressFrame1.CityEdit.Text=Lyon\n"
                                           "expect ActionList2.Images=AddressFrame1.ImageList1\n"
                                           "expect ActionList1.Images=AddressFrame.ImageList1\n"
                                           "save to derived.fwf\n")});
  ASSERT_EQ(r.Code, 0) << r.Err << r.Out;
  EXPECT_TRUE(Has(r.Out, "SelectionChanged EditOrderForm2 [AddressFrame1, ActionList2]")) << r.Out;
  const std::string made = ReadAll(dir / "derived.fwf");
  for (const char* line :
       {"  inline AddressFrame1: TAddressFrame", "    object ImageList1: TImageList",
        "    Images = AddressFrame1.ImageList1"})
    EXPECT_NE(made.find(line), std::string::npos) << line << "\n" << made;

  r = Run(
      {"script", Write("derived/back.fws", "open derived.fwf\n"
                                           "expect AddressFrame1.CityEdit.Text=Lyon\n"
                                           "expect ActionList2.Images=AddressFrame1.ImageList1\n"
                                           "expect AddressFrame.CityEdit.Text=Lyon\n"
                                           "save to again.fwf\n")});
  ASSERT_EQ(r.Code, 0) << r.Err << r.Out;
  EXPECT_EQ(ReadAll(dir / "again.fwf"), made);
}

} // namespace
