#include "basert/placeholder.h"

#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formfiles.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

TOwned<TComponent> ReadKeeping(std::string_view binary) {
  TStringStream in{std::string(binary)};
  TReader r(&in, 4096);
  r.UsePlaceholders = true;
  return TOwned<TComponent>(r.ReadRootComponent(nullptr));
}

std::string Written(TComponent* root) {
  TMemoryStream out;
  {
    TWriter w(&out, 4096);
    w.WriteRootComponent(root);
  }
  return std::string(out.View());
}

std::string Binary(std::string_view text) {
  TStringStream in{std::string(text)};
  TMemoryStream bin;
  ObjectTextToBinary(in, bin);
  return std::string(bin.View());
}

std::string Text(const std::string& binary, TTextSyntax syntax = TTextSyntax::Standard) {
  TStringStream in(binary);
  TMemoryStream text;
  ObjectBinaryToText(in, text, syntax);
  return std::string(text.View());
}

} // namespace

TEST(Placeholder, EveryRepositoryFormRoundTripsByteForByte) {
  const auto forms = RepositoryForms();
  ASSERT_GE(forms.size(), 13u);
  for (const TFormFile& f : forms) {
    SCOPED_TRACE(f.Path);
    auto root = ReadKeeping(f.Binary);
    ASSERT_TRUE(root);
    EXPECT_TRUE(IsPlaceholder(root.get()));
    const std::string back = Written(root.get());
    EXPECT_EQ(back, f.Binary);
    if (!f.Text.empty()) EXPECT_EQ(Text(back, f.Syntax), f.Text);
  }
}

TEST(Placeholder, UnknownClassesStillRaiseUnlessAsked) {
  TStringStream in(Binary("object Form1: TNowhere\nend\n"));
  TReader r(&in, 4096);
  EXPECT_THROW(r.ReadRootComponent(nullptr), EClassNotFound);
}
