// Form files for the command-line host: loading either format, converting, and streaming a
// conversion from one file into another.
#pragma once

#include "basert/formtext.h"
#include "basert/streams.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace fwcli {

enum class FormFormat { Binary, Text, Resource };

/// "binary", "text" or "resource".
const char* FormatName(FormFormat f);
/// Parses a --to argument; false for an unknown name.
bool ParseFormatName(const std::string& name, FormFormat& f);

/// A form file's bytes, with the format found in them. A regular file is mapped, not copied;
/// a pipe, a device or "-" (standard input) is read to its end. A mapped file that another
/// program shortens meanwhile reads as zeros from then on, and Lost says so.
class FormFile {
public:
  FormFile() = default;
  ~FormFile();
  FormFile(const FormFile&) = delete;
  FormFile& operator=(const FormFile&) = delete;

  std::string_view Data() const { return FData; }
  /// True when the mapped file lost pages since it was loaded.
  bool Lost() const noexcept;
  FormFormat Format = FormFormat::Text;

private:
  friend void LoadFormFile(const std::string& path, FormFile& file);
  void Release() noexcept;

  std::string_view FData;
  void* FMap = nullptr;
  std::size_t FMapSize = 0;
  int FSlot = -1; // in the table that the bus-error handler consults
  std::string FOwned;
};

/// Reads a form file ("-" is standard input) and detects its format. Raises fw::Exception for an
/// unreadable file or one in no form format.
void LoadFormFile(const std::string& path, FormFile& file);

/// Converts `file` to `target`, written to `out` in large blocks as it is made; converting to the
/// format it is in yields its canonical form. Text is written and read in `syntax`. Raises with
/// the byte or the line and column where the input is broken, also for data after the
/// component, or when the file changed while it was read; what was written to `out` by then is
/// to be thrown away.
void Convert(const FormFile& file, FormFormat target, fw::TStream& out,
             fw::TTextSyntax syntax = fw::TTextSyntax::Standard);

/// The component of `file` as a plain binary stream ("TPF0" ...), as Convert to binary.
void ToBinary(const FormFile& file, fw::TMemoryStream& binary,
              fw::TTextSyntax syntax = fw::TTextSyntax::Standard);

/// Writes a binary component ("TPF0" ...) to `out` in `target`: as it is, as text in `syntax`,
/// or behind a resource header named after its root's class.
void FromBinary(std::string_view binary, FormFormat target, fw::TStream& out,
                fw::TTextSyntax syntax = fw::TTextSyntax::Standard);

/// What ConvertFile did.
struct ConvertReport {
  FormFormat From = FormFormat::Text;
  FormFormat To = FormFormat::Binary;
  fw::Int64 InBytes = 0;
  fw::Int64 OutBytes = 0;
};

/// Converts the form file `in` into `out` ("-" for standard input and output), to `target` or
/// else to the other format. The output is streamed into a safe save, so `out` is replaced only
/// by a complete conversion and a failure leaves it as it was; a pipe or a device gets the
/// output only once the whole conversion has succeeded. Input errors raise fw::Exception
/// as LoadFormFile and Convert do; write errors raise EFCreateError naming `out`.
ConvertReport ConvertFile(const std::string& in, const std::string& out,
                          std::optional<FormFormat> target,
                          fw::TTextSyntax syntax = fw::TTextSyntax::Standard);

/// Prints the component tree of a binary stream: one line per component with its indentation,
/// flags, name, class and number of properties.
void DumpTree(fw::TMemoryStream& binary, std::FILE* out);

} // namespace fwcli
