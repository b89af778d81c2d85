#include "basert/persistent.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"

namespace fw {

TClass TPersistent::StaticClass() {
  static const TClass cls = TClassBuilder<TPersistent, TObject>("TPersistent", "Classes").Build();
  return cls;
}

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  String msg(sAssignError);
  msg.replace(msg.find("%s"), 2, source ? source->ClassName() : String("nil"));
  msg.replace(msg.find("%s"), 2, ClassName());
  throw EConvertError(msg);
}

String TPersistent::GetNamePath() {
  String result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String s = owner->GetNamePath();
    if (!s.empty()) result = s + "." + result;
  }
  return result;
}

void TPersistent::DefineProperties(TFiler*) {}

} // namespace fw
