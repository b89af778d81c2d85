// Safe saving: temporary file beside the target, synced and renamed over it.
#include "basert/safesave.h"

#include "basert/exceptions.h"
#include "basert/format.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr std::size_t kBlock = 256 * 1024;
constexpr Int64 kWriteBackStep = 4 << 20;
constexpr std::size_t kMinTempName = 8; // a dot, at least one character of the name, 6 random
constexpr std::size_t kMaxName = 255;
constexpr int kMaxLinks = 40;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};
constexpr std::string_view sNotSeekable = "cannot seek in '%s'";
constexpr std::string_view sTempReplaced = "the temporary file was replaced by someone else";

String Message(const String& fileName, std::string_view cause) {
  return Format(sCannotWrite, fileName, String(cause));
}

// Temporary files still open, for the signal handler. The handler may run at any point, so a
// slot becomes visible only once fully written, and everything it touches is lock-free.
struct TCleanupSlot {
  std::atomic<int> State{0}; // 0 free, 1 being filled, 2 live
  pid_t Owner = 0;
  int DirFd = -1;
  char Name[kMaxName + 1] = {};
};
constexpr int kSlots = 64;
TCleanupSlot gSlots[kSlots];
std::atomic<int> gLiveSaves{0};

void RemoveTemporaries() noexcept {
  const pid_t self = ::getpid();
  for (auto& slot : gSlots)
    if (slot.State.load() == 2 && slot.Owner == self) ::unlinkat(slot.DirFd, slot.Name, 0);
}

extern "C" void OnFatalSignal(int sig) {
  const int saved = errno;
  // A file-size limit makes the pending write fail with EFBIG, which the save reports and
  // cleans up after, instead of killing the process mid-save.
  if (sig == SIGXFSZ && gLiveSaves.load() > 0) {
    errno = saved;
    return;
  }
  RemoveTemporaries();
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  ::sigaction(sig, &dfl, nullptr);
  ::raise(sig); // delivered, with its default action, when the handler returns
  errno = saved;
}

void InstallHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int sig : kCleanupSignals) {
      struct sigaction old {};
      if (::sigaction(sig, nullptr, &old) != 0) continue;
      // Leave ignored signals ignored (nohup) and the program's own handlers alone.
      if (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_DFL) {
        struct sigaction act {};
        act.sa_handler = OnFatalSignal;
        sigemptyset(&act.sa_mask);
        for (int other : kCleanupSignals)
          sigaddset(&act.sa_mask, other);
        act.sa_flags = SA_RESTART;
        ::sigaction(sig, &act, nullptr);
      }
    }
  });
}

class TSignalBlock {
public:
  TSignalBlock() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kCleanupSignals)
      sigaddset(&set, sig);
    ::pthread_sigmask(SIG_BLOCK, &set, &FOld);
  }
  ~TSignalBlock() { ::pthread_sigmask(SIG_SETMASK, &FOld, nullptr); }

private:
  sigset_t FOld;
};

int ClaimSlot(int dirFd, const String& name) {
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (!gSlots[i].State.compare_exchange_strong(expected, 1)) continue;
    gSlots[i].Owner = ::getpid();
    gSlots[i].DirFd = dirFd;
    std::memcpy(gSlots[i].Name, name.c_str(), name.size() + 1);
    return i;
  }
  return -1; // too many saves at once: only the destructor cleans up this one
}

void ReleaseSlot(int slot) noexcept {
  if (slot < 0) return;
  if (gSlots[slot].State.exchange(0) == 2) gLiveSaves.fetch_sub(1);
}

void RandomName(char* out, std::size_t n) {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[16];
  if (::getrandom(bytes, n, 0) != static_cast<ssize_t>(n)) {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    unsigned long x =
        static_cast<unsigned long>(ts.tv_nsec) ^ (static_cast<unsigned long>(::getpid()) << 20);
    for (std::size_t i = 0; i < n; ++i, x = x * 6364136223846793005UL + 1442695040888963407UL)
      bytes[i] = static_cast<unsigned char>(x >> 33);
  }
  for (std::size_t i = 0; i < n; ++i)
    out[i] = kChars[bytes[i] % (sizeof kChars - 1)];
}

// Names of standard streams: written to the descriptor the process already has.
int StandardDescriptor(const String& name) {
  if (name == "-" || name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    const std::size_t n = std::strlen(prefix);
    if (name.size() > n && name.compare(0, n, prefix) == 0 &&
        name.find_first_not_of("0123456789", n) == String::npos && name.size() - n < 9)
      return std::stoi(name.substr(n));
  }
  return -1;
}

} // namespace

TSafeSaveStream::TSafeSaveStream(const String& FileName) : FFileName(FileName) {
  if (FileName.empty()) Fail(ENOENT);
  if (const int stdFd = StandardDescriptor(FileName); stdFd >= 0) {
    if (stdFd == 1 || stdFd == 2) std::fflush(stdFd == 1 ? stdout : stderr);
    FFd = ::fcntl(stdFd, F_DUPFD_CLOEXEC, 3);
    if (FFd < 0) Fail(errno);
    FDirect = true;
    FSeekable = ::lseek(FFd, 0, SEEK_CUR) >= 0;
    return;
  }

  // Follow symbolic links ourselves, so that the file a link names is what gets replaced.
  String path = FileName;
  struct stat st {};
  bool exists = false;
  for (int hops = 0;; ++hops) {
    if (::lstat(path.c_str(), &st) != 0) {
      if (errno != ENOENT) Fail(errno);
      break;
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      break;
    }
    if (hops == kMaxLinks) Fail(ELOOP);
    char link[4096];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
    if (n < 0) Fail(errno);
    if (static_cast<std::size_t>(n) == sizeof link) Fail(ENAMETOOLONG);
    String next(link, static_cast<std::size_t>(n));
    if (next.starts_with("/proc/")) {
      // Descriptor links name no path that could be replaced: write to what they stand for.
      path = FileName;
      exists = ::stat(path.c_str(), &st) == 0;
      if (exists && S_ISREG(st.st_mode)) st.st_mode = S_IFCHR; // an open stream, written as is
      break;
    }
    if (next.starts_with('/')) {
      path = next;
    } else {
      const std::size_t slash = path.rfind('/');
      path = slash == String::npos ? next : path.substr(0, slash + 1) + next;
    }
  }
  if (exists && S_ISDIR(st.st_mode)) Fail(EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    FFd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (FFd < 0) Fail(errno);
    FDirect = true;
    FSeekable = ::lseek(FFd, 0, SEEK_CUR) >= 0;
    return;
  }

  const std::size_t slash = path.rfind('/');
  const String dir = slash == String::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  FTargetName = slash == String::npos ? path : path.substr(slash + 1);
  if (FTargetName.empty() || FTargetName == "." || FTargetName == "..") Fail(EISDIR);
  if (FTargetName.size() > kMaxName) Fail(ENAMETOOLONG);
  FDirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (FDirFd < 0) Fail(errno);
  // Look again through the folder's descriptor: that is the folder the rename will go to.
  exists =
      ::fstatat(FDirFd, FTargetName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);

  InstallHandlers();
  const std::size_t length = std::min(std::max(FTargetName.size(), kMinTempName), kMaxName);
  FTempName.assign(1, '.').append(FTargetName, 0, length - 7).append(6, 'X');
  for (int attempt = 0;; ++attempt) {
    RandomName(FTempName.data() + length - 6, 6);
    FSlot = ClaimSlot(FDirFd, FTempName);
    int error = 0;
    {
      TSignalBlock block; // the file and its cleanup entry appear together
      // An existing target's content may be private: start private, widen below.
      FFd = ::openat(FDirFd, FTempName.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666);
      error = errno;
      if (FFd >= 0 && FSlot >= 0) {
        gLiveSaves.fetch_add(1);
        gSlots[FSlot].State.store(2);
      }
    }
    if (FFd >= 0) break;
    ReleaseSlot(FSlot);
    FSlot = -1;
    if (error != EEXIST || attempt == 100) {
      FTempName.clear();
      Fail(error);
    }
  }
  if (exists) {
    // The owner first: changing it clears set-id bits that the mode then restores.
    if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
        ::fchown(FFd, st.st_uid, st.st_gid) != 0)
      (void)::fchown(FFd, static_cast<uid_t>(-1), st.st_gid);
    if (::fchmod(FFd, st.st_mode & 07777) != 0) Fail(errno);
  }
}

TSafeSaveStream::~TSafeSaveStream() {
  if (!FCommitted) Discard();
  if (FDirFd >= 0) ::close(FDirFd);
}

void TSafeSaveStream::Discard() noexcept {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
  if (!FTempName.empty() && FDirFd >= 0) ::unlinkat(FDirFd, FTempName.c_str(), 0);
  FTempName.clear();
  ReleaseSlot(FSlot);
  FSlot = -1;
  FBuffer.clear();
}

void TSafeSaveStream::Fail(int error) {
  FFailed = true;
  Discard();
  if (FDirFd >= 0) ::close(FDirFd); // a throwing constructor runs no destructor
  FDirFd = -1;
  throw EFCreateError(Message(FFileName, std::strerror(error)));
}

Int64 TSafeSaveStream::Read(void*, Int64) { return 0; }

void TSafeSaveStream::WriteOut(const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t done = ::write(FFd, p, std::min<std::size_t>(n, 1u << 30));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) Fail(done < 0 ? errno : EIO);
    p += done;
    n -= static_cast<std::size_t>(done);
    FPosition += done;
  }
  // Start writing back what is complete while the caller produces the rest, so that the sync
  // in Commit waits for little more than the last blocks.
  if (!FDirect && FPosition - FSyncedTo >= kWriteBackStep) {
    ::sync_file_range(FFd, FSyncedTo, FPosition - FSyncedTo, SYNC_FILE_RANGE_WRITE);
    FSyncedTo = FPosition;
  }
}

void TSafeSaveStream::Flush() {
  if (FBuffer.empty()) return;
  WriteOut(FBuffer.data(), FBuffer.size());
  FBuffer.clear();
}

Int64 TSafeSaveStream::Write(const void* buffer, Int64 count) {
  if (FFd < 0) throw EFCreateError(Message(FFileName, std::strerror(EBADF)));
  if (count <= 0) return 0;
  const auto n = static_cast<std::size_t>(count);
  const auto* p = static_cast<const char*>(buffer);
  if (FBuffer.capacity() == 0 && n < kBlock) FBuffer.reserve(kBlock);
  if (FBuffer.size() + n <= FBuffer.capacity()) {
    FBuffer.insert(FBuffer.end(), p, p + n);
    return count;
  }
  Flush();
  if (n >= kBlock / 2) {
    WriteOut(p, n); // large blocks go straight out, without a copy
  } else {
    FBuffer.insert(FBuffer.end(), p, p + n);
  }
  return count;
}

Int64 TSafeSaveStream::Seek(Int64 offset, TSeekOrigin origin) {
  const Int64 here = FPosition + static_cast<Int64>(FBuffer.size());
  if (offset == 0 && origin == soCurrent) return here;
  if (!FSeekable || FFd < 0) {
    if (offset == 0 && origin == soEnd) return here;
    throw EStreamError(Format(sNotSeekable, FFileName));
  }
  Flush();
  constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  off_t r = ::lseek(FFd, static_cast<off_t>(offset), kWhence[origin]);
  if (r < 0 && offset < 0) r = ::lseek(FFd, 0, SEEK_SET);
  if (r < 0) Fail(errno);
  FPosition = r;
  return r;
}

Int64 TSafeSaveStream::Size() {
  if (!FSeekable || FFd < 0) return Position();
  struct stat st {};
  if (::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) return Position();
  return std::max<Int64>(st.st_size, FPosition + static_cast<Int64>(FBuffer.size()));
}

void TSafeSaveStream::SetSize(Int64) { throw EStreamError(sSetSizeError); }

void TSafeSaveStream::Commit() {
  if (FCommitted) return;
  if (FFd < 0) Fail(EBADF);
  Flush();
  if (::fsync(FFd) != 0 && !(FDirect && (errno == EINVAL || errno == EROFS || errno == ENOTSUP)))
    Fail(errno);
  if (FDirect) {
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0 && errno != EINTR) Fail(errno);
    FCommitted = true;
    return;
  }
  // The name must still be the file written: a swapped name would otherwise be renamed over
  // the target in its place.
  struct stat mine {
  }, named{};
  if (::fstat(FFd, &mine) != 0) Fail(errno);
  if (::fstatat(FDirFd, FTempName.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
      named.st_dev != mine.st_dev || named.st_ino != mine.st_ino) {
    FFailed = true;
    ::close(FFd);
    FFd = -1;
    FTempName.clear(); // not ours any more: leave it
    ReleaseSlot(FSlot);
    FSlot = -1;
    throw EFCreateError(Message(FFileName, sTempReplaced));
  }
  const int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0 && errno != EINTR) Fail(errno);
  if (::renameat(FDirFd, FTempName.c_str(), FDirFd, FTargetName.c_str()) != 0) Fail(errno);
  FTempName.clear();
  ReleaseSlot(FSlot);
  FSlot = -1;
  FCommitted = true;
  if (::fsync(FDirFd) != 0 && errno != EINVAL && errno != EROFS)
    throw EFCreateError(Message(FFileName, std::strerror(errno)));
}

void SaveAtomically(const String& FileName, std::string_view Data) {
  TSafeSaveStream out(FileName);
  if (!Data.empty()) out.WriteBuffer(Data.data(), static_cast<Int64>(Data.size()));
  out.Commit();
}

} // namespace fw
