// "dump": prints the component tree of a form file of either format.
#include "cli.h"
#include "formfile.h"

#include "basert/exceptions.h"

#include <cstdio>
#include <memory>

namespace {

using namespace fwcli;

int RunDump(const std::string& path) {
  try {
    FormFile file;
    LoadFormFile(path, file);
    fw::TMemoryStream binary;
    ToBinary(file, binary);
    DumpTree(binary, stdout);
  } catch (const fw::Exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "formwright dump: %s: %s\n", path.c_str(), e.what());
    return 1;
  }
  return 0;
}

Runner Define(CLI::App& app) {
  auto path = std::make_shared<std::string>();
  app.add_option("FILE", *path, "a form file, binary or text (- for standard input)")->required();
  app.footer("One line per component: its indentation, inherited or inline flag, name, class and "
             "number of properties.");
  return [path] { return RunDump(*path); };
}

const CommandRegistrar reg({"dump", "dump FILE", "print the component tree of a form file",
                            Define});

} // namespace
