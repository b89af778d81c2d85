// The text form of component streams: the parser, binary<->text conversion and format detection.
#pragma once

#include "basert/streams.h"
#include "basert/types.h"

#include <string_view>
#include <vector>

namespace fw {

// Resource strings of the parser. Parser messages end with sParseError's position suffix.
inline constexpr std::string_view sParseError = "%s on line %d, column %d";
inline constexpr std::string_view sIdentifierExpected = "Identifier expected";
inline constexpr std::string_view sStringExpected = "String expected";
inline constexpr std::string_view sNumberExpected = "Number expected";
inline constexpr std::string_view sCharExpected = "'%s' expected";
inline constexpr std::string_view sSymbolExpected = "%s expected";
inline constexpr std::string_view sValueExpected = "Property value expected";
inline constexpr std::string_view sInvalidBinary = "Invalid binary value";
inline constexpr std::string_view SInvalidString = "Unterminated string";
inline constexpr std::string_view sInvalidCharCode = "Invalid character code";
inline constexpr std::string_view sInvalidCharacter = "Invalid character %s";
inline constexpr std::string_view sNumberOutOfRange = "Number out of range";
inline constexpr std::string_view sNameTooLong = "Name longer than 255 bytes";
inline constexpr std::string_view sUnknownValueKind = "Unknown value kind %s";
inline constexpr std::string_view sAnnotationRefused =
    "Typed value %s(...) needs the exact text syntax";
inline constexpr std::string_view sNullInList = "Null cannot be a list item";
inline constexpr std::string_view sPropertyAfterChild = "Property after a child object";
inline constexpr std::string_view sNestingTooDeepText = "Values nested too deeply";
// Resource strings of the binary-to-text direction ("%d" is a byte offset).
inline constexpr std::string_view sInvalidFloatAt = "Invalid floating point value at byte %d";
inline constexpr std::string_view sInvalidNameAt = "Invalid name at byte %d";
inline constexpr std::string_view sInvalidPrefix = "Invalid component prefix at byte %d";
inline constexpr std::string_view sInvalidImage = "Invalid stream format";

/// Token kinds of TParser; a one-character symbol is its own token (e.g. '=').
inline constexpr char toEOF = 0;
inline constexpr char toSymbol = 1; ///< an identifier, dots included ("Font.Name")
inline constexpr char toString = 2; ///< a string of ASCII characters
inline constexpr char toInteger = 3;
inline constexpr char toFloat = 4;
inline constexpr char toWString = 5; ///< a string with a character beyond ASCII

/// Splits form text into tokens. Strings are quoted pieces ('it''s') and character codes (#13,
/// #$0D) written without space between them; a string's value is a sequence of UTF-16 units
/// (raw UTF-8 in the text is decoded; bytes that are not UTF-8 count as Latin-1). Numbers are
/// decimal or $hex integers, or floats with an optional type suffix s, c or d. Errors raise
/// EParserError "<what> on line L, column C".
class TParser {
public:
  /// Parses the rest of `stream` (a memory stream in place, which must not change meanwhile).
  /// The destructor puts the stream's position at the current token, so a caller can go on
  /// reading after what it parsed. A UTF-8 byte-order mark is skipped.
  explicit TParser(TStream& stream);
  /// Parses `text` in place; it must outlive the parser.
  explicit TParser(std::string_view text);
  ~TParser();
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  char Token() const { return FToken; }
  char NextToken();
  /// The token's text: the identifier, the number as written, a string's value as UTF-8.
  String TokenString() const;
  /// A string token's value as UTF-16 units.
  WideString TokenWideString() const;
  /// An identifier token's text, a view of the parsed text (valid as long as the parser).
  std::string_view TokenSymbol() const { return FSymbol; }
  /// For an ASCII string token, its bytes (no conversion needed).
  std::string_view TokenAsciiString() const { return FStrBytes; }
  /// The integer token's value; raises "Number out of range" beyond 64 bits.
  Int64 TokenInt() const;
  /// The number token's value as extended.
  Extended TokenFloat() const;
  /// The number token's text without its type suffix.
  std::string_view TokenNumberText() const { return FNumber; }
  /// The float token's type suffix in lower case ('s', 'c', 'd'), or 0.
  char FloatType() const { return FFloatType; }
  /// True for an identifier equal to `s` ignoring case.
  bool TokenSymbolIs(std::string_view s) const;
  /// Raises "<kind> expected" unless the token is `t`.
  void CheckToken(char t) const;
  /// Raises "'s' expected" unless the token is the identifier `s`.
  void CheckTokenSymbol(std::string_view s) const;
  /// True when the source character right after the token is `c` (no space between).
  bool NextCharIs(char c) const { return FPos < FText.size() && FText[FPos] == c; }
  /// The first non-blank source character after the token, or 0 at the end.
  char PeekNonBlank() const;
  /// Reads hex digit pairs after a '{' token up to the closing '}', then moves to the next token.
  void HexToBinary(std::vector<Byte>& out);

  int SourceLine() const { return FTokenLine; }
  int SourceColumn() const { return FTokenColumn; }
  /// Byte offset of the token in the parsed text.
  std::size_t SourcePos() const { return FTokenStart; }
  [[noreturn]] void Error(std::string_view message) const;
  /// Raises like Error, naming the given place instead of the token's.
  [[noreturn]] void ErrorAt(std::string_view message, int line, int column) const;

private:
  void Init();
  void SkipBlanks();
  void ScanString();
  void ScanNumber();
  void AppendUnit(char32_t cp);

  TStream* FStream = nullptr;
  Int64 FStreamBase = 0;
  String FOwned; // a copy of a stream that cannot be read in place
  std::string_view FText;
  std::size_t FPos = 0;
  std::size_t FLineStart = 0;
  int FLine = 1;
  char FToken = toEOF;
  std::size_t FTokenStart = 0;
  int FTokenLine = 1;
  int FTokenColumn = 1;
  std::string_view FSymbol;
  std::string_view FNumber;
  char FFloatType = 0;
  bool FHex = false;
  String FStrBytes;    // an ASCII string's bytes
  WideString FStrWide; // a wider string's units
};

enum TStreamOriginalFormat { sofUnknown, sofBinary, sofText, sofUTF8Text };

/// The format of the stream from its position, which is left unchanged: binary ("TPF0" or a
/// resource header), text (blanks then object, inherited or inline), UTF-8 text (a byte-order
/// mark), or unknown.
TStreamOriginalFormat TestStreamFormat(TStream& stream);

/// The text syntax that the conversions write and read. Standard is the framework's own text
/// form, which every reader of it accepts. Exact adds typed values, Tag(value) (Int32(5),
/// WString('abc'), Double(0.5), ...), wherever a value's binary encoding is not the one that the
/// plain text maps back to, so that any binary converts back byte for byte; only this system
/// reads them.
enum class TTextSyntax { Standard, Exact };

/// Converts one binary component ("TPF0" and the component) from `input`'s position into text;
/// `input` is left after the component. Raises EReadError naming the byte for a stream that is
/// short or corrupt, or that holds what the text cannot carry: names that are not identifiers,
/// unknown prefix flags, NaN or infinite floats (and, in the standard syntax, identifier values
/// that are not identifiers, or a Null identifier inside a list).
///
/// The text is ASCII with CRLF line ends: two spaces per level; strings quoted with '' for a
/// quote, other characters outside printable ASCII as #nnn UTF-16 codes, broken into pieces of
/// 64 joined by " +"; binary as hex in rows of 64 digits. Floats have the fewest digits that
/// read back to the same value; Single, Currency and Date values carry the suffix s, c or d.
/// In the standard syntax a value comes back with the tag that its text maps to: an integer with
/// the smallest integer tag, a string with the tag its characters call for, a Double as an
/// Extended of the same value. Binary that this system writes converts back byte for byte in
/// either syntax.
void ObjectBinaryToText(TStream& input, TStream& output,
                        TTextSyntax syntax = TTextSyntax::Standard);
/// Converts one component in text form into binary. Raises EParserError with line and column;
/// typed values raise sAnnotationRefused unless `syntax` is Exact. The input is left at the token
/// after the component's final "end".
void ObjectTextToBinary(TStream& input, TStream& output,
                        TTextSyntax syntax = TTextSyntax::Standard);
/// ObjectBinaryToText over a binary component in memory ("TPF0" first), read in place; answers
/// the offset after the component. Byte offsets in messages count from `base`. The text goes to
/// `output` in large blocks as it is made.
std::size_t ObjectBinaryToText(std::string_view binary, TStream& output,
                               TTextSyntax syntax = TTextSyntax::Standard, Int64 base = 0);
/// ObjectTextToBinary over text in memory, read in place; answers the offset of what follows the
/// component's final "end" and the blanks after it (the size of `text` when nothing does). The
/// binary goes to `output` in large blocks as it is made.
std::size_t ObjectTextToBinary(std::string_view text, TStream& output,
                               TTextSyntax syntax = TTextSyntax::Standard);
/// Like ObjectBinaryToText for a binary component wrapped in a resource header.
void ObjectResourceToText(TStream& input, TStream& output,
                          TTextSyntax syntax = TTextSyntax::Standard);
/// Like ObjectTextToBinary, wrapping the result in a resource header named after its class.
void ObjectTextToResource(TStream& input, TStream& output,
                          TTextSyntax syntax = TTextSyntax::Standard);

/// Skips the header of an RCDATA resource: the form-file header ($FF, type 10, the upper-case
/// name, flags $1030, a 32-bit size), or a 32-bit resource file's empty entry and the entry
/// after it. Raises EInvalidImage "Invalid stream format" for anything else.
void ReadResourceHeader(TStream& stream);
/// Writes the form-file resource header for `size` bytes of data named `name` (upper-cased).
void WriteResourceHeader(TStream& stream, std::string_view name, Int64 size);

namespace detail {
/// The text std::to_chars gives for `v` (the fewest digits that read back to it), made faster
/// for values of up to about 18 digits between 1e-5 and 1e15; null, and nothing written, for
/// the others. `buf` holds at least 32 characters.
char* ShortestDecimal(Extended v, char* buf) noexcept;
} // namespace detail

} // namespace fw
