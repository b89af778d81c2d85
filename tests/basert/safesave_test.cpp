#include "basert/safesave.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using fwtest::MessageOf;

class SafeSaveTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/safesave-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Dir = tmpl;
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Path(const std::string& name) const { return (Dir / name).string(); }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const fs::path& p, const std::string& data) {
    std::ofstream(p, std::ios::binary) << data;
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Dir))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static mode_t Mode(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode;
  }

  fs::path Dir;
};

TEST_F(SafeSaveTest, ReplacesContentOnlyOnCommit) {
  Write(Dir / "out.bin", "old");
  {
    fw::TSafeSaveStream out(Path("out.bin"));
    out.WriteBuffer("new content", 11);
    EXPECT_EQ(Read(Dir / "out.bin"), "old");
    EXPECT_EQ(Entries().size(), 2u); // the temporary beside the target
  }
  EXPECT_EQ(Read(Dir / "out.bin"), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.bin"});

  // Many small writes and a large one, with a seek back to patch a header.
  std::string big(3 << 20, 'x');
  {
    fw::TSafeSaveStream out(Path("out.bin"));
    for (int i = 0; i < 1000; ++i)
      out.WriteBuffer("ab", 2);
    out.WriteBuffer(big.data(), static_cast<fw::Int64>(big.size()));
    EXPECT_EQ(out.Position(), 2000 + static_cast<fw::Int64>(big.size()));
    out.SetPosition(0);
    out.WriteBuffer("HD", 2);
    out.Commit();
  }
  std::string expected = "HD";
  for (int i = 1; i < 1000; ++i)
    expected += "ab";
  EXPECT_EQ(Read(Dir / "out.bin"), expected + big);
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.bin"});
}

TEST_F(SafeSaveTest, TemporaryNameFitsWhereTheTargetFits) {
  const std::string longName(255, 'n');
  fw::TSafeSaveStream out(Path(longName));
  for (const auto& name : Entries())
    EXPECT_LE(name.size(), longName.size());
  out.Commit();
  EXPECT_EQ(Entries(), std::vector<std::string>{longName});
}

TEST_F(SafeSaveTest, SymbolicLinkIsWrittenThroughAndModeKept) {
  fs::create_directory(Dir / "real");
  Write(Dir / "real/data", "old");
  ::chmod((Dir / "real/data").c_str(), 0604);
  fs::create_symlink("real/data", Dir / "link1");
  fs::create_symlink(Dir / "link1", Dir / "link2"); // absolute, to a relative one
  fw::SaveAtomically(Path("link2"), "new");
  EXPECT_TRUE(fs::is_symlink(Dir / "link1"));
  EXPECT_TRUE(fs::is_symlink(Dir / "link2"));
  EXPECT_EQ(Read(Dir / "real/data"), "new");
  EXPECT_EQ(Mode(Dir / "real/data") & 07777, 0604u);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown((Dir / "real/data").c_str(), 4321, 4322), 0);
    fw::SaveAtomically(Path("link1"), "newer");
    struct stat st {};
    ::stat((Dir / "real/data").c_str(), &st);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
  }

  // A dangling link creates the file it names; a new file gets the umask's mode.
  fs::create_symlink("made", Dir / "dangling");
  const mode_t mask = ::umask(022);
  fw::SaveAtomically(Path("dangling"), "x");
  ::umask(mask);
  EXPECT_EQ(Read(Dir / "made"), "x");
  EXPECT_EQ(Mode(Dir / "made") & 07777, 0644u);

  fs::create_symlink("loop", Dir / "loop");
  EXPECT_EQ(MessageOf([&] { fw::SaveAtomically(Path("loop"), "x"); }),
            "cannot write '" + Path("loop") + "': Too many levels of symbolic links");
}

TEST_F(SafeSaveTest, NonRegularTargetsAreWrittenDirectly) {
  // As root a broken save would replace the machine's /dev/null: use a node of our own.
  std::string null = "/dev/null";
  if (::geteuid() == 0 && ::mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    null = Path("null");
  fw::SaveAtomically(null, "discarded");
  EXPECT_TRUE(S_ISCHR(Mode(null)));
  fs::remove(Dir / "null");

  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read(Dir / "fifo"); });
  {
    fw::TSafeSaveStream out(Path("fifo"));
    EXPECT_TRUE(out.Direct());
    out.WriteBuffer("through the pipe", 16);
    EXPECT_THROW(out.SetPosition(0), fw::EStreamError);
    out.Commit();
  }
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_TRUE(S_ISFIFO(Mode(Dir / "fifo")));
  EXPECT_EQ(Entries(), std::vector<std::string>{"fifo"});
}

TEST_F(SafeSaveTest, FailuresNameTheFileAndTheCause) {
  const std::string data(1 << 20, 'd');
  EXPECT_EQ(MessageOf([&] { fw::SaveAtomically("/dev/full", data); }),
            "cannot write '/dev/full': No space left on device");
  EXPECT_EQ(MessageOf([&] { fw::SaveAtomically(Path("none/out.bin"), "x"); }),
            "cannot write '" + Path("none/out.bin") + "': No such file or directory");
  fs::create_directory(Dir / "sub");
  EXPECT_EQ(MessageOf([&] { fw::SaveAtomically(Path("sub"), "x"); }),
            "cannot write '" + Path("sub") + "': Is a directory");
  EXPECT_EQ(Entries(), std::vector<std::string>{"sub"});
}

TEST_F(SafeSaveTest, SwappedTemporaryNameCannotRedirectTheWrite) {
  Write(Dir / "victim", "precious");
  fw::TSafeSaveStream out(Path("out.bin"));
  std::string temp;
  for (const auto& name : Entries())
    if (name != "victim") temp = name;
  ASSERT_FALSE(temp.empty());
  fs::remove(Dir / temp);
  fs::create_symlink(Dir / "victim", Dir / temp);

  const std::string data(1 << 20, 'a');
  out.WriteBuffer(data.data(), static_cast<fw::Int64>(data.size()));
  EXPECT_EQ(MessageOf([&] { out.Commit(); }),
            "cannot write '" + Path("out.bin") +
                "': the temporary file was replaced by someone else");
  EXPECT_EQ(Read(Dir / "victim"), "precious");
  EXPECT_FALSE(fs::exists(Dir / "out.bin"));
}

// Runs `child` in a forked process, which answers its exit status.
template <class F> int InChild(F&& child) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 1;
    try {
      code = child();
    } catch (...) {
    }
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST_F(SafeSaveTest, InterruptedSaveLeavesNothing) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(ready[0]);
      fw::TSafeSaveStream out(Path("out.bin"));
      out.WriteBuffer("partial", 7);
      (void)!::write(ready[1], "r", 1);
      for (;;)
        ::pause();
    }
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    ::kill(pid, sig);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "signal " << sig;
    EXPECT_TRUE(Entries().empty()) << "signal " << sig;
  }

  // A file-size limit fails the write instead of killing the process mid-save.
  Write(Dir / "out.bin", "old");
  const int status = InChild([&] {
    rlimit limit{64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::string data(1 << 20, 'd');
    const std::string message = MessageOf([&] { fw::SaveAtomically(Path("out.bin"), data); });
    return message == "cannot write '" + Path("out.bin") + "': File too large" ? 0 : 3;
  });
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.bin"});
  EXPECT_EQ(Read(Dir / "out.bin"), "old");
}

} // namespace
