#include "tarn/render.h"

#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/mainmenu.h"
#include "tarn/pagecontrol.h"
#include "tarn/placeholdercontrol.h"
#include "tarn/stdctrls.h"

#include <map>

namespace fw {

namespace {

void Bevel(TCanvas* c, const TRect& r, TColor topLeft, TColor bottomRight) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(topLeft);
  c->MoveTo(r.Left, r.Bottom - 1);
  c->LineTo(r.Left, r.Top);
  c->LineTo(r.Right - 1, r.Top);
  c->Pen()->SetColor(bottomRight);
  c->LineTo(r.Right - 1, r.Bottom - 1);
  c->LineTo(r.Left, r.Bottom - 1);
}

void Fill(TCanvas* c, const TRect& r, TColor color) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

/// Text in the control's font, placed in `r` by alignment and vertically centred or not.
void Text(TCanvas* c, TControl* control, const TRect& r, const String& text, TAlignment align,
          bool centreVertically, TColor color) {
  if (text.empty()) return;
  c->Font()->Assign(control->Font());
  c->Font()->SetColor(color);
  c->Brush()->SetStyle(bsClear);
  const Integer w = c->TextWidth(text), h = c->TextHeight(text);
  Integer x = r.Left;
  if (align == taCenter) x = r.Left + (r.Width() - w) / 2;
  if (align == taRightJustify) x = r.Right - w;
  const Integer y = centreVertically ? r.Top + (r.Height() - h) / 2 : r.Top;
  c->TextRect(r, x, y, text);
}

TColor TextColor(TControl* control) {
  return control->Enabled() ? control->Font()->GetColor() : clGrayText;
}

void PaintForm(TControl* control, TCanvas* c, const TRect& r) {
  auto* form = static_cast<TCustomForm*>(control);
  const TRect nc = form->NonClientExtent();
  Fill(c, r, clBtnFace);
  if (nc.Top > nc.Bottom) {
    const TRect bar{r.Left + nc.Left, r.Top + nc.Bottom, r.Right - nc.Right, r.Top + nc.Top};
    Fill(c, bar, clActiveCaption);
    TRect textRect = bar;
    textRect.Left += 4;
    Text(c, form, textRect, form->Caption(), taLeftJustify, true, clCaptionText);
  }
  if (nc.Left > 0) Bevel(c, r, clBtnHighlight, clBtnShadow);
  Fill(c, {r.Left + nc.Left, r.Top + nc.Top, r.Right - nc.Right, r.Bottom - nc.Bottom},
       form->Color());
}

void PaintWinControl(TControl* control, TCanvas* c, const TRect& r) {
  Fill(c, r, control->Color());
}

void PaintPanel(TControl* control, TCanvas* c, const TRect& r) {
  auto* p = static_cast<TPanel*>(control);
  Fill(c, r, p->Color());
  TRect inner = r;
  for (TBevelCut cut : {p->BevelOuter(), p->BevelInner()}) {
    if (cut == bvNone) continue;
    for (Integer i = 0; i < p->BevelWidth(); ++i) {
      if (cut == bvRaised) Bevel(c, inner, clBtnHighlight, clBtnShadow);
      if (cut == bvLowered) Bevel(c, inner, clBtnShadow, clBtnHighlight);
      inner = {inner.Left + 1, inner.Top + 1, inner.Right - 1, inner.Bottom - 1};
    }
  }
  Text(c, p, inner, StripHotkey(p->Caption()), p->Alignment(), true, TextColor(p));
}

void PaintButton(TControl* control, TCanvas* c, const TRect& r) {
  Fill(c, r, clBtnFace);
  Bevel(c, r, clBtnHighlight, cl3DDkShadow);
  if (static_cast<TButton*>(control)->Default()) {
    c->Brush()->SetColor(clHighlight);
    c->FrameRect(r);
  }
  Text(c, control, r, StripHotkey(control->Caption()), taCenter, true, TextColor(control));
}

void PaintLabel(TControl* control, TCanvas* c, const TRect& r) {
  auto* l = static_cast<TLabel*>(control);
  Text(c, l, r, StripHotkey(l->Caption()), l->Alignment(), l->Layout() == tlCenter, TextColor(l));
}

void Sunken(TCanvas* c, const TRect& r, TColor fill) {
  Fill(c, r, fill);
  Bevel(c, r, clBtnShadow, clBtnHighlight);
}

void PaintEdit(TControl* control, TCanvas* c, const TRect& r) {
  auto* e = static_cast<TEdit*>(control);
  Sunken(c, r, e->Color());
  String text = e->GetText();
  if (e->PasswordChar()) text.assign(text.size(), e->PasswordChar());
  const bool hint = text.empty();
  Text(c, e, {r.Left + 3, r.Top, r.Right - 3, r.Bottom}, hint ? e->TextHint() : text, taLeftJustify,
       true, hint ? clGrayText : TextColor(e));
}

void PaintLines(TControl* control, TCanvas* c, const TRect& r, TStrings* lines) {
  Sunken(c, r, control->Color());
  const Integer h = control->Font()->TextHeight();
  for (Integer i = 0; i < lines->Count(); ++i) {
    const Integer y = r.Top + 2 + i * h;
    if (y >= r.Bottom) break;
    Text(c, control, {r.Left + 3, y, r.Right - 3, std::min(y + h, r.Bottom - 1)}, lines->Get(i),
         taLeftJustify, false, TextColor(control));
  }
}

void PaintMemo(TControl* control, TCanvas* c, const TRect& r) {
  PaintLines(control, c, r, static_cast<TMemo*>(control)->Lines());
}

void PaintListBox(TControl* control, TCanvas* c, const TRect& r) {
  PaintLines(control, c, r, static_cast<TListBox*>(control)->Items());
}

void PaintCheckBox(TControl* control, TCanvas* c, const TRect& r) {
  auto* cb = static_cast<TCheckBox*>(control);
  const Integer top = r.Top + (r.Height() - 13) / 2;
  const TRect box{r.Left, top, r.Left + 13, top + 13};
  Sunken(c, box, clWindow);
  if (cb->Checked()) {
    c->Pen()->SetColor(clWindowText);
    c->Pen()->SetWidth(2);
    const TPoint tick[] = {
        {box.Left + 3, box.Top + 6}, {box.Left + 5, box.Top + 9}, {box.Left + 10, box.Top + 3}};
    c->Polyline(tick);
    c->Pen()->SetWidth(1);
  }
  Text(c, cb, {r.Left + 17, r.Top, r.Right, r.Bottom}, StripHotkey(cb->Caption()), taLeftJustify,
       true, TextColor(cb));
}

void PaintImage(TControl* control, TCanvas* c, const TRect& r) {
  auto* image = static_cast<TImage*>(control);
  TGraphic* g = image->Picture()->Graphic();
  if (!g || g->Empty()) {
    // Shown as at design time: a dashed outline where the picture goes.
    c->Pen()->SetStyle(psDash);
    c->Pen()->SetColor(clGray);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(r);
    c->Pen()->SetStyle(psSolid);
    return;
  }
  Integer w = g->Width(), h = g->Height();
  const bool larger = w > r.Width() || h > r.Height();
  if (image->Stretch() && !image->Proportional()) {
    w = r.Width();
    h = r.Height();
  } else if (image->Proportional() && (image->Stretch() || larger)) {
    // Fit inside the control keeping the aspect ratio.
    if (static_cast<Int64>(w) * r.Height() > static_cast<Int64>(h) * r.Width()) {
      h = static_cast<Integer>(static_cast<Int64>(h) * r.Width() / w);
      w = r.Width();
    } else {
      w = static_cast<Integer>(static_cast<Int64>(w) * r.Height() / h);
      h = r.Height();
    }
  }
  Integer x = r.Left, y = r.Top;
  if (image->Center()) {
    x += (r.Width() - w) / 2;
    y += (r.Height() - h) / 2;
  }
  c->StretchDraw({x, y, x + w, y + h}, g);
}

// The border around the sheets and a row (or column) of tabs, the active one raised.
void PaintPageControl(TControl* control, TCanvas* c, const TRect& r) {
  auto* pages = static_cast<TPageControl*>(control);
  const TRect area = pages->AdjustClientRect();
  const TRect frame{r.Left + area.Left - 2, r.Top + area.Top - 2, r.Left + area.Right + 2,
                    r.Top + area.Bottom + 2};
  Bevel(c, frame, clBtnHighlight, cl3DDkShadow);
  const bool vertical = pages->TabPosition() == tpLeft || pages->TabPosition() == tpRight;
  Integer at = vertical ? frame.Top : frame.Left;
  for (Integer i = 0; i < pages->PageCount(); ++i) {
    TTabSheet* page = pages->Pages(i);
    if (!page->TabVisible()) continue;
    const String caption = StripHotkey(page->Caption());
    const Integer length =
        vertical ? pages->Font()->TextHeight() + 8 : pages->Font()->TextWidth(caption) + 12;
    TRect tab;
    switch (pages->TabPosition()) {
    case tpTop:
      tab = {at, frame.Top - TabStripExtent, at + length, frame.Top};
      break;
    case tpBottom:
      tab = {at, frame.Bottom, at + length, frame.Bottom + TabStripExtent};
      break;
    case tpLeft:
      tab = {frame.Left - TabStripExtent, at, frame.Left, at + length};
      break;
    case tpRight:
      tab = {frame.Right, at, frame.Right + TabStripExtent, at + length};
      break;
    }
    const bool active = page == pages->ActivePage();
    Fill(c, tab, active ? pages->Color() : clBtnShadow);
    Bevel(c, tab, clBtnHighlight, cl3DDkShadow);
    Text(c, pages, tab, caption, taCenter, true, page->Enabled() ? TextColor(pages) : clGrayText);
    at += length;
  }
}

// A control whose class no package registers: where it is and what it is, nothing more.
void PaintPlaceholder(TControl* control, TCanvas* c, const TRect& r) {
  c->Pen()->SetStyle(psDash);
  c->Pen()->SetColor(clGray);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(r);
  c->Pen()->SetStyle(psSolid);
  const String text = control->Name() + ": " + control->ClassName();
  Text(c, control, {r.Left + 3, r.Top + 2, r.Right - 3, r.Bottom - 2}, text, taLeftJustify, false,
       clGrayText);
}

std::map<TClass, TControlPainter>& Painters() {
  static std::map<TClass, TControlPainter> painters = {
      {TWinControl::StaticClass(), &PaintWinControl},
      {TCustomForm::StaticClass(), &PaintForm},
      {TPanel::StaticClass(), &PaintPanel},
      {TButton::StaticClass(), &PaintButton},
      {TLabel::StaticClass(), &PaintLabel},
      {TEdit::StaticClass(), &PaintEdit},
      {TMemo::StaticClass(), &PaintMemo},
      {TListBox::StaticClass(), &PaintListBox},
      {TCheckBox::StaticClass(), &PaintCheckBox},
      {TImage::StaticClass(), &PaintImage},
      {TPlaceholderControl::StaticClass(), &PaintPlaceholder},
      {TPageControl::StaticClass(), &PaintPageControl},
  };
  return painters;
}

} // namespace

void RegisterControlPainter(TClass cls, TControlPainter painter) {
  if (painter)
    Painters()[cls] = painter;
  else
    Painters().erase(cls);
}

TControlPainter FindControlPainter(TClass cls) {
  for (; cls; cls = cls->Parent)
    if (auto it = Painters().find(cls); it != Painters().end()) return it->second;
  return nullptr;
}

void PaintControl(TControl* control, TCanvas* canvas, TPoint origin) {
  const TRect r{origin.X, origin.Y, origin.X + control->Width(), origin.Y + control->Height()};
  if (TControlPainter paint = FindControlPainter(control->ClassType())) paint(control, canvas, r);
  auto* win = dynamic_cast<TWinControl*>(control);
  if (!win) return;
  const TRect nc = control->NonClientExtent();
  for (Integer i = 0; i < win->ControlCount(); ++i) {
    TControl* child = win->Controls(i);
    // A design window shows hidden controls too: they can still be selected and moved.
    if (!child->Visible() && !child->ComponentState().Contains(stateDesigning)) continue;
    // Only the active page shows, at design time as well.
    if (auto* sheet = dynamic_cast<TTabSheet*>(child);
        sheet && sheet->PageControl() && sheet->PageControl()->ActivePage() != sheet)
      continue;
    PaintControl(child, canvas,
                 {origin.X + nc.Left + child->Left(), origin.Y + nc.Top + child->Top()});
  }
}

String ControlToSVG(TControl* control) {
  TOwned<TCanvas> canvas(New<TCanvas>());
  PaintControl(control, canvas.get());
  return canvas->ToSVG(control->Width(), control->Height());
}

} // namespace fw
