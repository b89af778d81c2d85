// Byte streams: the abstract stream, memory, file and string streams, and the IStream adapter.
#pragma once

#include "basert/interfaces.h"
#include "basert/types.h"

#include <atomic>
#include <string_view>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sReadError = "Stream read error";
inline constexpr std::string_view sWriteError = "Stream write error";
inline constexpr std::string_view sFCreateError = "Cannot create file \"%s\". %s";
inline constexpr std::string_view sFOpenError = "Cannot open file \"%s\". %s";
inline constexpr std::string_view sSetSizeError = "Cannot change the size of the stream";
inline constexpr std::string_view sInvalidStreamCount = "Invalid stream byte count";

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

/// A readable, writable, seekable sequence of bytes. Counts are Int64; a negative count is
/// treated as zero.
class TStream {
public:
  virtual ~TStream() = default;

  /// Reads up to `count` bytes; answers how many were read (fewer only at the end).
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  /// Writes up to `count` bytes; answers how many were written.
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  /// Moves the position and answers the new one. Seeking beyond the end is allowed (a later
  /// write extends the stream); seeking before the start clamps to 0.
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 pos) { Seek(pos, soBeginning); }
  virtual Int64 Size();
  /// Raises EStreamError when the stream cannot change its size.
  virtual void SetSize(Int64 newSize);

  /// Reads exactly `count` bytes or raises EReadError "Stream read error".
  void ReadBuffer(void* buffer, Int64 count);
  /// Writes exactly `count` bytes or raises EWriteError "Stream write error".
  void WriteBuffer(const void* buffer, Int64 count);
  /// Copies `count` bytes from the current position of `source`; count 0 copies the whole of
  /// `source` from its start. Raises EReadError when the source runs short.
  Int64 CopyFrom(TStream& source, Int64 count);
};

/// A stream over a growable block of memory that it owns.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return FSize; }
  /// Grows (zero-filled) or shrinks; the position is clamped to the new size.
  void SetSize(Int64 newSize) override;

  /// The bytes; valid until the next write or size change.
  Byte* Memory() { return FData.data(); }
  const Byte* Memory() const { return FData.data(); }
  std::string_view View() const {
    return {reinterpret_cast<const char*>(FData.data()), static_cast<std::size_t>(FSize)};
  }
  /// Empties the stream and releases its memory.
  void Clear();
  /// Replaces the content by everything of `stream` from its start.
  void LoadFromStream(TStream& stream);
  /// Raises EFOpenError when the file cannot be opened.
  void LoadFromFile(const String& fileName);
  void SaveToStream(TStream& stream);
  /// Replaces the file only once the whole content is written; raises EFCreateError
  /// (sCannotWrite) when it cannot be, leaving the old file as it was.
  void SaveToFile(const String& fileName);

protected:
  void Reserve(Int64 capacity);

  std::vector<Byte> FData; // capacity; FSize bytes are in use
  Int64 FSize = 0;
  Int64 FPosition = 0;
};

/// A memory stream initialised from and read back as a byte vector.
class TBytesStream : public TMemoryStream {
public:
  TBytesStream() = default;
  explicit TBytesStream(const std::vector<Byte>& bytes);
  /// A copy of the stream's bytes.
  std::vector<Byte> Bytes() const;
};

/// A memory stream initialised from and read back as UTF-8 text.
class TStringStream : public TMemoryStream {
public:
  TStringStream() = default;
  explicit TStringStream(std::string_view data);
  /// The whole content as a string, whatever the position.
  String DataString() const { return String(View()); }
  /// Reads up to `count` bytes from the position as a string.
  String ReadString(Int64 count);
  void WriteString(std::string_view s) { WriteBuffer(s.data(), static_cast<Int64>(s.size())); }
};

// File open modes; the share flags are accepted and ignored.
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyNone = 0x0040;
/// Creates the file, or truncates an existing one, opened for reading and writing.
inline constexpr Word fmCreate = 0xFF00;

/// A stream over an operating-system file.
class TFileStream : public TStream {
public:
  /// Raises EFCreateError (fmCreate) or EFOpenError with the system's error text.
  TFileStream(const String& fileName, Word mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override;
  void SetSize(Int64 newSize) override;
  const String& FileName() const { return FFileName; }

private:
  String FFileName;
  int FHandle = -1;
};

// Result codes of IStream operations.
inline constexpr HResult S_FALSE = 1;
inline constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
inline constexpr HResult STG_E_INVALIDFUNCTION = static_cast<HResult>(0x80030001u);
inline constexpr HResult STG_E_INVALIDPOINTER = static_cast<HResult>(0x80030009u);
inline constexpr HResult STG_E_READFAULT = static_cast<HResult>(0x8003001Eu);
inline constexpr HResult STG_E_WRITEFAULT = static_cast<HResult>(0x8003001Du);

// Seek origins of IStream.
inline constexpr int STREAM_SEEK_SET = 0;
inline constexpr int STREAM_SEEK_CUR = 1;
inline constexpr int STREAM_SEEK_END = 2;

/// What IStream::Stat reports.
struct TStatStg {
  UInt64 cbSize = 0;
};

/// A byte stream as seen through a reference-counted interface.
struct IStream : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{0000000C-0000-0000-C000-000000000046}");
  /// S_OK when all `cb` bytes were read, S_FALSE when fewer were; `pcbRead` may be null.
  virtual HResult Read(void* pv, Cardinal cb, Cardinal* pcbRead) = 0;
  virtual HResult Write(const void* pv, Cardinal cb, Cardinal* pcbWritten) = 0;
  /// `origin` is one of STREAM_SEEK_*; STG_E_INVALIDFUNCTION for another value.
  virtual HResult Seek(Int64 move, int origin, UInt64* newPosition) = 0;
  virtual HResult SetSize(UInt64 newSize) = 0;
  /// Copies up to `cb` bytes from this stream's position to `dest`.
  virtual HResult CopyTo(IStream* dest, UInt64 cb, UInt64* cbRead, UInt64* cbWritten) = 0;
  virtual HResult Stat(TStatStg* stat) = 0;

protected:
  ~IStream() = default;
};

enum TStreamOwnership { soReference, soOwned };

/// Presents a TStream as an IStream. Counts references from zero; the last release frees the
/// adapter, and with soOwned the stream too. Stream exceptions become failure codes.
class TStreamAdapter : public IStream {
public:
  explicit TStreamAdapter(TStream* stream, TStreamOwnership ownership = soReference);
  virtual ~TStreamAdapter();

  HResult QueryInterface(const TGUID& iid, void** obj) override;
  int _AddRef() override { return ++FRefCount; }
  int _Release() override;

  HResult Read(void* pv, Cardinal cb, Cardinal* pcbRead) override;
  HResult Write(const void* pv, Cardinal cb, Cardinal* pcbWritten) override;
  HResult Seek(Int64 move, int origin, UInt64* newPosition) override;
  HResult SetSize(UInt64 newSize) override;
  HResult CopyTo(IStream* dest, UInt64 cb, UInt64* cbRead, UInt64* cbWritten) override;
  HResult Stat(TStatStg* stat) override;

  TStream* Stream() const { return FStream; }
  TStreamOwnership StreamOwnership() const { return FOwnership; }
  void SetStreamOwnership(TStreamOwnership o) { FOwnership = o; }

private:
  TStream* FStream;
  TStreamOwnership FOwnership;
  std::atomic<int> FRefCount{0};
};

/// Presents an IStream as a TStream (the other direction of TStreamAdapter). A failure code of
/// the interface raises EStreamError; short reads and writes are answered as such.
class TOleStream : public TStream {
public:
  explicit TOleStream(IPtr<IStream> stream) : FStream(std::move(stream)) {}
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;
  const IPtr<IStream>& Stream() const noexcept { return FStream; }

private:
  IPtr<IStream> FStream;
};

} // namespace fw
