// Pastes arbitrary bytes into a designed module that already holds components and handlers: any
// input must paste or raise a framework exception, never crash or leak, and a paste that raises
// must leave the module exactly as it was.
#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "componentdesigner/proxies.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <cstdint>
#include <cstdlib>

using namespace fw;

namespace {

struct TSession {
  IPtr<THostComponentDesigner> Designer;
  IPtr<THostComponentRoot> Root;

  TSession() {
    DesignPackageStartup();
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(New<THostDesignEnvironment>()));
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
    Renew();
  }
  /// A fresh module, so that handlers pasted earlier do not pile up.
  void Renew() {
    if (Root) Root->Close();
    Root = THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit1", "Form1", "TForm")), "Form1.lyt",
        nullptr, "Form1");
    TComponent* form = Root->GetRoot();
    TComponent* button = Root->CreateComponent(TButton::StaticClass(), form, 8, 8, 75, 25);
    SetMethodProp(button, "OnClick", Root->CreateMethod("Button1Click", nullptr));
    Root->CreateComponent(TLabel::StaticClass(), form, 8, 40, 75, 25);
  }
};

/// What a failed paste must not change: the components and the class's method table.
struct TState {
  std::vector<TComponent*> Components;
  std::vector<Byte> Methods;
  bool operator==(const TState&) const = default;
};

TState StateOf(TComponent* root) {
  return {root->ComponentList(), ProxyMethodTable(root->ClassType())};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TSession session;
  static int runs = 0;
  if (++runs % 256 == 0) session.Renew();
  TComponent* form = session.Root->GetRoot();
  const TState before = StateOf(form);
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<Int64>(size));
  stream.SetPosition(0);
  try {
    session.Root->PasteSelectionFromStream(stream, nullptr, TRect{});
  } catch (const Exception&) {
    if (!(StateOf(form) == before)) std::abort();
    return 0;
  }
  // Pasted: take it away again so every input meets the same module.
  while (form->ComponentList().size() > before.Components.size())
    form->ComponentList().back()->Free();
  return 0;
}
