// Form files for the command-line host: loading either format, converting, and streaming a
// conversion from one file into another.
#include "formfile.h"

#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/formstream.h"
#include "basert/safesave.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fwcli {

using namespace fw;

namespace {
constexpr const char* kFormatNames[] = {"binary", "text", "resource"};
constexpr std::string_view sUnknownFormat = "not a form file (neither binary nor text)";
constexpr std::string_view sTrailingBytes = "Unexpected data after the component at byte %d";
constexpr std::string_view sTrailingText = "End of text expected on line %d, column %d";
constexpr std::string_view sChangedWhileRead = "the file changed while it was read";
} // namespace

const char* FormatName(FormFormat f) { return kFormatNames[static_cast<int>(f)]; }

bool ParseFormatName(const std::string& name, FormFormat& f) {
  for (int i = 0; i < 3; ++i)
    if (name == kFormatNames[i]) {
      f = static_cast<FormFormat>(i);
      return true;
    }
  return false;
}

namespace {

// Reads a block of memory in place, for the functions that take a stream.
class TViewStream final : public TStream {
public:
  explicit TViewStream(std::string_view data) : FData(data) {}
  Int64 Read(void* buffer, Int64 count) override {
    const Int64 n = std::clamp<Int64>(Size() - FPos, 0, std::max<Int64>(count, 0));
    if (n) std::memcpy(buffer, FData.data() + FPos, static_cast<std::size_t>(n));
    FPos += n;
    return n;
  }
  Int64 Write(const void*, Int64) override { return 0; }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override {
    const Int64 from = origin == soBeginning ? 0 : origin == soCurrent ? FPos : Size();
    return FPos = std::max<Int64>(from + offset, 0);
  }
  Int64 Size() override { return static_cast<Int64>(FData.size()); }

private:
  std::string_view FData;
  Int64 FPos = 0;
};

// Takes what is written and keeps nothing: converting into it validates a component.
class TNullStream final : public TStream {
public:
  Int64 Read(void*, Int64) override { return 0; }
  Int64 Write(const void*, Int64 count) override { return count; }
  Int64 Seek(Int64, TSeekOrigin) override { return 0; }
};

// A mapped file that shrinks while it is read raises SIGBUS on the pages it lost. The handler
// puts zero pages over such a mapping and marks it, so that the reader meets a broken form and
// the conversion is refused, instead of the process dying.
struct MappedSlot {
  std::atomic<char*> Start{nullptr};
  std::atomic<std::size_t> Size{0};
  std::atomic<bool> Lost{false};
};
MappedSlot gMapped[8];
struct sigaction gPreviousBusAction {};

void OnBusError(int, siginfo_t* info, void*) {
  auto* at = static_cast<char*>(info->si_addr);
  for (auto& m : gMapped) {
    char* start = m.Start.load();
    const std::size_t size = m.Size.load();
    if (start && at >= start && at < start + size) {
      ::mmap(start, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
      m.Lost = true;
      return;
    }
  }
  // Not ours: the fault comes again and meets whatever handled it before.
  ::sigaction(SIGBUS, &gPreviousBusAction, nullptr);
}

// A slot for a new mapping, or -1 when none is free (the file is then read instead).
int ClaimSlot(void* map, std::size_t size) {
  static const bool installed = [] {
    struct sigaction sa {};
    sa.sa_sigaction = OnBusError;
    sa.sa_flags = SA_SIGINFO;
    sigemptyset(&sa.sa_mask);
    return ::sigaction(SIGBUS, &sa, &gPreviousBusAction) == 0;
  }();
  if (!installed) return -1;
  for (int i = 0; i < static_cast<int>(std::size(gMapped)); ++i) {
    char* expected = nullptr;
    if (!gMapped[i].Start.compare_exchange_strong(expected, static_cast<char*>(map))) continue;
    gMapped[i].Lost = false;
    gMapped[i].Size = size; // nothing reads the mapping before this
    return i;
  }
  return -1;
}

[[noreturn]] void CannotOpen(const std::string& path, int error) {
  throw EFOpenError(Format(sFOpenError, path, std::strerror(error)));
}

// The binary component of a binary or resource file, and its offset in the file. Raises for a
// broken component or data after it, so that what follows may take it as it is.
std::string_view BinaryComponent(const FormFile& file, Int64& base) {
  std::string_view data = file.Data();
  base = 0;
  if (file.Format == FormFormat::Resource) {
    TViewStream s(data);
    ReadResourceHeader(s);
    base = s.Position();
  }
  if (base > static_cast<Int64>(data.size())) throw EReadError(Format(sReadPastEnd, base));
  return data.substr(static_cast<std::size_t>(base));
}

void CheckWhole(std::string_view data, Int64 base, std::size_t consumed) {
  if (consumed != data.size()) throw EReadError(Format(sTrailingBytes, base + Int64(consumed)));
}

// Raises unless only blanks follow the component that ends at `end`.
void CheckTextEnd(std::string_view all, std::size_t end) {
  std::size_t at = all.find_first_not_of(" \t\r\n", end);
  if (at == std::string_view::npos) return;
  std::size_t lineStart = all.rfind('\n', at);
  lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
  auto line = std::count(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
  throw EParserError(Format(sTrailingText, line, at - lineStart + 1));
}

void WriteComponent(std::string_view binary, FormFormat target, TStream& out) {
  if (target == FormFormat::Resource) {
    // The resource is named after the root's class, which follows the signature and prefix.
    TBinaryReaderCore r(binary.data(), binary.size());
    r.ReadSignature();
    TFilerFlags flags;
    Integer childPos;
    r.ReadPrefix(flags, childPos);
    WriteResourceHeader(out, r.ReadStrView(), static_cast<Int64>(binary.size()));
  }
  out.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
}

} // namespace

FormFile::~FormFile() { Release(); }

bool FormFile::Lost() const noexcept { return FSlot >= 0 && gMapped[FSlot].Lost; }

void FormFile::Release() noexcept {
  if (FMap) ::munmap(FMap, FMapSize);
  if (FSlot >= 0) {
    gMapped[FSlot].Size = 0;
    gMapped[FSlot].Start = nullptr;
  }
  FSlot = -1;
  FMap = nullptr;
  FMapSize = 0;
  FOwned.clear();
  FData = {};
}

void LoadFormFile(const std::string& path, FormFile& file) {
  file.Release();
  const bool stdinput = path == "-";
  const int fd = stdinput ? 0 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) CannotOpen(path, errno);
  struct stat st {};
  int error = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (!error && S_ISDIR(st.st_mode)) error = EISDIR;
  // Standard input may have been read from already: mapped, it would be read from its start.
  const bool atStart = !stdinput || ::lseek(fd, 0, SEEK_CUR) == 0;
  if (!error && S_ISREG(st.st_mode) && st.st_size > 0 && atStart) {
    // Mapped with its pages brought in at once: no copy, and no fault per page later.
    const auto size = static_cast<std::size_t>(st.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    const int slot = map == MAP_FAILED ? -1 : ClaimSlot(map, size);
    if (map != MAP_FAILED && slot < 0) ::munmap(map, size);
    if (slot >= 0) {
      file.FSlot = slot;
      file.FMap = map;
      file.FMapSize = size;
      file.FData = {static_cast<const char*>(map), size};
    }
  }
  if (!error && !file.FMap) {
    // A pipe, a device or a file that reports no size: read to the end.
    std::size_t used = 0;
    for (;;) {
      if (file.FOwned.size() - used < (1 << 16))
        file.FOwned.resize(std::max<std::size_t>(file.FOwned.size() * 2, 1 << 20));
      const ssize_t n = ::read(fd, file.FOwned.data() + used, file.FOwned.size() - used);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = errno;
        break;
      }
      if (n == 0) break;
      used += static_cast<std::size_t>(n);
    }
    file.FOwned.resize(used);
    file.FData = file.FOwned;
  }
  if (!stdinput) ::close(fd);
  if (error) {
    file.Release();
    CannotOpen(path, error);
  }
  TViewStream head(file.FData);
  switch (TestStreamFormat(head)) {
  case sofBinary:
    file.Format = file.FData[0] == 'T' ? FormFormat::Binary : FormFormat::Resource;
    return;
  case sofText:
  case sofUTF8Text:
    file.Format = FormFormat::Text;
    return;
  case sofUnknown:
    throw EReadError(sUnknownFormat);
  }
}

namespace {
void ConvertData(const FormFile& file, FormFormat target, TStream& out, TTextSyntax syntax) {
  if (file.Format == FormFormat::Text) {
    std::string_view text = file.Data();
    if (target == FormFormat::Binary) {
      CheckTextEnd(text, ObjectTextToBinary(text, out, syntax));
      return;
    }
    TMemoryStream binary;
    CheckTextEnd(text, ObjectTextToBinary(text, binary, syntax));
    if (target == FormFormat::Text)
      ObjectBinaryToText(binary.View(), out, syntax);
    else
      WriteComponent(binary.View(), target, out);
    return;
  }
  Int64 base;
  std::string_view binary = BinaryComponent(file, base);
  if (target == FormFormat::Text) {
    CheckWhole(binary, base, ObjectBinaryToText(binary, out, syntax, base));
    return;
  }
  // Kept byte for byte once the whole component is known to be sound.
  TNullStream sink;
  CheckWhole(binary, base, ObjectBinaryToText(binary, sink, TTextSyntax::Exact, base));
  WriteComponent(binary, target, out);
}
} // namespace

void Convert(const FormFile& file, FormFormat target, TStream& out, TTextSyntax syntax) {
  try {
    ConvertData(file, target, out, syntax);
  } catch (const EFCreateError&) {
    throw;
  } catch (const Exception&) {
    if (file.Lost()) throw EReadError(sChangedWhileRead);
    throw;
  }
  if (file.Lost()) throw EReadError(sChangedWhileRead);
}

void ToBinary(const FormFile& file, TMemoryStream& binary, TTextSyntax syntax) {
  Convert(file, FormFormat::Binary, binary, syntax);
}

void FromBinary(std::string_view binary, FormFormat target, TStream& out, TTextSyntax syntax) {
  if (target == FormFormat::Text)
    ObjectBinaryToText(binary, out, syntax);
  else
    WriteComponent(binary, target, out);
}

ConvertReport ConvertFile(const std::string& in, const std::string& out,
                          std::optional<FormFormat> target, TTextSyntax syntax) {
  FormFile file;
  LoadFormFile(in, file);
  ConvertReport report;
  report.From = file.Format;
  report.To = target                            ? *target
              : file.Format == FormFormat::Text ? FormFormat::Binary
                                                : FormFormat::Text;
  report.InBytes = static_cast<Int64>(file.Data().size());
  TSafeSaveStream save(out);
  if (save.Direct()) {
    // A pipe or a device cannot take back what it was given: convert the whole form first.
    TMemoryStream whole;
    Convert(file, report.To, whole, syntax);
    save.WriteBuffer(whole.Memory(), whole.Size());
  } else {
    Convert(file, report.To, save, syntax);
  }
  report.OutBytes = save.Position();
  save.Commit();
  return report;
}

namespace {
void DumpObject(TBinaryReaderCore& r, int level, std::FILE* out) {
  if (++r.Depth() > kMaxNesting) r.ErrorAt(sNestingTooDeep);
  TFilerFlags flags;
  Integer childPos;
  r.ReadPrefix(flags, childPos);
  String cls = r.ReadStr();
  String name = r.ReadStr();
  int count = 0;
  for (; !r.EndOfList(); ++count)
    r.SkipProperty();
  r.ReadListEnd();
  const char* kind = flags & ffInherited ? "inherited " : flags & ffInline ? "inline " : "";
  std::fprintf(out, "%*s%s%s%s%s (%d %s)\n", 2 * level, "", kind, name.c_str(),
               name.empty() ? "" : ": ", cls.c_str(), count,
               count == 1 ? "property" : "properties");
  while (!r.EndOfList())
    DumpObject(r, level + 1, out);
  r.ReadListEnd();
  --r.Depth();
}
} // namespace

void DumpTree(TMemoryStream& binary, std::FILE* out) {
  TBinaryReaderCore r(binary.Memory(), static_cast<std::size_t>(binary.Size()));
  r.ReadSignature();
  DumpObject(r, 0, out);
}

} // namespace fwcli
