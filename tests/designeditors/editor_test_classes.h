// Components and property editors shared by the registry and editor-base tests.
#pragma once

#include "basert/classbuilder.h"
#include "basert/collection.h"
#include "basert/datamodule.h"
#include "designeditors/editorregistry.h"
#include "support/testdesigner.h"
#include "support/testutil.h"

#include <algorithm>

namespace fwtest {

using namespace fw;

using Strings = std::vector<String>;

/// A selection of the objects, in order.
IPtr<IDesignerSelections> Selection(std::initializer_list<TPersistent*> objects);
std::vector<String> NamesOf(const std::vector<IPtr<IProperty>>& editors);
inline bool Has(const Strings& names, const char* name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}
/// A named component.
template <class T> T* MakeNamed(TComponent* owner, const String& name) {
  T* c = New<T>(owner);
  c->SetName(name);
  return c;
}

/// The class record of a test class that publishes nothing beyond its base but interfaces.
template <class T, class Base, class... Intfs>
TClass PlainClass(const char* name, const char* unit = "EditorTests") {
  static const TClass cls =
      TClassBuilder<T, Base>(name, unit).template Implements<Intfs...>().Build();
  return cls;
}

struct IShape : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C2B61-5D0A-4E8E-9C5B-7C2F7E0B1A01}");
};
struct ICircle : IShape {
  static constexpr TGUID IID = TGUID::Parse("{3E0C2B61-5D0A-4E8E-9C5B-7C2F7E0B1A02}");
};
PTypeInfo TypeInfoOf(std::type_identity<IPtr<IShape>>);
PTypeInfo TypeInfoOf(std::type_identity<IPtr<ICircle>>);
/// A second integer type, so that type-based registrations can be told apart.
PTypeInfo TypeInfoTColor();

class TFontLike : public TPersistent {
  FW_CLASS(TFontLike)
public:
  String FName = "Tahoma";
  Integer FSize = 8;
};

/// The base of the test components: properties of most kinds.
class TWidget : public TComponent {
  FW_CLASS(TWidget)
public:
  explicit TWidget(TComponent* owner);
  ~TWidget() override;
  String FCaption;
  Integer FWidth = 10;
  Integer FColor = 0;
  Integer FLimited = 0; ///< the setter refuses values above 100
  TNotifyEvent FOnClick;
  TFontLike* FFont;
  TComponent* FBuddy = nullptr;
  TWidget* FPeer = nullptr;
  IPtr<IShape> FShape;
  IPtr<ICircle> FCircle;
  bool FStoreWidth = true;
  int Writes = 0; ///< calls of the Limited setter
  Integer FSecret = 0;
  void SetSecret(Integer v) { FSecret = v; }
  String GetInfo() const { return "info"; }
  Integer GetLimited() const { return FLimited; }
  void SetLimited(Integer v);
  bool IsWidthStored() const { return FStoreWidth; }
  /// Lets tests make ValueAvailable fail for Caption.
  void CheckAvailability(bool on) { FComponentStyle.Set(styleCheckPropAvail, on); }
};

class TButton : public TWidget {
  FW_CLASS(TButton)
public:
  using TWidget::TWidget;
};

/// Shares Caption and Width with TWidget through its own declarations; Caption is read-only
/// here, and it adds a property TWidget lacks.
class TLabel : public TComponent {
  FW_CLASS(TLabel)
public:
  using TComponent::TComponent;
  String FCaption = "label";
  Integer FWidth = 10;
  String FAlignment;
  String GetCaption() const { return FCaption; }
};

/// A class of its own class group (as a second GUI framework's controls would be).
class TOtherWidget : public TWidget {
  FW_CLASS(TOtherWidget)
public:
  using TWidget::TWidget;
};

/// Test editors: distinct classes whose identity tells which registration won.
class TEditorA : public TPropertyEditor {
  FW_CLASS(TEditorA)
public:
  using TPropertyEditor::TPropertyEditor;
};
class TEditorB : public TPropertyEditor {
  FW_CLASS(TEditorB)
public:
  using TPropertyEditor::TPropertyEditor;
};
class TEditorC : public TPropertyEditor {
  FW_CLASS(TEditorC)
public:
  using TPropertyEditor::TPropertyEditor;
};

/// Counts live instances, so tests can see that every editor was released.
class TCountedEditor : public TPropertyEditor {
  FW_CLASS(TCountedEditor)
public:
  TCountedEditor(const IPtr<IDesigner>& designer, Integer count);
  ~TCountedEditor() override;
  String GetValue() override;
  static int Live;
};

/// An editor that refuses multi-selections.
class TSingleEditor : public TCountedEditor {
  FW_CLASS(TSingleEditor)
public:
  using TCountedEditor::TCountedEditor;
  TPropertyAttributes GetAttributes() override { return {paRevertable}; }
};

/// Raises from its constructor, from Initialize, or from GetValue, as the test asks.
class TFailingEditor : public TCountedEditor {
  FW_CLASS(TFailingEditor)
public:
  TFailingEditor(const IPtr<IDesigner>& designer, Integer count);
  void Initialize() override;
  String GetValue() override;
  static bool FailInConstructor;
  static bool FailInInitialize;
  static bool FailInGetValue;
};

/// Ordinal and string editing through the typed accessors, with a fixed value list.
class TTextEditor : public TCountedEditor {
  FW_CLASS(TTextEditor)
public:
  using TCountedEditor::TCountedEditor;
  String GetValue() override { return GetStrValue(); }
  void SetValue(const String& v) override { SetStrValue(v); }
  void GetValues(const TGetStrProc& proc) override;
  TPropertyAttributes GetAttributes() override;
  static bool Sorted;
};

} // namespace fwtest
