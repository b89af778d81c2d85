// A picture of a designed form for the command line.
#include "render.h"

#include "basert/sysutils.h"

namespace fwcli {

fw::String RenderFormSvg(TOpenForm& form, const std::vector<std::string>& select) {
  (void)form;
  (void)select;
  throw fw::Exception("rendering is not implemented yet");
}

} // namespace fwcli
