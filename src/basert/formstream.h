// The binary form-stream layer: value tags, prefix flags, and the buffered value reader and writer.
#pragma once

#include "basert/streams.h"
#include "basert/types.h"

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

/// The tag byte in front of every value of a binary form stream.
enum TValueType : Byte {
  vaNull = 0, ///< also the end-of-list marker
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5, ///< 10-byte 80-bit extended float
  vaString = 6,   ///< length byte, then that many bytes
  vaIdent = 7,    ///< length byte, then the identifier
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10, ///< 32-bit length, then the bytes
  vaSet = 11,    ///< identifiers as length-prefixed strings, ended by an empty one
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16, ///< 64-bit integer: the amount times 10,000
  vaDate = 17,     ///< 64-bit double
  vaWString = 18,  ///< 32-bit count of UTF-16LE units, then the units
  vaInt64 = 19,
  vaUTF8String = 20, ///< 32-bit length, then UTF-8 bytes
  vaDouble = 21,
};
inline constexpr int kValueTypeCount = 22;

/// Tag names as the text form's annotations and the error messages use them.
inline constexpr std::array<std::string_view, kValueTypeCount> ValueTypeNames = {
    "Null",     "List", "Int8",    "Int16", "Int32",      "Extended", "String",     "Ident",
    "False",    "True", "Binary",  "Set",   "LString",    "Nil",      "Collection", "Single",
    "Currency", "Date", "WString", "Int64", "UTF8String", "Double"};

/// Prefix flags of a component in a stream, as bit masks. The prefix byte is $F0 | flags and,
/// with ffChildPos, is followed by the child position as an integer value.
using TFilerFlags = Byte;
inline constexpr TFilerFlags ffInherited = 0x01;
inline constexpr TFilerFlags ffChildPos = 0x02;
inline constexpr TFilerFlags ffInline = 0x04;
inline constexpr TFilerFlags ffAllFlags = ffInherited | ffChildPos | ffInline;

/// The four bytes every binary component stream begins with.
inline constexpr std::string_view FilerSignature = "TPF0";

// Resource strings. "%d" is a byte offset in the stream unless said otherwise.
inline constexpr std::string_view sReadPastEnd = "Unexpected end of stream at byte %d";
inline constexpr std::string_view sInvalidValueType = "Invalid value type %d at byte %d";
inline constexpr std::string_view SInvalidPropertyValue =
    "Invalid property value at byte %d: %s expected";
inline constexpr std::string_view sInvalidSignature =
    "Invalid stream format: signature expected at byte %d";
inline constexpr std::string_view sValueOutOfRange = "Value out of range at byte %d";
inline constexpr std::string_view sNestingTooDeep = "Values nested too deeply at byte %d";
inline constexpr std::string_view sInvalidLength = "Invalid length %d at byte %d";
inline constexpr std::string_view sShortStringTooLong =
    "String of %d bytes too long for a short string";
inline constexpr std::string_view sIntegerTagTooSmall = "Integer %d does not fit the %s value type";

/// Deepest nesting of lists and collections a reader accepts.
inline constexpr int kMaxNesting = 1000;

/// The tag the writer chooses for a string of these UTF-16 units: vaString (all ASCII, at most
/// 255) or vaLString (all ASCII, longer); otherwise vaUTF8String when its UTF-8 form is shorter
/// than its UTF-16 form, else vaWString (always for text with unpaired surrogates).
TValueType CanonicalStringType(std::u16string_view units) noexcept;
/// The smallest integer tag that holds `value`.
TValueType CanonicalIntegerType(Int64 value) noexcept;

/// Reads the values of a binary form stream through a buffer. Every read checks the bytes are
/// there: a short stream raises EReadError "Unexpected end of stream at byte N", an unknown tag
/// "Invalid value type T at byte N", a value of the wrong kind "Invalid property value at byte N:
/// K expected". Byte offsets are positions in the underlying stream.
class TBinaryReaderCore {
public:
  /// Reads `stream` from its current position. The stream is read ahead; FlushBuffer (run by the
  /// destructor) puts its position back where reading stopped.
  explicit TBinaryReaderCore(TStream& stream, int bufSize = 4096);
  /// Reads a block of memory without copying it; `basePosition` is the offset reported for its
  /// first byte.
  TBinaryReaderCore(const void* data, std::size_t size, Int64 basePosition = 0);
  ~TBinaryReaderCore();
  TBinaryReaderCore(const TBinaryReaderCore&) = delete;
  TBinaryReaderCore& operator=(const TBinaryReaderCore&) = delete;

  /// Sets the stream's position to the next unread byte.
  void FlushBuffer();
  /// The stream offset of the next unread byte.
  Int64 Position() const { return FBufPos + (FCur - FStart); }
  /// Offset of the tag of the value being read, for messages.
  Int64 ValuePosition() const { return FValuePos; }
  /// True when no byte is left.
  bool AtEnd();

  /// Reads exactly `count` raw bytes.
  void Read(void* buffer, std::size_t count);
  Byte ReadByte();
  /// The next `count` raw bytes, valid until the next read.
  std::string_view ReadView(std::size_t count);
  /// The next byte, not consumed; raises at the end of the stream.
  Byte PeekByte();

  /// Reads "TPF0" or raises EReadError "Invalid stream format...".
  void ReadSignature();
  /// Reads a tag; raises for a byte that is no value type.
  TValueType ReadValue();
  /// The next tag, not consumed.
  TValueType NextValue();
  /// Reads a tag and raises unless it is `expected`.
  void CheckValue(TValueType expected);
  /// True when the next byte is the end-of-list marker (not consumed).
  bool EndOfList() { return PeekByte() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  /// Reads an optional component prefix: no prefix gives flags 0 and childPos -1.
  void ReadPrefix(TFilerFlags& flags, Integer& childPos);

  /// Any integer tag whose value fits 32 bits; ERangeError-like EReadError otherwise.
  Integer ReadInteger();
  /// Any integer tag.
  Int64 ReadInt64();
  /// The payload of an integer tag already read.
  Int64 ReadIntegerBody(TValueType tag);
  /// vaExtended, vaDouble, vaSingle, vaDate, vaCurrency or any integer tag, as extended.
  Extended ReadFloat();
  /// vaSingle or any integer tag.
  Single ReadSingle();
  /// vaDouble, vaSingle or any integer tag.
  Double ReadDouble();
  /// vaCurrency or any integer tag (taken as whole units).
  Currency ReadCurrency();
  /// vaDate or any integer tag.
  TDateTime ReadDate();
  /// Any string tag, as UTF-8. Wide strings are converted; a vaString/vaLString that is not valid
  /// UTF-8 is taken as Latin-1 (the single-byte strings of older writers).
  String ReadString();
  /// Any string tag, as UTF-16.
  WideString ReadWideString();
  /// vaIdent, or vaFalse/vaTrue/vaNil/vaNull as "False"/"True"/"nil"/"Null".
  String ReadIdent();
  /// A short string without a tag: a length byte and the bytes (names of classes, components,
  /// properties).
  String ReadStr();
  std::string_view ReadStrView();
  bool ReadBoolean();
  /// A vaSet's element names up to the empty terminator.
  std::vector<String> ReadSet();
  /// A vaBinary's bytes.
  std::vector<Byte> ReadBinary();
  /// Skips one value of any kind, lists and collections included; with `copy`, appends the
  /// value's bytes (tag first) to it. Raises as the typed reads do for a short or corrupt value.
  void SkipValue(std::string* copy = nullptr);
  /// Skips a property: its name and value.
  void SkipProperty();

  /// The raw payload of a string tag already read: bytes for vaString, vaLString, vaUTF8String
  /// and vaIdent, UTF-16LE bytes for vaWString. Valid until the next read.
  std::string_view ReadStringBody(TValueType tag);
  /// A 10-byte extended float already tagged, kept as its bytes.
  std::array<Byte, 10> ReadExtendedBytes();

  /// Raises EReadError "Invalid property value at byte N: `expected` expected" at the value
  /// being read.
  [[noreturn]] void PropValueError(std::string_view expected) const;
  /// Raises EReadError with `message`, formatted with this reader's value position.
  [[noreturn]] void ErrorAt(std::string_view message) const;

  /// Nesting depth of lists and collections, for callers that recurse themselves.
  int& Depth() { return FDepth; }
  /// Drops what is buffered and continues reading at `position` of the stream.
  void SetPosition(Int64 position);

private:
  void Need(std::size_t count);
  void Refill(std::size_t count);
  [[noreturn]] void Truncated() const;
  Int64 ReadLength();

  TStream* FStream = nullptr;
  std::vector<Byte> FBuffer;
  const Byte* FStart = nullptr;
  const Byte* FCur = nullptr;
  const Byte* FEnd = nullptr;
  Int64 FBufPos = 0;
  Int64 FValuePos = 0;
  int FDepth = 0;
};

/// Writes the values of a binary form stream through a buffer. Write errors of the stream raise
/// EWriteError; writing a name over 255 bytes raises EWriteError too.
class TBinaryWriterCore {
public:
  explicit TBinaryWriterCore(TStream& stream, int bufSize = 4096);
  /// Flushes what is buffered; a failure there is lost, so call FlushBuffer to see it.
  ~TBinaryWriterCore();
  TBinaryWriterCore(const TBinaryWriterCore&) = delete;
  TBinaryWriterCore& operator=(const TBinaryWriterCore&) = delete;

  void FlushBuffer();
  /// The stream offset of the next byte written.
  Int64 Position() const { return FBasePos + static_cast<Int64>(FCount); }

  void Write(const void* buffer, std::size_t count);
  void WriteByte(Byte b) {
    if (FCount == FBuffer.size()) FlushBuffer();
    FBuffer[FCount++] = b;
  }
  void WriteValue(TValueType value) { WriteByte(value); }
  void WriteSignature() { Write(FilerSignature.data(), FilerSignature.size()); }
  /// Writes a prefix byte when `flags` is not empty, then the child position with ffChildPos.
  void WritePrefix(TFilerFlags flags, Integer childPos);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteCollectionBegin() { WriteValue(vaCollection); }

  /// With the smallest tag of vaInt8, vaInt16, vaInt32, vaInt64 that holds the value.
  void WriteInteger(Int64 value);
  /// With the given integer tag; raises EWriteError when the value does not fit it.
  void WriteIntegerAs(TValueType tag, Int64 value);
  /// vaExtended, as 80-bit extended.
  void WriteFloat(Extended value);
  void WriteExtendedBytes(const std::array<Byte, 10>& bytes);
  void WriteSingle(Single value);
  void WriteDouble(Double value);
  void WriteCurrency(Currency value);
  void WriteDate(TDateTime value);
  void WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }
  /// UTF-8 text with the tag of CanonicalStringType; invalid UTF-8 is repaired to U+FFFD first.
  void WriteString(std::string_view utf8);
  /// UTF-16 text with the tag of CanonicalStringType.
  void WriteWideString(std::u16string_view units);
  /// vaUTF8String, whatever the text.
  void WriteUTF8Str(std::string_view utf8);
  /// A byte-string tag (vaString, vaLString, vaUTF8String, vaIdent) with these bytes as they are;
  /// raises EWriteError for vaString/vaIdent over 255 bytes.
  void WriteStringAs(TValueType tag, std::string_view bytes);
  /// vaWString with these units.
  void WriteWideChars(std::u16string_view units);
  /// vaIdent; "False", "True", "nil" and "Null" (any case) become their own tags.
  void WriteIdent(std::string_view ident);
  /// A short string without a tag.
  void WriteStr(std::string_view s);
  /// vaSet, the names, and the empty terminator.
  void WriteSet(const std::vector<String>& elements);
  void WriteBinary(const void* data, std::size_t count);

  /// Bytes that can still be written before the buffer is flushed.
  std::size_t BufferFree() const noexcept { return FBuffer.size() - FCount; }
  /// Takes back what was written since `position` when it is all still in the buffer; false
  /// (and nothing changed) otherwise.
  bool Rewind(Int64 position) noexcept;
  /// Flushes and continues writing at `position` of the stream.
  void SetPosition(Int64 position);

private:
  void WriteLE(UInt64 v, int bytes);

  TStream& FStream;
  std::vector<Byte> FBuffer;
  std::size_t FCount = 0;
  Int64 FBasePos = 0;
};

/// The 10 little-endian bytes of an 80-bit extended float. Works on any long double format.
std::array<Byte, 10> ExtendedToBytes(Extended value) noexcept;
/// The value of 10 little-endian 80-bit extended bytes (NaN for invalid encodings).
Extended BytesToExtended(const std::array<Byte, 10>& bytes) noexcept;
/// True for the encoding ExtendedToBytes gives a finite value: false for infinities, NaNs,
/// unnormals and pseudo-denormals (whose integer bit disagrees with the exponent).
bool IsCanonicalExtended(const std::array<Byte, 10>& bytes) noexcept;

namespace detail {
/// The conversions without the native fast path, for tests.
std::array<Byte, 10> ExtendedToBytesPortable(Extended value) noexcept;
Extended BytesToExtendedPortable(const std::array<Byte, 10>& bytes) noexcept;
/// True for well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view s) noexcept;
/// Length of the UTF-8 form of UTF-16 text, or -1 when it has an unpaired surrogate.
Int64 Utf8LengthOf(std::u16string_view units) noexcept;
/// True for the tags of integers of any width.
constexpr bool IsIntTag(Byte t) noexcept {
  return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64;
}
/// True when no byte of `s` is above 0x7F.
bool IsAscii(std::string_view s) noexcept;
} // namespace detail

} // namespace fw
