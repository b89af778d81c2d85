#include "designeditors/storedvalueeditor.h"

#include "basert/filer.h"
#include "basert/formtext.h"
#include "basert/placeholder.h"
#include "designeditors/editorregistry.h"
#include "editor_test_classes.h"
#include "support/testdesigner.h"

#include <gtest/gtest.h>

namespace fwtest {
namespace {

/// Placeholders read from form text, and the editors the inspector would get for them.
struct StoredValues : ::testing::Test {
  TPropertyEditorRegistry registry;
  IPtr<TTestDesigner> designer{New<TTestDesigner>()};
  TOwned<TComponent> root;
  std::vector<IPtr<IProperty>> editors;

  void SetUp() override {
    registry.RegisterPropertyEditor(StoredValueTypeInfo(), nullptr, "",
                                    TStoredValueProperty::StaticClass());
    const std::string text = "object Shop: TShopForm\n"
                             "  Caption = 'Open'\n"
                             "  Color = clRed\n"
                             "  Count = 3\n"
                             "  Ratio = 0.5s\n"
                             "  Font.Style = [fsBold]\n"
                             "  Icon.Data = {0102}\n"
                             "  object Till1: TTill\n"
                             "    Count = 4\n"
                             "    Drawer = 'cash'\n"
                             "  end\n"
                             "  object Till2: TTill\n"
                             "    Count = 4\n"
                             "  end\n"
                             "end\n";
    TStringStream in(text);
    TMemoryStream bin;
    ObjectTextToBinary(in, bin);
    bin.SetPosition(0);
    TReader r(&bin, 4096);
    r.UsePlaceholders = true;
    root.reset(r.ReadRootComponent(nullptr));
    designer->Root = root.get();
  }
  std::vector<String> List(std::initializer_list<TPersistent*> objects) {
    editors.clear();
    registry.GetComponentProperties(Selection(objects), tkProperties,
                                    IPtr<IDesigner>(designer.get()),
                                    [&](const IPtr<IProperty>& p) { editors.push_back(p); });
    return NamesOf(editors);
  }
  IPtr<IProperty> Editor(const String& name) {
    for (const auto& e : editors)
      if (e->GetName() == name) return e;
    return {};
  }
};

TEST_F(StoredValues, TheInspectorListsStoredPropertiesWithTheirValues) {
  EXPECT_EQ(List({root.get()}), (Strings{"Caption", "Color", "Count", "Font.Style", "Icon.Data",
                                         "Name", "Ratio", "Tag"}));
  EXPECT_EQ(Editor("Caption")->GetValue(), "Open");
  EXPECT_EQ(Editor("Font.Style")->GetValue(), "[fsBold]");
  EXPECT_EQ(Editor("Ratio")->GetValue(), "0.5");
  EXPECT_EQ(Editor("Icon.Data")->GetValue(), "(Binary)");
  EXPECT_TRUE(Editor("Icon.Data")->GetAttributes().Contains(paReadOnly));
  EXPECT_FALSE(Editor("Color")->GetAttributes().Contains(paReadOnly));
  // Two of a class: only what both store, with one value when they agree.
  TComponent* till1 = root->FindComponent("Till1");
  TComponent* till2 = root->FindComponent("Till2");
  EXPECT_EQ(till1->ClassName(), "TTill");
  EXPECT_EQ(till1->ClassType(), till2->ClassType());
  EXPECT_EQ(List({till2}), (Strings{"Count", "Name", "Tag"}));
  EXPECT_EQ(List({till1, till2}), (Strings{"Count", "Name", "Tag"}));
  EXPECT_EQ(Editor("Count")->GetValue(), "4");
}

TEST_F(StoredValues, SetValueKeepsTheKindAndRefusesOtherText) {
  List({root.get()});
  Editor("Caption")->SetValue("42");
  EXPECT_EQ(StoredKindOf(AsPlaceholder(root.get())->FindStored("Caption")->Value),
            TStoredKind::String);
  Editor("Color")->SetValue("clBlue");
  Editor("Font.Style")->SetValue("[fsBold, fsItalic]");
  Editor("Ratio")->SetValue("0.25");
  EXPECT_EQ(designer->ModifiedCount, 4);
  struct TRefusal {
    const char* Property;
    const char* Text;
    const char* Message;
  };
  for (const TRefusal& r : std::initializer_list<TRefusal>{
           {"Color", "not an ident", "'not an ident' is not a valid identifier"},
           {"Count", "3.5", "'3.5' is not a valid integer value"},
           {"Ratio", "half", "'half' is not a valid floating point value"},
           {"Font.Style", "fsBold", "'fsBold' is not a set: [name, ...] expected"},
           {"Icon.Data", "0102", "Icon.Data holds Binary and cannot be set as text"}}) {
    EXPECT_EQ(MessageOf<EDesignPropertyError>([&] { Editor(r.Property)->SetValue(r.Text); }),
              r.Message)
        << r.Property;
  }
  EXPECT_EQ(designer->ModifiedCount, 4);
  const TPlaceholder* p = AsPlaceholder(root.get());
  EXPECT_EQ(p->StoredText("Color"), "clBlue");
  EXPECT_EQ(p->StoredText("Font.Style"), "[fsBold,fsItalic]");
  EXPECT_EQ(p->StoredText("Ratio"), "0.25");
  EXPECT_EQ(p->StoredText("Count"), "3");
  // A multi-selection is written to every entry.
  List({root->FindComponent("Till1"), root->FindComponent("Till2")});
  Editor("Count")->SetValue("9");
  EXPECT_EQ(AsPlaceholder(root->FindComponent("Till2"))->StoredText("Count"), "9");
  EXPECT_EQ(AsPlaceholder(root->FindComponent("Till1"))->StoredText("Count"), "9");
}

} // namespace
} // namespace fwtest
