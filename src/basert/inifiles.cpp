#include "basert/inifiles.h"

#include "basert/datetime.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/safesave.h"
#include "basert/strings.h"

#include <filesystem>
#include <system_error>

namespace fw {

namespace detail {

struct TIniEntry {
  String Key; // a comment's whole line
  String Value;
  bool Comment = false;
};

struct TIniSection {
  String Name;
  std::vector<TIniEntry> Entries;
  /// Key -> index of its first entry.
  std::unordered_map<String, std::size_t, TextHash, TextEqual> Index;

  const TIniEntry* Find(std::string_view key) const {
    auto it = Index.find(key);
    return it == Index.end() ? nullptr : &Entries[it->second];
  }
  void Append(TIniEntry e) {
    if (!e.Comment) Index.try_emplace(e.Key, Entries.size());
    Entries.push_back(std::move(e));
  }
  void Reindex() {
    Index.clear();
    for (std::size_t i = 0; i < Entries.size(); ++i)
      if (!Entries[i].Comment) Index.try_emplace(Entries[i].Key, i);
  }
};

} // namespace detail

namespace {

using detail::TIniEntry;
using detail::TIniSection;

constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Numbers and dates in files do not follow the user's settings.
const TFormatSettings& FileFormatSettings() {
  static const TFormatSettings settings;
  return settings;
}

void CheckSection(std::string_view section) {
  if (HasLineBreak(section)) throw EIniFileException(Format(sIniInvalidSection, section));
}

void CheckKey(std::string_view ident) {
  if (HasLineBreak(ident) || ident.find('=') != std::string_view::npos ||
      (!ident.empty() && (ident[0] == ';' || ident[0] == '#' || ident[0] == '[')))
    throw EIniFileException(Format(sIniInvalidKey, ident));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TCustomIniFile

String TCustomIniFile::ReadText(std::string_view section, std::string_view ident,
                                std::string_view defaultValue) const {
  String s = ReadString(section, ident, defaultValue);
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

Integer TCustomIniFile::ReadInteger(std::string_view section, std::string_view ident,
                                    Integer defaultValue) const {
  return StrToIntDef(TrimView(ReadString(section, ident, "")), defaultValue);
}

void TCustomIniFile::WriteInteger(std::string_view section, std::string_view ident, Integer value) {
  WriteString(section, ident, IntToStr(value));
}

Int64 TCustomIniFile::ReadInt64(std::string_view section, std::string_view ident,
                                Int64 defaultValue) const {
  return StrToInt64Def(TrimView(ReadString(section, ident, "")), defaultValue);
}

void TCustomIniFile::WriteInt64(std::string_view section, std::string_view ident, Int64 value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(std::string_view section, std::string_view ident,
                              bool defaultValue) const {
  return StrToBoolDef(TrimView(ReadString(section, ident, "")), defaultValue);
}

void TCustomIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

Double TCustomIniFile::ReadFloat(std::string_view section, std::string_view ident,
                                 Double defaultValue) const {
  Double v = 0;
  return TryStrToFloat(ReadString(section, ident, ""), v, FileFormatSettings()) ? v : defaultValue;
}

void TCustomIniFile::WriteFloat(std::string_view section, std::string_view ident, Double value) {
  WriteString(section, ident, FloatToStr(value, FileFormatSettings()));
}

TDateTime TCustomIniFile::ReadDate(std::string_view section, std::string_view ident,
                                   TDateTime defaultValue) const {
  TDateTime v = 0;
  return TryStrToDate(ReadString(section, ident, ""), v, FileFormatSettings()) ? v : defaultValue;
}

void TCustomIniFile::WriteDate(std::string_view section, std::string_view ident, TDateTime value) {
  WriteString(section, ident, DateToStr(value, FileFormatSettings()));
}

TDateTime TCustomIniFile::ReadTime(std::string_view section, std::string_view ident,
                                   TDateTime defaultValue) const {
  TDateTime v = 0;
  return TryStrToTime(ReadString(section, ident, ""), v, FileFormatSettings()) ? v : defaultValue;
}

void TCustomIniFile::WriteTime(std::string_view section, std::string_view ident, TDateTime value) {
  WriteString(section, ident, TimeToStr(value, FileFormatSettings()));
}

TDateTime TCustomIniFile::ReadDateTime(std::string_view section, std::string_view ident,
                                       TDateTime defaultValue) const {
  TDateTime v = 0;
  return TryStrToDateTime(ReadString(section, ident, ""), v, FileFormatSettings()) ? v
                                                                                   : defaultValue;
}

void TCustomIniFile::WriteDateTime(std::string_view section, std::string_view ident,
                                   TDateTime value) {
  WriteString(section, ident, DateTimeToStr(value, FileFormatSettings()));
}

bool TCustomIniFile::SectionExists(std::string_view section) const {
  TStringList keys;
  ReadSection(section, keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  TStringList keys;
  ReadSection(section, keys);
  return keys.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(String fileName) : TCustomIniFile(std::move(fileName)) { Load(); }

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::Load() {
  Clear();
  if (FileName().empty()) return;
  std::error_code ec;
  if (!std::filesystem::exists(FileName(), ec)) return;
  TStringList lines;
  try {
    if (std::filesystem::is_directory(FileName(), ec)) throw EFOpenError(FileName());
    lines.LoadFromFile(FileName());
  } catch (const EFOpenError&) {
    throw EIniFileException(Format(sIniFileReadError, FileName()));
  }
  SetStrings(lines);
}

void TMemIniFile::Rename(String fileName, bool reload) {
  SetFileName(std::move(fileName));
  if (reload) Load();
}

void TMemIniFile::Clear() {
  FPreamble.clear();
  FSections.clear();
  FSectionIndex.clear();
}

TIniSection* TMemIniFile::FindSection(std::string_view name) const {
  auto it = FSectionIndex.find(name);
  return it == FSectionIndex.end() ? nullptr : it->second;
}

TIniSection& TMemIniFile::AddSection(std::string_view name) {
  if (TIniSection* s = FindSection(name)) return *s;
  auto section = std::make_unique<TIniSection>();
  section->Name = String(name);
  TIniSection& ref = *section;
  FSections.push_back(std::move(section));
  FSectionIndex.emplace(ref.Name, &ref);
  return ref;
}

void TMemIniFile::SetStrings(const TStrings& lines) {
  Clear();
  TIniSection* current = nullptr;
  const Integer n = lines.Count();
  for (Integer i = 0; i < n; ++i) {
    String line = lines[i];
    std::string_view s = TrimView(line);
    if (s.empty()) continue;
    if (s[0] == ';' || s[0] == '#') {
      if (current)
        current->Append(TIniEntry{String(s), {}, true});
      else
        FPreamble.emplace_back(s);
    } else if (s[0] == '[' && s.back() == ']' && s.size() >= 2) {
      current = &AddSection(TrimView(s.substr(1, s.size() - 2)));
    } else if (current) {
      std::size_t eq = s.find('=');
      if (eq == std::string_view::npos) continue; // not a key: dropped
      current->Append(
          TIniEntry{String(TrimView(s.substr(0, eq))), String(TrimView(s.substr(eq + 1)))});
    }
  }
}

void TMemIniFile::GetStrings(TStrings& lines) const {
  lines.BeginUpdate();
  try {
    lines.Clear();
    for (const String& c : FPreamble)
      lines.Add(c);
    for (const auto& section : FSections) {
      if (lines.Count() > 0) lines.Add("");
      lines.Add("[" + section->Name + "]");
      for (const TIniEntry& e : section->Entries)
        lines.Add(e.Comment ? e.Key : e.Key + "=" + e.Value);
    }
  } catch (...) {
    lines.EndUpdate();
    throw;
  }
  lines.EndUpdate();
}

String TMemIniFile::ReadString(std::string_view section, std::string_view ident,
                               std::string_view defaultValue) const {
  if (const TIniSection* s = FindSection(section))
    if (const TIniEntry* e = s->Find(ident)) return e->Value;
  return String(defaultValue);
}

void TMemIniFile::WriteString(std::string_view section, std::string_view ident,
                              std::string_view value) {
  // Names are stored as a reload would see them.
  section = TrimView(section);
  ident = TrimView(ident);
  CheckSection(section);
  CheckKey(ident);
  if (HasLineBreak(value)) throw EIniFileException(Format(sIniInvalidValue, ident));
  TIniSection& s = AddSection(section);
  auto it = s.Index.find(ident);
  if (it != s.Index.end())
    s.Entries[it->second].Value.assign(value);
  else
    s.Append(TIniEntry{String(ident), String(value)});
}

void TMemIniFile::ReadSection(std::string_view section, TStrings& keys) const {
  keys.BeginUpdate();
  keys.Clear();
  if (const TIniSection* s = FindSection(section))
    for (const TIniEntry& e : s->Entries)
      if (!e.Comment) keys.Add(e.Key);
  keys.EndUpdate();
}

void TMemIniFile::ReadSections(TStrings& sections) const {
  sections.BeginUpdate();
  sections.Clear();
  for (const auto& s : FSections)
    sections.Add(s->Name);
  sections.EndUpdate();
}

void TMemIniFile::ReadSectionValues(std::string_view section, TStrings& values) const {
  values.BeginUpdate();
  values.Clear();
  if (const TIniSection* s = FindSection(section))
    for (const TIniEntry& e : s->Entries)
      if (!e.Comment) values.Add(e.Key + "=" + e.Value);
  values.EndUpdate();
}

bool TMemIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  const TIniSection* s = FindSection(section);
  return s && s->Find(ident);
}

void TMemIniFile::EraseSection(std::string_view section) {
  TIniSection* s = FindSection(section);
  if (!s) return;
  FSectionIndex.erase(FSectionIndex.find(section));
  std::erase_if(FSections, [&](const auto& p) { return p.get() == s; });
}

void TMemIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  TIniSection* s = FindSection(section);
  if (!s) return;
  auto it = s->Index.find(ident);
  if (it == s->Index.end()) return;
  s->Entries.erase(s->Entries.begin() + static_cast<std::ptrdiff_t>(it->second));
  s->Reindex();
}

void TMemIniFile::UpdateFile() {
  if (FileName().empty()) return;
  TStringList lines;
  GetStrings(lines);
  try {
    SaveAtomically(FileName(), lines.Text());
  } catch (const EFCreateError&) {
    throw EIniFileException(Format(sIniFileWriteError, FileName()));
  }
}

// ---------------------------------------------------------------------------------------------
// TIniFile

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
  TMemIniFile::WriteString(section, ident, value);
  UpdateFile();
}

void TIniFile::EraseSection(std::string_view section) {
  if (!SectionExists(section)) return;
  TMemIniFile::EraseSection(section);
  UpdateFile();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  if (!ValueExists(section, ident)) return;
  TMemIniFile::DeleteKey(section, ident);
  UpdateFile();
}

// ---------------------------------------------------------------------------------------------
// TRegistryIniFile

namespace {
String WithoutTrailingBackslashes(String key) {
  while (!key.empty() && key.back() == '\\')
    key.pop_back();
  return key;
}
} // namespace

TRegistryIniFile::TRegistryIniFile(String key)
    : TCustomIniFile(WithoutTrailingBackslashes(std::move(key))) {}

TMemIniFile& TRegistryIniFile::Hive() {
  static TMemIniFile hive;
  return hive;
}

void TRegistryIniFile::LoadHive(const String& fileName) { Hive().Rename(fileName, true); }

String TRegistryIniFile::Path(std::string_view section) const {
  String path = FileName();
  if (!section.empty()) {
    if (!path.empty()) path += '\\';
    path += section;
  }
  return path;
}

String TRegistryIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view defaultValue) const {
  return Hive().ReadString(Path(section), ident, defaultValue);
}

void TRegistryIniFile::WriteString(std::string_view section, std::string_view ident,
                                   std::string_view value) {
  Hive().WriteString(Path(section), ident, value);
}

void TRegistryIniFile::ReadSection(std::string_view section, TStrings& keys) const {
  Hive().ReadSection(Path(section), keys);
}

void TRegistryIniFile::ReadSections(TStrings& sections) const {
  TStringList all;
  Hive().ReadSections(all);
  const String prefix = FileName().empty() ? String() : FileName() + "\\";
  TStringList seen;
  seen.SetSorted(true);
  sections.BeginUpdate();
  sections.Clear();
  for (Integer i = 0; i < all.Count(); ++i) {
    const String path = all[i];
    if (path.size() <= prefix.size() ||
        !SameText(std::string_view(path).substr(0, prefix.size()), prefix))
      continue;
    String name = path.substr(prefix.size(), path.find('\\', prefix.size()) - prefix.size());
    Integer at;
    if (seen.Find(name, at)) continue;
    seen.Add(name);
    sections.Add(name);
  }
  sections.EndUpdate();
}

void TRegistryIniFile::ReadSectionValues(std::string_view section, TStrings& values) const {
  Hive().ReadSectionValues(Path(section), values);
}

bool TRegistryIniFile::SectionExists(std::string_view section) const {
  return Hive().SectionExists(Path(section));
}

bool TRegistryIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  return Hive().ValueExists(Path(section), ident);
}

void TRegistryIniFile::EraseSection(std::string_view section) {
  const String path = Path(section);
  const String below = path + "\\";
  TStringList all;
  Hive().ReadSections(all);
  for (Integer i = 0; i < all.Count(); ++i) {
    const String s = all[i];
    if (SameText(s, path) ||
        (s.size() > below.size() && SameText(std::string_view(s).substr(0, below.size()), below)))
      Hive().EraseSection(s);
  }
}

void TRegistryIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  Hive().DeleteKey(Path(section), ident);
}

void TRegistryIniFile::UpdateFile() { Hive().UpdateFile(); }

} // namespace fw
