#include "tarn/clipbrd.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/sysutils.h"
#include "tarn/picture.h"

namespace fw {

namespace {

std::vector<String>& FormatNames() {
  static std::vector<String> names;
  return names;
}

constexpr TClipboardFormat FirstRegistered = 0xC000;

TClipboardFormat CF_ICON() { return RegisterClipboardFormat("Tarn Icon"); }

struct TGraphicFormat {
  TClass (*GraphicClass)();
  TClipboardFormat (*Format)();
};
const TGraphicFormat GraphicFormats[] = {
    {&TBitmap::StaticClass, [] { return CF_BITMAP; }},
    {&TMetafile::StaticClass, [] { return CF_ENHMETAFILE; }},
    {&TPngImage::StaticClass, &CF_PNG},
    {&TIcon::StaticClass, &CF_ICON},
};

} // namespace

TClipboardFormat RegisterClipboardFormat(const String& name) {
  if (name.empty()) throw EArgumentException("A clipboard format needs a name");
  auto& names = FormatNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], name)) return static_cast<TClipboardFormat>(FirstRegistered + i);
  if (names.size() >= 0x4000u) throw EOutOfResources("Too many clipboard formats");
  names.push_back(name);
  return static_cast<TClipboardFormat>(FirstRegistered + names.size() - 1);
}

String GetClipboardFormatName(TClipboardFormat format) {
  const auto& names = FormatNames();
  if (format < FirstRegistered || std::size_t{format} - FirstRegistered >= names.size()) return {};
  return names[format - FirstRegistered];
}

TClipboardFormat CF_PNG() { return RegisterClipboardFormat("PNG"); }

TClass TClipboard::StaticClass() {
  static const TClass cls = TClassBuilder<TClipboard, TPersistent>("TClipboard", "Clipbrd").Build();
  return cls;
}

void TClipboard::Open() {
  if (FOpenCount++ == 0) FEmptied = false;
}

void TClipboard::Close() {
  if (FOpenCount == 0) throw EInvalidOperation("The clipboard is not open");
  --FOpenCount;
}

void TClipboard::Clear() {
  FData.clear();
  ++FSequence;
}

void TClipboard::Adding() {
  if (FOpenCount > 0 && FEmptied) return;
  FData.clear();
  FEmptied = true;
}

TClipboardFormat TClipboard::Formats(Integer index) const {
  if (index < 0 || index >= FormatCount()) throw EListError(Format(sListIndexError, {index}));
  auto it = FData.begin();
  std::advance(it, index);
  return it->first;
}

void TClipboard::SetAsBytes(TClipboardFormat format, std::vector<Byte> data) {
  Open();
  Adding();
  FData[format] = std::move(data);
  ++FSequence;
  Close();
}

void TClipboard::SetBuffer(TClipboardFormat format, const void* buffer, Integer size) {
  const Byte* p = static_cast<const Byte*>(buffer);
  SetAsBytes(format, std::vector<Byte>(p, p + std::max(size, 0)));
}

const std::vector<Byte>& TClipboard::GetAsBytes(TClipboardFormat format) const {
  static const std::vector<Byte> none;
  auto it = FData.find(format);
  return it == FData.end() ? none : it->second;
}

String TClipboard::AsText() const {
  const auto& d = GetAsBytes(CF_TEXT);
  String s(d.begin(), d.end());
  return s.substr(0, s.find('\0'));
}

void TClipboard::SetAsText(const String& text) {
  Open();
  std::vector<Byte> bytes(text.begin(), text.end());
  bytes.push_back(0);
  SetAsBytes(CF_TEXT, std::move(bytes));
  const WideString wide = Utf8ToWide(text);
  std::vector<Byte> w((wide.size() + 1) * 2, 0);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    w[2 * i] = static_cast<Byte>(wide[i]);
    w[2 * i + 1] = static_cast<Byte>(wide[i] >> 8);
  }
  SetAsBytes(CF_UNICODETEXT, std::move(w));
  Close();
}

void TClipboard::Assign(TPersistent* source) {
  TGraphic* g = dynamic_cast<TGraphic*>(source);
  if (auto* p = dynamic_cast<TPicture*>(source)) g = p->Graphic();
  if (g) {
    for (const auto& f : GraphicFormats)
      if (g->InheritsFrom(f.GraphicClass())) return SetAsBytes(f.Format(), g->SaveToBytes());
  }
  TPersistent::Assign(source);
}

void TClipboard::AssignTo(TPersistent* dest) {
  auto* picture = dynamic_cast<TPicture*>(dest);
  auto* graphic = dynamic_cast<TFileGraphic*>(dest);
  for (const auto& f : GraphicFormats) {
    if (!HasFormat(f.Format())) continue;
    if (graphic && !graphic->InheritsFrom(f.GraphicClass())) continue;
    if (graphic) return graphic->LoadFromBytes(GetAsBytes(f.Format()));
    if (picture) {
      TOwned<TFileGraphic> g(static_cast<TFileGraphic*>(f.GraphicClass()->Create<>()));
      g->LoadFromBytes(GetAsBytes(f.Format()));
      return picture->SetGraphic(g.get());
    }
  }
  TPersistent::AssignTo(dest);
}

TClipboard* Clipboard() {
  static TOwned<TClipboard> clipboard(New<TClipboard>());
  return clipboard.get();
}

} // namespace fw
