#include "formfile.h"

#include "basert/exceptions.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace fw;
using namespace fwcli;
namespace fs = std::filesystem;

namespace {

String Generated(int count) {
  String s = "object Big: TBig\r\n";
  for (int i = 0; i < count; ++i)
    s += "  object C" + std::to_string(i) + ": TC\r\n    Caption = 'caf'#233' number " +
         std::to_string(i) + "'\r\n    Items = (\r\n      1\r\n      2.5)\r\n  end\r\n";
  return s + "end\r\n";
}

class FormFiles : public testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/fwcli-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    FDir = tmpl;
  }
  void TearDown() override { fs::remove_all(FDir); }

  String Path(const char* name) const { return (FDir / name).string(); }
  String Put(const char* name, std::string_view data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
    return Path(name);
  }
  String Get(const char* name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return String(std::istreambuf_iterator<char>(in), {});
  }

  fs::path FDir;
};

} // namespace

TEST_F(FormFiles, ConvertedFilesMatchTheInMemoryConversionInEveryDirection) {
  // Several output blocks' worth, so that the streamed output is pieced together.
  const String text = Generated(10000);
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(in, binary);
  ASSERT_GT(binary.Size(), 1 << 19);
  ASSERT_GT(text.size(), 1u << 19);

  EXPECT_EQ(ConvertFile(Put("a.fwf", text), Path("a.fwb"), std::nullopt).OutBytes, binary.Size());
  EXPECT_EQ(Get("a.fwb"), binary.View());

  ConvertFile(Path("a.fwb"), Path("b.fwf"), std::nullopt);
  EXPECT_EQ(Get("b.fwf"), text);
  ConvertFile(Path("a.fwb"), Path("a.res"), FormFormat::Resource);
  ConvertFile(Path("a.res"), Path("c.fwb"), FormFormat::Binary);
  EXPECT_EQ(Get("c.fwb"), binary.View());
  ConvertFile(Path("b.fwf"), Path("d.fwf"), FormFormat::Text);
  EXPECT_EQ(Get("d.fwf"), text);
}

TEST_F(FormFiles, PipesAndStandardInputAreReadToTheirEnd) {
  const String text = Generated(2000); // more than a pipe holds at once
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::thread writer([&] {
    for (std::size_t at = 0; at < text.size();)
      at += static_cast<std::size_t>(::write(fds[1], text.data() + at, text.size() - at));
    ::close(fds[1]);
  });
  FormFile file;
  LoadFormFile("/dev/fd/" + std::to_string(fds[0]), file);
  writer.join();
  EXPECT_EQ(file.Format, FormFormat::Text);
  EXPECT_EQ(file.Data(), text);

  // "-" is standard input.
  const int saved = ::dup(0);
  const int in = ::open(Put("s.fwf", text).c_str(), O_RDONLY);
  ::dup2(in, 0);
  ConvertFile("-", Path("s.fwb"), std::nullopt);
  ::dup2(saved, 0);
  ::close(in);
  ::close(saved);
  ::close(fds[0]);
  EXPECT_EQ(Get("s.fwb").substr(0, 4), "TPF0");

  // A pipe as the output gets nothing of a conversion that fails late.
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  String received;
  std::thread reader([&] {
    std::ifstream in(Path("fifo"), std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), {});
  });
  const String big = Generated(12000); // more than an output block before the fault
  const String broken = Put("late.fwf", big.substr(0, big.size() - 5));
  EXPECT_THROW(ConvertFile(broken, Path("fifo"), std::nullopt), EParserError);
  reader.join();
  EXPECT_EQ(received.size(), 0u);
}

TEST_F(FormFiles, BrokenInputRaisesWhereItBreaksAndLeavesTheOutputAlone) {
  const String text = Generated(3);
  Put("out", "previous");
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(in, binary);
  const String good(binary.View());
  struct Case {
    String data, message;
  };
  const Case cases[] = {
      {text + "object", "End of text expected on line 21, column 1"},
      {good + "x", "Unexpected data after the component at byte " + std::to_string(good.size())},
      {good.substr(0, 50), "Unexpected end of stream at byte 50"},
      {"object A: TA\r\n  V = WString('x')\r\nend\r\n",
       "Typed value WString(...) needs the exact text syntax on line 2, column 7"},
      {"", "not a form file (neither binary nor text)"},
  };
  for (const auto& c : cases) {
    String name = Put("in", c.data);
    EXPECT_EQ(fwtest::MessageOf([&] { ConvertFile(name, Path("out"), std::nullopt); }), c.message);
    EXPECT_EQ(Get("out"), "previous");
    EXPECT_EQ(std::distance(fs::directory_iterator(FDir), {}), 2) << "no temporary file is left";
  }
}

TEST_F(FormFiles, ExactSyntaxKeepsForeignBytesThroughTheFiles) {
  // V is a wide string of plain characters, which our own writer would give a short string.
  using namespace std::literals;
  const String foreign = "TPF0\x02TA\x01"
                         "A\x01V\x12\x01\0\0\0x\0\0\0"s;
  Put("f.fwb", foreign);
  ConvertFile(Path("f.fwb"), Path("f.fwf"), std::nullopt, TTextSyntax::Exact);
  EXPECT_NE(Get("f.fwf").find("V = WString('x')"), String::npos) << Get("f.fwf");
  ConvertFile(Path("f.fwf"), Path("g.fwb"), std::nullopt, TTextSyntax::Exact);
  EXPECT_EQ(Get("g.fwb"), foreign);

  ConvertFile(Path("f.fwb"), Path("p.fwf"), std::nullopt);
  EXPECT_NE(Get("p.fwf").find("V = 'x'"), String::npos) << Get("p.fwf");
}

TEST_F(FormFiles, AFileShortenedWhileMappedIsRefusedNotACrash) {
  const String text = Generated(2000);
  FormFile file;
  LoadFormFile(Put("m.fwf", text), file);
  ASSERT_EQ(::truncate(Path("m.fwf").c_str(), 0), 0);
  TMemoryStream out;
  EXPECT_EQ(fwtest::MessageOf([&] { Convert(file, FormFormat::Binary, out); }),
            "the file changed while it was read");
}
