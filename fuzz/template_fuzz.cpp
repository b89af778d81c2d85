// Fuzzes the template filter: tag scanning, argument tokens, conditions and foreach blocks.
#include "basert/exceptions.h"
#include "tools/templatefilter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

fw::IPtr<fw::ICollectionProperty> Collection(int n) {
  auto c = fw::CoCollectionProperty::Create();
  for (int i = 0; i < n; ++i) {
    auto item = fw::CoPropertyValues::Create();
    item->SetProperty("Name", fw::Variant("item" + std::to_string(i)));
    item->SetCollectionProperty("Kids", c); // a cycle through the items' own collection
    c->AddItem(item);
  }
  return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Every block over two items doubles the output; keep runs short.
  std::size_t blocks = 0;
  for (auto p = text.find("foreach"); p != std::string_view::npos; p = text.find("foreach", p + 1))
    ++blocks;
  if (blocks > 12) return 0;

  fw::SplitTagArguments(text);
  auto filter = fw::CoExpertFilter::Create();
  filter->SetProperty("Flag", true);
  filter->SetProperty("Name", "Unit1");
  const fw::IPtr<fw::ICollectionProperty> colls[] = {Collection(1), Collection(2)};
  filter->SetCollectionProperty("One", colls[0]);
  filter->SetCollectionProperty("Two", colls[1]);
  try {
    filter->Filter(fw::CoTextLineProvider::Create(fw::String(text)), "fuzz");
  } catch (const fw::Exception&) {
  }
  // Break the cycles the collections were given, so that nothing leaks.
  for (const auto& c : colls)
    for (int i = 0; i < c->GetItemCount(); ++i)
      c->GetItem(i)->ClearProperties();
  return 0;
}
