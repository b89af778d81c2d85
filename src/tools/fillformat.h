// Fills the "%s" and "%d" placeholders of a message with ready-made texts, in order.
#pragma once

#include "basert/types.h"

#include <initializer_list>
#include <string_view>

namespace fw::detail {

/// Each "%s" or "%d" takes the next text of `args`; placeholders past the last text are kept.
inline String FillFormat(std::string_view fmt, std::initializer_list<std::string_view> args) {
  String out;
  out.reserve(fmt.size() + 32);
  auto next = args.begin();
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] == '%' && i + 1 < fmt.size() && (fmt[i + 1] == 's' || fmt[i + 1] == 'd') &&
        next != args.end()) {
      out.append(*next++);
      ++i;
    } else {
      out.push_back(fmt[i]);
    }
  }
  return out;
}

} // namespace fw::detail
