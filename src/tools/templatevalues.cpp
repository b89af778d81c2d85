#include "tools/templatevalues.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/sysutils.h"

#include <unordered_set>

namespace fw {

namespace {

[[noreturn]] void RaiseIndexError(Integer index) {
  throw EListError(Format(sListIndexError, index));
}

} // namespace

IPtr<ICollectionProperty> VarToCollection(const Variant& v) {
  if (v.VarType() != varUnknown && v.VarType() != varDispatch) return nullptr;
  return QueryIntf<ICollectionProperty>(v.AsInterface());
}

String PropertyValueText(const Variant& v) {
  if (v.VarType() == varUnknown || v.VarType() == varDispatch) return String();
  return VarToStr(v);
}

// --- TPropertyValues ---

TClass TPropertyValues::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPropertyValues, TInterfacedObject>("TPropertyValues", "ExpertFilter")
          .Implements<IPropertyValues>()
          .Build();
  return cls;
}

void TPropertyValues::SetProperty(std::string_view name, const Variant& value) {
  if (auto it = FIndex.find(name); it != FIndex.end()) {
    PropValue& p = FValues[it->second];
    p.Name = String(name);
    p.Value = value;
    return;
  }
  // Grow five entries at a time, as the bag always has.
  if (FValues.size() == FValues.capacity()) FValues.reserve(FValues.size() + 5);
  FValues.push_back({String(name), value});
  FIndex.emplace(String(name), FValues.size() - 1);
}

void TPropertyValues::SetCollectionProperty(std::string_view name,
                                            IPtr<ICollectionProperty> value) {
  SetProperty(name, value ? Variant(value) : Variant());
}

Variant TPropertyValues::GetProperty(Integer index) {
  if (index < 0 || index >= GetPropertyCount()) RaiseIndexError(index);
  return FValues[static_cast<std::size_t>(index)].Value;
}

String TPropertyValues::GetPropertyKey(Integer index) {
  if (index < 0 || index >= GetPropertyCount()) RaiseIndexError(index);
  return FValues[static_cast<std::size_t>(index)].Name;
}

const Variant* TPropertyValues::FindOwn(std::string_view name) const {
  auto it = FIndex.find(name);
  return it == FIndex.end() ? nullptr : &FValues[it->second].Value;
}

bool TPropertyValues::RemoveProperty(std::string_view name) {
  auto it = FIndex.find(name);
  if (it == FIndex.end()) return false;
  const std::size_t at = it->second;
  FIndex.erase(it);
  FValues.erase(FValues.begin() + static_cast<std::ptrdiff_t>(at));
  for (auto& [key, pos] : FIndex)
    if (pos > at) --pos;
  return true;
}

Variant TPropertyValues::GetProperty(std::string_view name) {
  // Walks "A.B.C" through the current items of nested collections without recursing, so a
  // long dotted name costs no stack.
  IPtr<IPropertyValues> holder; // keeps a foreign bag alive while it is read
  TPropertyValues* values = this;
  for (;;) {
    const auto dot = name.find('.');
    if (dot == std::string_view::npos) break;
    const Variant* head = values->FindOwn(name.substr(0, dot));
    IPtr<ICollectionProperty> coll = head ? VarToCollection(*head) : nullptr;
    IPtr<IPropertyValues> item = coll ? coll->GetCurrentItem() : nullptr;
    if (!item) break;
    name.remove_prefix(dot + 1);
    auto* own = dynamic_cast<TPropertyValues*>(item.get());
    if (!own) return item->GetProperty(name);
    holder = item;
    values = own;
  }
  const Variant* v = values->FindOwn(name);
  return v ? *v : Variant();
}

// --- TCollectionProperty ---

TClass TCollectionProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCollectionProperty, TInterfacedObject>("TCollectionProperty", "ExpertFilter")
          .Implements<ICollectionProperty, IIterationTarget>()
          .Build();
  return cls;
}

IPtr<IPropertyValues> TCollectionProperty::GetItem(Integer index) {
  if (index < 0 || index >= GetItemCount()) RaiseIndexError(index);
  return FItems[static_cast<std::size_t>(index)];
}

IPtr<IPropertyValues> TCollectionProperty::GetCurrentItem() {
  if (!FCounter) return nullptr;
  const Integer i = FCounter->GetCurrentIteration();
  if (i < 0 || i >= GetItemCount()) return nullptr;
  return FItems[static_cast<std::size_t>(i)];
}

IPtr<IIterationCounter> TCollectionProperty::SetIterationCounter(IPtr<IIterationCounter> counter) {
  std::swap(FCounter, counter);
  return counter;
}

IPtr<IPropertyValues> CoPropertyValues::Create() {
  return IPtr<IPropertyValues>(new TPropertyValues);
}

IPtr<ICollectionProperty> CoCollectionProperty::Create() {
  return IPtr<ICollectionProperty>(new TCollectionProperty);
}

// --- dump ---

namespace {

// One bag being listed: where it is in its list of names.
struct TDumpFrame {
  IPtr<IPropertyValues> Values;
  Integer Index;
  int Level;
  // The collection being listed at this frame's current name, and its next item.
  IPtr<ICollectionProperty> Coll;
  Integer Item;
};

} // namespace

String DumpPropertyValues(const IPtr<IPropertyValues>& root) {
  // Explicit stack: nesting comes from data, and a deep structure must not exhaust the stack.
  String out;
  std::vector<TDumpFrame> stack;
  std::unordered_set<ICollectionProperty*> open;
  if (root) stack.push_back({root, 0, 0, nullptr, 0});
  while (!stack.empty()) {
    TDumpFrame& f = stack.back();
    if (f.Coll) {
      if (f.Item < f.Coll->GetItemCount()) {
        const Integer i = f.Item++;
        out += "\r\n";
        out.append(static_cast<std::size_t>(f.Level) * 2, ' ');
        out += '<';
        out += std::to_string(i);
        out += ">\r\n";
        IPtr<IPropertyValues> item = f.Coll->GetItem(i);
        const int level = f.Level + 1;
        if (item) stack.push_back({item, 0, level, nullptr, 0});
        continue;
      }
      open.erase(f.Coll.get());
      f.Coll = nullptr;
      ++f.Index;
      continue;
    }
    if (f.Index >= f.Values->GetPropertyCount()) {
      stack.pop_back();
      continue;
    }
    if (f.Index > 0) out += "\r\n";
    out.append(static_cast<std::size_t>(f.Level) * 2, ' ');
    out += f.Values->GetPropertyKey(f.Index);
    out += '=';
    const Variant v = f.Values->GetProperty(f.Index);
    IPtr<ICollectionProperty> coll = VarToCollection(v);
    if (coll && open.insert(coll.get()).second) {
      f.Coll = coll;
      f.Item = 0;
      continue;
    }
    out += PropertyValueText(v);
    ++f.Index;
  }
  return out;
}

} // namespace fw
