#include "basert/streams.h"

#include "basert/strings.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fw;
using fwtest::MessageOf;

namespace {
std::filesystem::path TempPath(const char* name) {
  return std::filesystem::temp_directory_path() / (std::string("fw_streams_") + name);
}
} // namespace

TEST(MemoryStream, WritesReadsSeeksAndGrowsPastTheEnd) {
  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  EXPECT_EQ(m.Size(), 5);
  EXPECT_EQ(m.Seek(-2, soEnd), 3);
  char buf[8] = {};
  EXPECT_EQ(m.Read(buf, 8), 2);
  EXPECT_STREQ(buf, "lo");
  m.Seek(8, soBeginning); // a gap is zero-filled
  m.WriteBuffer("!", 1);
  ASSERT_EQ(m.Size(), 9);
  EXPECT_EQ(m.Memory()[6], 0);
  EXPECT_EQ(m.Seek(-100, soCurrent), 0);
  m.SetSize(2);
  EXPECT_EQ(m.View(), "he");
  m.Clear();
  EXPECT_EQ(m.Size(), 0);
}

TEST(Stream, CopyFromWholeSourceOrCount) {
  TStringStream src("0123456789");
  src.Seek(4, soBeginning);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 3), 3);
  EXPECT_EQ(dst.View(), "456");
  EXPECT_EQ(dst.CopyFrom(src, 0), 10); // count 0 restarts the source
  EXPECT_EQ(dst.View(), "4560123456789");
  EXPECT_THROW(dst.CopyFrom(src, 1), EReadError);
}

TEST(StringStream, KeepsUtf8ReadsPiecesAndRaisesOnShortRead) {
  TStringStream s("caf\xC3\xA9");
  EXPECT_EQ(s.ReadString(3), "caf");
  s.Seek(0, soEnd);
  s.WriteString("!");
  EXPECT_EQ(s.DataString(), "caf\xC3\xA9!");
  TBytesStream b({1, 2, 3});
  EXPECT_EQ(b.Bytes(), (std::vector<Byte>{1, 2, 3}));
  char buf[8];
  s.SetPosition(0);
  EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, 7); }), sReadError); // one byte short
}

TEST(FileStream, CreatesReadsWritesTruncatesAndNamesTheFileInErrors) {
  auto path = TempPath("rw.bin").string();
  {
    TFileStream f(path, fmCreate);
    f.WriteBuffer("abcdef", 6);
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Position(), 4);
  }
  {
    TFileStream f(path, fmOpenReadWrite);
    f.Seek(1, soBeginning);
    f.WriteBuffer("X", 1);
  }
  TMemoryStream m;
  m.LoadFromFile(path);
  EXPECT_EQ(m.View(), "aXcd");
  std::filesystem::remove(path);

  EXPECT_EQ(MessageOf<EFOpenError>([] { TFileStream f("/nonexistent-dir/x.bin", fmOpenRead); }),
            "Cannot open file \"/nonexistent-dir/x.bin\". No such file or directory");
  EXPECT_THROW(TFileStream("/nonexistent-dir/x.bin", fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(std::filesystem::temp_directory_path().string(), fmOpenRead),
               EFOpenError);
}

namespace {
struct DeleteCounter : TMemoryStream {
  int* Counter;
  explicit DeleteCounter(int* c) : Counter(c) {}
  ~DeleteCounter() override { ++*Counter; }
};
} // namespace

TEST(StreamAdapter, ReadsWritesSeeksAndCopiesThroughTheInterface) {
  TStringStream src("interface data");
  IPtr<IStream> a(new TStreamAdapter(&src));
  char buf[32] = {};
  Cardinal got = 0;
  EXPECT_EQ(a->Read(buf, 9, &got), S_OK);
  EXPECT_EQ(got, 9u);
  EXPECT_EQ(a->Read(buf, 32, &got), S_FALSE);
  EXPECT_EQ(got, 5u);
  UInt64 pos = 99;
  EXPECT_EQ(a->Seek(-4, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 10u);
  EXPECT_EQ(a->Seek(0, 7, nullptr), STG_E_INVALIDFUNCTION);

  TMemoryStream dst;
  IPtr<IStream> b(new TStreamAdapter(&dst));
  UInt64 r = 0, w = 0;
  EXPECT_EQ(a->CopyTo(b.get(), 100, &r, &w), S_OK);
  EXPECT_EQ(r, 4u);
  EXPECT_EQ(w, 4u);
  EXPECT_EQ(dst.View(), "data");
  TStatStg st;
  EXPECT_EQ(b->Stat(&st), S_OK);
  EXPECT_EQ(st.cbSize, 4u);
  EXPECT_TRUE(QueryIntf<IInterface>(b));
}

TEST(StreamAdapter, OwnedStreamIsFreedWithTheLastReference) {
  int deleted = 0;
  {
    IPtr<IStream> a(new TStreamAdapter(new DeleteCounter(&deleted), soOwned));
    IPtr<IStream> copy = a;
    a.reset();
    EXPECT_EQ(deleted, 0);
  }
  EXPECT_EQ(deleted, 1);
  DeleteCounter kept(&deleted);
  { IPtr<IStream> a(new TStreamAdapter(&kept)); }
  EXPECT_EQ(deleted, 1);
}

TEST(OleStream, WrapsAForeignIStreamBothWays) {
  TMemoryStream memory;
  IPtr<IStream> intf(new TStreamAdapter(&memory));
  TOleStream ole(intf);
  ole.WriteBuffer("hello world", 11);
  EXPECT_EQ(memory.Size(), 11);
  EXPECT_EQ(ole.Size(), 11);
  ole.SetPosition(6);
  char buf[8] = {};
  EXPECT_EQ(ole.Read(buf, 8), 5); // a short read is answered, not raised
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_THROW(ole.ReadBuffer(buf, 1), EReadError);
  ole.SetSize(5);
  EXPECT_EQ(memory.Size(), 5);
  EXPECT_EQ(ole.Seek(0, soEnd), 5);
}

namespace {
struct TBrokenStream : IStream {
  int refs = 0;
  HResult QueryInterface(const TGUID&, void** obj) override {
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  int _AddRef() override { return ++refs; }
  int _Release() override { return --refs; }
  HResult Read(void*, Cardinal, Cardinal*) override { return E_NOINTERFACE; }
  HResult Write(const void*, Cardinal, Cardinal*) override { return E_NOINTERFACE; }
  HResult Seek(Int64, int, UInt64*) override { return E_NOINTERFACE; }
  HResult SetSize(UInt64) override { return E_NOINTERFACE; }
  HResult CopyTo(IStream*, UInt64, UInt64*, UInt64*) override { return E_NOINTERFACE; }
  HResult Stat(TStatStg*) override { return E_NOINTERFACE; }
};
} // namespace

TEST(OleStream, FailureCodesRaiseStreamErrors) {
  TBrokenStream broken;
  {
    TOleStream ole{IPtr<IStream>(&broken)};
    char c = 0;
    EXPECT_THROW(ole.Read(&c, 1), EStreamError);
    EXPECT_THROW(ole.Write(&c, 1), EStreamError);
    EXPECT_THROW(ole.Seek(0, soBeginning), EStreamError);
  }
  EXPECT_EQ(broken.refs, 0);
}

// A save that fails half-way (here at a file-size limit, in a child process) must leave the file
// it was replacing whole, and no temporary file beside it.
TEST(SaveToFile, FailedSaveKeepsTheOldFile) {
  const auto dir = TempPath("failed_save");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const String path = (dir / "out.txt").string();
  const String big(1 << 20, 'x');
  const std::vector<std::pair<const char*, std::function<void()>>> savers = {
      {"TStrings",
       [&] {
         TStringList l;
         l.Add(big);
         l.SaveToFile(path);
       }},
      {"TMemoryStream",
       [&] {
         TMemoryStream m;
         m.WriteBuffer(big.data(), static_cast<Int64>(big.size()));
         m.SaveToFile(path);
       }},
  };
  for (const auto& [name, save] : savers) {
    std::ofstream(path, std::ios::binary) << "old";
    const pid_t pid = ::fork();
    if (pid == 0) {
      rlimit limit{64 * 1024, 64 * 1024};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      const bool raised = MessageOf<EFCreateError>(save).find("out.txt") != String::npos;
      ::_exit(raised ? 0 : 3);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(String(std::istreambuf_iterator<char>(in), {}), "old") << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << name;
  }
  std::filesystem::remove_all(dir);
}
