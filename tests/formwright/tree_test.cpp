// The tree command on nested controls: children keep the order the form file gives them.
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

// Sheets are the page control's children in page order, each with its own controls.
TEST_F(Tree, PageControlsShowTheirSheets) {
  const TRun r = Run({"tree", FW_TEST_DATA_DIR "/forms/pages.fwf"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "PagesForm\n"
                   "  Pages\n"
                   "    General\n"
                   "      NameEdit\n"
                   "    Options\n"
                   "      Verbose\n");
}

// A frame placed on the form holds its own components: they show under it, in the frame's order,
// nested by parent as the form's own are.
TEST_F(Tree, PlacedFrameShowsWhatItHolds) {
  const TRun r = Run({"tree", kExamples + "editorderform.fwf"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "EditOrderForm\n"
                   "  ButtonPanel\n"
                   "    OKButton\n"
                   "    CancelButton\n"
                   "  CustomerPanel\n"
                   "    CustomerLabel\n"
                   "    CustomerEdit\n"
                   "  AddressFrame\n"
                   "    StreetLabel\n"
                   "    CityLabel\n"
                   "    StreetEdit\n"
                   "    CityEdit\n"
                   "  NotesMemo\n");
}

} // namespace
