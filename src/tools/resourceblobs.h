// Named binary resources of a module (the data a module carries with it), kept in a registry.
#pragma once

#include "basert/exceptions.h"
#include "basert/types.h"

#include <map>
#include <optional>
#include <string_view>
#include <utility>

namespace fw {

// Resource strings.
inline constexpr std::string_view sResNotFound = "Resource %s not found";

class EResNotFound : public Exception {
  using Exception::Exception;
};

/// Resources by module and name; both compared ignoring case. A module registers its
/// resources when it loads and removes them when it unloads.
class TResourceBlobs {
public:
  /// Adds or replaces a resource.
  void Add(std::string_view module, std::string_view name, String data);
  /// Answers whether it was there.
  bool Remove(std::string_view module, std::string_view name);
  /// Removes every resource of a module.
  void RemoveModule(std::string_view module);
  /// A copy of the resource's bytes, or nothing.
  std::optional<String> Find(std::string_view module, std::string_view name) const;
  /// The resource's bytes; raises EResNotFound "Resource %s not found" with the name.
  String Load(std::string_view module, std::string_view name) const;

private:
  std::map<std::pair<String, String>, String> FBlobs; // keys upper-cased
};

/// The process-wide registry.
TResourceBlobs& ResourceBlobs();

} // namespace fw
