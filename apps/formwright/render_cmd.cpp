// "render": a picture of a form file as the design window shows it, written as SVG.
#include "cli.h"
#include "render.h"

#include "basert/safesave.h"

#include <memory>

namespace {

using namespace fwcli;

struct Options {
  std::string Form, Out;
  std::vector<std::string> Select;
  std::vector<std::string> Packages;
};

int RunRender(const Options& o) {
  TDesignSession session(o.Packages);
  TOpenForm& form = session.Open(o.Form);
  ReportSkipped("render", form);
  const fw::String svg = RenderFormSvg(form, o.Select);
  fw::TSafeSaveStream out(o.Out);
  out.WriteBuffer(svg.data(), static_cast<fw::Int64>(svg.size()));
  out.Commit();
  return 0;
}

Runner Define(CLI::App& app) {
  auto o = std::make_shared<Options>();
  app.add_option("FORM", o->Form, "a form file, binary or text")->required();
  app.add_option("-o,--output", o->Out, "the SVG file to write")->required()->type_name("OUT.svg");
  app.add_option("--select", o->Select,
                 "the components to show selected, by name (the root by its own)")
      ->delimiter(',')
      ->type_name("NAME[,NAME...]");
  AddPackageOption(app, o->Packages);
  app.footer("The form is drawn at its own size, window frame included: every visible control "
             "at its bounds with its caption or text. Each selected control gets the design "
             "window's eight grab handles (black for one selected control, grey for several); "
             "the form itself and non-visual components are not drawn selected. An unknown "
             "name writes nothing; the picture replaces OUT only once it is complete.");
  return [o] { return RunRender(*o); };
}

const CommandRegistrar
    reg({"render", "render FORM -o OUT.svg [--select NAME[,NAME...]] [--package LIB.so ...]",
         "draw a form as the design window shows it, as SVG", Define});

} // namespace
