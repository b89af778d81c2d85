// "dump": prints the component tree of a form file of either format.
#include "cli.h"
#include "formfile.h"

#include "basert/exceptions.h"

#include <cstdio>

namespace {

using namespace fwcli;

int RunDump(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: formwright dump FILE\n", stderr);
    return 2;
  }
  try {
    FormFile file;
    LoadFormFile(args[0], file);
    fw::TMemoryStream binary;
    ToBinary(file, binary);
    DumpTree(binary, stdout);
  } catch (const fw::Exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "formwright dump: %s: %s\n", args[0].c_str(), e.what());
    return 1;
  }
  return 0;
}

const CommandRegistrar reg({"dump", "dump FILE            print the component tree of a form file",
                            RunDump});

} // namespace
