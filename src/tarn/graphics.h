// Colours with their identifier table, character sets, and the three graphics objects every
// control carries: TFont, TPen and TBrush.
#pragma once

#include "basert/persistent.h"
#include "tarn/uitypes.h"

#include <functional>

namespace fw {

// ---- Colours -------------------------------------------------------------------------------

/// A colour: $00BBGGRR for an RGB value, $FF0000nn for system colour nn, or clNone/clDefault.
enum TColor : Integer {};

inline constexpr Integer clSystemColorBase = static_cast<Integer>(0xFF000000u);
constexpr TColor SystemColor(Integer index) { return TColor(clSystemColorBase | index); }
constexpr TColor RGB(Byte r, Byte g, Byte b) { return TColor(r | (g << 8) | (b << 16)); }

inline constexpr TColor clBlack = TColor(0x000000);
inline constexpr TColor clMaroon = TColor(0x000080);
inline constexpr TColor clGreen = TColor(0x008000);
inline constexpr TColor clOlive = TColor(0x008080);
inline constexpr TColor clNavy = TColor(0x800000);
inline constexpr TColor clPurple = TColor(0x800080);
inline constexpr TColor clTeal = TColor(0x808000);
inline constexpr TColor clGray = TColor(0x808080);
inline constexpr TColor clSilver = TColor(0xC0C0C0);
inline constexpr TColor clRed = TColor(0x0000FF);
inline constexpr TColor clLime = TColor(0x00FF00);
inline constexpr TColor clYellow = TColor(0x00FFFF);
inline constexpr TColor clBlue = TColor(0xFF0000);
inline constexpr TColor clFuchsia = TColor(0xFF00FF);
inline constexpr TColor clAqua = TColor(0xFFFF00);
inline constexpr TColor clWhite = TColor(0xFFFFFF);
inline constexpr TColor clMoneyGreen = TColor(0xC0DCC0);
inline constexpr TColor clSkyBlue = TColor(0xF0CAA6);
inline constexpr TColor clCream = TColor(0xF0FBFF);
inline constexpr TColor clMedGray = TColor(0xA4A0A0);
inline constexpr TColor clNone = TColor(0x1FFFFFFF);
inline constexpr TColor clDefault = TColor(0x20000000);

inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);
inline constexpr TColor clHotLight = SystemColor(26);
inline constexpr TColor clGradientActiveCaption = SystemColor(27);
inline constexpr TColor clGradientInactiveCaption = SystemColor(28);
inline constexpr TColor clMenuHighlight = SystemColor(29);
inline constexpr TColor clMenuBar = SystemColor(30);

/// The colour identifiers, in the order a value list offers them.
inline constexpr std::array<TIdentMapEntry, 52> Colors = {{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

bool ColorToIdent(Integer color, String& ident);
bool IdentToColor(const String& ident, Integer& color);
/// The identifier, or "$" and eight hexadecimal digits.
String ColorToString(TColor color);
/// An identifier or an integer (decimal or "$" hexadecimal); raises EConvertError otherwise.
TColor StringToColor(std::string_view text);
/// Calls `proc` with every colour identifier in table order.
void GetColorValues(const std::function<void(const String&)>& proc);
/// The RGB value a colour shows as: system colours through the fixed headless palette,
/// clNone as black and clDefault as the window colour.
Integer ColorToRGB(TColor color);
PTypeInfo TypeInfoOf(std::type_identity<TColor>);

// ---- Character sets ------------------------------------------------------------------------

enum TFontCharset : Byte {};
inline constexpr TFontCharset ANSI_CHARSET = TFontCharset(0);
inline constexpr TFontCharset DEFAULT_CHARSET = TFontCharset(1);
inline constexpr TFontCharset SYMBOL_CHARSET = TFontCharset(2);
inline constexpr TFontCharset MAC_CHARSET = TFontCharset(77);
inline constexpr TFontCharset SHIFTJIS_CHARSET = TFontCharset(128);
inline constexpr TFontCharset HANGEUL_CHARSET = TFontCharset(129);
inline constexpr TFontCharset JOHAB_CHARSET = TFontCharset(130);
inline constexpr TFontCharset GB2312_CHARSET = TFontCharset(134);
inline constexpr TFontCharset CHINESEBIG5_CHARSET = TFontCharset(136);
inline constexpr TFontCharset GREEK_CHARSET = TFontCharset(161);
inline constexpr TFontCharset TURKISH_CHARSET = TFontCharset(162);
inline constexpr TFontCharset VIETNAMESE_CHARSET = TFontCharset(163);
inline constexpr TFontCharset HEBREW_CHARSET = TFontCharset(177);
inline constexpr TFontCharset ARABIC_CHARSET = TFontCharset(178);
inline constexpr TFontCharset BALTIC_CHARSET = TFontCharset(186);
inline constexpr TFontCharset RUSSIAN_CHARSET = TFontCharset(204);
inline constexpr TFontCharset THAI_CHARSET = TFontCharset(222);
inline constexpr TFontCharset EASTEUROPE_CHARSET = TFontCharset(238);
inline constexpr TFontCharset OEM_CHARSET = TFontCharset(255);

inline constexpr std::array<TIdentMapEntry, 19> Charsets = {{
    {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
}};
bool CharsetToIdent(Integer charset, String& ident);
bool IdentToCharset(const String& ident, Integer& charset);
/// Calls `proc` with every character set identifier in table order.
void GetCharsetValues(const std::function<void(const String&)>& proc);
PTypeInfo TypeInfoOf(std::type_identity<TFontCharset>);

// ---- Graphics objects ----------------------------------------------------------------------

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate,
};
enum TPenMode : std::uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor,
};
enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross,
};
PTypeInfo TypeInfoOf(std::type_identity<TFontStyle>);
PTypeInfo TypeInfoOf(std::type_identity<TFontStyles>);
PTypeInfo TypeInfoOf(std::type_identity<TFontPitch>);
PTypeInfo TypeInfoOf(std::type_identity<TPenStyle>);
PTypeInfo TypeInfoOf(std::type_identity<TPenMode>);
PTypeInfo TypeInfoOf(std::type_identity<TBrushStyle>);

/// Base of the graphics objects: tells its owner when a property changes.
class TGraphicsObject : public TPersistent {
  FW_CLASS(TGraphicsObject)
public:
  /// Called after every change that alters the object's value (not for a same-value write).
  std::function<void(TObject* sender)> OnChange;

protected:
  void Changed();
};

/// Screen resolution the point size of fonts is converted with.
inline constexpr Integer DefaultPixelsPerInch = 96;

class TFont : public TGraphicsObject {
  FW_CLASS(TFont)
public:
  TFont();
  /// Copies another font (and fires OnChange once); other sources as TPersistent does.
  void Assign(TPersistent* source) override;

  const String& GetName() const noexcept { return FName; }
  void SetName(const String& value);
  /// Point size, from Height at PixelsPerInch; setting it sets Height.
  Integer GetSize() const;
  void SetSize(Integer value);
  /// Negative: character height in pixels; positive: cell height in pixels.
  Integer GetHeight() const noexcept { return FHeight; }
  void SetHeight(Integer value);
  TColor GetColor() const noexcept { return FColor; }
  void SetColor(TColor value);
  TFontStyles GetStyle() const noexcept { return FStyle; }
  void SetStyle(TFontStyles value);
  TFontCharset GetCharset() const noexcept { return FCharset; }
  void SetCharset(TFontCharset value);
  TFontPitch GetPitch() const noexcept { return FPitch; }
  void SetPitch(TFontPitch value);
  Integer GetPixelsPerInch() const noexcept { return FPixelsPerInch; }
  /// Keeps the point size when the resolution changes.
  void SetPixelsPerInch(Integer value);

  // Headless metrics: a fixed, deterministic model of a proportional typeface.
  /// Height of a line of text in pixels.
  Integer TextHeight() const;
  /// Distance from the top of a line to its baseline.
  Integer Ascent() const;
  /// Width of `text` (UTF-8) in pixels.
  Integer TextWidth(std::string_view text) const;

private:
  void Set(auto& field, auto value);
  String FName = "Tahoma";
  Integer FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  Integer FPixelsPerInch = DefaultPixelsPerInch;
};

class TPen : public TGraphicsObject {
  FW_CLASS(TPen)
public:
  void Assign(TPersistent* source) override;
  TColor GetColor() const noexcept { return FColor; }
  void SetColor(TColor value);
  TPenMode GetMode() const noexcept { return FMode; }
  void SetMode(TPenMode value);
  TPenStyle GetStyle() const noexcept { return FStyle; }
  void SetStyle(TPenStyle value);
  Integer GetWidth() const noexcept { return FWidth; }
  /// Widths below 1 become 1.
  void SetWidth(Integer value);

private:
  TColor FColor = clBlack;
  TPenMode FMode = pmCopy;
  TPenStyle FStyle = psSolid;
  Integer FWidth = 1;
};

class TBrush : public TGraphicsObject {
  FW_CLASS(TBrush)
public:
  void Assign(TPersistent* source) override;
  TColor GetColor() const noexcept { return FColor; }
  void SetColor(TColor value);
  TBrushStyle GetStyle() const noexcept { return FStyle; }
  void SetStyle(TBrushStyle value);

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

} // namespace fw
