// The renames made while components are read into a module: old name -> new name, components
// and handlers alike, in the order they happened.
#pragma once

#include "basert/sysutils.h"
#include "basert/types.h"

#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fw {

struct TRenameItem {
  String OldName;
  String NewName;
};

class TRenames {
public:
  void Add(const String& oldName, const String& newName) {
    FFirst.try_emplace(oldName, FList.size());
    FFirstExact.try_emplace(oldName, FList.size());
    FList.push_back({oldName, newName});
  }
  /// `name` becomes the new name of the first rename of it (ignoring case); unchanged when
  /// there is none.
  void Rename(String& name) const {
    const auto it = FFirst.find(name);
    if (it != FFirst.end()) name = FList[it->second].NewName;
  }
  /// The index of the first rename whose old name is `name` exactly, case included; -1 when
  /// there is none.
  Integer IndexOfExact(std::string_view name) const {
    const auto it = FFirstExact.find(name);
    return it == FFirstExact.end() ? -1 : static_cast<Integer>(it->second);
  }
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  const TRenameItem& Items(Integer index) const {
    return FList.at(static_cast<std::size_t>(index));
  }

private:
  std::vector<TRenameItem> FList;
  struct TExactHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
      return std::hash<std::string_view>{}(s);
    }
  };
  std::unordered_map<String, std::size_t, TextHash, TextEqual> FFirst;
  std::unordered_map<String, std::size_t, TExactHash, std::equal_to<>> FFirstExact;
};

} // namespace fw
