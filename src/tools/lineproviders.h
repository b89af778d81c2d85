// Sources of template lines: files, text in memory and module resources.
#pragma once

#include "basert/interfaces.h"
#include "basert/object.h"
#include "basert/strings.h"
#include "basert/types.h"

#include <string_view>

namespace fw {

/// Hands a template to the filter one line at a time.
struct ILineProvider : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{2B3EDD36-AA9E-4B9A-8D34-94EDCB928085}");
  virtual bool HasMore() = 0;
  /// The next line without its line break; only valid while `HasMore`.
  virtual String NextLine() = 0;
  /// Number of the line last returned (1 for the first; 0 before any).
  virtual Integer LineNumber() = 0;
  virtual void ReStart() = 0;
  /// Releases what the provider holds; called once when a filter run ends.
  virtual void Cleanup() = 0;
  /// Whether lines read from this provider may produce output.
  virtual bool IsOutputOn() = 0;

protected:
  ~ILineProvider() = default;
};

/// Lines of a text held in memory, split at CR LF, LF or CR; a final line break does not start
/// another line.
class TTextLineProvider : public TInterfacedObject, public ILineProvider {
  FW_CLASS(TTextLineProvider)
public:
  /// With `skipEmpty`, empty lines are dropped.
  explicit TTextLineProvider(String text = {}, bool skipEmpty = false);
  bool HasMore() override;
  String NextLine() override;
  Integer LineNumber() override { return FLineNumber; }
  void ReStart() override;
  void Cleanup() override {}
  bool IsOutputOn() override { return true; }

private:
  void SkipEmpty();
  String FText;
  std::size_t FPos = 0;
  Integer FLineNumber = 0;
  bool FSkipEmpty;
};

/// A template file, read with the string list's loader: the encoding is taken from a byte-order
/// mark (UTF-8, UTF-16 LE or BE), else the text is UTF-8. `ReStart` does nothing.
class TFileLineProvider final : public TInterfacedObject, public ILineProvider {
  FW_CLASS(TFileLineProvider)
public:
  /// Raises EFOpenError when the file cannot be read.
  explicit TFileLineProvider(const String& fileName);
  bool HasMore() override { return FLineNumber < FLines.Count(); }
  String NextLine() override { return HasMore() ? FLines.Get(FLineNumber++) : String(); }
  Integer LineNumber() override { return FLineNumber; }
  void ReStart() override {}
  void Cleanup() override {}
  bool IsOutputOn() override { return true; }

private:
  TStringList FLines;
  Integer FLineNumber = 0;
};

/// A module resource: UTF-8 text (a UTF-8 byte-order mark is dropped) whose empty lines are
/// skipped.
class TResourceProvider final : public TTextLineProvider {
  FW_CLASS(TResourceProvider)
public:
  /// Raises EResNotFound when the module has no resource of that name.
  TResourceProvider(std::string_view module, std::string_view resourceName);
};

struct CoResourceProvider {
  static IPtr<ILineProvider> Create(std::string_view module, std::string_view resourceName);
};
struct CoTextLineProvider {
  static IPtr<ILineProvider> Create(String text);
};

} // namespace fw
