#include "basert/intflist.h"

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/format.h"

#include <utility>

namespace fw {

TClass TInterfaceList::StaticClass() {
  static const TClass cls =
      TClassBuilder<TInterfaceList, TInterfacedObject>("TInterfaceList", "Classes")
          .Implements<IInterfaceList>()
          .Build();
  return cls;
}

namespace {
// Interfaces are the same object when their IInterface identities match.
IInterface* Identity(const IPtr<IInterface>& p) { return QueryIntf<IInterface>(p).get(); }
} // namespace

void TInterfaceList::Check(Integer index, Integer limit) const {
  if (index < 0 || index >= limit) throw EListError(Format(sListIndexError, index));
}

IPtr<IInterface> TInterfaceList::Get(Integer index) {
  Check(index, GetCount());
  return FList[static_cast<std::size_t>(index)];
}

void TInterfaceList::Put(Integer index, const IPtr<IInterface>& item) {
  Check(index, GetCount());
  FList[static_cast<std::size_t>(index)] = item;
}

void TInterfaceList::Delete(Integer index) {
  Check(index, GetCount());
  FList.erase(FList.begin() + index);
}

void TInterfaceList::Exchange(Integer index1, Integer index2) {
  Check(index1, GetCount());
  Check(index2, GetCount());
  std::swap(FList[static_cast<std::size_t>(index1)], FList[static_cast<std::size_t>(index2)]);
}

Integer TInterfaceList::IndexOf(const IPtr<IInterface>& item) {
  IInterface* id = Identity(item);
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (Identity(FList[i]) == id) return static_cast<Integer>(i);
  return -1;
}

Integer TInterfaceList::Add(const IPtr<IInterface>& item) {
  FList.push_back(item);
  return GetCount() - 1;
}

void TInterfaceList::Insert(Integer index, const IPtr<IInterface>& item) {
  Check(index, GetCount() + 1);
  FList.insert(FList.begin() + index, item);
}

Integer TInterfaceList::Remove(const IPtr<IInterface>& item) {
  Integer i = IndexOf(item);
  if (i >= 0) Delete(i);
  return i;
}

} // namespace fw
