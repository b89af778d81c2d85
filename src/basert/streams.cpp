// Byte streams: the abstract stream, memory, file and string streams, and the IStream adapter.
#include "basert/streams.h"

#include "basert/format.h"
#include "basert/safesave.h"

#include "basert/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

template <class... A> String Fmt(std::string_view format, A... args) {
  const String fmt(format);
  int n = std::snprintf(nullptr, 0, fmt.c_str(), args...);
  String s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  std::snprintf(s.data(), s.size() + 1, fmt.c_str(), args...);
  return s;
}

// Streams transfer at most this much per call to the system or the interface.
constexpr Int64 kChunk = 1 << 20;

} // namespace

// --- TStream ---

Int64 TStream::Size() {
  Int64 pos = Seek(0, soCurrent);
  Int64 size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(Int64) { throw EStreamError(sSetSizeError); }

void TStream::ReadBuffer(void* buffer, Int64 count) {
  auto* p = static_cast<Byte*>(buffer);
  while (count > 0) {
    Int64 n = Read(p, count);
    if (n <= 0) throw EReadError(sReadError);
    p += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  auto* p = static_cast<const Byte*>(buffer);
  while (count > 0) {
    Int64 n = Write(p, count);
    if (n <= 0) throw EWriteError(sWriteError);
    p += n;
    count -= n;
  }
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (count < 0) throw EStreamError(sInvalidStreamCount);
  std::vector<Byte> buf(static_cast<std::size_t>(std::min<Int64>(count, 64 * 1024)));
  Int64 left = count;
  while (left > 0) {
    Int64 n = std::min<Int64>(left, static_cast<Int64>(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

// --- TMemoryStream ---

Int64 TMemoryStream::Read(void* buffer, Int64 count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  Int64 n = std::min(count, FSize - FPosition);
  std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
  FPosition += n;
  return n;
}

void TMemoryStream::Reserve(Int64 capacity) {
  if (capacity <= static_cast<Int64>(FData.size())) return;
  // Grow geometrically so that a run of small writes stays linear.
  Int64 grown = std::max<Int64>(capacity, static_cast<Int64>(FData.size()) * 3 / 2 + 64);
  FData.resize(static_cast<std::size_t>(grown));
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (count <= 0) return 0;
  Int64 end = FPosition + count;
  Reserve(end);
  if (FPosition > FSize)
    std::memset(FData.data() + FSize, 0, static_cast<std::size_t>(FPosition - FSize));
  std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
  FPosition = end;
  FSize = std::max(FSize, end);
  return count;
}

Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize;
  FPosition = std::max<Int64>(0, base + offset);
  return FPosition;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError(sSetSizeError);
  Reserve(newSize);
  if (newSize > FSize)
    std::memset(FData.data() + FSize, 0, static_cast<std::size_t>(newSize - FSize));
  FSize = newSize;
  FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::Clear() {
  std::vector<Byte>().swap(FData);
  FSize = FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  Int64 n = stream.Size();
  SetSize(n);
  if (n) stream.ReadBuffer(FData.data(), n);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& stream) {
  if (FSize) stream.WriteBuffer(FData.data(), FSize);
}

void TMemoryStream::SaveToFile(const String& fileName) { SaveAtomically(fileName, View()); }

TBytesStream::TBytesStream(const std::vector<Byte>& bytes) {
  if (!bytes.empty()) {
    FData = bytes;
    FSize = static_cast<Int64>(bytes.size());
  }
}

std::vector<Byte> TBytesStream::Bytes() const {
  return std::vector<Byte>(FData.begin(), FData.begin() + FSize);
}

TStringStream::TStringStream(std::string_view data) {
  WriteString(data);
  FPosition = 0;
}

String TStringStream::ReadString(Int64 count) {
  if (count <= 0 || FPosition >= FSize) return {};
  Int64 n = std::min(count, FSize - FPosition);
  String s(reinterpret_cast<const char*>(FData.data() + FPosition), static_cast<std::size_t>(n));
  FPosition += n;
  return s;
}

// --- TFileStream ---

TFileStream::TFileStream(const String& fileName, Word mode) : FFileName(fileName) {
  if (mode == fmCreate) {
    FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
      throw EFCreateError(Fmt(sFCreateError, fileName.c_str(), std::strerror(errno)));
    return;
  }
  constexpr int kAccess[] = {O_RDONLY, O_WRONLY, O_RDWR, O_RDONLY};
  FHandle = ::open(fileName.c_str(), kAccess[mode & 3] | O_CLOEXEC);
  if (FHandle >= 0) {
    struct stat st {};
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FHandle);
      FHandle = -1;
      errno = EISDIR;
    }
  }
  if (FHandle < 0) throw EFOpenError(Fmt(sFOpenError, fileName.c_str(), std::strerror(errno)));
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

namespace {
// Moves up to `count` bytes through `io` (a read or a write) a chunk at a time, retrying
// interrupted calls; stops early at the end of the file or an error.
template <class Char, class Io> Int64 Transfer(Char* p, Int64 count, Io io) {
  Int64 total = 0;
  while (count > 0) {
    const ssize_t n = io(p, static_cast<std::size_t>(std::min(count, kChunk)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
    p += n;
    count -= n;
  }
  return total;
}
} // namespace

Int64 TFileStream::Read(void* buffer, Int64 count) {
  return Transfer(static_cast<char*>(buffer), count,
                  [this](char* p, std::size_t n) { return ::read(FHandle, p, n); });
}

Int64 TFileStream::Write(const void* buffer, Int64 count) {
  return Transfer(static_cast<const char*>(buffer), count,
                  [this](const char* p, std::size_t n) { return ::write(FHandle, p, n); });
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
  constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  off_t r = ::lseek(FHandle, static_cast<off_t>(offset), kWhence[origin]);
  if (r < 0 && offset < 0) r = ::lseek(FHandle, 0, SEEK_SET);
  return r < 0 ? 0 : static_cast<Int64>(r);
}

Int64 TFileStream::Size() {
  struct stat st {};
  return ::fstat(FHandle, &st) == 0 ? static_cast<Int64>(st.st_size) : 0;
}

void TFileStream::SetSize(Int64 newSize) {
  if (newSize < 0 || ::ftruncate(FHandle, static_cast<off_t>(newSize)) != 0)
    throw EStreamError(sSetSizeError);
  if (Position() > newSize) Seek(newSize, soBeginning);
}

// --- TStreamAdapter ---

TStreamAdapter::TStreamAdapter(TStream* stream, TStreamOwnership ownership)
    : FStream(stream), FOwnership(ownership) {}

TStreamAdapter::~TStreamAdapter() {
  if (FOwnership == soOwned) delete FStream;
}

HResult TStreamAdapter::QueryInterface(const TGUID& iid, void** obj) {
  if (iid == IStream::IID || iid == IInterface::IID) {
    *obj = static_cast<IStream*>(this);
    _AddRef();
    return S_OK;
  }
  *obj = nullptr;
  return E_NOINTERFACE;
}

int TStreamAdapter::_Release() {
  int n = --FRefCount;
  if (n == 0) delete this;
  return n;
}

HResult TStreamAdapter::Read(void* pv, Cardinal cb, Cardinal* pcbRead) {
  if (!pv) return STG_E_INVALIDPOINTER;
  try {
    Int64 n = FStream->Read(pv, cb);
    if (pcbRead) *pcbRead = static_cast<Cardinal>(n);
    return n == static_cast<Int64>(cb) ? S_OK : S_FALSE;
  } catch (const Exception&) {
    if (pcbRead) *pcbRead = 0;
    return STG_E_READFAULT;
  }
}

HResult TStreamAdapter::Write(const void* pv, Cardinal cb, Cardinal* pcbWritten) {
  if (!pv) return STG_E_INVALIDPOINTER;
  try {
    Int64 n = FStream->Write(pv, cb);
    if (pcbWritten) *pcbWritten = static_cast<Cardinal>(n);
    return n == static_cast<Int64>(cb) ? S_OK : STG_E_WRITEFAULT;
  } catch (const Exception&) {
    if (pcbWritten) *pcbWritten = 0;
    return STG_E_WRITEFAULT;
  }
}

HResult TStreamAdapter::Seek(Int64 move, int origin, UInt64* newPosition) {
  if (origin < STREAM_SEEK_SET || origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  try {
    Int64 pos = FStream->Seek(move, static_cast<TSeekOrigin>(origin));
    if (newPosition) *newPosition = static_cast<UInt64>(pos);
    return S_OK;
  } catch (const Exception&) {
    return E_FAIL;
  }
}

HResult TStreamAdapter::SetSize(UInt64 newSize) {
  try {
    FStream->SetSize(static_cast<Int64>(newSize));
    return S_OK;
  } catch (const Exception&) {
    return E_FAIL;
  }
}

HResult TStreamAdapter::CopyTo(IStream* dest, UInt64 cb, UInt64* cbRead, UInt64* cbWritten) {
  if (!dest) return STG_E_INVALIDPOINTER;
  UInt64 read = 0, written = 0;
  HResult result = S_OK;
  std::vector<Byte> buf(static_cast<std::size_t>(std::min<UInt64>(cb, 64 * 1024)));
  while (read < cb) {
    Cardinal want = static_cast<Cardinal>(std::min<UInt64>(cb - read, buf.size()));
    Cardinal got = 0;
    result = Read(buf.data(), want, &got);
    if (result < 0) break;
    read += got;
    Cardinal put = 0;
    if (got) result = dest->Write(buf.data(), got, &put);
    written += put;
    if (result < 0 || got < want) break;
  }
  if (cbRead) *cbRead = read;
  if (cbWritten) *cbWritten = written;
  return result < 0 ? result : S_OK;
}

HResult TStreamAdapter::Stat(TStatStg* stat) {
  if (!stat) return STG_E_INVALIDPOINTER;
  try {
    stat->cbSize = static_cast<UInt64>(FStream->Size());
    return S_OK;
  } catch (const Exception&) {
    return E_FAIL;
  }
}

// --- TOleStream ---

namespace {
constexpr std::string_view sOleStreamError = "Stream operation failed (code $%x)";
void CheckOle(HResult r) {
  if (r < 0) throw EStreamError(Format(sOleStreamError, static_cast<Cardinal>(r)));
}
} // namespace

Int64 TOleStream::Read(void* buffer, Int64 count) {
  Int64 total = 0;
  auto* out = static_cast<char*>(buffer);
  // The interface counts in 32 bits; larger requests go in pieces.
  while (count > 0) {
    const Cardinal chunk = static_cast<Cardinal>(std::min<Int64>(count, 0x40000000));
    Cardinal got = 0;
    CheckOle(FStream->Read(out + total, chunk, &got));
    total += got;
    count -= got;
    if (got < chunk) break;
  }
  return total;
}

Int64 TOleStream::Write(const void* buffer, Int64 count) {
  Int64 total = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (count > 0) {
    const Cardinal chunk = static_cast<Cardinal>(std::min<Int64>(count, 0x40000000));
    Cardinal put = 0;
    CheckOle(FStream->Write(in + total, chunk, &put));
    total += put;
    count -= put;
    if (put < chunk) break;
  }
  return total;
}

Int64 TOleStream::Seek(Int64 offset, TSeekOrigin origin) {
  const int ole = origin == soBeginning ? STREAM_SEEK_SET
                  : origin == soCurrent ? STREAM_SEEK_CUR
                                        : STREAM_SEEK_END;
  UInt64 position = 0;
  CheckOle(FStream->Seek(offset, ole, &position));
  return static_cast<Int64>(position);
}

void TOleStream::SetSize(Int64 newSize) {
  CheckOle(FStream->SetSize(static_cast<UInt64>(newSize)));
}

} // namespace fw
