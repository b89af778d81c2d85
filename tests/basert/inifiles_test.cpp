#include "basert/inifiles.h"

#include "basert/datetime.h"
#include "basert/exceptions.h"
#include "basert/strings.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace fw;
using fwtest::MessageOf;

namespace {

std::unique_ptr<TMemIniFile> Parse(std::string_view text) {
  TStringList lines;
  lines.LoadFromBytes(text);
  auto ini = std::make_unique<TMemIniFile>();
  ini->SetStrings(lines);
  return ini;
}

String Written(const TMemIniFile& ini) {
  TStringList lines;
  ini.GetStrings(lines);
  return lines.Text();
}

String Listed(void (TMemIniFile::*read)(std::string_view, TStrings&) const, const TMemIniFile& ini,
              std::string_view section) {
  TStringList l;
  (ini.*read)(section, l);
  return l.CommaText();
}

class IniFileOnDisk : public ::testing::Test {
protected:
  void SetUp() override {
    FDir = std::filesystem::temp_directory_path() /
           ("fw_ini_" + String(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(FDir);
  }
  void TearDown() override { std::filesystem::remove_all(FDir); }
  String Path(const char* name) const { return (FDir / name).string(); }
  static String Slurp(const String& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::filesystem::path FDir;
};

} // namespace

TEST(MemIniFile, ParsesAnyLineEndAndIgnoresWhatIsNotAKey) {
  auto ini = Parse("\xEF\xBB\xBF"
                   "orphan=1\r\n"
                   "; leading comment\n"
                   "[Main]\r"
                   "  Left = 10  \r\n"
                   "no separator here\n"
                   "Top=\n"
                   "Left=99\n"
                   "[ Other ]\n"
                   "a=b=c\n"
                   "[main]\n"
                   "Width=5\n");
  TStringList sections;
  ini->ReadSections(sections);
  EXPECT_EQ(sections.CommaText(), "Main,Other");
  EXPECT_EQ(ini->ReadString("MAIN", "left", "?"), "10"); // the first of repeated keys wins
  EXPECT_EQ(ini->ReadString("Main", "Top", "?"), "");
  EXPECT_TRUE(ini->ValueExists("Main", "Top"));
  EXPECT_EQ(ini->ReadString("Other", "a", "?"), "b=c");
  EXPECT_EQ(ini->ReadString("Main", "Width", "?"), "5"); // repeated section merged
  EXPECT_EQ(ini->ReadString("Main", "orphan", "?"), "?");
  EXPECT_EQ(Listed(&TMemIniFile::ReadSection, *ini, "main"), "Left,Top,Left,Width");
  EXPECT_EQ(Listed(&TMemIniFile::ReadSectionValues, *ini, "main"), "Left=10,Top=,Left=99,Width=5");
}

TEST(MemIniFile, WritesBackCommentsInPlaceWithCrLf) {
  auto ini = Parse("# top\n[A]\n;note\nx=1\n[B]\ny=2\n");
  ini->WriteString("A", "z", "3");
  ini->WriteString("C", "k", "v");
  EXPECT_EQ(Written(*ini),
            "# top\r\n\r\n[A]\r\n;note\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\n"
            "k=v\r\n");
  auto again = Parse(Written(*ini));
  EXPECT_EQ(Written(*again), Written(*ini));
}

TEST(MemIniFile, DeleteAndEraseKeepOrderAndUncoverDuplicates) {
  auto ini = Parse("[S]\nk=first\nm=1\nk=second\n[T]\n[U]\nq=1\n");
  EXPECT_TRUE(ini->SectionExists("t")); // present though empty
  ini->DeleteKey("s", "K");
  EXPECT_EQ(ini->ReadString("S", "k", ""), "second");
  ini->DeleteKey("S", "missing");
  ini->DeleteKey("missing", "k");
  ini->EraseSection("T");
  EXPECT_FALSE(ini->SectionExists("T"));
  ini->WriteString("T", "new", "1"); // comes back at the end
  TStringList sections;
  ini->ReadSections(sections);
  EXPECT_EQ(sections.CommaText(), "S,U,T");
  EXPECT_EQ(Listed(&TMemIniFile::ReadSectionValues, *ini, "S"), "m=1,k=second");
}

TEST(MemIniFile, TypedValues) {
  auto ini = Parse("[N]\n"
                   "dec= -42 \nhex=$1F\nbig=4294967296\nbad=12a\n"
                   "b1=1\nbf= FALSE\nbx=maybe\nf=2.5e3\nfbad=1,5\n");
  EXPECT_EQ(ini->ReadInteger("N", "dec", 0), -42);
  EXPECT_EQ(ini->ReadInteger("N", "hex", 0), 31);
  EXPECT_EQ(ini->ReadInteger("N", "big", 7), 7);
  EXPECT_EQ(ini->ReadInt64("N", "big", 7), 4294967296);
  EXPECT_EQ(ini->ReadInteger("N", "bad", 7), 7);
  EXPECT_EQ(ini->ReadInteger("N", "missing", 7), 7);
  EXPECT_TRUE(ini->ReadBool("N", "b1", false));
  EXPECT_FALSE(ini->ReadBool("N", "bf", true));
  EXPECT_TRUE(ini->ReadBool("N", "bx", true));
  EXPECT_DOUBLE_EQ(ini->ReadFloat("N", "f", 0), 2500.0);
  EXPECT_DOUBLE_EQ(ini->ReadFloat("N", "fbad", -1), -1);

  ini->WriteBool("W", "on", true);
  ini->WriteInteger("W", "min", -2147483647 - 1);
  ini->WriteFloat("W", "third", 1.0 / 3);
  ini->WriteFloat("W", "big", -1.5e20);
  EXPECT_EQ(ini->ReadString("W", "on", ""), "1");
  EXPECT_EQ(ini->ReadInteger("W", "min", 0), -2147483647 - 1);
  EXPECT_EQ(ini->ReadString("W", "third", ""), "0.333333333333333");
  EXPECT_EQ(ini->ReadFloat("W", "big", 0), -1.5e20);
  const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 0);
  ini->WriteDateTime("W", "when", when);
  EXPECT_EQ(ini->ReadString("W", "when", ""), "2/29/2024 13:05:09");
  EXPECT_DOUBLE_EQ(ini->ReadDateTime("W", "when", 0), when);
  EXPECT_EQ(ini->ReadDate("W", "on", -1), -1); // "1" is no date
  ini->WriteString("W", "padded", "\"  two  \"");
  EXPECT_EQ(ini->ReadText("W", "padded", ""), "  two  ");
  EXPECT_EQ(ini->ReadText("W", "on", ""), "1");
}

TEST(MemIniFile, RejectsEntriesThatCannotBeLines) {
  TMemIniFile ini;
  EXPECT_THROW(ini.WriteString("S", "a=b", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S", ";x", "v"), EIniFileException);
  EXPECT_THROW(ini.WriteString("S\nT", "x", "v"), EIniFileException);
  EXPECT_EQ(MessageOf<EIniFileException>([&] { ini.WriteString("S", "key", "two\r\nlines"); }),
            "Invalid ini file value for key \"key\"");
  EXPECT_FALSE(ini.SectionExists("S"));
  ini.WriteString(" S ", " key ", "v"); // names are trimmed as a reload would
  EXPECT_EQ(ini.ReadString("S", "key", ""), "v");
}

TEST_F(IniFileOnDisk, MemIniFileWritesOnUpdateAndIniFileOnEveryChange) {
  String path = Path("settings.ini");
  {
    TMemIniFile ini(path);
    ini.WriteInteger("Window", "Left", 10);
    EXPECT_FALSE(std::filesystem::exists(path));
    ini.UpdateFile();
  }
  EXPECT_EQ(Slurp(path), "[Window]\r\nLeft=10\r\n");
  TMemIniFile back(path);
  EXPECT_EQ(back.ReadInteger("window", "left", 0), 10);

  String desk = Path("desk.dsk");
  TIniFile ini(desk);
  ini.WriteBool("Main", "Visible", true);
  EXPECT_EQ(TMemIniFile(desk).ReadBool("Main", "Visible", false), true);
  ini.WriteString("Other", "x", "1");
  ini.EraseSection("Main");
  EXPECT_FALSE(TMemIniFile(desk).SectionExists("Main"));
  ini.DeleteKey("Other", "x");
  EXPECT_FALSE(TMemIniFile(desk).ValueExists("Other", "x"));
}

TEST_F(IniFileOnDisk, UnwritableAndUnreadableFilesAreNamed) {
  String path = Path("missing-dir/x.ini");
  TIniFile ini(path); // a missing file is just empty
  EXPECT_EQ(MessageOf<EIniFileException>([&] { ini.WriteString("S", "k", "v"); }),
            "Unable to write to " + path);
  EXPECT_EQ(MessageOf<EIniFileException>([&] { TMemIniFile dir(FDir.string()); }),
            "Unable to read " + FDir.string());
}

TEST_F(IniFileOnDisk, RegistryIniFilesShareOneHiveOfKeyPaths) {
  TRegistryIniFile::LoadHive(Path("hive.ini"));
  {
    TRegistryIniFile editors("Software\\Vendor\\Editors\\");
    editors.WriteInteger("Collection Editor\\TStatusPanels", "Width", 300);
    editors.WriteBool("Collection Editor\\TStatusPanels", "Toolbar", false);
    editors.WriteInteger("Collection Editor\\TListColumns", "Width", 200);
    editors.WriteString("Picture Editor", "Dir", "/tmp");

    TRegistryIniFile collection("software\\vendor\\editors\\Collection Editor");
    EXPECT_EQ(collection.ReadInteger("TStatusPanels", "width", 0), 300);
    TStringList names;
    collection.ReadSections(names);
    EXPECT_EQ(names.CommaText(), "TStatusPanels,TListColumns");
    editors.ReadSections(names);
    EXPECT_EQ(names.CommaText(), "\"Collection Editor\",\"Picture Editor\"");

    editors.EraseSection("Collection Editor"); // with everything below it
    EXPECT_FALSE(collection.SectionExists("TStatusPanels"));
    EXPECT_TRUE(editors.ValueExists("Picture Editor", "Dir"));
    editors.UpdateFile();
  }
  TRegistryIniFile::LoadHive(""); // memory only, and empty
  EXPECT_FALSE(TRegistryIniFile("Software\\Vendor\\Editors").SectionExists("Picture Editor"));
  TRegistryIniFile::LoadHive(Path("hive.ini"));
  EXPECT_EQ(TRegistryIniFile("Software\\Vendor\\Editors").ReadString("Picture Editor", "Dir", ""),
            "/tmp");
  TRegistryIniFile::LoadHive("");
}
