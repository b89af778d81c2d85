// How a property editor draws its own row and value list in the inspector, and how it takes
// the mouse there; and the selection editors that want the designer's messages.
#pragma once

#include "designintf/designintf.h"
#include "tarn/canvas.h"

namespace fw {

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

/// What a hint about to be shown over an inspector row says and where.
struct TPropertyHintInfo {
  String HintStr;
  TPoint HintPos;   ///< screen position of the hint window
  TRect CursorRect; ///< the hint goes away when the mouse leaves it
  Integer HintMaxWidth = 0;
};

/// An editor that paints its row itself instead of the inspector's plain text.
struct ICustomPropertyDrawing : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{ECB15619-1829-4DDE-8733-4E9CD9C45D4A}");
  virtual void PropDrawName(TCanvas* canvas, const TRect& rect, bool selected) = 0;
  virtual void PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected) = 0;
};

struct ICustomPropertyDrawing80 : ICustomPropertyDrawing {
  static constexpr TGUID IID = TGUID::Parse("{737DCDA0-6D54-4E94-881B-B137FBCFBB10}");
  /// The part of the row's name cell the editor paints; the inspector paints the rest.
  virtual TRect PropDrawNameRect(const TRect& rect) = 0;
  virtual TRect PropDrawValueRect(const TRect& rect) = 0;
};

/// An editor that paints the entries of its value list.
struct ICustomPropertyListDrawing : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{48031070-7AA9-40E0-B6CA-F1E6EAADB506}");
  /// `width` and `height` come in as the inspector's own measure; the editor may change them.
  virtual void ListMeasureWidth(const String& value, TCanvas* canvas, Integer& width) = 0;
  virtual void ListMeasureHeight(const String& value, TCanvas* canvas, Integer& height) = 0;
  virtual void ListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                             bool selected) = 0;
};

/// An editor that handles the mouse on its row. Positions are in the coordinates of the
/// rectangles the row was last drawn with; `handled` set to true keeps the inspector out.
struct ICustomPropertyMessage : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3AD28D98-0494-4ABA-88B6-F5A455582316}");
  virtual void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y,
                         bool& handled) = 0;
  virtual void MouseMove(TShiftState shift, Integer x, Integer y, bool& handled) = 0;
  virtual void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y,
                       bool& handled) = 0;
  virtual void HintShow(TPropertyHintInfo& hintInfo, bool& show, const TRect& hintRect,
                        bool& handled) = 0;
};

/// A message the designer is about to handle for a selection.
struct TSelectionMessage {
  Integer Msg = 0;
  Integer WParam = 0;
  Integer LParam = 0;
  Integer Result = 0;
};

/// A selection editor that sees the designer's messages before the designer does.
struct ISelectionMessage : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{7A32361C-415B-48CC-B469-60E390587ABF}");
  /// True when the editor handled the message; the designer then leaves it alone.
  virtual bool IsSelectionMessage(TComponent* control, TSelectionMessage& message) = 0;
};

struct ISelectionMessageList : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6C47462A-304E-4746-BB74-81E2FA730ADA}");
  /// Raises EListError outside the list.
  virtual IPtr<ISelectionMessage> Get(Integer index) = 0;
  virtual Integer GetCount() = 0;
};

/// What the inspector shows for a property: empty for nil or differing values, else GetValue.
String GetDisplayValue(const IPtr<IProperty>& prop);
/// The inspector's own painting: the name or value as text on the row.
void DefaultPropertyDrawName(const IPtr<IProperty>& prop, TCanvas* canvas, const TRect& rect,
                             bool selected);
void DefaultPropertyDrawValue(const IPtr<IProperty>& prop, TCanvas* canvas, const TRect& rect,
                              bool selected);
void DefaultPropertyListDrawValue(const String& value, TCanvas* canvas, const TRect& rect,
                                  bool selected);

namespace detail {
/// A square at the left of a list entry or value, as high as the rectangle, for a sample.
TRect SwatchRect(const TRect& r);
/// The text of a list entry right of its sample.
void DrawAfterSwatch(const String& value, TCanvas* canvas, const TRect& rect, bool selected);
/// Runs `draw` with the canvas's pen and brush as they were before, afterwards.
template <class F> void KeepingPenAndBrush(TCanvas* canvas, F draw) {
  const TColor pen = canvas->Pen()->GetColor(), brush = canvas->Brush()->GetColor();
  const TPenStyle penStyle = canvas->Pen()->GetStyle();
  const TBrushStyle brushStyle = canvas->Brush()->GetStyle();
  draw();
  canvas->Pen()->SetColor(pen);
  canvas->Pen()->SetStyle(penStyle);
  canvas->Brush()->SetColor(brush);
  canvas->Brush()->SetStyle(brushStyle);
}
} // namespace detail

} // namespace fw
