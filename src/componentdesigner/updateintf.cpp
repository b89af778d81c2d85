#include "componentdesigner/updateintf.h"

namespace fw {

TCreateUpdateManagerProc CreateUpdateManagerProc = nullptr;

} // namespace fw
