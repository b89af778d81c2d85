#include "frameworkeditors/tarneditors.h"

#include "basert/datetime.h"
#include "frameworkeditors/dateeditor.h"

#include "basert/classbuilder.h"
#include "basert/inifiles.h"
#include "designeditors/editorregistry.h"
#include "designeditors/selectioneditors.h"
#include "host/hoststartup.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/dialogs.h"
#include "tarn/forms.h"
#include "tarn/screen.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

/// A component with a Boolean the inspector may show but not change, and a date.
class TLockedThing : public TComponent {
  FW_CLASS(TLockedThing)
public:
  using TComponent::TComponent;
  bool Locked() const { return true; }
  TDateTime FBorn = 0;
};

TClass TLockedThing::StaticClass() {
  static const TClass cls =
      TClassBuilder<TLockedThing, TComponent>("TLockedThing", "Tests")
          .ReadOnly("Locked", &TLockedThing::Locked)
          .Property("Born", &TypeInfoTDate, &TLockedThing::FBorn, &TLockedThing::FBorn)
          .Build();
  return cls;
}

/// The inspector's drop-down area: keeps what it was asked to show.
class TDropDownHost : public TInterfacedObject, public IPropertyHost {
  FW_CLASS(TDropDownHost)
public:
  void DropDownControl(TComponent* control) override { Shown = control; }
  void CloseDropDown() override { Shown = nullptr; }
  TComponent* Shown = nullptr;
};

TClass TDropDownHost::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDropDownHost, TInterfacedObject>("TDropDownHost", "Tests")
          .Implements<IPropertyHost>()
          .Build();
  return cls;
}

/// A selection editor that wants the designer's messages and takes those numbered 7.
class TMessageSelectionEditor : public TSelectionEditor, public ISelectionMessage {
  FW_CLASS(TMessageSelectionEditor)
public:
  using TSelectionEditor::TSelectionEditor;
  bool IsSelectionMessage(TComponent*, TSelectionMessage& message) override {
    return message.Msg == 7;
  }
};

TClass TMessageSelectionEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMessageSelectionEditor, TSelectionEditor>("TMessageSelectionEditor", "Tests")
          .Implements<ISelectionMessage>()
          .Build();
  return cls;
}

IPtr<IDesignerSelections> Selection(std::initializer_list<TPersistent*> objects) {
  IPtr<IDesignerSelections> s(New<TDesignerSelections>());
  for (TPersistent* o : objects)
    s->Add(o);
  return s;
}

/// The editor of `path` ("Font.Charset": a sub-property) for the objects, as the inspector
/// gets it; null when there is none.
IPtr<IProperty> PropOf(std::initializer_list<TPersistent*> objects, const String& path) {
  const auto dot = path.find('.');
  const String head = path.substr(0, dot);
  IPtr<IProperty> found;
  GetComponentProperties(Selection(objects), tkAny, nullptr, [&](const IPtr<IProperty>& p) {
    if (SameText(p->GetName(), head)) found = p;
  });
  if (!found || dot == String::npos) return found;
  IPtr<IProperty> sub;
  const String rest = path.substr(dot + 1);
  found->GetProperties([&](const IPtr<IProperty>& p) {
    if (SameText(p->GetName(), rest)) sub = p;
  });
  return sub;
}

String EditorClassOf(const IPtr<IProperty>& p) {
  return p ? dynamic_cast<TObject*>(p.get())->ClassName() : String("(none)");
}

std::vector<String> ValuesOf(const IPtr<IProperty>& p) {
  std::vector<String> v;
  p->GetValues([&](const String& s) { v.push_back(s); });
  return v;
}

struct TarnEditorsTest : ::testing::Test {
  THostStartupScope host;
  TOwned<TForm> form{New<TForm>(nullptr)};
  TButton* ok = New<TButton>(form.get());
  TButton* cancel = New<TButton>(form.get());
  TOwned<TAction> action{New<TAction>(nullptr)};
  void SetUp() override {
    ok->SetParent(form.get());
    cancel->SetParent(form.get());
    DialogScript().Clear();
  }
  void TearDown() override { DialogScript().Clear(); }
};

TEST_F(TarnEditorsTest, FrameworkTypesGetTheirEditors) {
  const struct {
    TPersistent* Object;
    const char* Path;
    const char* Editor;
  } cases[] = {
      {form.get(), "Color", "TColorProperty"},
      {ok, "Cursor", "TCursorProperty"},
      {ok, "ModalResult", "TModalResultProperty"},
      {action.get(), "ShortCut", "TShortCutProperty"},
      {ok, "Font.Charset", "TFontCharsetProperty"},
      {ok, "Font.Name", "TFontNameProperty"},
      {ok, "Font", "TFontProperty"},
      {ok, "Caption", "TCaptionProperty"},
      {action.get(), "Caption", "TStringProperty"}, // not a control
      {ok, "TabOrder", "TTabOrderProperty"},
      {ok, "Enabled", "TBooleanProperty"},
      {ok, "Anchors", "TSetProperty"},
      {ok, "Anchors.akTop", "TSetElementProperty"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EditorClassOf(PropOf({c.Object}, c.Path)), c.Editor) << c.Path;
  // The set editors are the drawn ones, not merely of the same name.
  EXPECT_TRUE(Supports<ICustomPropertyMessage>(PropOf({ok}, "Anchors.akTop")));

  TarnEditorsShutdown();
  EXPECT_EQ(EditorClassOf(PropOf({form.get()}, "Color")), "TIntegerProperty");
  EXPECT_FALSE(Supports<ICustomPropertyMessage>(PropOf({ok}, "Anchors.akTop")));
  TarnEditorsStartup();
  EXPECT_EQ(EditorClassOf(PropOf({form.get()}, "Color")), "TColorProperty");
}

TEST_F(TarnEditorsTest, ValuesReadAndWriteByName) {
  const struct {
    TPersistent* Object;
    const char* Path;
    const char* Input;
    Int64 Stored;
    const char* Shown;
  } cases[] = {
      {form.get(), "Color", "clRed", clRed, "clRed"},
      {form.get(), "Color", "clbtnface", clBtnFace, "clBtnFace"},
      {form.get(), "Color", "$00123456", 0x123456, "$00123456"},
      {form.get(), "Color", "$FF000019", static_cast<Integer>(0xFF000019u), "$FF000019"},
      {form.get(), "Color", "255", clRed, "clRed"},
      {ok, "Cursor", "crHandPoint", crHandPoint, "crHandPoint"},
      {ok, "Cursor", "-22", crSizeAll, "crSizeAll"},
      {ok, "Cursor", "5", 5, "5"},
      {ok, "ModalResult", "mrok", mrOk, "mrOk"},
      {ok, "ModalResult", "15", 15, "15"},
      {ok, "ModalResult", "", mrNone, "mrNone"},
      {action.get(), "ShortCut", "(none)", 0, "(None)"},
      {action.get(), "ShortCut", "", 0, "(None)"},
      {action.get(), "ShortCut", "ctrl+s", scCtrl | 'S', "Ctrl+S"},
      {action.get(), "ShortCut", "Shift+Alt+BkSp", scShift | scAlt | VK_BACK, "Shift+Alt+BkSp"},
      {ok, "Font.Charset", "russian_charset", 204, "RUSSIAN_CHARSET"},
      {ok, "Font.Charset", "3", 3, "3"},
  };
  for (const auto& c : cases) {
    IPtr<IProperty> p = PropOf({c.Object}, c.Path);
    ASSERT_TRUE(p) << c.Path;
    p->SetValue(c.Input);
    EXPECT_EQ(dynamic_cast<TPropertyEditor*>(p.get())->GetOrdValue(), c.Stored) << c.Input;
    EXPECT_EQ(p->GetValue(), c.Shown) << c.Input;
  }
}

TEST_F(TarnEditorsTest, RefusedTextChangesNothing) {
  ok->SetModalResult(mrCancel);
  action->SetShortCut(TShortCut(scCtrl | 'C'));
  const struct {
    TPersistent* Object;
    const char* Path;
    const char* Input;
    String Message;
  } cases[] = {
      {action.get(), "ShortCut", "Ctrl+Nothing", String(rtlconsts::SInvalidPropertyValue)},
      {action.get(), "ShortCut", "65", String(rtlconsts::SInvalidPropertyValue)},
      {ok, "ModalResult", "mrMaybe", Format(SInvalidInteger, "mrMaybe")},
      {form.get(), "Color", "reddish", Format(SInvalidInteger, "reddish")},
      {ok, "Cursor", "40000", Format(rtlconsts::SOutOfRange, -32768, 32767)},
      {ok, "Font.Charset", "256", Format(rtlconsts::SOutOfRange, 0, 255)},
  };
  for (const auto& c : cases) {
    IPtr<IProperty> p = PropOf({c.Object}, c.Path);
    const String before = p->GetValue();
    EXPECT_EQ(MessageOf<EDesignPropertyError>([&] { p->SetValue(c.Input); }), c.Message) << c.Input;
    EXPECT_EQ(p->GetValue(), before) << c.Input;
  }
}

TEST_F(TarnEditorsTest, ValueListsOfferTheFrameworkTables) {
  const std::vector<String> shortcuts = ValuesOf(PropOf({action.get()}, "ShortCut"));
  ASSERT_EQ(shortcuts.size(), 109u);
  EXPECT_EQ(shortcuts[0], "(None)");
  EXPECT_EQ(shortcuts[1], "Ctrl+A");
  EXPECT_EQ(shortcuts[27], "Ctrl+Alt+A");
  EXPECT_EQ(shortcuts[53], "F1");
  EXPECT_EQ(shortcuts[101], "Ins");
  EXPECT_EQ(shortcuts[108], "Shift+Alt+BkSp");
  // Every offered text reads back as the shortcut it came from.
  IPtr<IProperty> sc = PropOf({action.get()}, "ShortCut");
  for (std::size_t i = 1; i < shortcuts.size(); ++i) {
    sc->SetValue(shortcuts[i]);
    EXPECT_EQ(action->ShortCut(), OfferedShortCuts[i - 1]) << shortcuts[i];
  }

  const std::vector<String> results = ValuesOf(PropOf({ok}, "ModalResult"));
  ASSERT_EQ(results.size(), 15u);
  EXPECT_EQ(results.front(), "mrNone");
  EXPECT_EQ(results.back(), "mrYesToAll");
  EXPECT_EQ(ValuesOf(PropOf({form.get()}, "Color")).size(), Colors.size());
  EXPECT_EQ(ValuesOf(PropOf({ok}, "Cursor")).size(), Cursors.size());
  EXPECT_EQ(ValuesOf(PropOf({ok}, "Font.Name")).size(),
            static_cast<std::size_t>(Screen()->Fonts()->Count()));
}

/// Draws the row, then clicks at (x, y) with `button`; answers whether the editor took it.
bool Click(const IPtr<IProperty>& p, TCanvas& canvas, Integer x, Integer y,
           TMouseButton button = mbLeft) {
  IPtr<ICustomPropertyDrawing> draw;
  IPtr<ICustomPropertyMessage> mouse;
  EXPECT_TRUE(Supports(p, &draw) && Supports(p, &mouse));
  draw->PropDrawValue(&canvas, {100, 0, 200, 17}, false);
  bool handled = false;
  mouse->MouseDown(button, {}, x, y, handled);
  mouse->MouseUp(button, {}, x, y, handled);
  return handled;
}

TEST_F(TarnEditorsTest, CheckBoxesToggleOnAClickInsideTheBox) {
  TCanvas canvas;
  const TRect box = CheckBoxRect({100, 0, 200, 17});
  IPtr<IProperty> enabled = PropOf({ok}, "Enabled");
  EXPECT_FALSE(Click(enabled, canvas, box.Right + 5, box.Top + 2));
  EXPECT_FALSE(Click(enabled, canvas, box.Left + 2, box.Top + 2, mbRight));
  EXPECT_TRUE(ok->Enabled());
  EXPECT_TRUE(Click(enabled, canvas, box.Left + 2, box.Top + 2));
  EXPECT_FALSE(ok->Enabled());

  TOwned<TLockedThing> locked(New<TLockedThing>(nullptr));
  IPtr<IProperty> lockedProp = PropOf({locked.get()}, "Locked");
  EXPECT_EQ(EditorClassOf(lockedProp), "TBooleanProperty");
  EXPECT_FALSE(Click(lockedProp, canvas, box.Left + 2, box.Top + 2));
  EXPECT_EQ(lockedProp->GetValue(), "True");

  // A set element toggles its bit in the reference entry's set and writes it to all.
  cancel->SetAnchors({akLeft});
  IPtr<IProperty> akTop = PropOf({ok, cancel}, "Anchors.akTop");
  canvas.Clear();
  EXPECT_TRUE(Click(akTop, canvas, box.Left + 2, box.Top + 2));
  EXPECT_EQ(ok->Anchors(), TAnchors({akLeft}));
  EXPECT_EQ(cancel->Anchors(), ok->Anchors());
}

TEST_F(TarnEditorsTest, CheckBoxDrawingShowsStateAndMixedSelections) {
  const auto draw = [](const IPtr<IProperty>& p) {
    TCanvas canvas;
    QueryIntf<ICustomPropertyDrawing>(p)->PropDrawValue(&canvas, {0, 0, 80, 17}, false);
    return canvas.Ops();
  };
  ok->SetEnabled(true);
  cancel->SetEnabled(false);
  const auto checked = draw(PropOf({ok}, "Enabled"));
  const auto unchecked = draw(PropOf({cancel}, "Enabled"));
  const auto mixed = draw(PropOf({ok, cancel}, "Enabled"));
  ASSERT_FALSE(checked.empty());
  EXPECT_EQ(checked.back().Kind, TCanvasOpKind::Polyline);
  EXPECT_EQ(unchecked.size(), 1u);
  EXPECT_EQ(mixed.back().Kind, TCanvasOpKind::FillRect);
  EXPECT_TRUE(std::none_of(mixed.begin(), mixed.end(),
                           [](const TCanvasOp& op) { return !op.Text.empty(); }));
}

TEST_F(TarnEditorsTest, DialogsWriteTheirAnswerToEveryEntry) {
  IPtr<IProperty> color = PropOf({ok->Font(), cancel->Font()}, "Color");
  ASSERT_TRUE(color);
  DialogScript().Push("ColorDialog", {.Accept = false});
  color->Edit();
  EXPECT_EQ(cancel->Font()->GetColor(), clWindowText);
  DialogScript().Push("ColorDialog", {.Color = clLime});
  color->Edit();
  EXPECT_EQ(ok->Font()->GetColor(), clLime);
  EXPECT_EQ(cancel->Font()->GetColor(), clLime);
  ASSERT_EQ(DialogScript().Log().size(), 2u);
  EXPECT_EQ(DialogScript().Log()[0].HelpContext, hcDColorEditor);
  EXPECT_EQ(DialogScript().Log()[0].Value, "clWindowText");

  const String existing = Screen()->Fonts()->Get(0);
  IPtr<IProperty> font = PropOf({ok, cancel}, "Font");
  DialogScript().Push("FontDialog", {.FontName = "No Such Typeface"});
  EXPECT_THROW(font->Edit(), EInvalidOperation);
  EXPECT_EQ(cancel->Font()->GetName(), ok->Font()->GetName());
  DialogScript().Push("FontDialog", {.FontName = existing, .FontSize = 20});
  font->Edit();
  for (TButton* b : {ok, cancel}) {
    EXPECT_EQ(b->Font()->GetName(), existing);
    EXPECT_EQ(b->Font()->GetSize(), 20);
  }
  EXPECT_EQ(DialogScript().Log().back().HelpContext, hcDFontEditor);
}

TEST_F(TarnEditorsTest, ColorDialogKeepsCustomColorsUnderTheBaseKey) {
  const String key = "Software\\Tests\\TarnEditors";
  TRegistryIniFile(key).WriteString(SCustomColors, "ColorA", "FFFFEE");
  BaseRegistryKey = key;
  DialogScript().Push("ColorDialog", {.Color = clAqua});
  PropOf({form.get()}, "Color")->Edit();
  BaseRegistryKey.clear();
  EXPECT_EQ(form->Color(), clAqua);
  TStringList kept;
  TRegistryIniFile(key).ReadSectionValues(SCustomColors, kept);
  EXPECT_EQ(Lines(kept), std::vector<String>{"ColorA=FFFFEE"});
  TRegistryIniFile(key).EraseSection(SCustomColors);
}

TEST_F(TarnEditorsTest, FontNamesDrawInTheirOwnTypefaceOnlyWhenAsked) {
  IPtr<ICustomPropertyListDrawing> list;
  ASSERT_TRUE(Supports(PropOf({ok}, "Font.Name"), &list));
  TCanvas canvas;
  Integer width = 7, height = 9;
  list->ListMeasureWidth("Courier New", &canvas, width);
  list->ListMeasureHeight("Courier New", &canvas, height);
  EXPECT_EQ(width, 7);
  EXPECT_EQ(height, 9);
  FontNamePropertyDisplayFontNames = true;
  list->ListMeasureWidth("Courier New", &canvas, width);
  list->ListDrawValue("Courier New", &canvas, {0, 0, 100, 16}, false);
  FontNamePropertyDisplayFontNames = false;
  EXPECT_EQ(width, canvas.TextWidth("Courier New") + 4);
  ASSERT_EQ(canvas.Ops().size(), 1u);
  EXPECT_EQ(canvas.Ops()[0].FontName, "Courier New");
  EXPECT_NE(canvas.Font()->GetName(), "Courier New");
}

TEST_F(TarnEditorsTest, DatesArePickedFromADroppedDownCalendar) {
  TOwned<TLockedThing> thing(New<TLockedThing>(nullptr));
  thing->FBorn = EncodeDate(2020, 2, 29);
  IPtr<IProperty> born = PropOf({thing.get()}, "Born");
  EXPECT_TRUE(born->GetAttributes().Contains(paCustomDropDown));
  IPtr<IProperty80> edit;
  ASSERT_TRUE(Supports(born, &edit));
  auto* host = New<TDropDownHost>();
  IPtr<IPropertyHost> keep(host);
  edit->Edit(keep, false);
  auto* calendar = dynamic_cast<TDropDownCalendar*>(host->Shown);
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->GetDate(), thing->FBorn);
  EXPECT_EQ(calendar->Width(), calendar->MinimumSize().X);
  Word key = VK_RIGHT;
  calendar->KeyDown(key, {});
  EXPECT_EQ(key, 0);
  EXPECT_EQ(thing->FBorn, EncodeDate(2020, 2, 29)) << "moving is not picking";
  key = VK_RETURN;
  calendar->KeyDown(key, {});
  EXPECT_EQ(thing->FBorn, EncodeDate(2020, 3, 1));
  EXPECT_EQ(host->Shown, nullptr);

  thing->FBorn = 0;
  edit->Edit(keep, false);
  ASSERT_NE(host->Shown, nullptr);
  dynamic_cast<TDropDownCalendar*>(host->Shown)->DblClick();
  EXPECT_EQ(thing->FBorn, Date());
}

TEST_F(TarnEditorsTest, SelectionMessageListKeepsOnlyEditorsThatTakeMessages) {
  EXPECT_EQ(SelectionMessageListOf(nullptr)->GetCount(), 0);
  auto* list = New<TSelectionEditorList>();
  IPtr<ISelectionEditorList> keep(list);
  auto* second = New<TMessageSelectionEditor>(nullptr);
  list->Add(IPtr<ISelectionEditor>(New<TSelectionEditor>(nullptr)));
  list->Add(IPtr<ISelectionEditor>(second));
  list->Add(IPtr<ISelectionEditor>(New<TMessageSelectionEditor>(nullptr)));
  IPtr<ISelectionMessageList> messages = SelectionMessageListOf(keep);
  ASSERT_EQ(messages->GetCount(), 2);
  EXPECT_EQ(dynamic_cast<TObject*>(messages->Get(0).get()), second);
  TSelectionMessage m{.Msg = 7};
  EXPECT_TRUE(messages->Get(1)->IsSelectionMessage(nullptr, m));
  EXPECT_THROW(messages->Get(2), EListError);
}

TEST_F(TarnEditorsTest, StyleAndCursorListsDrawTheirSample) {
  TCanvas canvas;
  const TRect row{0, 0, 120, 16};
  TOwned<TPen> pen(New<TPen>());
  TOwned<TBrush> brush(New<TBrush>());
  IPtr<ICustomPropertyListDrawing> penList, brushList, cursorList;
  ASSERT_TRUE(Supports(PropOf({pen.get()}, "Style"), &penList));
  ASSERT_TRUE(Supports(PropOf({brush.get()}, "Style"), &brushList));
  ASSERT_TRUE(Supports(PropOf({ok}, "Cursor"), &cursorList));
  penList->ListDrawValue("psDash", &canvas, row, false);
  brushList->ListDrawValue("bsCross", &canvas, row, false);
  const auto& ops = canvas.Ops();
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].PenStyle, psDash);
  EXPECT_EQ(ops[1].Text, "psDash");
  EXPECT_EQ(ops[2].BrushStyle, bsCross);
  EXPECT_EQ(ops[3].Text, "bsCross");
  // The canvas is left as it was found.
  EXPECT_EQ(canvas.Pen()->GetStyle(), psSolid);
  EXPECT_EQ(canvas.Brush()->GetStyle(), bsSolid);

  Integer width = 0, height = 0;
  cursorList->ListMeasureWidth("crHelp", &canvas, width);
  cursorList->ListMeasureHeight("crHelp", &canvas, height);
  EXPECT_EQ(width, Screen()->IconWidth + canvas.TextWidth("crHelp") + 4);
  EXPECT_EQ(height, std::max(canvas.TextHeight("Wg"), Screen()->IconHeight + 4));
}

TEST_F(TarnEditorsTest, DisplayValueIsEmptyForDifferingEntries) {
  ok->SetModalResult(mrOk);
  cancel->SetModalResult(mrCancel);
  EXPECT_EQ(GetDisplayValue(nullptr), "");
  EXPECT_EQ(GetDisplayValue(PropOf({ok, cancel}, "ModalResult")), "");
  cancel->SetModalResult(mrOk);
  EXPECT_EQ(GetDisplayValue(PropOf({ok, cancel}, "ModalResult")), "mrOk");
}

} // namespace
