#include "designeditors/stdeditors.h"

namespace fw {

TClass TOrdinalProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOrdinalProperty, TPropertyEditor>("TOrdinalProperty", "DesignEditors").Build();
  return cls;
}

TClass TIntegerProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TIntegerProperty, TOrdinalProperty>("TIntegerProperty", "DesignEditors")
          .Build();
  return cls;
}

TClass TCharProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCharProperty, TOrdinalProperty>("TCharProperty", "DesignEditors").Build();
  return cls;
}

TClass TEnumProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEnumProperty, TOrdinalProperty>("TEnumProperty", "DesignEditors").Build();
  return cls;
}

TClass TSetProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSetProperty, TOrdinalProperty>("TSetProperty", "DesignEditors").Build();
  return cls;
}

TClass TWideCharProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWideCharProperty, TOrdinalProperty>("TWideCharProperty", "DesignEditors")
          .Build();
  return cls;
}

TClass TInt64Property::StaticClass() {
  static const TClass cls =
      TClassBuilder<TInt64Property, TPropertyEditor>("TInt64Property", "DesignEditors").Build();
  return cls;
}

TClass TFloatProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFloatProperty, TPropertyEditor>("TFloatProperty", "DesignEditors").Build();
  return cls;
}

TClass TStringProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TStringProperty, TPropertyEditor>("TStringProperty", "DesignEditors").Build();
  return cls;
}

TClass TClassProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TClassProperty, TPropertyEditor>("TClassProperty", "DesignEditors").Build();
  return cls;
}

TClass TMethodProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMethodProperty, TPropertyEditor>("TMethodProperty", "DesignEditors").Build();
  return cls;
}

TClass TWideStringProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWideStringProperty, TPropertyEditor>("TWideStringProperty", "DesignEditors")
          .Build();
  return cls;
}

TClass TVariantProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TVariantProperty, TPropertyEditor>("TVariantProperty", "DesignEditors").Build();
  return cls;
}

TClass TComponentProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentProperty, TPropertyEditor>("TComponentProperty", "DesignEditors")
          .Build();
  return cls;
}

TClass TInterfaceProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TInterfaceProperty, TComponentProperty>("TInterfaceProperty", "DesignEditors")
          .Build();
  return cls;
}

} // namespace fw
