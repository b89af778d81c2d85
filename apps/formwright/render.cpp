// A picture of a designed form for the command line.
#include "render.h"

#include "inspector.h"

#include "basert/sysutils.h"
#include "host/hostsurface.h"
#include "tarn/render.h"

namespace fwcli {

using namespace fw;

String RenderFormSvg(TOpenForm& form, const std::vector<std::string>& select) {
  TComponent* root = form.Root->GetRoot();
  auto* control = dynamic_cast<TControl*>(root);
  if (!control) throw Exception(Format(sNotVisualModule, form.FileName, root->ClassName()));
  const std::vector<TPersistent*> selected =
      select.empty() ? std::vector<TPersistent*>{} : SelectComponents(form, select);

  TOwned<TCanvas> canvas(New<TCanvas>());
  PaintControl(control, canvas.get());
  // The design window places the handles in the root's client coordinates; the picture
  // starts at the window's frame.
  THostRootSurface* window = THostRootSurface::Of(*form.Root);
  const TRect frame = control->NonClientExtent();
  TCanvas* c = canvas.get();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(selected.size() == 1 ? clBlack : clGray);
  for (TPersistent* p : selected) {
    auto* item = dynamic_cast<TControl*>(p);
    if (!window || !item || item == control) continue;
    const IPtr<THostDesignSurface>& surface = window->Surface();
    const TRect r = surface->SurfaceBounds(surface->ComponentToItem(item));
    for (const TGrabHandle& h : GrabHandlesAround(
             {r.Left + frame.Left, r.Top + frame.Top, r.Right + frame.Left, r.Bottom + frame.Top}))
      c->FillRect(h.Rect);
  }
  return canvas->ToSVG(control->Width(), control->Height());
}

} // namespace fwcli
