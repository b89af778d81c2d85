// "set": edits properties of a form file's components through their property editors.
#include "cli.h"
#include "inspector.h"

#include <memory>

namespace {

using namespace fwcli;

struct Options {
  std::string Form, Out;
  std::vector<std::string> Assignments;
  std::vector<std::string> Packages;
};

int RunSet(const Options& o) {
  TDesignSession session(o.Packages);
  TOpenForm& form = session.Open(o.Form);
  for (const std::string& a : o.Assignments) {
    try {
      AssignProperty(form, a);
    } catch (const fw::Exception& e) {
      std::fprintf(stderr, "formwright set: %s: %s\n", a.c_str(), e.what());
      return 1;
    }
  }
  session.Save(form, o.Out);
  return 0;
}

Runner Define(CLI::App& app) {
  auto o = std::make_shared<Options>();
  app.add_option("FORM", o->Form, "a form file, binary or text")->required();
  app.add_option("ASSIGNMENT", o->Assignments,
                 "NAME.PROP=VALUE: the component (the root by its own name, a frame's "
                 "component through the frame: Frame1.Edit1), the property (Font.Style for a "
                 "sub-property) and the value as typed in the inspector")
      ->required()
      ->type_name("NAME.PROP=VALUE ...");
  app.add_option("-o,--output", o->Out, "where to save the form; default: FORM itself")
      ->type_name("OUT");
  AddPackageOption(app, o->Packages);
  app.footer("Each value goes through the property's editor, which refuses what the inspector "
             "would refuse, with its own message. The first refusal stops everything and "
             "nothing is written; otherwise the form is saved in FORM's layout (binary or "
             "text), replacing the output only once it is complete.");
  return [o] { return RunSet(*o); };
}

const CommandRegistrar
    reg({"set", "set FORM NAME.PROP=VALUE [NAME.PROP=VALUE ...] [-o OUT] [--package LIB.so ...]",
         "edit properties of a form's components", Define});

} // namespace
