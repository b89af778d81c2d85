#include "designeditors/editorregistry.h"

#include "basert/exceptions.h"
#include "designeditors/selectioneditors.h"
#include "editor_test_classes.h"

#include <gtest/gtest.h>

namespace fwtest {
namespace {

/// Names of the editors GetComponentProperties hands out, in order.
struct Listing : ::testing::Test {
  TPropertyEditorRegistry registry;
  TOwned<TComponent> form{New<TComponent>(nullptr)};
  std::vector<IPtr<IProperty>> editors;

  void SetUp() override {
    TCountedEditor::Live = 0;
    // Counted editors everywhere, so leaks show.
    for (PTypeInfo t :
         {TypeInfo<String>(), TypeInfo<Integer>(), TypeInfoTColor(), TypeInfo<Int64>(),
          TypeInfoNotifyEvent(), TypeInfo<IPtr<IShape>>(), TypeInfo<IPtr<ICircle>>(),
          TComponent::StaticClass()->TypeInfo, TPersistent::StaticClass()->TypeInfo})
      registry.RegisterPropertyEditor(t, nullptr, "", TCountedEditor::StaticClass());
  }
  void TearDown() override {
    editors.clear();
    EXPECT_EQ(TCountedEditor::Live, 0) << "an editor was not released";
    TFailingEditor::FailInConstructor = TFailingEditor::FailInInitialize =
        TFailingEditor::FailInGetValue = false;
    GShowReadOnlyProps = true;
  }
  std::vector<String> List(std::initializer_list<TPersistent*> objects,
                           TTypeKinds filter = tkProperties, const IPtr<IDesigner>& designer = {},
                           const TPropertyEditorFilterFunc& editorFilter = {}) {
    editors.clear();
    registry.GetComponentProperties(
        Selection(objects), filter, designer,
        [&](const IPtr<IProperty>& p) { editors.push_back(p); }, editorFilter);
    return NamesOf(editors);
  }
  template <class T> T* Make(const char* name) { return MakeNamed<T>(form.get(), name); }
};

TEST_F(Listing, OneObjectListsEveryPropertyWithAnEditorInNameOrder) {
  auto* w = Make<TWidget>("W1");
  EXPECT_EQ(List({w}), (Strings{"Buddy", "Caption", "Circle", "Color", "Font", "Info", "Limited",
                                "Name", "Peer", "Shape", "Tag", "Width"}));
  EXPECT_EQ(List({w}, tkMethods), (Strings{"OnClick"}));
  EXPECT_TRUE(List({}).empty());
  EXPECT_TRUE(editors.empty());
  registry.GetComponentProperties(
      nullptr, tkAny, nullptr, [](const IPtr<IProperty>&) { ADD_FAILURE() << "nothing to list"; });
}

TEST_F(Listing, MixedClassesShareOnlySameNameAndTypeWithTheSameEditor) {
  auto* w = Make<TWidget>("W1");
  auto* l = Make<TLabel>("L1");
  EXPECT_EQ(List({w, l}), (Strings{"Caption", "Name", "Tag", "Width"}));
  EXPECT_TRUE(editors[0]->HasInstance(w)); // each editor covers every selected object
  EXPECT_TRUE(editors[0]->HasInstance(l));
  EXPECT_FALSE(editors[0]->HasInstance(form.get()));
  // An editor registered for the label's Width only makes the editors differ.
  registry.RegisterPropertyEditor(TypeInfo<Integer>(), TLabel::StaticClass(), "Width",
                                  TEditorA::StaticClass());
  EXPECT_EQ(List({w, l}), (Strings{"Caption", "Name", "Tag"}));
  EXPECT_EQ(List({l, w}), (Strings{"Caption", "Name", "Tag"}));
  // A font shares only its Name; a bare persistent shares nothing.
  TOwned<TFontLike> font(New<TFontLike>());
  EXPECT_EQ(List({w, font.get()}), (Strings{"Name"}));
  TOwned<TPersistent> bare(New<TPersistent>());
  EXPECT_TRUE(List({w, bare.get()}).empty());
}

TEST_F(Listing, SingleSelectEditorsReadOnlyHiddenAndFilteredPropertiesAreLeftOut) {
  registry.RegisterPropertyEditor(TypeInfo<String>(), TWidget::StaticClass(), "Caption",
                                  TSingleEditor::StaticClass());
  auto* a = Make<TWidget>("A");
  auto* b = Make<TWidget>("B");
  EXPECT_TRUE(Has(List({a}), "Caption"));
  Strings two = List({a, b});
  EXPECT_FALSE(Has(two, "Caption"));
  EXPECT_TRUE(Has(two, "Width"));

  EXPECT_TRUE(Has(List({a}), "Info"));
  GShowReadOnlyProps = false;
  Strings hidden = List({a});
  EXPECT_FALSE(Has(hidden, "Info"));
  EXPECT_TRUE(Has(hidden, "Font")); // a read-only property of a class type stays
  GShowReadOnlyProps = true;

  registry.RegisterPropertyEditor(TypeInfo<Int64>(), TWidget::StaticClass(), "Tag", nullptr);
  Strings names = List({a}, tkProperties, nullptr,
                       [](const IPtr<IProperty>& p) { return p->GetName().size() > 4; });
  EXPECT_EQ(names, (Strings{"Buddy", "Caption", "Circle", "Color", "Limited", "Shape", "Width"}));
}

TEST_F(Listing, UnavailableValueRemovesTheProperty) {
  registry.RegisterPropertyEditor(TypeInfo<String>(), TWidget::StaticClass(), "Caption",
                                  TFailingEditor::StaticClass());
  auto* w = Make<TWidget>("W1");
  TFailingEditor::FailInGetValue = true;
  EXPECT_TRUE(Has(List({w}), "Caption")) << "only components that ask for it are tested";
  w->CheckAvailability(true);
  EXPECT_FALSE(Has(List({w}), "Caption"));
}

TEST_F(Listing, EditorFailuresPropagateWithoutLeaks) {
  registry.RegisterPropertyEditor(TypeInfo<String>(), TWidget::StaticClass(), "Caption",
                                  TFailingEditor::StaticClass());
  auto* a = Make<TWidget>("A");
  auto* b = Make<TWidget>("B");
  TFailingEditor::FailInConstructor = true;
  EXPECT_THROW(List({a, b}), EInvalidOperation);
  TFailingEditor::FailInConstructor = false;
  TFailingEditor::FailInInitialize = true;
  EXPECT_THROW(List({a, b}), EInvalidOperation);
  TFailingEditor::FailInInitialize = false;
  EXPECT_EQ(TCountedEditor::Live, 0);

  int calls = 0;
  EXPECT_THROW(registry.GetComponentProperties(Selection({a, b}), tkProperties, nullptr,
                                               [&](const IPtr<IProperty>&) {
                                                 if (++calls == 3) throw ERangeError("stop");
                                               }),
               ERangeError);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(TCountedEditor::Live, 0);
}

// ---- Selection property filters ---------------------------------------------------------------

/// Keeps only the properties whose names start with a letter, in reverse order.
class TReverseFilter : public TSelectionEditor, public ISelectionPropertyFilter {
  FW_CLASS(TReverseFilter)
public:
  explicit TReverseFilter(char first) : TSelectionEditor(nullptr), FFirst(first) {}
  void FilterProperties(const IPtr<IDesignerSelections>& selection,
                        const IPtr<IInterfaceList>& properties) override {
    SeenCount = selection->GetCount();
    for (Integer i = properties->GetCount() - 1; i >= 0; --i)
      if (QueryIntf<IProperty>(properties->Get(i))->GetName()[0] != FFirst) properties->Delete(i);
    for (Integer i = 0, j = properties->GetCount() - 1; i < j; ++i, --j)
      properties->Exchange(i, j);
  }
  char FFirst;
  static inline Integer SeenCount = 0;
};
TClass TReverseFilter::StaticClass() {
  return PlainClass<TReverseFilter, TSelectionEditor, ISelectionPropertyFilter>("TReverseFilter");
}

TPersistent* gSelectionSeen = nullptr;
IPtr<ISelectionEditorList> SelectionEditorsForC(const IPtr<IDesigner>&,
                                                const IPtr<IDesignerSelections>& sel) {
  gSelectionSeen = sel->GetCount() ? sel->Get(0) : nullptr;
  auto* list = New<TSelectionEditorList>();
  IPtr<ISelectionEditorList> ref(list);
  list->Add(IPtr<ISelectionEditor>(New<TReverseFilter>('C')));
  return ref;
}

TEST_F(Listing, SelectionFiltersTrimTheGatheredEditors) {
  auto* w = Make<TWidget>("W1");
  TTestDesigner* d;
  IPtr<IDesigner> designer = MakeTestDesigner(d);
  d->Selection = {form.get()};
  GetSelectionEditorsProc = &SelectionEditorsForC;
  Strings names = List({w}, tkProperties, designer);
  GetSelectionEditorsProc = nullptr;
  EXPECT_EQ(names, (Strings{"Color", "Circle", "Caption"}));
  EXPECT_EQ(gSelectionSeen, form.get()); // asked with the designer's selection
  EXPECT_EQ(TReverseFilter::SeenCount, 1);
  // Without a designer no filter is asked.
  GetSelectionEditorsProc = &SelectionEditorsForC;
  EXPECT_EQ(List({w}).size(), 12u);
  GetSelectionEditorsProc = nullptr;
}

} // namespace
} // namespace fwtest
