#include "host/packageloader.h"

#include "basert/classreg.h"
#include "basert/format.h"
#include "designeditors/editorregistry.h"

#include <dlfcn.h>

namespace fw {

namespace {

using TRegisterProc = void (*)();

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
  if (!FHandle) throw EPackageError(Format(SCannotLoadPackage, fileName, LastDlError()));
  auto registerProc = reinterpret_cast<TRegisterProc>(dlsym(FHandle, "Register"));
  if (!registerProc) {
    dlclose(FHandle);
    FHandle = nullptr;
    throw EPackageError(Format(SNoRegisterProc, fileName));
  }
  const Integer previous = CurrentGroup;
  FGroup = NewEditorGroup();
  try {
    registerProc();
  } catch (const std::exception& e) {
    CurrentGroup = previous;
    const String message = e.what();
    Unload();
    throw EPackageError(Format(SRegisterFailed, fileName, message));
  }
  CurrentGroup = previous;
}

TPackage::~TPackage() { Unload(); }

void TPackage::Unload() {
  if (!FHandle) return;
  Withdraw(FGroup);
  FGroup = -1;
  dlclose(FHandle);
  FHandle = nullptr;
}

} // namespace fw
