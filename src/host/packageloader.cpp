#include "host/packageloader.h"

#include "basert/classreg.h"
#include "basert/format.h"
#include "designeditors/editorregistry.h"

#include <dlfcn.h>

#include <set>

namespace fw {

namespace {

using TRegisterProc = void (*)();

// Handles of the packages loaded now: loading one twice would register it twice under two
// groups, and unloading either would withdraw the other's classes.
std::set<void*>& LoadedHandles() {
  static std::set<void*> handles;
  return handles;
}

String LastDlError() {
  const char* error = dlerror();
  return error ? String(error) : String();
}

// The group-stamped lists of the package, then the class names; the editor registry's
// group-change procedures reach every registry that is not the host's own.
void Withdraw(Integer group) {
  FreeEditorGroup(group);
  UnRegisterGroupClasses(group);
}

} // namespace

TPackage::TPackage(const String& fileName) : FFileName(fileName) {
  dlerror();
  FHandle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) throw EPackageError(Format(sCannotLoadPackage, fileName, LastDlError()));
  if (LoadedHandles().contains(FHandle)) {
    dlclose(FHandle);
    FHandle = nullptr;
    throw EPackageError(Format(sPackageAlreadyLoaded, fileName));
  }
  auto registerProc = reinterpret_cast<TRegisterProc>(dlsym(FHandle, "Register"));
  if (!registerProc) {
    dlclose(FHandle);
    FHandle = nullptr;
    throw EPackageError(Format(sNoRegisterProc, fileName));
  }
  LoadedHandles().insert(FHandle);
  const Integer previous = CurrentGroup;
  FGroup = NewEditorGroup();
  // The exception object may belong to the module (its destructor lives there), so it must be
  // gone before the module is closed.
  bool failed = false;
  String failure;
  try {
    registerProc();
  } catch (const std::exception& e) {
    failed = true;
    failure = e.what();
  } catch (...) {
    failed = true;
  }
  CurrentGroup = previous;
  if (failed) {
    Unload();
    throw EPackageError(Format(sRegisterFailed, fileName, failure));
  }
}

TPackage::~TPackage() { Unload(); }

void TPackage::Unload() {
  if (!FHandle) return;
  Withdraw(FGroup);
  FGroup = -1;
  LoadedHandles().erase(FHandle);
  dlclose(FHandle);
  FHandle = nullptr;
}

} // namespace fw
