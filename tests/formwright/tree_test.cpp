// The tree command: nested children keep the order the form file gives them, and the shipped
// example reads without a skipped property.
#include "hostrun.h"

#include <gtest/gtest.h>

namespace {

using namespace fwtest;

struct Tree : HostRun {};

TEST_F(Tree, NestedChildrenKeepTheirFileOrder) {
  const fs::path form = Dir / "nested.fwf";
  std::ofstream(form) << "object NestForm: TNestForm\n  Caption = 'Nested'\n"
                         "  object Outer: TPanel\n"
                         "    object First: TButton\n"
                         "    end\n"
                         "    object Inner: TPanel\n"
                         "      object InnerA: TLabel\n"
                         "      end\n"
                         "      object InnerB: TEdit\n"
                         "      end\n"
                         "      object InnerC: TCheckBox\n"
                         "      end\n"
                         "    end\n"
                         "    object Last: TMemo\n"
                         "    end\n"
                         "  end\n"
                         "  object Alone: TButton\n"
                         "  end\n"
                         "end\n";
  const TRun r = Run({"tree", form.string()});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "NestForm\n"
                   "  Outer\n"
                   "    First\n"
                   "    Inner\n"
                   "      InnerA\n"
                   "      InnerB\n"
                   "      InnerC\n"
                   "    Last\n"
                   "  Alone\n");
}

TEST_F(Tree, ShippedMainFormReadsCleanly) {
  const TRun r = Run({"tree", FW_TEST_DATA_DIR "/../../examples/forms/mainform.fwf"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find("  ToolBar\n    NewButton\n    SearchEdit\n"), std::string::npos) << r.Out;
}

} // namespace
