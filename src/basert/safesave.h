// Safe saving: every file the system writes goes through here, so that a target is either left
// as it was or replaced by the complete new content.
//
//   TSafeSaveStream out("form.fwf");
//   out.WriteBuffer(data, size);   // raises "cannot write 'form.fwf': ..." on failure
//   out.Commit();                  // without it, the destructor throws the new content away
#pragma once

#include "basert/streams.h"

#include <string_view>
#include <vector>

namespace fw {

/// "cannot write 'out.bin': No space left on device"
inline constexpr std::string_view sCannotWrite = "cannot write '%s': %s";

/// A write-only stream that replaces a file atomically.
///
/// A regular target (or a missing one) is written to a new temporary file beside it, created
/// with O_EXCL and O_NOFOLLOW and written only through that descriptor; Commit syncs it, renames
/// it over the target and syncs the folder. The temporary name is no longer than the target's
/// own (at least 8 characters). Symbolic links are followed, so the file a link names is
/// replaced and the link stays; other hard links keep the old content. An existing target's
/// permission bits are kept, and its owner where the process may set it; a new file gets 0666
/// less the umask. A commit that finds the temporary name no longer naming the file written
/// fails and leaves the target alone.
///
/// A target that is not a regular file (a device, a pipe, a socket) and "-", "/dev/stdout",
/// "/dev/stderr" and "/dev/fd/N" are written directly, without a temporary file: what was
/// written in whole blocks before a failure stays there.
///
/// Until Commit, the temporary file is removed by the destructor, on every error and when the
/// process dies of SIGINT, SIGTERM, SIGHUP or SIGXFSZ (handlers are installed only for signals
/// left at their default action; a file-size limit makes the write fail instead of killing the
/// process while a save is open).
///
/// Every failure raises EFCreateError with sCannotWrite, naming the file as given.
class TSafeSaveStream : public TStream {
public:
  explicit TSafeSaveStream(const String& FileName);
  /// Removes the temporary file unless committed; never raises.
  ~TSafeSaveStream() override;
  TSafeSaveStream(const TSafeSaveStream&) = delete;
  TSafeSaveStream& operator=(const TSafeSaveStream&) = delete;

  /// Write-only: answers 0.
  Int64 Read(void* buffer, Int64 count) override;
  /// Buffers and writes in large blocks; raises on a failed write rather than answering short.
  Int64 Write(const void* buffer, Int64 count) override;
  /// Any seek in a temporary file; on a direct target that cannot seek, only queries of the
  /// position (offset 0 from the current position or the end), else EStreamError.
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override;
  /// Raises EStreamError: the stream only grows.
  void SetSize(Int64 newSize) override;

  /// Writes what is buffered, syncs, closes and renames the temporary file over the target.
  /// A second call does nothing; writes after it raise.
  void Commit();

  const String& FileName() const { return FFileName; }
  /// True when the target is written in place (device, pipe, standard output).
  bool Direct() const { return FDirect; }

private:
  [[noreturn]] void Fail(int error);
  void Flush();
  void WriteOut(const char* p, std::size_t n);
  void Discard() noexcept;

  String FFileName;   // as given, for messages
  String FTempName;   // in FDirFd's folder; empty when direct
  String FTargetName; // in FDirFd's folder
  int FFd = -1;
  int FDirFd = -1;
  int FSlot = -1; // signal-cleanup registration
  bool FDirect = false;
  bool FSeekable = true;
  bool FCommitted = false;
  bool FFailed = false;
  Int64 FPosition = 0; // of the descriptor, for targets that cannot seek
  Int64 FSyncedTo = 0; // write-back started up to here
  std::vector<char> FBuffer;
};

/// Replaces `FileName` by `Data` through TSafeSaveStream.
void SaveAtomically(const String& FileName, std::string_view Data);

} // namespace fw
