// The clipboard stream of components: its layout, its text form, and its place on the
// clipboard.
//
// Layout (binary, the form stream's value encoding):
//   [Left Top Right Bottom]   optional: four integers (tag 2, 3 or 4 and the value), the union
//                             of the copied controls' bounds in their parent's coordinates
//   ("TPF0" component)*       one per copied component, in selection order
//   0                         end of the component list
//   [handler source]          optional: each referred handler's source text, UTF-8, sorted by
//                             name ignoring case, one after the other without separators
//   0                         end
// The text form beside it on the clipboard is the framework's standard text of each component
// ("object Button1: TButton ... end"), one after the other.
#pragma once

#include "basert/filer.h"
#include "basert/streams.h"
#include "tarn/clipbrd.h"

#include <memory>
#include <string_view>

namespace fw {

inline constexpr std::string_view sPasteError = "Cannot paste %s in the designer";
inline constexpr std::string_view sCannotInheritControl =
    "Component class '%s' does not support inheritance and cannot be added to a module that has "
    "descendents";
/// The registered name of the clipboard format of component streams.
inline constexpr std::string_view sComponentsClipboardFormatName = "Orvane Components";

/// The clipboard format of component streams, registered on first use.
TClipboardFormat CF_COMPONENTS();

/// Writes the optional bounds part; nothing for an empty rectangle.
void WriteStreamBounds(TWriter& writer, const TRect& bounds);
/// Reads the bounds part when the next value is an integer; the empty rectangle otherwise.
TRect ReadStreamBounds(TReader& reader);
/// The handler source part: the bytes from the reader's position up to the first zero byte or
/// the end of the stream, whichever comes first; the zero is consumed.
String ReadHandlerSource(TReader& reader);

/// The text form of a clipboard stream read from `stream`'s position: each component in the
/// standard text syntax, one after the other. Raises EReadError for a stream that is short or
/// corrupt.
String ClipboardStreamToText(TStream& stream);
/// The clipboard stream of a text holding one or more components in text form (blanks between
/// them): the components, the end of the list, no handler source. Raises EParserError with line
/// and column for text that is not such a form.
std::unique_ptr<TMemoryStream> TextToClipboardStream(std::string_view text);

/// Puts a clipboard stream (from its start) on the clipboard under CF_COMPONENTS, and its text
/// form as text (when the text can carry every value), in one clipboard session.
void CopyStreamToClipboard(TMemoryStream& stream);
/// True when the clipboard holds a component stream, or text that begins like one.
bool ClipboardHasComponents();
/// The clipboard's component stream, rewound: CF_COMPONENTS when present, else the text
/// converted; null when the clipboard holds neither. Raises like TextToClipboardStream for text
/// that begins like a component but is not one.
std::unique_ptr<TMemoryStream> GetClipboardStream();

} // namespace fw
