#include "host/hostmenu.h"

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/sysutils.h"

#include <algorithm>

namespace fw {

TClass THostMenuItem::StaticClass() {
  static const TClass cls = TClassBuilder<THostMenuItem, TInterfacedObject>("THostMenuItem", "Host")
                                .Implements<IMenuItems, IMenuItem, IMenuItem2>()
                                .Build();
  return cls;
}

String THostMenuItem::Describe(int indent) const {
  String out;
  for (const auto& item : FItems) {
    out.append(static_cast<std::size_t>(indent) * 2, ' ');
    if (item->IsLine)
      out += "-";
    else if (item->ActionComponent)
      out += "[" + item->ActionComponent->Name() + "]";
    else
      out += item->Caption;
    out += "\n";
    out += item->Describe(indent + 1);
  }
  return out;
}

bool THostMenuItem::SameAs(const IPtr<IInterface>& item) {
  return QueryIntf<IInterface>(item).get() == static_cast<IInterface*>(this);
}

IPtr<IMenuItem> THostMenuItem::Find(const String& caption) {
  for (auto& item : FItems)
    if (SameText(item->Caption, caption)) return IPtr<IMenuItem>(item.get());
  return nullptr;
}

IPtr<IMenuItem> THostMenuItem::FindByName(const String& name) {
  for (auto& item : FItems)
    if (SameText(item->Name, name)) return IPtr<IMenuItem>(item.get());
  return nullptr;
}

IPtr<IMenuItem> THostMenuItem::Items(Integer index) {
  if (index < 0 || index >= Count()) throw EListError(Format(sListIndexError, index));
  return IPtr<IMenuItem>(FItems[static_cast<std::size_t>(index)].get());
}

IPtr<IMenuItem> THostMenuItem::Insert(Integer index, IPtr<THostMenuItem> item) {
  index = std::clamp(index, 0, Count());
  FItems.insert(FItems.begin() + index, item);
  return IPtr<IMenuItem>(item.get());
}

IPtr<IMenuItem> THostMenuItem::AddItem(const String& caption, Integer shortCut, bool checked,
                                       bool enabled, const TMenuClickProc& onClick,
                                       const String& hint, const String& name) {
  return InsertItem(Count(), caption, shortCut, checked, enabled, onClick, hint, name);
}

IPtr<IMenuItem> THostMenuItem::AddActionItem(TComponent* action, const String& name) {
  return InsertActionItem(Count(), action, name);
}

IPtr<IMenuItem> THostMenuItem::InsertItem(Integer index, const String& caption, Integer shortCut,
                                          bool checked, bool enabled, const TMenuClickProc& onClick,
                                          const String& hint, const String& name) {
  IPtr<THostMenuItem> item(New<THostMenuItem>(this));
  item->Caption = caption;
  item->ShortCut = shortCut;
  item->Checked = checked;
  item->Enabled = enabled;
  item->OnClick = onClick;
  item->Hint = hint;
  item->Name = name;
  return Insert(index, item);
}

IPtr<IMenuItem> THostMenuItem::InsertActionItem(Integer index, TComponent* action,
                                                const String& name) {
  IPtr<THostMenuItem> item(New<THostMenuItem>(this));
  item->ActionComponent = action;
  item->Caption = action ? action->Name() : String();
  item->Name = name;
  return Insert(index, item);
}

IPtr<IMenuItem> THostMenuItem::AddLine(const String& name) { return InsertLine(Count(), name); }

IPtr<IMenuItem> THostMenuItem::InsertLine(Integer index, const String& name) {
  IPtr<THostMenuItem> item(New<THostMenuItem>(this));
  item->IsLine = true;
  item->Caption.assign(1, '-'); // not = "-": GCC 12 warns falsely about that copy
  item->Name = name;
  return Insert(index, item);
}

void THostMenuItem::Remove(const IPtr<IMenuItem>& item) {
  Integer i = IndexOf(item);
  if (i >= 0) FItems.erase(FItems.begin() + i);
}

Integer THostMenuItem::IndexOf(const IPtr<IMenuItem>& item) {
  for (std::size_t i = 0; i < FItems.size(); ++i)
    if (static_cast<IMenuItem*>(FItems[i].get()) == item.get()) return static_cast<Integer>(i);
  return -1;
}

IPtr<IMenuItem> THostMenuItem::Parent() { return IPtr<IMenuItem>(FParent); }

void THostMenuItem::Click() {
  if (OnClick) OnClick(this);
}

} // namespace fw
