// "convert": converts a form file between the binary and the text format.
#include "cli.h"
#include "formfile.h"

#include "basert/exceptions.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

using namespace fwcli;

int RunConvert(const std::string& in, const std::string& out, const std::string& to, bool exact) {
  FormFormat target{};
  if (!to.empty() && !ParseFormatName(to, target)) {
    std::fprintf(stderr, "formwright convert: unknown format '%s'\n", to.c_str());
    return 2;
  }
  const fw::TTextSyntax syntax = exact ? fw::TTextSyntax::Exact : fw::TTextSyntax::Standard;
  ConvertReport report;
  try {
    report = ConvertFile(in, out, to.empty() ? std::nullopt : std::optional(target), syntax);
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

Runner Define(CLI::App& app) {
  struct Options {
    std::string In, Out, To;
    bool Exact = false;
  };
  auto o = std::make_shared<Options>();
  app.add_option("IN", o->In, "the form file to read, binary or text (- for standard input)")
      ->required();
  app.add_option("OUT", o->Out, "the file to write (- for standard output)")->required();
  app.add_option("--to", o->To, "the format to write; default: the other one")
      ->type_name("binary|text|resource");
  app.add_flag("--exact", o->Exact,
               "write and read typed values (WString('...'), Int16(5), Double(0.5)) wherever the "
               "binary's encoding is not the one plain text maps to, so that a binary from "
               "elsewhere converts back byte for byte; only formwright reads such text");
  app.footer("Text is written in the framework's standard syntax, which every reader accepts. The "
             "output is replaced only by a complete conversion.");
  return [o] { return RunConvert(o->In, o->Out, o->To, o->Exact); };
}

const CommandRegistrar reg({"convert", "convert IN OUT [--to binary|text|resource] [--exact]",
                            "convert a form file", Define});

} // namespace
