#include "componentdesigner/proxies.h"
#include "designeditors/propedit.h"

#include "basert/exceptions.h"
#include "editor_test_classes.h"

#include <gtest/gtest.h>

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

TEST_F(EditorBase, WritesReachEverySelectedObjectWithOneModified) {
  TTextEditor* e;
  IPtr<IProperty> p = EditorFor(designer, {a, b, c}, "Width", &e);
  e->SetOrdValue(42);
  EXPECT_EQ(a->FWidth, 42);
  EXPECT_EQ(b->FWidth, 42);
  EXPECT_EQ(c->FWidth, 42);
  EXPECT_EQ(d->ModifiedCount, 1);
  EXPECT_EQ(e->GetOrdValueAt(2), 42);
  EXPECT_THROW(e->GetOrdValueAt(3), EListError);
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
}

TEST_F(EditorBase, StringWritersSkipEntriesWithoutWriteAccess) {
  TOwned<TLabel> label(New<TLabel>(nullptr));
  TTextEditor* e;
  IPtr<IProperty> ref = EditorFor(designer, {a, label.get()}, "Caption", &e);
  e->SetStrValue("both");
  EXPECT_EQ(a->FCaption, "both");
  EXPECT_EQ(label->FCaption, "label");
  EXPECT_EQ(d->ModifiedCount, 1);
  EXPECT_EQ(e->GetStrValueAt(1), "label");
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
  }
  bool IsDefault(std::vector<TPersistent*> objects, const char* name, bool withDesigner = true) {
    return QueryIntf<IProperty70>(EditorFor(withDesigner ? designer : nullptr, objects, name))
        ->GetIsDefault();
  }
};

TEST_F(Inheritance, InheritedValuesCountAsDefault) {
  EXPECT_TRUE(IsDefault({inherited}, "Caption"));
  EXPECT_TRUE(IsDefault({inherited}, "Width")); // 75 like the ancestor, though not the default 10
  inherited->FCaption = "Cancel";
  EXPECT_FALSE(IsDefault({inherited}, "Caption"));
  // A sub-object is compared property by property with the ancestor's.
  EXPECT_TRUE(IsDefault({inherited}, "Font"));
  inherited->FFont->FName = "Courier";
  EXPECT_FALSE(IsDefault({inherited}, "Font"));
}

TEST_F(Inheritance, OwnComponentsCompareWithDeclaredDefaults) {
  EXPECT_TRUE(IsDefault({own}, "Width")); // declared default 10
  own->FWidth = 75;
  EXPECT_FALSE(IsDefault({own}, "Width"));
  EXPECT_TRUE(IsDefault({own}, "Caption")); // empty
  own->FStoreWidth = false;
  EXPECT_TRUE(IsDefault({own}, "Width")); // not stored
  EXPECT_FALSE(IsDefault({own}, "Font")); // a font name is not empty, its default
  own->FFont->FName.clear();
  EXPECT_TRUE(IsDefault({own}, "Font")); // every property of the font at its default
  own->FFont->FSize = 12;
  EXPECT_FALSE(IsDefault({own}, "Font"));
}

TEST_F(Inheritance, DefaultDetectionEdgeCases) {
  // Without a designer everything counts as default.
  EXPECT_TRUE(IsDefault({own}, "Caption", false));
  // Two objects count as differing for the base editor.
  EXPECT_FALSE(IsDefault({own, inherited}, "Caption"));
  // Without an ancestor module an inherited-looking component uses declared defaults.
  d->Ancestor = nullptr;
  EXPECT_FALSE(IsDefault({inherited}, "Width"));
}

TEST_F(Inheritance, NestedModuleInstancesAreComparedWithTheirOwnAncestor) {
  // A frame class made at run time, its open module, and an instance of it in the root.
  TOwned<TDataModule> frameModule(New<TDataModule>(nullptr));
  frameModule->SetName("Frame1");
  auto* original = New<TWidget>(frameModule.get());
  original->SetName("Inner");
  original->FCaption = "from frame";
  d->AncestorRoots = {{"TFrame1", frameModule.get()}};

  auto* frame = New<TDataModule>(root.get());
  CreateSubClass(frame, "TFrame1", TDataModule::StaticClass());
  ASSERT_TRUE(IsProxyClass(frame->ClassType()));
  frame->SetName("Frame1a");
  frame->SetInline(true);
  auto* inner = New<TWidget>(frame);
  inner->SetName("Inner");
  inner->FCaption = "from frame";
  inner->SetAncestor(true);

  EXPECT_TRUE(IsDefault({inner}, "Caption"));
  EXPECT_EQ(d->AncestorRootQueries, (std::vector<String>{"TFrame1"}));
  inner->FCaption = "changed";
  EXPECT_FALSE(IsDefault({inner}, "Caption"));
  frame->Free();
}

} // namespace
} // namespace fwtest
