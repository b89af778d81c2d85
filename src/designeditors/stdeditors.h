// The standard property editor classes that the registry picks by type kind. Only their
// places in the class tree exist so far; their values, lists and attributes come later.
#pragma once

#include "designeditors/propedit.h"

namespace fw {

class TOrdinalProperty : public TPropertyEditor {
  FW_CLASS(TOrdinalProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TIntegerProperty : public TOrdinalProperty {
  FW_CLASS(TIntegerProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
};

class TCharProperty : public TOrdinalProperty {
  FW_CLASS(TCharProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
};

class TEnumProperty : public TOrdinalProperty {
  FW_CLASS(TEnumProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
};

class TSetProperty : public TOrdinalProperty {
  FW_CLASS(TSetProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
};

class TWideCharProperty : public TOrdinalProperty {
  FW_CLASS(TWideCharProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
};

class TInt64Property : public TPropertyEditor {
  FW_CLASS(TInt64Property)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TFloatProperty : public TPropertyEditor {
  FW_CLASS(TFloatProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TStringProperty : public TPropertyEditor {
  FW_CLASS(TStringProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TClassProperty : public TPropertyEditor {
  FW_CLASS(TClassProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TMethodProperty : public TPropertyEditor {
  FW_CLASS(TMethodProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TWideStringProperty : public TPropertyEditor {
  FW_CLASS(TWideStringProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TVariantProperty : public TPropertyEditor {
  FW_CLASS(TVariantProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TComponentProperty : public TPropertyEditor {
  FW_CLASS(TComponentProperty)
public:
  using TPropertyEditor::TPropertyEditor;
};

class TInterfaceProperty : public TComponentProperty {
  FW_CLASS(TInterfaceProperty)
public:
  using TComponentProperty::TComponentProperty;
};

} // namespace fw
