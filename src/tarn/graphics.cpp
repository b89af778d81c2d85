#include "tarn/graphics.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/sysutils.h"

#include <cmath>

namespace fw {

using detail::ToIdent;
using detail::ToInt;

namespace {

// RGB values of the system colours in the headless theme, by system colour index.
constexpr std::array<Integer, 31> SystemPalette = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0,
};

} // namespace

bool ColorToIdent(Integer color, String& ident) { return ToIdent(Colors, color, ident); }
bool IdentToColor(const String& ident, Integer& color) { return ToInt(Colors, ident, color); }

String ColorToString(TColor color) {
  String s;
  if (ColorToIdent(color, s)) return s;
  return String("$").append(IntToHex(static_cast<Integer>(color), 8));
}

TColor StringToColor(std::string_view text) {
  Integer v = 0;
  if (!IdentToColor(String(text), v)) v = StrToInt(text);
  return TColor(v);
}

void GetColorValues(const std::function<void(const String&)>& proc) {
  for (const auto& e : Colors)
    proc(String(e.Name));
}

Integer ColorToRGB(TColor color) {
  const Integer c = color;
  if (color == clNone) return clBlack;
  if (color == clDefault) return SystemPalette[5];
  if ((c & clSystemColorBase) == clSystemColorBase) {
    const Integer index = c & 0xFF;
    return index < static_cast<Integer>(SystemPalette.size()) ? SystemPalette[index] : 0;
  }
  return c & 0xFFFFFF;
}

PTypeInfo TypeInfoOf(std::type_identity<TColor>) {
  static PTypeInfo t = [] {
    PTypeInfo type =
        MakeOrdinalType("TColor", kindInteger, otSLong, std::numeric_limits<Integer>::min(),
                        std::numeric_limits<Integer>::max());
    RegisterIntegerConsts(type, &IdentToColor, &ColorToIdent);
    return type;
  }();
  return t;
}

bool CharsetToIdent(Integer charset, String& ident) { return ToIdent(Charsets, charset, ident); }
bool IdentToCharset(const String& ident, Integer& charset) {
  return ToInt(Charsets, ident, charset);
}

void GetCharsetValues(const std::function<void(const String&)>& proc) {
  for (const auto& e : Charsets)
    proc(String(e.Name));
}

PTypeInfo TypeInfoOf(std::type_identity<TFontCharset>) {
  static PTypeInfo t = [] {
    PTypeInfo type = MakeOrdinalType("TFontCharset", kindInteger, otUByte, 0, 255);
    RegisterIntegerConsts(type, &IdentToCharset, &CharsetToIdent);
    return type;
  }();
  return t;
}

PTypeInfo TypeInfoOf(std::type_identity<TFontStyle>) {
  static PTypeInfo t =
      MakeEnumType("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, "Graphics");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TFontStyles>) {
  static PTypeInfo t = MakeSetType("TFontStyles", TypeInfo<TFontStyle>());
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TFontPitch>) {
  static PTypeInfo t =
      MakeEnumType("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}, "Graphics");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TPenStyle>) {
  static PTypeInfo t = MakeEnumType("TPenStyle",
                                    {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                     "psClear", "psInsideFrame", "psUserStyle", "psAlternate"},
                                    "Graphics");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TPenMode>) {
  static PTypeInfo t =
      MakeEnumType("TPenMode",
                   {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                    "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
                    "pmMask", "pmNotMask", "pmXor", "pmNotXor"},
                   "Graphics");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TBrushStyle>) {
  static PTypeInfo t = MakeEnumType("TBrushStyle",
                                    {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                     "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"},
                                    "Graphics");
  return t;
}

// ---- TGraphicsObject -----------------------------------------------------------------------

TClass TGraphicsObject::StaticClass() {
  static const TClass cls =
      TClassBuilder<TGraphicsObject, TPersistent>("TGraphicsObject", "Graphics").Build();
  return cls;
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TFont ---------------------------------------------------------------------------------

TClass TFont::StaticClass() {
  static const TClass cls = TClassBuilder<TFont, TGraphicsObject>("TFont", "Graphics")
                                .Property("Charset", &TFont::GetCharset, &TFont::SetCharset)
                                .Property("Color", &TFont::GetColor, &TFont::SetColor)
                                .Property("Height", &TFont::GetHeight, &TFont::SetHeight)
                                .Property("Name", &TFont::GetName, &TFont::SetName)
                                .Property("Pitch", &TFont::GetPitch, &TFont::SetPitch)
                                .Default(fpDefault)
                                .Property("Size", &TFont::GetSize, &TFont::SetSize)
                                .Stored(false)
                                .Property("Style", &TFont::GetStyle, &TFont::SetStyle)
                                .Build();
  return cls;
}

TFont::TFont() = default;

void TFont::Set(auto& field, auto value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    if (f == this) return;
    FName = f->FName;
    FPixelsPerInch = f->FPixelsPerInch;
    FHeight = f->FHeight;
    FColor = f->FColor;
    FStyle = f->FStyle;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TFont::SetName(const String& value) {
  if (!value.empty()) Set(FName, value);
}

Integer TFont::GetSize() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }
void TFont::SetSize(Integer value) { SetHeight(-MulDiv(value, FPixelsPerInch, 72)); }
void TFont::SetHeight(Integer value) { Set(FHeight, value); }
void TFont::SetColor(TColor value) { Set(FColor, value); }
void TFont::SetStyle(TFontStyles value) { Set(FStyle, value); }
void TFont::SetCharset(TFontCharset value) { Set(FCharset, value); }
void TFont::SetPitch(TFontPitch value) { Set(FPitch, value); }

void TFont::SetPixelsPerInch(Integer value) {
  if (value <= 0 || value == FPixelsPerInch) return;
  const Integer size = GetSize();
  FPixelsPerInch = value;
  SetSize(size);
}

// A line is the character height plus about a fifth for internal leading; the baseline sits
// at 83% of the line; characters average half the character height, bold ones a tenth more.
Integer TFont::TextHeight() const {
  if (FHeight > 0) return FHeight;
  return static_cast<Integer>(std::lround(-FHeight * 1.21));
}

Integer TFont::Ascent() const { return static_cast<Integer>(std::lround(TextHeight() * 0.83)); }

Integer TFont::TextWidth(std::string_view text) const {
  const double em = FHeight < 0 ? -FHeight : FHeight / 1.21;
  double perChar = em * (FPitch == fpFixed ? 0.6 : 0.5);
  if (FStyle.Contains(fsBold)) perChar *= 1.1;
  std::size_t chars = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++chars; // count code points, not bytes
  return static_cast<Integer>(std::lround(perChar * static_cast<double>(chars)));
}

// ---- TPen ----------------------------------------------------------------------------------

TClass TPen::StaticClass() {
  static const TClass cls = TClassBuilder<TPen, TGraphicsObject>("TPen", "Graphics")
                                .Property("Color", &TPen::GetColor, &TPen::SetColor)
                                .Default(clBlack)
                                .Property("Mode", &TPen::GetMode, &TPen::SetMode)
                                .Default(pmCopy)
                                .Property("Style", &TPen::GetStyle, &TPen::SetStyle)
                                .Default(psSolid)
                                .Property("Width", &TPen::GetWidth, &TPen::SetWidth)
                                .Default(1)
                                .Build();
  return cls;
}

void TPen::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    if (p == this) return;
    FColor = p->FColor;
    FMode = p->FMode;
    FStyle = p->FStyle;
    FWidth = p->FWidth;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  Changed();
}
void TPen::SetMode(TPenMode value) {
  if (FMode == value) return;
  FMode = value;
  Changed();
}
void TPen::SetStyle(TPenStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  Changed();
}
void TPen::SetWidth(Integer value) {
  value = std::max(value, 1);
  if (FWidth == value) return;
  FWidth = value;
  Changed();
}

// ---- TBrush --------------------------------------------------------------------------------

TClass TBrush::StaticClass() {
  static const TClass cls = TClassBuilder<TBrush, TGraphicsObject>("TBrush", "Graphics")
                                .Property("Color", &TBrush::GetColor, &TBrush::SetColor)
                                .Default(clWhite)
                                .Property("Style", &TBrush::GetStyle, &TBrush::SetStyle)
                                .Default(bsSolid)
                                .Build();
  return cls;
}

void TBrush::Assign(TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor value) {
  if (FColor == value) return;
  FColor = value;
  Changed();
}
void TBrush::SetStyle(TBrushStyle value) {
  if (FStyle == value) return;
  FStyle = value;
  Changed();
}

} // namespace fw
