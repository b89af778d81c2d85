// Ini parser: any bytes parse without harm, and what is written back parses to the same content.
#include "basert/inifiles.h"
#include "basert/strings.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace fw;

namespace {

// Everything a reader can observe: sections in order with their key=value lines, and the text.
String Observed(const TMemIniFile& ini) {
  String r;
  TStringList sections, values, lines;
  ini.ReadSections(sections);
  for (Integer i = 0; i < sections.Count(); ++i) {
    ini.ReadSectionValues(sections[i], values);
    r += "[" + sections[i] + "]\n" + values.Text();
  }
  ini.GetStrings(lines);
  return r + "--\n" + lines.Text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TStringList input;
  input.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  TMemIniFile first;
  first.SetStrings(input);

  TStringList written;
  first.GetStrings(written);
  TStringList reread;
  reread.LoadFromBytes(written.Text());
  TMemIniFile second;
  second.SetStrings(reread);

  if (Observed(first) != Observed(second)) std::abort();
  return 0;
}
