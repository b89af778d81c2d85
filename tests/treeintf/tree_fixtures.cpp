#include "tree_fixtures.h"

namespace fwtest {

TClass TTestItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestItem, TCollectionItem>("TTestItem", "TreeTests").Build();
  return cls;
}

TClass TTestControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestControl, TComponent>("TTestControl", "TreeTests")
          .Property("Parent", &TTestControl::GetParent, &TTestControl::SetParent)
          .ReadOnly("Items", &TTestControl::GetItems)
          .Build();
  return cls;
}

TClass TTestButton::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestButton, TTestControl>("TTestButton", "TreeTests").Build();
  return cls;
}

TClass TTestBitBtn::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestBitBtn, TTestButton>("TTestBitBtn", "TreeTests").Build();
  return cls;
}

TClass TTestControlSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestControlSprig, TComponentSprig>("TTestControlSprig", "TreeTests").Build();
  return cls;
}

TClass TTestButtonSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTestButtonSprig, TTestControlSprig>("TTestButtonSprig", "TreeTests").Build();
  return cls;
}

TClass TTreeDesigner::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTreeDesigner, TTestDesigner>("TTreeDesigner", "TreeTests")
          .Implements<IEditHandler>()
          .Build();
  return cls;
}

TClass TRecordingView::StaticClass() {
  static const TClass cls =
      TClassBuilder<TRecordingView, TInterfacedObject>("TRecordingView", "TreeTests")
          .Implements<ISprigTreeView, ISprigDesigner>()
          .Build();
  return cls;
}

} // namespace fwtest
