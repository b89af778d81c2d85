#include "tarn/imglist.h"

#include "basert/classreg.h"
#include "basert/filer.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace fw;
using namespace fwtest;

namespace {
TOwned<TBitmap> Blank(Integer w, Integer h) {
  TOwned<TBitmap> b(New<TBitmap>());
  b->SetSize(w, h);
  return b;
}
} // namespace

TEST(ImageList, KeepsImagesOfItsSizeInOrder) {
  TOwned<TImageList> list(New<TImageList>(nullptr));
  list->SetSize(8, 4);
  EXPECT_EQ(list->Add(Blank(8, 4).get()), 0);
  EXPECT_EQ(list->Add(Blank(8, 4).get()), 1);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { list->Add(Blank(16, 16).get()); }),
            sInvalidImageSize);
  EXPECT_EQ(MessageOf<EInvalidOperation>([&] { list->Delete(2); }), sImageIndexError);
  list->Delete(0);
  EXPECT_EQ(list->Count(), 1);
  TOwned<TBitmap> out(New<TBitmap>());
  EXPECT_TRUE(list->GetBitmap(0, out.get()));
  EXPECT_EQ(out->Width(), 8);
  EXPECT_FALSE(list->GetBitmap(1, out.get()));
  list->SetWidth(10); // a new size drops the images
  EXPECT_EQ(list->Count(), 0);

  // Change links follow the list they watch and forget it when either side goes.
  int told = 0;
  TOwned<TChangeLink> link(New<TChangeLink>());
  link->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, list.get());
    ++told;
  };
  list->RegisterChanges(link.get());
  list->SetHeight(10);
  EXPECT_EQ(told, 1);
  {
    TOwned<TChangeLink> other(New<TChangeLink>());
    list->RegisterChanges(other.get());
  } // freed while registered
  list->Add(Blank(10, 10).get());
  EXPECT_EQ(told, 2);
  list.reset();
  EXPECT_EQ(link->Sender(), nullptr);
}

TEST(ImageList, DataRoundTripsAndBadDataIsRefused) {
  TOwned<TImageList> list(New<TImageList>(nullptr));
  list->SetSize(4, 4);
  list->Add(Blank(4, 4).get());
  list->Add(Blank(4, 4).get());
  TMemoryStream m;
  list->WriteData(m);
  const Int64 size = m.Size();

  TOwned<TImageList> copy(New<TImageList>(nullptr));
  m.SetPosition(0);
  copy->ReadData(m);
  EXPECT_EQ(copy->Count(), 2);
  EXPECT_EQ(copy->GetWidth(), 4);
  TMemoryStream again;
  copy->WriteData(again);
  ASSERT_EQ(again.Size(), size);
  EXPECT_EQ(std::memcmp(again.Memory(), m.Memory(), static_cast<size_t>(size)), 0);

  // Every truncation is refused and leaves the list as it was.
  for (Int64 n = 0; n < size; n += 7) {
    TMemoryStream cut;
    cut.WriteBuffer(m.Memory(), n);
    cut.SetPosition(0);
    EXPECT_EQ(MessageOf<EInvalidGraphic>([&] { copy->ReadData(cut); }).empty(), false);
    EXPECT_EQ(copy->Count(), 2);
  }
}
