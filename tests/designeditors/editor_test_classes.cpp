#include "editor_test_classes.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"

namespace fwtest {

IPtr<IDesignerSelections> Selection(std::initializer_list<TPersistent*> objects) {
  IPtr<IDesignerSelections> sel = CreateSelectionList();
  for (TPersistent* o : objects)
    sel->Add(o);
  return sel;
}

std::vector<String> NamesOf(const std::vector<IPtr<IProperty>>& editors) {
  std::vector<String> names;
  for (auto& e : editors)
    names.push_back(e->GetName());
  return names;
}

PTypeInfo TypeInfoOf(std::type_identity<IPtr<IShape>>) {
  static PTypeInfo t =
      MakeInterfaceType("IShape", IShape::IID, TypeInfo<IPtr<IInterface>>(), "EditorTests");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<IPtr<ICircle>>) {
  static PTypeInfo t =
      MakeInterfaceType("ICircle", ICircle::IID, TypeInfo<IPtr<IShape>>(), "EditorTests");
  return t;
}
PTypeInfo TypeInfoTColor() {
  static PTypeInfo t = MakeOrdinalType("TColor", kindInteger, otSLong, -2147483647 - 1, 2147483647);
  return t;
}

TClass TFontLike::StaticClass() {
  static const TClass cls = TClassBuilder<TFontLike, TPersistent>("TFontLike", "EditorTests")
                                .Property("Name", &TFontLike::FName, &TFontLike::FName)
                                .Property("Size", &TFontLike::FSize, &TFontLike::FSize)
                                .Default(8)
                                .Build();
  return cls;
}

TClass TWidget::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWidget, TComponent>("TWidget", "EditorTests")
          .Property("Caption", &TWidget::FCaption, &TWidget::FCaption)
          .Property("Width", &TWidget::FWidth, &TWidget::FWidth)
          .Default(10)
          .Stored(&TWidget::IsWidthStored)
          .Property("Color", &TypeInfoTColor, &TWidget::FColor, &TWidget::FColor)
          .Property("Limited", &TWidget::GetLimited, &TWidget::SetLimited)
          .Property("OnClick", &TWidget::FOnClick, &TWidget::FOnClick)
          .Property("Font", &TWidget::FFont, nullptr)
          .Property("Buddy", &TWidget::FBuddy, &TWidget::FBuddy)
          .Property("Peer", &TWidget::FPeer, &TWidget::FPeer)
          .Property("Shape", &TWidget::FShape, &TWidget::FShape)
          .Property("Circle", &TWidget::FCircle, &TWidget::FCircle)
          .ReadOnly("Info", &TWidget::GetInfo)
          .WriteOnly<Integer>("Secret", &TWidget::SetSecret)
          .Build();
  return cls;
}

TWidget::TWidget(TComponent* owner) : TComponent(owner), FFont(New<TFontLike>()) {}
TWidget::~TWidget() { FFont->Free(); }

void TWidget::SetLimited(Integer v) {
  ++Writes;
  if (v > 100) throw ERangeError("Limited must not exceed 100");
  FLimited = v;
}

TClass TButton::StaticClass() { return PlainClass<TButton, TWidget>("TButton"); }

TClass TLabel::StaticClass() {
  static const TClass cls = TClassBuilder<TLabel, TComponent>("TLabel", "EditorTests")
                                .ReadOnly("Caption", &TLabel::GetCaption)
                                .Property("Width", &TLabel::FWidth, &TLabel::FWidth)
                                .Property("Alignment", &TLabel::FAlignment, &TLabel::FAlignment)
                                .Build();
  return cls;
}

TClass TOtherWidget::StaticClass() {
  static const TClass cls = [] {
    TClass c = TClassBuilder<TOtherWidget, TWidget>("TOtherWidget", "EditorTests").Build();
    StartClassGroup(c);
    return c;
  }();
  return cls;
}

TClass TEditorA::StaticClass() { return PlainClass<TEditorA, TPropertyEditor>("TEditorA"); }
TClass TEditorB::StaticClass() { return PlainClass<TEditorB, TPropertyEditor>("TEditorB"); }
TClass TEditorC::StaticClass() { return PlainClass<TEditorC, TPropertyEditor>("TEditorC"); }

int TCountedEditor::Live = 0;

TClass TCountedEditor::StaticClass() {
  return PlainClass<TCountedEditor, TPropertyEditor>("TCountedEditor");
}
TCountedEditor::TCountedEditor(const IPtr<IDesigner>& designer, Integer count)
    : TPropertyEditor(designer, count) {
  ++Live;
}
TCountedEditor::~TCountedEditor() { --Live; }
String TCountedEditor::GetValue() {
  PPropInfo p = GetPropInfo();
  if (p && p->ValueClass == TPropValueClass::String) return GetStrValue();
  if (p && p->ValueClass == TPropValueClass::Ordinal) return IntToStr(GetOrdValue());
  return "?";
}

TClass TSingleEditor::StaticClass() {
  return PlainClass<TSingleEditor, TCountedEditor>("TSingleEditor");
}

bool TFailingEditor::FailInConstructor = false;
bool TFailingEditor::FailInInitialize = false;
bool TFailingEditor::FailInGetValue = false;

TClass TFailingEditor::StaticClass() {
  return PlainClass<TFailingEditor, TCountedEditor>("TFailingEditor");
}
TFailingEditor::TFailingEditor(const IPtr<IDesigner>& designer, Integer count)
    : TCountedEditor(designer, count) {
  if (FailInConstructor) throw EInvalidOperation("constructor refused");
}
void TFailingEditor::Initialize() {
  if (FailInInitialize) throw EInvalidOperation("initialize refused");
}
String TFailingEditor::GetValue() {
  if (FailInGetValue) throw EInvalidOperation("value refused");
  return TCountedEditor::GetValue();
}

bool TTextEditor::Sorted = false;

TClass TTextEditor::StaticClass() { return PlainClass<TTextEditor, TCountedEditor>("TTextEditor"); }
void TTextEditor::GetValues(const TGetStrProc& proc) {
  for (const char* v : {"Gamma", "Alpha", "Beta"})
    proc(v);
}
TPropertyAttributes TTextEditor::GetAttributes() {
  TPropertyAttributes a = TPropertyEditor::GetAttributes() + paValueList;
  if (Sorted) a.Include(paSortList);
  return a;
}

} // namespace fwtest
