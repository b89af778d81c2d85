// A headless design session for the command line: the host started, the component packages
// loaded, form files opened as module roots of one designer and saved back in the layout they
// were read in.
#pragma once

#include "formfile.h"

#include "host/hostroot.h"
#include "host/packageloader.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

namespace fwcli {

/// The standard component package built beside the program or installed with it; empty when
/// neither is there.
std::string DefaultPackage();

/// Adds the repeatable --package option (default: DefaultPackage) to a design command.
void AddPackageOption(CLI::App& app, std::vector<std::string>& packages);

/// One form file opened for designing.
struct TOpenForm {
  fw::IPtr<fw::THostComponentRoot> Root;
  std::string FileName;
  FormFormat Format = FormFormat::Text;
  bool CrLf = true; ///< text lines end in CR LF (else LF)
  /// What the reader could not take (a property a known class lacks, data it cannot read), in
  /// the reader's words; such a form is shown but not saved, which would lose it.
  std::vector<fw::String> Skipped;
};

inline constexpr std::string_view sAncestorNotOpen =
    "%s inherits from a module that is not open; what it inherits would be lost";
inline constexpr std::string_view sSkippedWhileRead =
    "%s cannot be saved: %d thing(s) in it could not be read and would be lost";

/// Tells on standard error what the reader skipped in `form` (one line each).
void ReportSkipped(const char* command, const TOpenForm& form);

class TDesignSession {
public:
  /// Starts the host, registers the framework's classes and root base classes (forms, frames,
  /// data modules) and one designer, then loads each package in order (an empty list loads
  /// DefaultPackage when there is one). Raises fw::EPackageError for a package that does not
  /// load, with everything started so far undone.
  explicit TDesignSession(std::vector<std::string> packages);
  /// Closes every module, unloads the packages (last first) and shuts the host down.
  ~TDesignSession();
  TDesignSession(const TDesignSession&) = delete;
  TDesignSession& operator=(const TDesignSession&) = delete;

  /// Opens a form file of any layout as a module root. A root class no package registers is
  /// designed as a form, unless the stream is a data module's (no visual property at its root).
  /// Modules it links to are opened from the form files beside it, as an IDE opens them from
  /// its project; a link whose module is not there (or does not open) stays unresolved.
  /// Raises fw::Exception with the reader's or the designer's message.
  TOpenForm& Open(const std::string& fileName);
  /// Writes the module to `fileName` (empty: the file it came from) in the layout its file
  /// had, through a safe save: on any failure the target is left as it was. Raises
  /// fw::Exception (sSkippedWhileRead) for a form read with errors.
  void Save(TOpenForm& form, const std::string& fileName = {});

  fw::THostComponentDesigner& Designer() const noexcept { return *FDesigner; }

private:
  void Close() noexcept;
  /// Opens the module of that root name from a form file in a folder of an opened one.
  void OpenLinked(const fw::String& rootName);

  class TStarted;
  std::unique_ptr<TStarted> FStarted;
  fw::IPtr<fw::THostComponentDesigner> FDesigner;
  std::vector<std::unique_ptr<fw::TPackage>> FPackages;
  std::vector<std::unique_ptr<TOpenForm>> FForms;
  std::vector<std::string> FFolders; ///< where the opened form files are
};

} // namespace fwcli
