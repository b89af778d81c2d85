#include "tools/templatefilter.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/sysutils.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace fw {

namespace {

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

constexpr std::size_t kQuoteLimit = 200;

// Messages quote template text: a line of megabytes would otherwise become the message.
String FillS(std::string_view fmt, std::string_view arg) {
  if (arg.size() <= kQuoteLimit) return Format(fmt, arg);
  std::size_t cut = kQuoteLimit;
  while (cut > 0 && (static_cast<unsigned char>(arg[cut]) & 0xC0) == 0x80)
    --cut; // not inside a UTF-8 character
  return Format(fmt, String(arg.substr(0, cut)) + "...");
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
    s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
    s.remove_suffix(1);
  return s;
}

enum class TTagKind {
  Value,
  IfEqual,
  IfNotEqual,
  Else,
  EndIf,
  Set,
  OutputOn,
  OutputOff,
  OutputProperties,
  ForEach,
  EndForEach
};

struct TTagKeyword {
  std::string_view Text;
  TTagKind Kind;
};

// Searched in order; the first keyword the tag begins with (exact case) decides.
constexpr std::array<TTagKeyword, 10> kTagKeywords = {{
    {"if=", TTagKind::IfEqual},
    {"if!=", TTagKind::IfNotEqual},
    {"else", TTagKind::Else},
    {"endif", TTagKind::EndIf},
    {"set", TTagKind::Set},
    {"outputon", TTagKind::OutputOn},
    {"outputoff", TTagKind::OutputOff},
    {"outputproperties", TTagKind::OutputProperties},
    {"foreach", TTagKind::ForEach},
    {"endforeach", TTagKind::EndForEach},
}};

struct TEscape {
  char From;
  std::string_view To;
};

constexpr std::array<TEscape, 7> kEscapes = {{
    {'n', "\r\n"},
    {'r', "\r"},
    {'a', "\n"},
    {'b', "\b"},
    {'t', "\t"},
    {'"', "\""},
    {'\\', "\\"},
}};

constexpr bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',';
}

// A line read during a foreach block, with the source line number it came from.
struct TLogLine {
  String Text;
  Integer LineNumber;
};

class TExpertFilter;

// The body of one foreach. Its lines live in the filter's log as the range [Begin, End): the
// first pass appends what it reads (from the source, or from the enclosing block's range), later
// passes replay the range. Nested blocks are sub-ranges of the same log, so nothing is copied
// per level and no call chain grows with the nesting depth.
class TScopeLineProvider final : public TInterfacedObject,
                                 public ILineProvider,
                                 public IIterationCounter {
  FW_CLASS(TScopeLineProvider)
public:
  TScopeLineProvider(TExpertFilter& filter, std::size_t begin, std::size_t limit,
                     bool outerOutputOn, bool empty, Integer passes, String collectionName)
      : FFilter(filter), FBegin(begin), FCursor(begin), FLimit(limit), FPasses(passes),
        FEmpty(empty), FOuterOutputOn(outerOutputOn), FCollectionName(std::move(collectionName)) {}

  bool HasMore() override;
  String NextLine() override { return String(Next()); }
  Integer LineNumber() override;
  void ReStart() override { FCursor = FBegin; }
  void Cleanup() override;
  bool IsOutputOn() override { return !FEmpty && FOuterOutputOn; }
  Integer GetCurrentIteration() override { return FEmpty ? -1 : FIteration; }

  /// The next line, viewed in the log (valid until the log is next appended to or cleared).
  std::string_view Next();
  bool Recording() const noexcept { return FIteration == 0; }
  /// Where an inner block may read up to.
  std::size_t InnerLimit() const noexcept { return Recording() ? FLimit : FEnd; }
  /// Where the enclosing block resumes once this one is done.
  std::size_t ResumeAt() const noexcept { return Recording() ? FCursor : FEnd; }
  /// At an end tag: answers false when the block is finished.
  bool EndOfPass();

  void LinkCollection(IPtr<ICollectionProperty> coll);
  void OverrideItemName(IPropertyValues& values, std::string_view itemName,
                        IPtr<ICollectionProperty> coll);

  std::size_t Cursor() const noexcept { return FCursor; }
  void SetCursor(std::size_t cursor) noexcept { FCursor = cursor; }

private:
  TExpertFilter& FFilter;
  std::size_t FBegin;
  std::size_t FCursor;
  std::size_t FEnd = 0;
  std::size_t FLimit;
  Integer FIteration = 0;
  Integer FPasses;
  bool FEmpty;
  bool FOuterOutputOn;
  String FCollectionName;
  IPtr<IIterationTarget> FTarget;
  IPtr<IIterationCounter> FPreviousCounter;
  // The item name bound to the collection, and what it held before.
  IPropertyValues* FOverridden = nullptr;
  String FItemName;
  bool FHadPrevious = false;
  Variant FPrevious;
};

class TExpertFilter final : public TInterfacedObject, public IExpertFilter {
  FW_CLASS(TExpertFilter)
public:
  // IPropertyValues, forwarded to the bag.
  void SetProperty(std::string_view name, const Variant& value) override {
    FPropertyValues->SetProperty(name, value);
  }
  void SetCollectionProperty(std::string_view name, IPtr<ICollectionProperty> value) override {
    FPropertyValues->SetCollectionProperty(name, std::move(value));
  }
  Integer GetPropertyCount() override { return FPropertyValues->GetPropertyCount(); }
  Variant GetProperty(Integer index) override { return FPropertyValues->GetProperty(index); }
  Variant GetProperty(std::string_view name) override { return FPropertyValues->GetProperty(name); }
  String GetPropertyKey(Integer index) override { return FPropertyValues->GetPropertyKey(index); }
  void ClearProperties() override { FPropertyValues->ClearProperties(); }

  String Filter(std::string_view directory, std::string_view fileName) override;
  String Filter(IPtr<ILineProvider> provider, std::string_view templateName) override;

  // What the scopes share.
  std::vector<TLogLine> FLog;
  IPtr<ILineProvider> FSource;

private:
  String InternalFilter(IPtr<ILineProvider> provider);
  void ExpandLine(std::string_view line, String& out);
  void ProcessTag(std::string_view tag, String& out);
  std::vector<String> Arguments(std::string_view tag, std::size_t keywordLength);
  void BeginForEach(std::string_view tag, const std::vector<String>& args);
  void EndForEach();
  void PopScope();
  void CleanupProviders() noexcept;
  bool OutputOn();
  Integer CurrentLineNumber();
  [[noreturn]] void Fail(const String& message);

  IPtr<IPropertyValues> FPropertyValues = CoPropertyValues::Create();
  bool FOutput = true;
  TBooleanStack FConditions;
  std::vector<IPtr<TScopeLineProvider>> FScopes; // above FSource, innermost last
  String FTemplateName;
};

// --- TScopeLineProvider ---

TClass TScopeLineProvider::StaticClass() {
  static const TClass cls =
      TClassBuilder<TScopeLineProvider, TInterfacedObject>("TScopeLineProvider", "ExpertFilter")
          .Implements<ILineProvider, IIterationCounter>()
          .Build();
  return cls;
}

bool TScopeLineProvider::HasMore() {
  const auto& log = FFilter.FLog;
  if (Recording()) {
    if (FCursor < log.size() && FCursor < FLimit) return true;
    return FLimit == kNoLimit && FFilter.FSource->HasMore();
  }
  return FEnd > FBegin && (FCursor < FEnd || FIteration + 1 < FPasses);
}

std::string_view TScopeLineProvider::Next() {
  auto& log = FFilter.FLog;
  if (Recording()) {
    if (FCursor >= log.size()) {
      ILineProvider& source = *FFilter.FSource;
      String text = source.NextLine();
      log.push_back({std::move(text), source.LineNumber()});
    }
  } else if (FCursor >= FEnd) {
    // The end tag was taken by an inner block: start the next pass here instead.
    ++FIteration;
    FCursor = FBegin;
  }
  return log[FCursor++].Text;
}

Integer TScopeLineProvider::LineNumber() {
  const auto& log = FFilter.FLog;
  if (FCursor > 0 && FCursor <= log.size()) return log[FCursor - 1].LineNumber;
  return FFilter.FSource ? FFilter.FSource->LineNumber() : -1;
}

bool TScopeLineProvider::EndOfPass() {
  if (Recording()) FEnd = FCursor;
  ++FIteration;
  if (FIteration >= FPasses || FEnd == FBegin) return false;
  FCursor = FBegin;
  return true;
}

void TScopeLineProvider::LinkCollection(IPtr<ICollectionProperty> coll) {
  if (!Supports<IIterationTarget>(coll, &FTarget)) return;
  FPreviousCounter = FTarget->SetIterationCounter(IPtr<IIterationCounter>(this));
}

void TScopeLineProvider::OverrideItemName(IPropertyValues& values, std::string_view itemName,
                                          IPtr<ICollectionProperty> coll) {
  FOverridden = &values;
  FItemName = String(itemName);
  for (Integer i = 0, n = values.GetPropertyCount(); i < n; ++i) {
    if (!SameText(values.GetPropertyKey(i), itemName)) continue;
    FHadPrevious = true;
    FItemName = values.GetPropertyKey(i);
    FPrevious = values.GetProperty(i);
    break;
  }
  values.SetCollectionProperty(itemName, std::move(coll));
}

void TScopeLineProvider::Cleanup() {
  if (FTarget) {
    // Breaks the collection's reference to this scope.
    FTarget->SetIterationCounter(std::move(FPreviousCounter));
    FTarget = nullptr;
  }
  if (FOverridden) {
    if (FHadPrevious) {
      FOverridden->SetProperty(FItemName, FPrevious);
    } else if (auto* bag = dynamic_cast<TPropertyValues*>(FOverridden)) {
      bag->RemoveProperty(FItemName);
    } else {
      FOverridden->SetProperty(FItemName, Variant());
    }
    FOverridden = nullptr;
    FPrevious = Variant();
  }
}

// --- TExpertFilter ---

TClass TExpertFilter::StaticClass() {
  static const TClass cls =
      TClassBuilder<TExpertFilter, TInterfacedObject>("TExpertFilter", "ExpertFilter")
          .Implements<IExpertFilter, IPropertyValues>()
          .Build();
  return cls;
}

String TExpertFilter::Filter(std::string_view directory, std::string_view fileName) {
  String path(directory);
  if (!path.empty() && path.back() != '/' && !fileName.empty()) path += '/';
  path += fileName;
  const String localized = LocalizedTemplatePath(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(localized, ec))
    throw Exception(Format(sTemplateFileNotFound, path));
  FTemplateName = std::filesystem::path(localized).filename().string();
  return InternalFilter(IPtr<ILineProvider>(new TFileLineProvider(localized)));
}

String TExpertFilter::Filter(IPtr<ILineProvider> provider, std::string_view templateName) {
  FTemplateName = String(templateName);
  if (!provider) return {};
  return InternalFilter(std::move(provider));
}

String TExpertFilter::InternalFilter(IPtr<ILineProvider> provider) {
  FSource = std::move(provider);
  FScopes.clear();
  FLog.clear();
  FConditions = TBooleanStack();
  FOutput = true;
  String out;
  try {
    for (;;) {
      String owned;
      std::string_view line;
      if (FScopes.empty()) {
        FLog.clear();
        if (!FSource->HasMore()) break;
        owned = FSource->NextLine();
        line = owned;
      } else {
        TScopeLineProvider& top = *FScopes.back();
        if (!top.HasMore()) {
          PopScope();
          continue;
        }
        line = top.Next();
      }
      const std::size_t before = out.size();
      if (!line.empty()) ExpandLine(line, out);
      if (!OutputOn())
        out.resize(before);
      else if (out.size() > before || line.empty())
        out += "\r\n";
    }
  } catch (...) {
    CleanupProviders();
    throw;
  }
  CleanupProviders();
  return out;
}

void TExpertFilter::CleanupProviders() noexcept {
  // Innermost first, so overridden names come back in the order they were bound.
  while (!FScopes.empty()) {
    try {
      FScopes.back()->Cleanup();
    } catch (...) {
    }
    FScopes.pop_back();
  }
  if (FSource) {
    try {
      FSource->Cleanup();
    } catch (...) {
    }
    FSource = nullptr;
  }
  FLog.clear();
  FLog.shrink_to_fit();
}

bool TExpertFilter::OutputOn() {
  if (!FOutput || !FConditions.AllTrue()) return false;
  return FScopes.empty() ? FSource->IsOutputOn() : FScopes.back()->IsOutputOn();
}

Integer TExpertFilter::CurrentLineNumber() {
  if (!FScopes.empty()) return FScopes.back()->LineNumber();
  return FSource ? FSource->LineNumber() : -1;
}

void TExpertFilter::Fail(const String& message) {
  throw Exception(Format(sExpFilterError, FTemplateName, CurrentLineNumber(), message));
}

void TExpertFilter::ExpandLine(std::string_view line, String& out) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t open = line.find("[!", pos);
    if (open == std::string_view::npos) {
      out.append(line.substr(pos));
      return;
    }
    out.append(line.substr(pos, open - pos));
    const std::size_t close = line.find(']', open + 2);
    if (close == std::string_view::npos) Fail(FillS(sMissingCloseTag, line));
    ProcessTag(Trim(line.substr(open + 2, close - open - 2)), out);
    pos = close + 1;
  }
}

std::vector<String> TExpertFilter::Arguments(std::string_view tag, std::size_t keywordLength) {
  // Anything shorter than "(x)" cannot name a value.
  const std::string_view args = Trim(tag.substr(keywordLength));
  if (args.size() < 3) Fail(FillS(sInvalidTagEncountered, tag));
  if (args.front() != '(') Fail(FillS(sExpectingOpenParen, tag));
  if (args.back() != ')') Fail(FillS(sExpectingCloseParen, tag));
  std::vector<String> tokens = SplitTagArguments(args.substr(1, args.size() - 2));
  // "( )" or "('')": the parentheses hold no name either.
  if (tokens.empty() || tokens[0].empty()) Fail(FillS(sInvalidTagEncountered, tag));
  return tokens;
}

void TExpertFilter::ProcessTag(std::string_view tag, String& out) {
  TTagKind kind = TTagKind::Value;
  std::size_t keywordLength = 0;
  for (const TTagKeyword& k : kTagKeywords) {
    if (!tag.starts_with(k.Text)) continue;
    kind = k.Kind;
    keywordLength = k.Text.size();
    break;
  }
  switch (kind) {
  case TTagKind::Value:
    out += PropertyValueText(FPropertyValues->GetProperty(tag));
    return;
  case TTagKind::IfEqual:
  case TTagKind::IfNotEqual: {
    const auto a = Arguments(tag, keywordLength);
    const bool equal = kind == TTagKind::IfEqual;
    const String expected = a.size() > 1 ? a[1] : equal ? String("True") : String();
    const bool same = SameText(PropertyValueText(FPropertyValues->GetProperty(a[0])), expected);
    FConditions.Push(same == equal);
    return;
  }
  case TTagKind::Else:
    if (FConditions.GetSize() == 0) Fail(String(sTopEmptyStack));
    FConditions.ToggleTop();
    return;
  case TTagKind::EndIf:
    if (FConditions.GetSize() == 0) Fail(String(sPopEmptyStack));
    FConditions.Pop();
    return;
  case TTagKind::Set: {
    const auto a = Arguments(tag, keywordLength);
    FPropertyValues->SetProperty(a[0], a.size() > 1 ? Variant(a[1]) : Variant());
    return;
  }
  case TTagKind::OutputOn:
    FOutput = true;
    return;
  case TTagKind::OutputOff:
    FOutput = false;
    return;
  case TTagKind::OutputProperties:
    out += DumpPropertyValues(FPropertyValues);
    return;
  case TTagKind::ForEach:
    BeginForEach(tag, Arguments(tag, keywordLength));
    return;
  case TTagKind::EndForEach:
    EndForEach();
    return;
  }
}

void TExpertFilter::BeginForEach(std::string_view tag, const std::vector<String>& args) {
  String itemName, collName;
  if (args.size() == 1) {
    collName = args[0];
  } else if (args.size() == 3 && SameText(args[1], "in")) {
    itemName = args[0];
    collName = args[2];
  } else {
    Fail(FillS(sMalformedForEachTag, tag));
  }
  // A block opened after an end tag on the same line is opened again by every pass, each time
  // inside the last one: without a bound such a template never ends.
  if (FScopes.size() >= static_cast<std::size_t>(MaxForEachDepth))
    Fail(FillS(sForEachTooDeep, tag));
  IPtr<ICollectionProperty> coll = VarToCollection(FPropertyValues->GetProperty(collName));
  if (!coll) coll = CoCollectionProperty::Create(); // anything else iterates as empty
  const Integer count = coll->GetItemCount();

  // A block opened on the line that closed the outermost one starts after the lines the log
  // still holds (it is emptied only once no block is open).
  std::size_t begin = FLog.size(), limit = kNoLimit;
  bool outerOutputOn;
  if (FScopes.empty()) {
    outerOutputOn = FSource->IsOutputOn();
  } else {
    TScopeLineProvider& outer = *FScopes.back();
    begin = outer.Cursor();
    limit = outer.InnerLimit();
    outerOutputOn = outer.IsOutputOn();
  }
  IPtr<TScopeLineProvider> scope(new TScopeLineProvider(
      *this, begin, limit, outerOutputOn, count == 0, count == 0 ? 1 : count, collName));
  FScopes.push_back(scope);
  scope->LinkCollection(coll);
  if (!itemName.empty() && !SameText(itemName, collName))
    scope->OverrideItemName(*FPropertyValues, itemName, coll);
}

void TExpertFilter::EndForEach() {
  if (FScopes.empty()) return;
  if (!FScopes.back()->EndOfPass()) PopScope();
}

void TExpertFilter::PopScope() {
  IPtr<TScopeLineProvider> done = FScopes.back();
  FScopes.pop_back();
  done->Cleanup();
  if (!FScopes.empty()) FScopes.back()->SetCursor(done->ResumeAt());
}

} // namespace

// --- TBooleanStack ---

void TBooleanStack::Push(bool value) {
  FItems.push_back(value);
  if (!value) ++FFalseCount;
}

bool TBooleanStack::Pop() {
  if (FItems.empty()) throw Exception(sPopEmptyStack);
  const bool v = FItems.back();
  FItems.pop_back();
  if (!v) --FFalseCount;
  return v;
}

void TBooleanStack::ToggleTop() {
  if (FItems.empty()) throw Exception(sTopEmptyStack);
  const bool v = !FItems.back();
  FItems.back() = v;
  if (v)
    --FFalseCount;
  else
    ++FFalseCount;
}

bool TBooleanStack::GetTop() const {
  if (FItems.empty()) throw Exception(sTopEmptyStack);
  return FItems.back();
}

// --- tokens ---

std::vector<String> SplitTagArguments(std::string_view text) {
  std::vector<String> tokens;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto at = [&](std::size_t k) { return k < n ? text[k] : '\0'; };
  for (;;) {
    while (i < n && IsSeparator(text[i]))
      ++i;
    if (at(i) == '\0') break;
    String token;
    const char quote = text[i];
    if (quote == '"' || quote == '\'') {
      ++i;
      bool closed = false;
      while (at(i) != '\0') {
        const char c = text[i];
        if (c == quote) {
          ++i;
          closed = true;
          break;
        }
        if (c == '\\' && at(i + 1) != '\0') {
          const char e = text[i + 1];
          const TEscape* esc = nullptr;
          for (const TEscape& x : kEscapes)
            if (x.From == e) esc = &x;
          if (esc) {
            token += esc->To;
          } else {
            token += '\\';
            token += e;
          }
          i += 2;
          continue;
        }
        token += c;
        ++i;
      }
      if (closed || !token.empty()) tokens.push_back(std::move(token));
      if (!closed) break;
    } else {
      while (at(i) != '\0' && !IsSeparator(text[i]))
        token += text[i++];
      tokens.push_back(std::move(token));
    }
  }
  return tokens;
}

String LocalizedTemplatePath(const String& path) {
  const char* lang = nullptr;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) {
      lang = v;
      break;
    }
  }
  auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!lang || !isAlpha(lang[0]) || !isAlpha(lang[1]) || isAlpha(lang[2])) return path;
  const std::filesystem::path p(path);
  const std::filesystem::path variant = p.parent_path() / LowerCase(String(lang, 2)) / p.filename();
  std::error_code ec;
  return std::filesystem::is_regular_file(variant, ec) ? variant.string() : path;
}

IPtr<IExpertFilter> CoExpertFilter::Create() { return IPtr<IExpertFilter>(new TExpertFilter); }

} // namespace fw
