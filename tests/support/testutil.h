// Small helpers several test folders share.
#pragma once

#include "basert/exceptions.h"
#include "basert/strings.h"

#include <string_view>
#include <vector>

namespace fwtest {

/// The message of the E that `run` raises (other exceptions pass through), or "nothing raised".
template <class E = fw::Exception, class F> fw::String MessageOf(F&& run) {
  try {
    run();
  } catch (const E& e) {
    return e.Message();
  }
  return "nothing raised";
}

/// The first of `parts` that `text` lacks, or "" when it holds them all.
inline fw::String Missing(std::string_view text, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts)
    if (text.find(p) == std::string_view::npos) return fw::String(p);
  return {};
}

inline std::vector<fw::String> Lines(const fw::TStrings& s) {
  std::vector<fw::String> v;
  for (fw::Integer i = 0; i < s.Count(); ++i)
    v.push_back(s.Get(i));
  return v;
}

} // namespace fwtest
