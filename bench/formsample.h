// A generated form for the conversion benchmarks, in the text form.
#pragma once

#include <string>

namespace fwbench {

// A form of `count` components: controls with integers, strings, identifiers, sets, floats,
// booleans, string lists, collections and small binary blobs, nested a few levels deep.
inline std::string GenerateFormText(int count) {
  std::string s = "object MainForm: TMainForm\r\n  Left = 0\r\n  Caption = 'Generated'\r\n";
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    s += "  object Control" + n + ": TControlKind" + std::to_string(i % 7) + "\r\n";
    s += "    Left = " + std::to_string(i * 8 % 1000) + "\r\n";
    s += "    Top = " + std::to_string(i * 13 % 700) + "\r\n";
    s += "    Width = " + std::to_string(75 + i % 50) + "\r\n";
    s += "    Tag = " + std::to_string(i * 100003LL) + "\r\n";
    s += "    Caption = 'Control number " + n + " it''s here'\r\n";
    s += "    Color = clBtnFace\r\n";
    s += "    Anchors = [akLeft, akTop, akRight]\r\n";
    s += "    Visible = True\r\n";
    s += "    Ratio = 0." + std::to_string(i % 97 + 1) + "\r\n";
    s += "    OnClick = Control" + n + "Click\r\n";
    if (i % 4 == 0)
      s += "    Items.Strings = (\r\n      'first'\r\n      'second'#13#10'line'\r\n      "
           "'caf'#233)\r\n";
    if (i % 5 == 0)
      s += "    Columns = <\r\n      item\r\n        Width = 64\r\n        Title = 'A'\r\n      "
           "end\r\n"
           "      item\r\n        Width = 80\r\n      end>\r\n";
    if (i % 10 == 0) s += "    Glyph.Data = {\r\n      0102030405060708090A0B0C0D0E0F10}\r\n";
    s += "  end\r\n";
  }
  s += "end\r\n";
  return s;
}

} // namespace fwbench
