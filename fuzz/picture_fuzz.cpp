// Picture header readers and the graphic and image-list loaders: any bytes must give a size or
// EInvalidGraphic (or a stream error), never a crash or a read outside the data.
#include "basert/exceptions.h"
#include "basert/streams.h"
#include "tarn/imglist.h"
#include "tarn/picture.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace fw;

namespace {

template <class G> void Load(std::span<const Byte> data) {
  TOwned<G> g(New<G>());
  try {
    g->LoadFromBytes(std::vector<Byte>(data.begin(), data.end()));
    (void)g->Width();
  } catch (const Exception&) {
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::span<const Byte> data(bytes, size);
  for (auto reader : {&ReadBmpHeader, &ReadPngHeader, &ReadIcoHeader, &ReadEmfHeader,
                      &ReadWmfHeader}) {
    try {
      const TImageSize s = reader(data);
      if (s.Width < 0 || s.Height < 0) __builtin_trap();
    } catch (const Exception&) {
    }
  }
  Load<TBitmap>(data);
  Load<TMetafile>(data);
  // The streamed layouts: a length-prefixed bitmap and an image list's data.
  TMemoryStream m;
  m.WriteBuffer(bytes, static_cast<Int64>(size));
  try {
    m.SetPosition(0);
    TOwned<TBitmap> b(New<TBitmap>());
    b->ReadData(m);
  } catch (const Exception&) {
  }
  try {
    m.SetPosition(0);
    TOwned<TImageList> list(New<TImageList>(nullptr));
    list->ReadData(m);
  } catch (const Exception&) {
  }
  return 0;
}
