#include "tools/resourceblobs.h"

#include "basert/format.h"
#include "basert/sysutils.h"

namespace fw {

namespace {
std::pair<String, String> Key(std::string_view module, std::string_view name) {
  return {UpperCase(module), UpperCase(name)};
}
} // namespace

void TResourceBlobs::Add(std::string_view module, std::string_view name, String data) {
  FBlobs[Key(module, name)] = std::move(data);
}

bool TResourceBlobs::Remove(std::string_view module, std::string_view name) {
  return FBlobs.erase(Key(module, name)) != 0;
}

void TResourceBlobs::RemoveModule(std::string_view module) {
  const String m = UpperCase(module);
  for (auto it = FBlobs.lower_bound({m, String()}); it != FBlobs.end() && it->first.first == m;)
    it = FBlobs.erase(it);
}

std::optional<String> TResourceBlobs::Find(std::string_view module, std::string_view name) const {
  auto it = FBlobs.find(Key(module, name));
  if (it == FBlobs.end()) return std::nullopt;
  return it->second;
}

String TResourceBlobs::Load(std::string_view module, std::string_view name) const {
  if (auto data = Find(module, name)) return std::move(*data);
  throw EResNotFound(Format(sResNotFound, name));
}

TResourceBlobs& ResourceBlobs() {
  static TResourceBlobs blobs;
  return blobs;
}

} // namespace fw
