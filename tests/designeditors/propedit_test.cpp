#include "componentdesigner/proxies.h"
#include "designeditors/propedit.h"

#include "basert/exceptions.h"
#include "basert/filer.h"
#include "editor_test_classes.h"
#include "stdeditors_test_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace fwtest {
namespace {

PPropInfo Prop(TClass cls, const char* name) { return GetPropInfo(cls->TypeInfo, name); }

/// An editor of class `E` over `objects`' property `name`, made the way the registry makes it.
template <class E = TTextEditor>
IPtr<IProperty> EditorFor(const IPtr<IDesigner>& designer, std::vector<TPersistent*> objects,
                          const char* name, E** out = nullptr) {
  auto* e = static_cast<E*>(E::StaticClass()->template Create<IPtr<IDesigner>, Integer>(
      designer, Integer(objects.size())));
  IPtr<IProperty> ref(e);
  for (std::size_t i = 0; i < objects.size(); ++i)
    e->SetPropEntry(Integer(i), objects[i], GetPropInfo(objects[i], name));
  e->Initialize();
  if (out) *out = e;
  return ref;
}

struct EditorBase : ::testing::Test {
  TOwned<TComponent> form{New<TComponent>(nullptr)};
  TTestDesigner* d = nullptr;
  IPtr<IDesigner> designer = MakeTestDesigner(d);
  TWidget* a = MakeNamed<TWidget>(form.get(), "A");
  TWidget* b = MakeNamed<TWidget>(form.get(), "B");
  TWidget* c = MakeNamed<TWidget>(form.get(), "C");
};

TEST_F(EditorBase, WritesReachEveryWritableSelectedObjectWithOneModified) {
  TTextEditor* e;
  IPtr<IProperty> p = EditorFor(designer, {a, b, c}, "Width", &e);
  e->SetOrdValue(42);
  EXPECT_EQ(a->FWidth, 42);
  EXPECT_EQ(b->FWidth, 42);
  EXPECT_EQ(c->FWidth, 42);
  EXPECT_EQ(d->ModifiedCount, 1);
  EXPECT_EQ(e->GetOrdValueAt(2), 42);
  EXPECT_THROW(e->GetOrdValueAt(3), EListError);

  // String writers skip entries without write access.
  TOwned<TLabel> label(New<TLabel>(nullptr));
  IPtr<IProperty> ref = EditorFor(designer, {a, label.get()}, "Caption", &e);
  e->SetStrValue("both");
  EXPECT_EQ(a->FCaption, "both");
  EXPECT_EQ(label->FCaption, "label");
  EXPECT_EQ(d->ModifiedCount, 2);
  EXPECT_EQ(e->GetStrValueAt(1), "label");
}

TEST_F(EditorBase, FailedWriteLeavesEveryObjectAsItWas) {
  a->FLimited = 1;
  b->FLimited = 2;
  c->FLimited = 3;
  TTextEditor* e;
  IPtr<IProperty> p = EditorFor(designer, {a, b, c}, "Limited", &e);
  EXPECT_THROW(e->SetOrdValue(500), ERangeError);
  EXPECT_EQ(a->FLimited, 1);
  EXPECT_EQ(b->FLimited, 2);
  EXPECT_EQ(c->FLimited, 3);
  EXPECT_EQ(d->ModifiedCount, 0);

  // A read-only property refuses at the first entry.
  TTextEditor* info;
  IPtr<IProperty> ip = EditorFor(designer, {a, b}, "Info", &info);
  EXPECT_THROW(info->SetOrdValue(1), EPropertyError);
  EXPECT_EQ(d->ModifiedCount, 0);

  // The last entry's property refuses an ordinal write after two entries took it: each of
  // those gets its own value back.
  TOwned<TLabel> label(New<TLabel>(nullptr));
  e->SetPropEntry(2, label.get(), Prop(TLabel::StaticClass(), "Caption"));
  a->Writes = b->Writes = 0;
  EXPECT_THROW(e->SetOrdValue(60), EPropertyError);
  EXPECT_EQ(a->FLimited, 1);
  EXPECT_EQ(b->FLimited, 2);
  EXPECT_EQ(a->Writes, 2); // written, then restored
  EXPECT_EQ(d->ModifiedCount, 0);

  // A wide string under a string write gets its own text back, lone surrogate and all.
  TOwned<TEdSample> sample(New<TEdSample>(nullptr));
  const WideString wide{char16_t(0xD800), u'x'};
  sample->FWide = wide;
  a->FCaption = "kept";
  e->SetPropEntry(0, sample.get(), Prop(TEdSample::StaticClass(), "Wide"));
  e->SetPropEntry(1, a, Prop(TWidget::StaticClass(), "Caption"));
  e->SetPropEntry(2, b, Prop(TWidget::StaticClass(), "Width"));
  EXPECT_THROW(e->SetStrValue("new"), EPropertyError);
  EXPECT_EQ(sample->FWide, wide);
  EXPECT_EQ(a->FCaption, "kept");
  EXPECT_EQ(d->ModifiedCount, 0);
}

TEST_F(EditorBase, DefaultsOfTheBase) {
  a->FCaption = b->FCaption = "same";
  TEditorA* twoEditor;
  IPtr<IProperty> two = EditorFor<TEditorA>(designer, {a, b}, "Caption", &twoEditor);
  IPtr<IProperty> one = EditorFor<TEditorA>(designer, {a}, "Info");
  EXPECT_EQ(twoEditor->GetVisualValue(), ""); // equal values, but the base cannot tell
  EXPECT_EQ(two->GetValue(), srUnknown);
  EXPECT_EQ(two->GetAttributes(), (TPropertyAttributes{paMultiSelect, paRevertable}));
  EXPECT_EQ(one->GetAttributes(),
            (TPropertyAttributes{paMultiSelect, paRevertable, paReadOnly, paDisplayReadOnly}));
  EXPECT_TRUE(two->AutoFill());
  EXPECT_FALSE(one->AutoFill());
  EXPECT_EQ(QueryIntf<IPropertyKind>(two)->GetKind(), kindUnicodeString);
  EXPECT_EQ(twoEditor->GetPrivateDirectory(), "/tmp/private");

  two->Revert();
  ASSERT_EQ(d->Reverted.size(), 2u);
  EXPECT_EQ(d->Reverted[1].first, b);
  EXPECT_EQ(d->Reverted[1].second, Prop(TWidget::StaticClass(), "Caption"));
  EXPECT_EQ(d->ModifiedCount, 0);
}

TEST_F(EditorBase, EditCyclesThroughTheValueList) {
  IPtr<IProperty> p = EditorFor(designer, {a}, "Caption");
  a->FCaption = "Beta"; // the last of Gamma, Alpha, Beta
  p->Edit();
  EXPECT_EQ(a->FCaption, "Gamma");
  p->Edit();
  EXPECT_EQ(a->FCaption, "Alpha");
  a->FCaption = "unknown";
  p->Edit();
  EXPECT_EQ(a->FCaption, "Gamma");

  TTextEditor::Sorted = true; // Alpha, Beta, Gamma
  a->FCaption = "gamma";      // found ignoring case, as a string list finds it
  p->Edit();
  EXPECT_EQ(a->FCaption, "Alpha");
  TTextEditor::Sorted = false;

  IPtr<IProperty> ro = EditorFor(designer, {a}, "Info");
  const int before = d->ModifiedCount;
  ro->Edit(); // no write access: nothing happens
  EXPECT_EQ(d->ModifiedCount, before);
}

TEST_F(EditorBase, EditValueReportsReadErrorsAsText) {
  a->FCaption = "text";
  String v;
  EXPECT_TRUE(EditorFor(designer, {a}, "Caption")->GetEditValue(v));
  EXPECT_EQ(v, "text");
  EXPECT_FALSE(EditorFor(designer, {a}, "Info")->GetEditValue(v));
  EXPECT_EQ(v, "info");

  TFailingEditor::FailInGetValue = true;
  EXPECT_FALSE(EditorFor<TFailingEditor>(designer, {a}, "Caption")->GetEditValue(v));
  EXPECT_EQ(v, "(value refused)");
  TFailingEditor::FailInGetValue = false;

  // A property without read access.
  EXPECT_FALSE(EditorFor<TCountedEditor>(designer, {a}, "Secret")->GetEditValue(v));
  EXPECT_EQ(v, "(Not available)");
}

// ---- Default detection ------------------------------------------------------------------------

/// An ancestor module and a module inheriting from it, each with its designer.
struct Inheritance : ::testing::Test {
  TOwned<TDataModule> ancestorRoot{New<TDataModule>(nullptr)};
  TOwned<TDataModule> root{New<TDataModule>(nullptr)};
  TTestDesigner* ancestorDesigner = nullptr;
  TTestDesigner* d = nullptr;
  IPtr<IDesigner> ancestorRef = MakeTestDesigner(ancestorDesigner);
  IPtr<IDesigner> designer = MakeTestDesigner(d);
  TWidget* inherited = nullptr;
  TWidget* own = nullptr;

  void SetUp() override {
    ancestorRoot->SetName("Base");
    root->SetName("Derived");
    for (TComponent* owner : {ancestorRoot.get(), root.get()}) {
      inherited = New<TWidget>(owner);
      inherited->SetName("Button1");
      inherited->FCaption = "OK";
      inherited->FWidth = 75;
      inherited->FFont->FName = "Arial";
    }
    inherited->SetAncestor(true);
    own = New<TWidget>(root.get());
    own->SetName("Button2");
    ancestorDesigner->Root = ancestorRoot.get();
    d->Root = root.get();
    d->Ancestor = ancestorRef;
    ProxiesStartup(); // designed frames are recognised through the proxies' hook
  }
  void TearDown() override { ProxiesShutdown(); }
  bool IsDefault(std::vector<TPersistent*> objects, const char* name, bool withDesigner = true) {
    return QueryIntf<IProperty70>(EditorFor(withDesigner ? designer : nullptr, objects, name))
        ->GetIsDefault();
  }
};

// Values the writer streams are compared with the default test for every kind further down;
// these are the cases that comparison cannot see.
TEST_F(Inheritance, ReadOnlySubObjectsUnstoredValuesAndMissingContextDecideAlone) {
  // A read-only sub-object is compared property by property with the ancestor's, or with its
  // declared defaults.
  EXPECT_TRUE(IsDefault({inherited}, "Font"));
  inherited->FFont->FName = "Courier";
  EXPECT_FALSE(IsDefault({inherited}, "Font"));
  EXPECT_FALSE(IsDefault({own}, "Font")); // a font name is not empty, its default
  own->FFont->FName.clear();
  EXPECT_TRUE(IsDefault({own}, "Font"));
  own->FFont->FSize = 12;
  EXPECT_FALSE(IsDefault({own}, "Font"));
  own->FWidth = 75;
  EXPECT_FALSE(IsDefault({own}, "Width"));
  own->FStoreWidth = false;
  EXPECT_TRUE(IsDefault({own}, "Width")); // not stored
  // Without a designer everything counts as default.
  EXPECT_FALSE(IsDefault({own}, "Font"));
  EXPECT_TRUE(IsDefault({own}, "Font", false));
  // Two objects count as differing for the base editor.
  EXPECT_FALSE(IsDefault({own, inherited}, "Caption"));
  // Without an ancestor module an inherited-looking component uses declared defaults.
  EXPECT_TRUE(IsDefault({inherited}, "Width"));
  d->Ancestor = nullptr;
  EXPECT_FALSE(IsDefault({inherited}, "Width"));
}

// ---- Agreement with the writer ------------------------------------------------------------------

enum class TShade { shLight, shDark, shBlack };
PTypeInfo TypeInfoOf(std::type_identity<TShade>) {
  static PTypeInfo t = MakeEnumType("TShade", {"shLight", "shDark", "shBlack"}, "EditorTests");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TSet<TShade>>) {
  static PTypeInfo t = MakeSetType("TShades", TypeInfo<TShade>());
  return t;
}

class TLine : public TCollectionItem {
  FW_CLASS(TLine)
public:
  using TCollectionItem::TCollectionItem;
  String FText;
  void Assign(TPersistent* source) override {
    if (auto* l = dynamic_cast<TLine*>(source)) FText = l->FText;
  }
};
TClass TLine::StaticClass() {
  static const TClass cls = TClassBuilder<TLine, TCollectionItem>("TLine", "EditorTests")
                                .Property("Text", &TLine::FText, &TLine::FText)
                                .Build();
  return cls;
}

/// A widget with the value kinds TWidget lacks: every kind the writer streams.
class TEveryKind : public TWidget {
  FW_CLASS(TEveryKind)
public:
  explicit TEveryKind(TComponent* owner)
      : TWidget(owner), FPen(New<TFontLike>()),
        FLines(New<TOwnedCollection>(this, TLine::StaticClass())), FPart(New<TWidget>(this)) {
    FPart->SetName("Part");
    FPart->SetSubComponent(true);
  }
  ~TEveryKind() override {
    FPen->Free();
    FLines->Free();
  }
  TShade FShade = TShade::shLight;
  TSet<TShade> FShades;
  char FLetter = 'a';
  char16_t FWideLetter = u'b';
  Double FRatio = 0;
  TDateTime FWhen = 0;
  Int64 FBig = 0;
  WideString FWide;
  Variant FAny;
  TFontLike* FPen; ///< a sub-object the writer streams (Font is read-only)
  TOwnedCollection* FLines;
  TWidget* FPart; ///< a sub-component: streamed through the read-only property
  void SetPen(TFontLike* value) {
    FPen->FName = value->FName;
    FPen->FSize = value->FSize;
  }
  void SetLines(TOwnedCollection* value) { FLines->Assign(value); }
};
TClass TEveryKind::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEveryKind, TWidget>("TEveryKind", "EditorTests")
          .Property("Shade", &TEveryKind::FShade, &TEveryKind::FShade)
          .Property("Shades", &TEveryKind::FShades, &TEveryKind::FShades)
          .Property("Letter", &TEveryKind::FLetter, &TEveryKind::FLetter)
          .Property("WideLetter", &TEveryKind::FWideLetter, &TEveryKind::FWideLetter)
          .Property("Ratio", &TEveryKind::FRatio, &TEveryKind::FRatio)
          .Property("When", &TypeInfoTDateTime, &TEveryKind::FWhen, &TEveryKind::FWhen)
          .Property("Big", &TEveryKind::FBig, &TEveryKind::FBig)
          .Property("Wide", &TEveryKind::FWide, &TEveryKind::FWide)
          .Property("Any", &TEveryKind::FAny, &TEveryKind::FAny)
          .Property("Pen", &TEveryKind::FPen, &TEveryKind::SetPen)
          .Property("Lines", &TEveryKind::FLines, &TEveryKind::SetLines)
          .Property("Part", &TEveryKind::FPart, nullptr)
          .Build();
  return cls;
}

/// "Component.Property" of everything a stream holds (sub-object properties as "C.Font.Name").
void CollectWritten(TReader& r, std::set<String>& out) {
  TFilerFlags flags;
  Integer pos;
  r.ReadPrefix(flags, pos);
  r.ReadStr();
  const String name = r.ReadStr();
  while (!r.EndOfList()) {
    out.insert(name + "." + r.ReadStr());
    r.SkipValue();
  }
  r.ReadListEnd();
  while (!r.EndOfList())
    CollectWritten(r, out);
  r.ReadListEnd();
}

/// Sets every property of `w` to a value other than its default.
void ChangeEverything(TEveryKind* w, TComponent* other, TTestDesigner* d) {
  w->FCaption = "changed";
  w->FWidth = 99;
  w->FColor = 7;
  w->FLimited = 5;
  w->FOnClick = TNotifyEvent{d->AddMethod(w->Name() + "Click")};
  w->FPen->FSize = 20;
  w->FBuddy = other;
  w->FShade = TShade::shBlack;
  w->FShades = {TShade::shDark};
  w->FLetter = 'z';
  w->FWideLetter = u'y';
  w->FRatio = 0.25;
  w->FWhen = 45000.5;
  w->FBig = Int64{1} << 40;
  w->FWide = u"wide";
  w->FAny = Variant(Integer(3));
  static_cast<TLine*>(w->FLines->Add())->FText = "line";
  w->FPart->FCaption = "part";
  w->FPart->FWidth = 30;
}

/// Inherited components changed in some properties and not in others, a component of the
/// module's own, and an instance of a designed frame: whatever the writer leaves out of the
/// module's stream, the editor must call the default, and the other way round.
TEST_F(Inheritance, DefaultTestAgreesWithWhatTheWriterWritesForEveryKind) {
  TEveryKind* baseKept = MakeNamed<TEveryKind>(ancestorRoot.get(), "Kept");
  TEveryKind* baseChanged = MakeNamed<TEveryKind>(ancestorRoot.get(), "Changed");
  ChangeEverything(baseKept, baseChanged, ancestorDesigner);
  ChangeEverything(baseChanged, baseKept, ancestorDesigner);

  // The descendant as streaming the ancestor would make it, then changed in places.
  TEveryKind* kept = MakeNamed<TEveryKind>(root.get(), "Kept");
  TEveryKind* changed = MakeNamed<TEveryKind>(root.get(), "Changed");
  for (TEveryKind* c : {kept, changed})
    c->SetAncestor(true);
  ChangeEverything(kept, changed, d);
  kept->FOnClick = baseKept->FOnClick; // the ancestor's handler, inherited
  kept->FOnClick.Data = root.get();
  ChangeEverything(changed, kept, d);
  changed->FOnClick = TNotifyEvent{d->AddMethod("Other")};
  changed->FCaption = "descendant's";
  changed->FPen->FName = "Courier";
  changed->FPart->FCaption = "descendant's part";
  changed->FShades = {};
  changed->FBig = 1;
  changed->FWide = u"other";
  changed->FAny = Variant(String("text"));
  changed->FBuddy = own;
  static_cast<TLine*>(changed->FLines->Add())->FText = "more";
  // A designed frame placed on the module: its inner component follows the frame's module.
  TOwned<TDataModule> frameModule(MakeNamed<TDataModule>(nullptr, "Frame1"));
  TEveryKind* original = MakeNamed<TEveryKind>(frameModule.get(), "Inner");
  ChangeEverything(original, frameModule.get(), d);
  d->AncestorRoots = {{"TFrame1", frameModule.get()}};
  auto* frame = New<TDataModule>(root.get());
  CreateSubClass(frame, "TFrame1", TDataModule::StaticClass());
  frame->SetName("Frame1a");
  frame->SetInline(true);
  TEveryKind* inner = MakeNamed<TEveryKind>(frame, "Inner");
  inner->SetAncestor(true);
  ChangeEverything(inner, frame, d);
  inner->FOnClick = original->FOnClick;
  inner->FWidth = 12;

  TEveryKind* mine = MakeNamed<TEveryKind>(root.get(), "Mine");
  ChangeEverything(mine, kept, d);
  mine->FRatio = 0;
  mine->FShades = {};

  TMemoryStream stream;
  {
    TWriter w(&stream, 1024);
    w.OnFindAncestorRoot = [this](const String& cls) { return d->FindAncestorRoot(cls); };
    w.WriteDescendent(root.get(), ancestorRoot.get());
  }
  stream.SetPosition(0);
  std::set<String> written;
  {
    TReader r(&stream, 1024);
    r.ReadSignature();
    CollectWritten(r, written);
  }

  int compared = 0;
  auto compare = [&](TComponent* c, const String& path) {
    for (PPropInfo p : GetPropInfos(c->ClassType()->TypeInfo)) {
      if (!p->HasRead() || !IsStoredProp(c, p)) continue;
      if (!p->HasWrite()) continue; // streamed only through their own properties, if at all
      const String key = path + "." + p->Name;
      const bool inStream = std::any_of(written.begin(), written.end(), [&](const String& w) {
        return w == key || w.rfind(key + ".", 0) == 0;
      });
      TEditorA* e = nullptr;
      IPtr<IProperty> ref = EditorFor(designer, {c}, p->Name.c_str(), &e);
      const String valueBefore = e->GetValue();
      const int modifiedBefore = d->ModifiedCount;
      const bool isDefault = e->GetIsDefault();
      EXPECT_EQ(isDefault, !inStream) << key;
      // Asking changes nothing: the same answer again, the same value, no modification.
      EXPECT_EQ(e->GetIsDefault(), isDefault) << key;
      EXPECT_EQ(e->GetValue(), valueBefore) << key;
      EXPECT_EQ(d->ModifiedCount, modifiedBefore);
      ++compared;
    }
  };
  for (TEveryKind* c : {kept, changed, mine, inner}) {
    compare(c, c->Name());
    compare(c->FPart, c->Name() + ".Part");
  }
  EXPECT_GT(compared, 4 * 30);
  frame->Free();
}

} // namespace
} // namespace fwtest
