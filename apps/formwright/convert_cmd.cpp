// "convert": converts a form file between the binary and the text format.
#include "cli.h"
#include "formfile.h"

#include "basert/exceptions.h"
#include "basert/safesave.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

using namespace fwcli;

int RunConvert(const Args& args) {
  std::vector<std::string> files;
  FormFormat target{};
  bool explicitTarget = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--to" && i + 1 < args.size()) {
      if (!ParseFormatName(args[++i], target)) {
        std::fprintf(stderr, "formwright convert: unknown format '%s'\n", args[i].c_str());
        return 2;
      }
      explicitTarget = true;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2) {
    std::fputs("usage: formwright convert IN OUT [--to binary|text|resource]\n", stderr);
    return 2;
  }
  const std::string& in = files[0];
  const std::string& out = files[1];
  FormFile file;
  fw::TMemoryStream result;
  try {
    LoadFormFile(in, file);
    if (!explicitTarget)
      target = file.Format == FormFormat::Text ? FormFormat::Binary : FormFormat::Text;
    Convert(file, target, result);
  } catch (const fw::Exception& e) {
    std::fprintf(stderr, "formwright convert: %s: %s\n", in.c_str(), e.what());
    return 1;
  }
  try {
    fw::SaveAtomically(out, result.View());
  } catch (const fw::Exception& e) {
    std::fprintf(stderr, "formwright convert: %s\n", e.what());
    return 1;
  }
  // Converted text on standard output must not be followed by the report.
  struct stat written {
  }, console{};
  const bool toStdout =
      out == "-" || (::stat(out.c_str(), &written) == 0 && ::fstat(1, &console) == 0 &&
                     written.st_dev == console.st_dev && written.st_ino == console.st_ino);
  std::fprintf(toStdout ? stderr : stdout, "%s (%s, %lld bytes) -> %s (%s, %lld bytes)\n",
               in.c_str(), FormatName(file.Format), static_cast<long long>(file.Data.Size()),
               out.c_str(), FormatName(target), static_cast<long long>(result.Size()));
  return 0;
}

const CommandRegistrar
    reg({"convert", "convert IN OUT [--to binary|text|resource]  convert a form file", RunConvert});

} // namespace
