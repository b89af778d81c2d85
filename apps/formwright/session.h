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
inline constexpr std::string_view sNoFileYet = "%s has no file yet: save it to a file first";

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
  /// An inherited form whose ancestor class no package registers is designed on top of its
  /// ancestor module: an open one, else one opened from a form file in the same folder. The
  /// stream names only its own class, so the ancestor is the module that has every component
  /// the stream marks inherited, the one with the fewest others when several have (the
  /// nearest in a chain of inheritance); the first file by name on a tie. Without one, what it
  /// inherits is reported as skipped.
  /// Raises fw::Exception with the reader's or the designer's message, and sDuplicateName for
  /// a root name an open module has.
  TOpenForm& Open(const std::string& fileName);
  /// A new module without a file: its root `rootName` of class "T" + `rootName` descends from
  /// `ancestorClass`, a root base class (TForm, TFrame, TDataModule) or the class of an open
  /// module. Raises what the module root raises for an unknown ancestor, and sDuplicateName
  /// for a root name an open module has.
  TOpenForm& NewModule(const fw::String& rootName, const fw::String& ancestorClass);
  /// The open module whose root has that name (ignoring case), or null.
  TOpenForm* Find(const fw::String& rootName) const;
  /// The open module read from (or last saved as its own) that file, or null.
  TOpenForm* FindFile(const std::string& fileName) const;
  /// Writes the module to `fileName` (empty: the file it came from) in the layout its file
  /// had, through a safe save: on any failure the target is left as it was. A module without
  /// a file takes `fileName` as its file, binary for ".fwb" and text otherwise. Raises
  /// fw::Exception (sSkippedWhileRead) for a form read with errors, sNoFileYet for a module
  /// without a file and no `fileName`.
  void Save(TOpenForm& form, const std::string& fileName = {});

  fw::THostComponentDesigner& Designer() const noexcept { return *FDesigner; }

private:
  void Close() noexcept;
  /// Opens the module of that root name from a form file in a folder of an opened one.
  void OpenLinked(const fw::String& rootName);
  /// The class of the ancestor module of the inherited stream `binary` read from `fileName`,
  /// opened when it is not open yet; empty when there is none.
  fw::String FindAncestor(const std::string& fileName, std::string_view binary);

  class TStarted;
  std::unique_ptr<TStarted> FStarted;
  fw::IPtr<fw::THostComponentDesigner> FDesigner;
  std::vector<std::unique_ptr<fw::TPackage>> FPackages;
  std::vector<std::unique_ptr<TOpenForm>> FForms;
  std::vector<std::string> FFolders; ///< where the opened form files are
  std::vector<std::string> FOpening; ///< files being opened, outermost first
};

} // namespace fwcli
