// Component packages loaded at run time: each is a shared module with an extern "C" Register
// procedure, loaded under a fresh package group so that unloading it withdraws everything it
// registered (classes, palette entries, editors, categories and every other group-stamped list).
#pragma once

#include "basert/exceptions.h"

namespace fw {

class EPackageError : public Exception {
public:
  using Exception::Exception;
};

/// One loaded package. Destroying it unloads the package.
class TPackage {
public:
  /// Loads the module, takes a fresh package group and calls its Register procedure under it;
  /// CurrentGroup is restored afterwards. Raises EPackageError (sCannotLoadPackage) when the
  /// module cannot be loaded, (sPackageAlreadyLoaded) when another TPackage holds it (under any
  /// of its names), (sNoRegisterProc) when it lacks Register, and (sRegisterFailed)
  /// when Register raises; in every case what it registered so far is withdrawn and the module
  /// closed again.
  explicit TPackage(const String& fileName);
  ~TPackage();
  TPackage(const TPackage&) = delete;
  TPackage& operator=(const TPackage&) = delete;

  const String& FileName() const noexcept { return FFileName; }
  /// The package group its registrations carry; -1 once unloaded.
  Integer Group() const noexcept { return FGroup; }
  bool Loaded() const noexcept { return FHandle != nullptr; }
  /// Withdraws the package's registrations (its design-notification listeners too) and closes
  /// the module; does nothing when unloaded. Its class records stay: objects and records made
  /// from them may still point at them. Objects of its classes must be freed first.
  void Unload();

private:
  String FFileName;
  void* FHandle = nullptr;
  Integer FGroup = -1;
};

inline constexpr std::string_view sCannotLoadPackage = "Can't load package %s.\n%s";
inline constexpr std::string_view sNoRegisterProc = "Package %s has no Register procedure";
inline constexpr std::string_view sPackageAlreadyLoaded = "Package %s is already loaded";
inline constexpr std::string_view sRegisterFailed = "Registration of package %s failed: %s";

} // namespace fw
