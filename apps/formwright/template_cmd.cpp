// "template": expands a template file with text values given on the command line.
#include "cli.h"

#include "basert/exceptions.h"
#include "tools/templatefilter.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

int RunTemplate(const fwcli::Args& args) {
  fw::IPtr<fw::IExpertFilter> filter = fw::CoExpertFilter::Create();
  for (std::size_t i = 1; i < args.size(); ++i) {
    const auto eq = args[i].find('=');
    if (eq == std::string::npos || eq == 0) {
      std::fprintf(stderr, "formwright template: expected NAME=VALUE, got '%s'\n", args[i].c_str());
      return 2;
    }
    filter->SetProperty(std::string_view(args[i]).substr(0, eq),
                        fw::Variant(std::string_view(args[i]).substr(eq + 1)));
  }
  const std::filesystem::path file(args[0]);
  fw::String out;
  try {
    out = filter->Filter(file.parent_path().string(), file.filename().string());
  } catch (const fw::Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0; // the caller checks that it reached standard output
}

fwcli::Runner Define(CLI::App& app) {
  auto args = std::make_shared<fwcli::Args>();
  app.add_option("FILE", *args, "the template, then NAME=VALUE pairs giving its text values")
      ->required()
      ->expected(1, -1)
      ->type_name("FILE [NAME=VALUE ...]");
  app.footer("Tags \"[!...]\" in the template are expanded; files it includes are found beside "
             "it.");
  return [args] { return RunTemplate(*args); };
}

const fwcli::CommandRegistrar reg({"template", "template FILE [NAME=VALUE ...]",
                                   "expand a template file", Define});

} // namespace
