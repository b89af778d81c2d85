// TPersistent: objects with published properties that can be assigned and streamed.
#pragma once

#include "basert/object.h"

namespace fw {

class TFiler;

class TPersistent : public TObject {
  FW_CLASS(TPersistent)
public:
  /// Copies `source` into this object. The default asks `source` to AssignTo this object and
  /// raises EConvertError ("Cannot assign a %s to a %s") when neither side knows how.
  virtual void Assign(TPersistent* source);
  /// The name the inspector and streams use: the owner's name path, a dot and the class name.
  virtual String GetNamePath();
  /// The object this one belongs to for naming, or null.
  virtual TPersistent* GetOwner() { return nullptr; }
  /// Declares properties that are streamed without being published.
  virtual void DefineProperties(TFiler* filer);

protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};

inline constexpr std::string_view sAssignError = "Cannot assign a %s to a %s";

} // namespace fw
