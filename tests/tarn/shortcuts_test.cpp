#include "tarn/shortcuts.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(ShortCuts, TextRoundTripsForEveryOfferedKind) {
  const struct {
    Word key;
    TShiftState shift;
    const char* text;
  } cases[] = {
      {'S', {ssCtrl}, "Ctrl+S"},
      {'A', {ssCtrl, ssAlt}, "Ctrl+Alt+A"},
      {VK_F1 + 11, {}, "F12"},
      {VK_F1, {ssShift, ssCtrl}, "Shift+Ctrl+F1"},
      {VK_INSERT, {ssShift}, "Shift+Ins"},
      {VK_DELETE, {ssCtrl}, "Ctrl+Del"},
      {VK_BACK, {ssShift, ssAlt}, "Shift+Alt+BkSp"},
      {'7', {ssAlt}, "Alt+7"},
      {VK_NUMPAD0 + 3, {}, "Num 3"},
  };
  for (const auto& c : cases) {
    const TShortCut sc = ShortCut(c.key, c.shift);
    EXPECT_EQ(ShortCutToText(sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), sc) << c.text;
    Word key;
    TShiftState shift;
    ShortCutToKey(sc, key, shift);
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(shift, c.shift);
  }
  EXPECT_EQ(ShortCut('S', {ssCtrl}), TShortCut(16467));
}

TEST(ShortCuts, ReadingIsLenientButRejectsWhatIsNotAShortcut) {
  EXPECT_EQ(TextToShortCut("ctrl+shift+f1"), ShortCut(VK_F1, {ssShift, ssCtrl}));
  EXPECT_EQ(TextToShortCut("Alt+Backspace"), ShortCut(VK_BACK, {ssAlt}));
  EXPECT_EQ(TextToShortCut("del"), ShortCut(VK_DELETE, {}));
  for (const char* bad : {"", "Ctrl+", "Ctrl", "Hyper+A", "F25", "F0", "Ctrl+AB", "F$1", "+"})
    EXPECT_EQ(TextToShortCut(bad), TShortCut(0)) << bad;
  EXPECT_EQ(ShortCutToText(TShortCut(0)), "");
  EXPECT_EQ(ShortCutToText(TShortCut(scCtrl | 0xFF)), ""); // a key without a name
}
