#include "tarn/picture.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/component.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "image_samples.h"
#include "support/formtext.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace fw;
using namespace fwtest;

namespace {

std::vector<Byte> SampleBmp(Integer w, Integer h) {
  TOwned<TBitmap> b(New<TBitmap>());
  b->SetSize(w, h);
  return b->SaveToBytes();
}

class TPictured : public TComponent {
  FW_CLASS(TPictured)
public:
  explicit TPictured(TComponent* owner) : TComponent(owner) {}
  ~TPictured() override { FPicture->Free(); }
  TPicture* GetPicture() const { return FPicture; }
  void SetPicture(TPicture* p) { FPicture->Assign(p); }

private:
  TPicture* FPicture = New<TPicture>();
};

TClass TPictured::StaticClass() {
  static const TClass cls = TClassBuilder<TPictured, TComponent>("TPictured", "Tests")
                                .Property("Picture", &TPictured::GetPicture, &TPictured::SetPicture)
                                .Build();
  return cls;
}

struct TempDir {
  std::filesystem::path Path =
      std::filesystem::temp_directory_path() / ("tarn-pic-" + std::to_string(::getpid()));
  TempDir() { std::filesystem::create_directories(Path); }
  ~TempDir() { std::filesystem::remove_all(Path); }
  String Write(const String& name, const std::vector<Byte>& bytes) const {
    const auto p = Path / name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return p.string();
  }
};

} // namespace

TEST(PictureHeaders, EachFormatIsSizedFromItsHeader) {
  const struct {
    const char* file;
    std::vector<Byte> bytes;
    Integer w, h;
    const char* cls;
  } cases[] = {
      {"a.bmp", SampleBmp(7, 3), 7, 3, "TBitmap"},
      {"b.PNG", SamplePng(640, 480), 640, 480, "TPngImage"},
      {"c.ico", SampleIco(0, 48), 256, 48, "TIcon"},
      {"d.emf", SampleEmf(2540, 1270), 96, 48, "TMetafile"},
      {"e.wmf", SampleWmf(1440, 720, 1440), 96, 48, "TMetafile"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    TOwned<TPicture> p(New<TPicture>());
    p->LoadFromFile(dir.Write(c.file, c.bytes));
    ASSERT_NE(p->Graphic(), nullptr) << c.file;
    EXPECT_EQ(p->Graphic()->ClassName(), c.cls);
    EXPECT_EQ(p->Width(), c.w) << c.file;
    EXPECT_EQ(p->Height(), c.h) << c.file;
    const String out = (dir.Path / (String("out-") + c.file)).string();
    p->SaveToFile(out);
    TOwned<TPicture> q(New<TPicture>());
    q->LoadFromFile(out);
    EXPECT_TRUE(q->Graphic()->Equals(p->Graphic())) << c.file;
  }
  TOwned<TPicture> p(New<TPicture>());
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] {
              p->LoadFromFile(dir.Write("x.xyz", {1, 2}));
            }),
            "Unknown picture file extension (.xyz)");
  EXPECT_NE(MessageOf<EInvalidGraphicOperation>([&] { p->SaveToFile("y.bmp"); }), "nothing raised");
}

TEST(PictureHeaders, TruncatedOrCorruptDataIsRefusedAndTheOldImageKept) {
  const std::vector<std::pair<TClass, std::vector<Byte>>> samples = {
      {TBitmap::StaticClass(), SampleBmp(5, 5)},
      {TPngImage::StaticClass(), SamplePng(5, 5)},
      {TIcon::StaticClass(), SampleIco(16, 16)},
      {TMetafile::StaticClass(), SampleEmf(100, 100)},
      {TMetafile::StaticClass(), SampleWmf(100, 100, 1440)},
  };
  for (const auto& [cls, good] : samples) {
    TOwned<TFileGraphic> g(static_cast<TFileGraphic*>(cls->Create<>()));
    g->LoadFromBytes(good);
    const Integer w = g->Width();
    // Every proper prefix that cuts into the header or the data it promises is refused.
    std::size_t refused = 0;
    for (std::size_t n = 0; n < good.size(); ++n) {
      try {
        g->LoadFromBytes(std::vector<Byte>(good.begin(), good.begin() + n));
      } catch (const EInvalidGraphic& e) {
        ++refused;
        EXPECT_FALSE(e.Message().empty());
      }
    }
    EXPECT_GE(refused, std::min<std::size_t>(good.size(), 22)) << cls->ClassName;
    g->LoadFromBytes(good);
    EXPECT_EQ(g->Width(), w);
  }
  auto png = SamplePng(5, 5);
  png[17] ^= 1; // width changes, CRC no longer matches
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { ReadPngHeader(png); }), sInvalidPng);
  auto bmp = SampleBmp(5, 5);
  bmp[28] = 3; // three bits per pixel
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { ReadBmpHeader(bmp); }), sInvalidBitmap);
  auto wmf = SampleWmf(10, 10, 1440);
  wmf[14] = wmf[15] = 0; // zero units per inch (and a checksum that no longer matches)
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { ReadWmfHeader(wmf); }), sInvalidMetafile);
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { ReadBmpHeader(SampleBmp(5, 5)); }), "nothing raised");
  // A huge width times a huge height must be refused as truncated, not overflow.
  bmp = SampleBmp(5, 5);
  for (std::size_t i : {18u, 22u}) { // width and height: 0x7FFFFFFF
    bmp[i] = bmp[i + 1] = bmp[i + 2] = 0xFF;
    bmp[i + 3] = 0x7F;
  }
  EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { ReadBmpHeader(bmp); }),
            Format(sTruncatedImage, {"Bitmap"}));
  TOwned<TBitmap> b(New<TBitmap>());
  EXPECT_NE(MessageOf<EInvalidGraphic>([&] { b->SetSize(40000, 1); }), "nothing raised");
}

TEST(PictureStreaming, DataPropertyRoundTripsAndIsLeftOutWhenInherited) {
  RegisterClass(TPictured::StaticClass());
  TOwned<TPictured> c(New<TPictured>(nullptr));
  c->SetName("Pictured1");
  int changes = 0;
  c->GetPicture()->OnChange = [&](TObject*) { ++changes; };
  TOwned<TIcon> icon(New<TIcon>());
  icon->LoadFromBytes(SampleIco(32, 32));
  c->GetPicture()->SetGraphic(icon.get());
  EXPECT_EQ(changes, 1);
  const String text = fwtest::WriteFormText(c.get());
  EXPECT_NE(text.find("Picture.Data = {\r\n    055449636F6E"), String::npos) << text; // "\5TIcon"

  TOwned<TPictured> d(New<TPictured>(nullptr));
  fwtest::ReadFormText(text, d.get());
  ASSERT_NE(d->GetPicture()->Graphic(), nullptr);
  EXPECT_EQ(d->GetPicture()->Graphic()->ClassName(), "TIcon");
  EXPECT_TRUE(d->GetPicture()->Graphic()->Equals(icon.get()));
  EXPECT_EQ(fwtest::WriteFormText(d.get()), text);
  EXPECT_EQ(fwtest::WriteFormText(d.get(), c.get()).find("Picture.Data"), String::npos);

  // A bitmap keeps its length prefix inside the picture's data.
  c->GetPicture()->Bitmap()->SetSize(2, 2);
  const String bmpText = fwtest::WriteFormText(c.get());
  TOwned<TPictured> e(New<TPictured>(nullptr));
  fwtest::ReadFormText(bmpText, e.get());
  EXPECT_EQ(e->GetPicture()->Width(), 2);
  EXPECT_EQ(e->GetPicture()->Graphic()->ClassName(), "TBitmap");

  // An unknown graphic class name is an error, not a silent loss; a name whose length runs
  // into the graphic's data shows those bytes as character codes.
  for (const auto& [data, shown] : std::vector<std::pair<String, String>>{
           {"05544A756E6B", "TJunk"}, {"0A54504E47496D61676589504E47", "TPNGImage#137"}}) {
    const String bad = "object Pictured1: TPictured\n  Picture.Data = {" + data + "}\nend\n";
    TOwned<TPictured> f(New<TPictured>(nullptr));
    const String message = MessageOf<Exception>([&] { fwtest::ReadFormText(bad, f.get()); });
    EXPECT_TRUE(message.ends_with("Unknown picture format " + shown)) << message;
  }
  UnRegisterClass(TPictured::StaticClass());
}

TEST(PictureFormats, FiltersListTheFormatsOfAClass) {
  EXPECT_EQ(GraphicFilter(TIcon::StaticClass()), "All (*.ico)|*.ico|Icons (*.ico)|*.ico");
  EXPECT_EQ(GraphicFileMask(TMetafile::StaticClass()), "*.emf;*.wmf");
  EXPECT_EQ(GraphicExtension(TBitmap::StaticClass()), "bmp");
  EXPECT_EQ(GraphicFilter(TGraphic::StaticClass()).substr(0, 40),
            "All (*.png;*.bmp;*.ico;*.emf;*.wmf)|*.pn");
  EXPECT_EQ(TPicture::FindGraphicClass("WMF"), TMetafile::StaticClass());
}
