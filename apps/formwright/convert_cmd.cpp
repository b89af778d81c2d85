// "convert": converts a form file between the binary and the text format.
#include "cli.h"
#include "formfile.h"

#include "basert/exceptions.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

using namespace fwcli;

constexpr const char* kUsage =
    "usage: formwright convert IN OUT [--to binary|text|resource] [--exact]\n"
    "  Text is written in the framework's standard syntax, which every reader accepts.\n"
    "  --exact  write and read typed values (WString('...'), Int16(5), Double(0.5)) wherever\n"
    "           the binary's encoding is not the one plain text maps to, so that a binary from\n"
    "           elsewhere converts back byte for byte; only formwright reads such text.\n";

int RunConvert(const Args& args) {
  std::vector<std::string> files;
  FormFormat target{};
  bool explicitTarget = false;
  fw::TTextSyntax syntax = fw::TTextSyntax::Standard;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--exact") {
      syntax = fw::TTextSyntax::Exact;
    } else if (args[i] == "--to" && i + 1 < args.size()) {
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
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& in = files[0];
  const std::string& out = files[1];
  ConvertReport report;
  try {
    report = ConvertFile(in, out, explicitTarget ? std::optional(target) : std::nullopt, syntax);
  } catch (const fw::EFCreateError& e) { // names the output itself
    std::fprintf(stderr, "formwright convert: %s\n", e.what());
    return 1;
  } catch (const fw::Exception& e) {
    std::fprintf(stderr, "formwright convert: %s: %s\n", in.c_str(), e.what());
    return 1;
  }
  // Converted text on standard output must not be followed by the report.
  struct stat written {
  }, console{};
  const bool toStdout =
      out == "-" || (::stat(out.c_str(), &written) == 0 && ::fstat(1, &console) == 0 &&
                     written.st_dev == console.st_dev && written.st_ino == console.st_ino);
  std::fprintf(toStdout ? stderr : stdout, "%s (%s, %lld bytes) -> %s (%s, %lld bytes)\n",
               in.c_str(), FormatName(report.From), static_cast<long long>(report.InBytes),
               out.c_str(), FormatName(report.To), static_cast<long long>(report.OutBytes));
  return 0;
}

const CommandRegistrar
    reg({"convert", "convert IN OUT [--to binary|text|resource] [--exact]  convert a form file",
         RunConvert});

} // namespace
