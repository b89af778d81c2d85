// The template filter: expands "[!...]" tags in template lines against a bag of named values.
#pragma once

#include "basert/interfaces.h"
#include "basert/types.h"
#include "tools/lineproviders.h"
#include "tools/templatevalues.h"

#include <string_view>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sExpFilterError = "%s(%d): %s";
inline constexpr std::string_view sInvalidTagEncountered = "Invalid tag encountered '%s'";
inline constexpr std::string_view sMissingCloseTag = "Missing closing tag in line '%s'";
inline constexpr std::string_view sExpectingOpenParen = "Expecting open paren in tag '%s'";
inline constexpr std::string_view sExpectingCloseParen = "Expecting close paren in tag '%s'";
inline constexpr std::string_view sPopEmptyStack = "Attempt to pop an empty stack";
inline constexpr std::string_view sTopEmptyStack = "Attempt to access empty stack";
inline constexpr std::string_view sTemplateFileNotFound = "File not found: %s";
inline constexpr std::string_view sMalformedForEachTag = "Invalid foreach tag encountered '%s'";
inline constexpr std::string_view sForEachTooDeep = "Foreach blocks nested too deeply at tag '%s'";

/// Deepest nesting of foreach blocks a template may reach.
inline constexpr int MaxForEachDepth = 16384;

/// A property bag that also expands templates against its values. Every template error raises
/// Exception "%s(%d): %s" (template name, line number of the current provider or -1, message)
/// and discards what was produced.
struct IExpertFilter : IPropertyValues {
  static constexpr TGUID IID = TGUID::Parse("{9D2EBDCA-241A-46C2-820A-6425BD2BE786}");
  /// Expands the file `directory` + `fileName`, preferring a localised variant (see
  /// `LocalizedTemplatePath`); the template name in messages is the file name part. Raises
  /// Exception "File not found: %s" with the path when neither exists.
  virtual String Filter(std::string_view directory, std::string_view fileName) = 0;
  /// Expands the provider's lines; `templateName` names it in error messages.
  virtual String Filter(IPtr<ILineProvider> provider, std::string_view templateName = {}) = 0;

protected:
  ~IExpertFilter() = default;
};

/// The condition stack. Its operations on an empty stack raise Exception with
/// "Attempt to pop an empty stack" or "Attempt to access empty stack".
class TBooleanStack {
public:
  void Push(bool value);
  bool Pop();
  void ToggleTop();
  bool GetTop() const;
  /// True when every entry is True (so also for an empty stack); constant time.
  bool AllTrue() const noexcept { return FFalseCount == 0; }
  Integer GetSize() const noexcept { return static_cast<Integer>(FItems.size()); }
  bool GetCurrentValue() const noexcept { return AllTrue(); }

private:
  std::vector<bool> FItems;
  std::size_t FFalseCount = 0;
};

/// The tokens of a tag's argument text (the text between the parentheses): separated by blanks,
/// tabs, line breaks and commas; a token starting with " or ' runs to the next unescaped same
/// quote and may be empty; inside it \n gives CR LF, \r CR, \a LF, \b backspace, \t tab, \" a
/// double quote and \\ one backslash, while any other escaped character keeps its backslash.
/// A NUL ends the scan; an unfinished non-empty token at the end still counts.
std::vector<String> SplitTagArguments(std::string_view text);

/// `path` itself, or its variant in a subdirectory named after the user interface language
/// (the first two letters of LC_ALL, LC_MESSAGES or LANG, e.g. "de/Unit.pas") when that exists.
String LocalizedTemplatePath(const String& path);

struct CoExpertFilter {
  static IPtr<IExpertFilter> Create();
};

} // namespace fw
