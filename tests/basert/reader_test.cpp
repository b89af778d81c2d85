#include "basert/datamodule.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "test_classes.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

/// Reads `text` into `root`, handling every error; answers the messages.
std::vector<String> ReadHandling(const std::string& text, TComponent* root) {
  TStringStream in(text);
  TMemoryStream binary;
  ObjectTextToBinary(in, binary);
  binary.SetPosition(0);
  std::vector<String> errors;
  TReader r(&binary, 64);
  r.OnError = [&](TReader*, const String& message, bool& handled) {
    errors.push_back(message);
    handled = true;
  };
  r.ReadRootComponent(root);
  return errors;
}

} // namespace

// A value refused halfway through (or by the object that streams it itself) is skipped whole,
// so that the next property is read from its own name.
TEST(Reader, AHandledErrorSkipsTheWholeValue) {
  const std::vector<std::string> refused = {
      "Colors = [ckRed, ckViolet, ckBlue]",           // set element unknown after a good one
      "Double = 'text'",                              // float given a string
      "Buddy = <\n    item\n      Int = 1\n    end>", // collection where a reference goes
      "Any = [ckRed]",                                // variant given a set
      "Font = (\n    1\n    2)",                      // object given a list
      "Nowhere.Deep = 'x'",                           // path through a missing property
      "Int = 'seven'",
  };
  for (const std::string& bad : refused) {
    SCOPED_TRACE(bad);
    TOwned<TSample> root(New<TSample>(nullptr));
    const auto errors = ReadHandling(
        "object S: TSample\n  " + bad + "\n  Int = 7\n  Caption = 'after'\nend\n", root.get());
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(root->FInt, 7);
    EXPECT_EQ(root->FCaption, "after");
  }
  TOwned<TDataModule> module(New<TDataModule>(nullptr));
  const auto errors = ReadHandling(
      "object M: TDataModule\n  Height = 'tall'\n  HorizontalOffset = 7\nend\n", module.get());
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(module->DesignOffset().X, 7);
}
