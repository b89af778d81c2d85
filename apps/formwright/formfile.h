// Form files for the command-line host: loading either format and converting.
#pragma once

#include "basert/formtext.h"
#include "basert/streams.h"

#include <string>

namespace fwcli {

enum class FormFormat { Binary, Text, Resource };

/// "binary", "text" or "resource".
const char* FormatName(FormFormat f);
/// Parses a --to argument; false for an unknown name.
bool ParseFormatName(const std::string& name, FormFormat& f);

/// A form file read into memory, with the format it was found in.
struct FormFile {
  fw::TMemoryStream Data;
  FormFormat Format = FormFormat::Text;
};

/// Reads a form file and detects its format. Raises fw::Exception for an unreadable file or one
/// in no form format.
void LoadFormFile(const std::string& path, FormFile& file);

/// The component of `file` as a plain binary stream ("TPF0" ...). Raises with the byte or the
/// line and column where the input is broken, also for data after the component, and for typed
/// values in text unless `syntax` is Exact.
void ToBinary(FormFile& file, fw::TMemoryStream& binary,
              fw::TTextSyntax syntax = fw::TTextSyntax::Standard);

/// Converts `file` to `target`; converting to the format it is in yields its canonical form.
/// Text is written and read in `syntax`.
void Convert(FormFile& file, FormFormat target, fw::TMemoryStream& out,
             fw::TTextSyntax syntax = fw::TTextSyntax::Standard);

/// Prints the component tree of a binary stream: one line per component with its indentation,
/// flags, name, class and number of properties.
void DumpTree(fw::TMemoryStream& binary, std::FILE* out);

} // namespace fwcli
