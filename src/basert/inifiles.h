// Ini files: the abstract TCustomIniFile, the in-memory TMemIniFile and the write-through TIniFile.
#pragma once

#include "basert/fwd.h"
#include "basert/sysutils.h"
#include "basert/types.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sIniFileWriteError = "Unable to write to %s";
inline constexpr std::string_view sIniFileReadError = "Unable to read %s";
inline constexpr std::string_view sIniInvalidSection = "Invalid ini file section \"%s\"";
inline constexpr std::string_view sIniInvalidKey = "Invalid ini file key \"%s\"";
inline constexpr std::string_view sIniInvalidValue = "Invalid ini file value for key \"%s\"";

/// The file as sections of "key=value" lines. Sections and keys are compared ignoring ASCII case.
/// Typed reads never raise: a missing or unreadable value gives the default.
class TCustomIniFile {
public:
  explicit TCustomIniFile(String fileName) : FFileName(std::move(fileName)) {}
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;
  virtual ~TCustomIniFile() = default;

  const String& FileName() const { return FFileName; }

  virtual String ReadString(std::string_view section, std::string_view ident,
                            std::string_view defaultValue) const = 0;
  /// Raises EIniFileException for a section or key that cannot be written as a line (line
  /// breaks; a key holding '=' or starting with ';', '#' or '['; a value with line breaks).
  /// Surrounding blanks of a value do not survive a reload: quote it and read it with ReadText.
  virtual void WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) = 0;
  /// ReadString, with one pair of matching surrounding quotes ('"' or '\'') removed, so that a
  /// value that must keep surrounding blanks can be stored quoted.
  String ReadText(std::string_view section, std::string_view ident,
                  std::string_view defaultValue) const;

  /// As StrToInt: decimal, or hexadecimal written "$1F" or "0x1F" (the full unsigned range, so
  /// "$FFFFFFFF" is -1), optionally signed; anything else, or a value out of range, gives the
  /// default.
  virtual Integer ReadInteger(std::string_view section, std::string_view ident,
                              Integer defaultValue) const;
  virtual void WriteInteger(std::string_view section, std::string_view ident, Integer value);
  /// As ReadInteger, for 64 bits.
  virtual Int64 ReadInt64(std::string_view section, std::string_view ident,
                          Int64 defaultValue) const;
  virtual void WriteInt64(std::string_view section, std::string_view ident, Int64 value);
  /// An integer (non-zero is true) or "true"/"false" in any case; else the default.
  virtual bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
  /// Writes "1" or "0".
  virtual void WriteBool(std::string_view section, std::string_view ident, bool value);
  /// A number with '.' as the decimal separator whatever the format settings say, optionally
  /// with an exponent.
  virtual Double ReadFloat(std::string_view section, std::string_view ident,
                           Double defaultValue) const;
  /// Writes FloatToStr's text (15 significant digits) with '.' as the decimal separator.
  virtual void WriteFloat(std::string_view section, std::string_view ident, Double value);

  /// Dates and times in the default format settings' layout ("M/d/yyyy", "hh:nn:ss"), whatever
  /// the current settings say; unreadable text gives the default.
  virtual TDateTime ReadDate(std::string_view section, std::string_view ident,
                             TDateTime defaultValue) const;
  virtual void WriteDate(std::string_view section, std::string_view ident, TDateTime value);
  virtual TDateTime ReadTime(std::string_view section, std::string_view ident,
                             TDateTime defaultValue) const;
  virtual void WriteTime(std::string_view section, std::string_view ident, TDateTime value);
  virtual TDateTime ReadDateTime(std::string_view section, std::string_view ident,
                                 TDateTime defaultValue) const;
  virtual void WriteDateTime(std::string_view section, std::string_view ident, TDateTime value);

  /// Fills `keys` with the keys of the section, in file order (cleared first).
  virtual void ReadSection(std::string_view section, TStrings& keys) const = 0;
  /// Fills `sections` with the section names, in file order (cleared first).
  virtual void ReadSections(TStrings& sections) const = 0;
  /// Fills `values` with the section's "key=value" lines, in file order (cleared first).
  virtual void ReadSectionValues(std::string_view section, TStrings& values) const = 0;
  /// True when the section has at least one key.
  virtual bool SectionExists(std::string_view section) const;
  virtual bool ValueExists(std::string_view section, std::string_view ident) const;
  bool HasValue(std::string_view section, std::string_view ident) const {
    return ValueExists(section, ident);
  }
  /// Removes the section with its keys; nothing when absent.
  virtual void EraseSection(std::string_view section) = 0;
  /// Removes the key (the first one, when the file repeats it); nothing when absent.
  virtual void DeleteKey(std::string_view section, std::string_view ident) = 0;
  /// Writes pending changes to FileName; raises EIniFileException "Unable to write to %s".
  virtual void UpdateFile() = 0;

protected:
  void SetFileName(String fileName) { FFileName = std::move(fileName); }

private:
  String FFileName;
};

namespace detail {
struct TIniSection;
}

/// The whole file held in memory; UpdateFile writes it back. Reading accepts CRLF, LF or CR line
/// ends and skips a UTF-8 byte-order mark; writing uses CRLF, UTF-8 without a mark, and a blank
/// line between sections.
///
/// What a read keeps: sections and keys in file order; comment lines (starting with ';' or '#'),
/// also those before the first section, in place; repeated keys (the first one is the one read
/// and written); a repeated section is merged into its first occurrence. Names and values are
/// trimmed of surrounding blanks and control characters. Blank lines, lines without '=' and
/// keys before the first section are dropped.
class TMemIniFile : public TCustomIniFile {
public:
  /// Loads `fileName` when it exists (a missing file is an empty ini file); raises
  /// EIniFileException "Unable to read %s" when it exists but cannot be read. An empty name
  /// makes a purely in-memory ini file.
  explicit TMemIniFile(String fileName = {});
  ~TMemIniFile() override;

  String ReadString(std::string_view section, std::string_view ident,
                    std::string_view defaultValue) const override;
  /// Section and key are trimmed first; a new key goes to the end of its section, a new section
  /// to the end of the file.
  void WriteString(std::string_view section, std::string_view ident,
                   std::string_view value) override;
  void ReadSection(std::string_view section, TStrings& keys) const override;
  void ReadSections(TStrings& sections) const override;
  void ReadSectionValues(std::string_view section, TStrings& values) const override;
  /// True when the section is present, also when it is empty.
  bool SectionExists(std::string_view section) const override;
  bool ValueExists(std::string_view section, std::string_view ident) const override;
  void EraseSection(std::string_view section) override;
  void DeleteKey(std::string_view section, std::string_view ident) override;
  /// Writes the whole file; nothing for an in-memory ini file.
  void UpdateFile() override;

  /// Replaces the content with the parse of `lines`.
  void SetStrings(const TStrings& lines);
  /// Fills `lines` with the content as it would be written (cleared first).
  void GetStrings(TStrings& lines) const;
  /// Forgets every section and comment.
  void Clear();
  /// Switches to another file; `reload` replaces the content with that file's.
  void Rename(String fileName, bool reload);

private:
  detail::TIniSection* FindSection(std::string_view name) const;
  detail::TIniSection& AddSection(std::string_view name);
  void Load();

  std::vector<String> FPreamble; // comment lines before the first section
  std::vector<std::unique_ptr<detail::TIniSection>> FSections;
  std::unordered_map<String, detail::TIniSection*, TextHash, TextEqual> FSectionIndex;
};

/// A TMemIniFile that writes the whole file through after every change (WriteString and the
/// typed writes, EraseSection, DeleteKey that changed something), so the file is always current.
/// Each write costs a rewrite of the file: for many writes in a row use a TMemIniFile and one
/// UpdateFile.
class TIniFile : public TMemIniFile {
public:
  explicit TIniFile(String fileName) : TMemIniFile(std::move(fileName)) {}
  void WriteString(std::string_view section, std::string_view ident,
                   std::string_view value) override;
  void EraseSection(std::string_view section) override;
  void DeleteKey(std::string_view section, std::string_view ident) override;
};

/// Settings under a registry key ("Software\Vendor\Product\Editors"): sections are its
/// subkeys, keys its values. This runtime has no system registry: every key lives in one
/// process-wide hive, a TMemIniFile whose sections are full key paths ("key\section"). A host
/// that wants settings to persist loads the hive at start-up (LoadHive) and saves it when it
/// likes (UpdateFile saves it, when it was loaded from a file). Main thread only.
class TRegistryIniFile : public TCustomIniFile {
public:
  /// `key` is kept as FileName, as the framework does; trailing backslashes are dropped.
  explicit TRegistryIniFile(String key);

  String ReadString(std::string_view section, std::string_view ident,
                    std::string_view defaultValue) const override;
  void WriteString(std::string_view section, std::string_view ident,
                   std::string_view value) override;
  /// The value names of the subkey.
  void ReadSection(std::string_view section, TStrings& keys) const override;
  /// The immediate subkeys of the key, once each, in hive order.
  void ReadSections(TStrings& sections) const override;
  void ReadSectionValues(std::string_view section, TStrings& values) const override;
  bool SectionExists(std::string_view section) const override;
  bool ValueExists(std::string_view section, std::string_view ident) const override;
  /// Removes the subkey with everything below it.
  void EraseSection(std::string_view section) override;
  void DeleteKey(std::string_view section, std::string_view ident) override;
  /// Saves the hive to the file it was loaded from; nothing for a hive that only lives in memory.
  void UpdateFile() override;

  /// The hive every registry ini file reads and writes.
  static TMemIniFile& Hive();
  /// Replaces the hive with the content of `fileName` (empty when it does not exist) and makes
  /// that file the one UpdateFile writes. An empty name makes the hive memory-only again.
  static void LoadHive(const String& fileName);

private:
  String Path(std::string_view section) const;
};

} // namespace fw
