// "tree": the structure tree of a form file, as the structure view shows it.
#include "cli.h"
#include "session.h"

#include "tarn/treeview.h"
#include "treeintf/sprigtreeview.h"

#include <cstdio>
#include <memory>

namespace {

using namespace fwcli;

inline constexpr std::string_view sNoStructureTree = "%s has no structure tree";

int RunTree(const std::string& path, const std::vector<std::string>& packages, bool classes) {
  TDesignSession session(packages);
  fw::GShowClassNameInTreeView = classes;
  TOpenForm& form = session.Open(path);
  ReportSkipped("tree", form);
  fw::TRootSprig* root = nullptr;
  if (!fw::RootSprigList().FindRoot(form.Root->GetDesigner(), root))
    throw fw::Exception(fw::Format(sNoStructureTree, path));
  fw::TOwned<fw::TTreeView> view(fw::New<fw::TTreeView>(nullptr));
  fw::IPtr<fw::TSprigTreeView> display(fw::New<fw::TSprigTreeView>(view.get()));
  display->Show(root);
  for (fw::TTreeNode* n = view->Items()->GetFirstNode(); n; n = n->GetNext())
    std::printf("%*s%s\n", 2 * n->Level(), "", n->Text().c_str());
  display->Show(nullptr);
  return 0;
}

Runner Define(CLI::App& app) {
  struct Options {
    std::string Form;
    std::vector<std::string> Packages;
    bool Classes = false;
  };
  auto o = std::make_shared<Options>();
  app.add_option("FORM", o->Form, "a form file, binary or text")->required();
  app.add_flag("--classes", o->Classes, "add each component's class to its caption");
  AddPackageOption(app, o->Packages);
  app.footer("One line per node, indented two blanks a level, with the caption the structure "
             "view shows: the module root, its components nested by parent control (or owner), "
             "their collections and items; a frame placed on the form shows the components it "
             "holds.");
  return [o] { return RunTree(o->Form, o->Packages, o->Classes); };
}

const CommandRegistrar reg({"tree", "tree FORM [--classes] [--package LIB.so ...]",
                            "print the structure tree of a form file", Define});

} // namespace
