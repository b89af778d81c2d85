// "demo": a short tour of the runtime on built-in data, so the main job does real work.
#include "cli.h"

#include "basert/types.h"

#include <cstdio>

namespace {

int RunDemo(const fwcli::Args&) {
  const fw::String text = "Formwright \xE2\x80\x94 design-time engine";
  fw::WideString wide = fw::Utf8ToWide(text);
  std::printf("%s (%zu UTF-16 units)\n", fw::WideToUtf8(wide).c_str(), wide.size());
  return 0;
}

const fwcli::CommandRegistrar reg({"demo", "demo                 run the built-in sample", RunDemo});

} // namespace
