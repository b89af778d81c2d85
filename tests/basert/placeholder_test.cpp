#include "basert/placeholder.h"

#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "basert/onexit.h"
#include "support/formfiles.h"
#include "support/formtext.h"
#include "support/updatemodel.h"
#include "test_util.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;
using fwtest::Written;

namespace {

TOwned<TComponent> ReadKeeping(std::string_view binary) {
  TStringStream in{std::string(binary)};
  TReader r(&in, 4096);
  r.UsePlaceholders = true;
  return TOwned<TComponent>(r.ReadRootComponent(nullptr));
}

std::string Text(const std::string& binary, TTextSyntax syntax) {
  TStringStream in(binary);
  TMemoryStream text;
  ObjectBinaryToText(in, text, syntax);
  return std::string(text.View());
}

/// Registers the framework's base classes for the test, unless they are already known.
struct KnownBaseClasses {
  const bool Component = GetClass("TComponent") != nullptr;
  const bool Module = GetClass("TDataModule") != nullptr;
  KnownBaseClasses() {
    if (!Component) RegisterClass(TComponent::StaticClass());
    if (!Module) RegisterClass(TDataModule::StaticClass());
  }
  ~KnownBaseClasses() {
    if (!Module) UnRegisterClass(TDataModule::StaticClass());
    if (!Component) UnRegisterClass(TComponent::StaticClass());
  }
};

/// A box that, placed inline, owns what it holds, as a frame does.
class TPlacedBox : public TUpBox {
  FW_CLASS(TPlacedBox)
public:
  using TUpBox::TUpBox;
  TComponent* GetChildOwner() override {
    return ComponentState().Contains(stateInline) ? this : nullptr;
  }
};

TClass TPlacedBox::StaticClass() {
  static const TClass cls = TClassBuilder<TPlacedBox, TUpBox>("TPlacedBox").Build();
  return cls;
}

} // namespace

TEST(Placeholder, EveryRepositoryFormRoundTripsByteForByte) {
  const auto forms = RepositoryForms();
  ASSERT_GE(forms.size(), 13u);
  for (const TFormFile& f : forms) {
    SCOPED_TRACE(f.Path);
    auto root = ReadKeeping(f.Binary);
    ASSERT_TRUE(root);
    EXPECT_TRUE(IsPlaceholder(root.get()));
    const std::string back = WriteBinary(root.get());
    EXPECT_EQ(back, f.Binary);
    if (!f.Text.empty()) {
      EXPECT_EQ(Text(back, f.Syntax), f.Text);
    }
  }
  // Unless asked for, unknown classes still raise.
  EXPECT_THROW(ReadBinary(TextToBinary("object Form1: TNowhere\nend\n")), EClassNotFound);
}

TEST(Placeholder, StoredValuesShowAndTakeTextInTheirOwnKind) {
  using W = TBinaryWriterCore&;
  struct TCase {
    std::string Stored;
    const char* Shown;
    const char* Typed;
    std::string Expected; // empty: refused
  };
  const std::vector<TCase> cases = {
      // A string stays a string, even when the text looks like a number.
      {Written([](W w) { w.WriteString("it's"); }), "it's", "123",
       Written([](W w) { w.WriteString("123"); })},
      {Written([](W w) { w.WriteWideString(u"\u00e9t\u00e9"); }), "\xc3\xa9t\xc3\xa9",
       "caf\xc3\xa9", Written([](W w) { w.WriteString("caf\xc3\xa9"); })},
      // An identifier stays one; True and nil keep their own tags.
      {Written([](W w) { w.WriteIdent("clRed"); }), "clRed", "Form2.Button1",
       Written([](W w) { w.WriteIdent("Form2.Button1"); })},
      {Written([](W w) { w.WriteBoolean(true); }), "True", "False",
       Written([](W w) { w.WriteBoolean(false); })},
      {Written([](W w) { w.WriteIdent("clRed"); }), "clRed", "two words", ""},
      {Written([](W w) { w.WriteIdent("clRed"); }), "clRed", "'quoted'", ""},
      // Numbers: integers take the smallest tag, floats keep theirs.
      {Written([](W w) { w.WriteIntegerAs(vaInt32, 5); }), "5", "-200",
       Written([](W w) { w.WriteInteger(-200); })},
      {Written([](W w) { w.WriteInteger(5); }), "5", "1.5", ""},
      {Written([](W w) { w.WriteSingle(0.5f); }), "0.5", "0.25",
       Written([](W w) { w.WriteSingle(0.25f); })},
      {Written([](W w) { w.WriteFloat(0.1L); }), "0.1", "2.5E3",
       Written([](W w) { w.WriteFloat(2500.0L); })},
      {Written([](W w) { w.WriteCurrency(Currency::FromScaled(15000)); }), "1.5", "2",
       Written([](W w) { w.WriteCurrency(Currency::FromScaled(20000)); })},
      {Written([](W w) { w.WriteDouble(1e300); }), "1E+300", "x", ""},
      // Sets.
      {Written([](W w) {
         w.WriteSet({"fsBold", "fsItalic"});
       }),
       "[fsBold,fsItalic]", " [ fsUnderline ]", Written([](W w) { w.WriteSet({"fsUnderline"}); })},
      {Written([](W w) { w.WriteSet({}); }), "[]", "fsBold", ""},
      {Written([](W w) { w.WriteSet({}); }), "[]", "[a b]", ""},
      // What text cannot carry is shown by its kind and refused.
      {Written([](W w) { w.WriteBinary("\x01\x02", 2); }), "(Binary)", "0102", ""},
      {Written([](W w) {
         w.WriteListBegin();
         w.WriteString("a");
         w.WriteListEnd();
       }),
       "(List)", "a", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Shown);
    EXPECT_EQ(StoredValueText(c.Stored), c.Shown);
    if (c.Expected.empty())
      EXPECT_THROW(StoredValueFromText(c.Stored, c.Typed), Exception);
    else
      EXPECT_EQ(StoredValueFromText(c.Stored, c.Typed), c.Expected);
  }
  EXPECT_EQ(MessageOf([] {
              StoredValueFromText(Written([](W w) { w.WriteIdent("clRed"); }), "two words");
            }),
            "'two words' is not a valid identifier");
}

TEST(Placeholder, EditingOneStoredPropertyChangesOnlyItsValue) {
  // Every text-kind property of every placeholder of every form, one at a time.
  auto newText = [](TStoredKind kind) -> const char* {
    switch (kind) {
    case TStoredKind::String:
      return "edited";
    case TStoredKind::Ident:
      return "Edited";
    case TStoredKind::Integer:
      return "7";
    case TStoredKind::Float:
      return "0.75";
    case TStoredKind::Set:
      return "[]";
    default:
      return nullptr;
    }
  };
  int edits = 0;
  for (const TFormFile& f : RepositoryForms()) {
    SCOPED_TRACE(f.Path);
    // The placeholders in stream order.
    std::function<void(TComponent*, std::vector<TPlaceholder*>&)> walk =
        [&](TComponent* c, std::vector<TPlaceholder*>& out) {
          if (TPlaceholder* p = AsPlaceholder(c)) {
            out.push_back(p);
            for (TComponent* child : p->StoredChildren())
              walk(child, out);
          }
        };
    auto probe = ReadKeeping(f.Binary);
    std::vector<TPlaceholder*> probed;
    walk(probe.get(), probed);
    std::vector<std::pair<std::size_t, String>> targets; // placeholder index, property
    for (std::size_t i = 0; i < probed.size(); ++i)
      for (const TStoredProperty& sp : probed[i]->StoredProperties())
        if (newText(StoredKindOf(sp.Value))) targets.emplace_back(i, sp.Name);
    for (const auto& target : targets) {
      const String& property = target.second;
      SCOPED_TRACE(probed[target.first]->StoredClassName() + "." + property);
      auto root = ReadKeeping(f.Binary);
      std::vector<TPlaceholder*> placeholders;
      walk(root.get(), placeholders);
      ASSERT_EQ(placeholders.size(), probed.size());
      TPlaceholder* p = placeholders[target.first];
      const std::string before = p->FindStored(property)->Value;
      const String text = newText(StoredKindOf(before));
      p->SetStoredText(property, text);
      const std::string after = p->FindStored(property)->Value;
      // Input and output differ in one stretch no longer than the value.
      const std::string out = WriteBinary(root.get());
      ASSERT_EQ(out.size() + before.size(), f.Binary.size() + after.size());
      std::size_t head = 0, tail = 0;
      while (head < out.size() && head < f.Binary.size() && out[head] == f.Binary[head])
        ++head;
      while (tail < out.size() - head && tail < f.Binary.size() - head &&
             out[out.size() - 1 - tail] == f.Binary[f.Binary.size() - 1 - tail])
        ++tail;
      EXPECT_LE(f.Binary.size() - head - tail, before.size());
      EXPECT_LE(out.size() - head - tail, after.size());
      EXPECT_EQ(StoredValueText(after), text);
      ++edits;
    }
  }
  EXPECT_GT(edits, 100);
}

TEST(Placeholder, ChildrenAddedOrDeletedByTheDesignerAreWrittenOrLeftOut) {
  const std::string text = "object Data: TOrdersData\r\n"
                           "  object Connection: TConnection\r\n"
                           "    Left = 40\r\n"
                           "  end\r\n"
                           "  object Orders: TDataSet\r\n"
                           "    Left = 120\r\n"
                           "    object OrdersID: TAutoIncField\r\n"
                           "    end\r\n"
                           "  end\r\n"
                           "end\r\n";
  auto root = ReadKeeping(TextToBinary(text));
  root->FindComponent("OrdersID")->Free();
  root->FindComponent("Connection")->Free();
  New<TComponent>(root.get())->SetName("Added");
  // A moved icon stores its new position, also where the stream had none.
  root->FindComponent("Orders")->SetDesignInfo(120 | (30 << 16));
  EXPECT_EQ(BinaryToText(WriteBinary(root.get())), "object Data: TOrdersData\r\n"
                                                   "  object Orders: TDataSet\r\n"
                                                   "    Left = 120\r\n"
                                                   "    Top = 30\r\n"
                                                   "  end\r\n"
                                                   "  object Added: TComponent\r\n"
                                                   "  end\r\n"
                                                   "end\r\n");
}

TEST(Placeholder, HandMadeStreamsComeBackAsTheyWere) {
  using W = TBinaryWriterCore&;
  auto header = [](W w, std::string_view cls, std::string_view name) {
    w.WriteStr(cls);
    w.WriteStr(name);
  };
  const KnownBaseClasses known;
  struct TCase {
    const char* What;
    std::string Stream;
    int RootProperties; // -1: the root's class is known
  };
  const std::vector<TCase> cases = {
      {"a name given twice and every prefix", Written([&](W w) {
         w.WriteSignature();
         w.WritePrefix(ffInherited | ffChildPos, 3);
         header(w, "TOld", "Old");
         for (int i : {1, 2}) {
           w.WriteStr("Left");
           w.WriteIntegerAs(vaInt32, i);
         }
         w.WriteListEnd();
         w.WriteByte(0xF8); // a flag no writer sets
         header(w, "TNew", "");
         w.WriteListEnd();
         w.WriteListEnd();
         w.WriteListEnd();
       }),
       2},
      // kept-name-case: one placeholder class serves both spellings, each written as read;
      // a known class keeps its spelling and unit too.
      {"class names in another case or with their unit", Written([&](W w) {
         w.WriteSignature();
         header(w, "tOld", "Old");
         w.WriteListEnd();
         int n = 0;
         for (const char* cls : {"TOld", "TOLD", "tcomponent", "Classes.TComponent"}) {
           header(w, cls, "C" + std::to_string(++n));
           w.WriteListEnd();
           w.WriteListEnd();
         }
         w.WriteListEnd();
       }),
       0},
      // placeholder-unreadable: a data module lists what it owns, but what a placeholder read
      // as its child is written there only.
      {"children of a placeholder in a data module",
       TextToBinary("object Data: TDataModule\n"
                    "  object Orders: TDataSet\n"
                    "    object OrdersID: TAutoIncField\n    end\n"
                    "    object Known: TComponent\n    end\n"
                    "  end\n"
                    "end\n"),
       -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto root = ReadKeeping(c.Stream);
    const TPlaceholder* p = AsPlaceholder(root.get());
    EXPECT_EQ(p ? static_cast<int>(p->StoredProperties().size()) : -1, c.RootProperties);
    EXPECT_EQ(WriteBinary(root.get()), c.Stream);
  }
}

// Flags do not make a known class a placeholder. An inherited entry names what was there before
// the stream; one that finds what the stream has read already is not that component.
TEST(Placeholder, FlaggedKnownClassesAreMadeAndAnInheritedNameIsNeverReadTwice) {
  const KnownBaseClasses known;
  {
    const std::string flagged = TextToBinary("object Data: TDataModule\n"
                                             "  inline Part: TComponent [0]\n"
                                             "    inherited Inner: TComponent\n    end\n  end\n"
                                             "end\n");
    auto root = ReadKeeping(flagged);
    TComponent* part = root->FindComponent("Part");
    TComponent* inner = root->FindComponent("Inner");
    ASSERT_TRUE(part && inner);
    EXPECT_FALSE(IsPlaceholder(part));
    EXPECT_TRUE(part->ComponentState().Contains(stateInline));
    EXPECT_TRUE(IsPlaceholder(inner));
    EXPECT_EQ(WriteBinary(root.get()), flagged);
  }
  // inherited-found-again: the second Inner was read into the first, written under both parents,
  // and the saved form no longer read. A placeholder of its own clashes with the first by name.
  for (const char* form : {"object Root: TUnknownRoot\n"
                           "  object Inner: TUnknownPart\n  end\n"
                           "  inherited Inner: TComponent\n  end\n"
                           "end\n",
                           "object Data: TDataModule\n"
                           "  inline Part: TComponent [0]\n"
                           "    inherited Inner: TComponent\n    end\n  end\n"
                           "  object Other: TComponent\n"
                           "    inherited Inner: TComponent\n    end\n  end\n"
                           "end\n"}) {
    SCOPED_TRACE(form);
    EXPECT_EQ(MessageOf([&] { ReadKeeping(TextToBinary(form)); }),
              "A component named Inner already exists");
  }
  // Without placeholders the ancestor is not found, even when the handler offers the same one.
  const std::string twice = TextToBinary("object Data: TDataModule\n"
                                         "  object Inner: TComponent\n  end\n"
                                         "  object Other: TComponent\n"
                                         "    inherited Inner: TComponent\n    end\n  end\n"
                                         "end\n");
  for (bool offer : {false, true}) {
    TStringStream in{twice};
    TReader r(&in, 4096);
    if (offer)
      r.OnAncestorNotFound = [](TReader* reader, const String& name, TClass, TComponent*& c) {
        c = reader->LookupRoot()->FindComponent(name);
      };
    EXPECT_EQ(MessageOf([&] { TOwned<TComponent> root(r.ReadRootComponent(nullptr)); }),
              "Ancestor for 'Inner' not found")
        << offer;
  }
  // inherited-inside-itself: a name found again is never the component being read.
  const std::string nested = TextToBinary("object Data: TDataModule\n  inline Part: TUnknownFrame\n"
                                          "    inherited Inner: TComponent\n"
                                          "      inherited Inner: TComponent\n      end\n    end\n"
                                          "  end\nend\n");
  EXPECT_EQ(WriteBinary(ReadKeeping(nested).get()), nested);
}

// placed-frame-order: children of a frame placed inline were listed after the load under the
// module, not under the frame, so they were written in their new order with the positions as
// read, and each save moved them again.
TEST(Placeholder, ChildPositionsInsideAPlacedFrameSurviveEverySave) {
  const KnownBaseClasses known;
  RegisterClasses({TUpBox::StaticClass(), TPlacedBox::StaticClass()});
  TOnExit unregister([] {
    UnRegisterClass(TPlacedBox::StaticClass());
    UnRegisterClass(TUpBox::StaticClass());
  });
  const std::string form = TextToBinary("object Data: TDataModule\n"
                                        "  inline Box: TPlacedBox\n"
                                        "    object A: TUpBox\n    end\n"
                                        "    object B: TUpBox [1]\n    end\n"
                                        "    object C: TUpBox [1]\n    end\n"
                                        "    object Odd: TUnknownPart [0]\n    end\n"
                                        "  end\n"
                                        "end\n");
  std::string stream = form;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto root = ReadKeeping(stream);
    auto* box = dynamic_cast<TPlacedBox*>(root->FindComponent("Box"));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->BoxNames(), (std::vector<String>{"A", "C", "B"}));
    ASSERT_TRUE(box->FindComponent("Odd"));
    EXPECT_TRUE(IsPlaceholder(box->FindComponent("Odd")));
    stream = WriteBinary(root.get());
    EXPECT_EQ(stream, form);
  }
}

// frame-references: inside a placed frame names are looked up in the frame first. A reference
// to the module's own component ("Data.Menu", or "Tools" as saved before) was never found, and
// one written anew came out bare ("Menu", "Owner"), which the frame's namesake or the frame
// itself then answered.
TEST(Placeholder, ReferencesInsideAPlacedFrameKeepTheirTargetsAndBytes) {
  const KnownBaseClasses known;
  RegisterClasses({TUpThing::StaticClass(), TUpBox::StaticClass(), TPlacedBox::StaticClass()});
  TOnExit unregister([] {
    UnRegisterClass(TPlacedBox::StaticClass());
    UnRegisterClass(TUpBox::StaticClass());
    UnRegisterClass(TUpThing::StaticClass());
  });
  std::string source = "object Data: TDataModule\n"
                       "  object Menu: TUpThing\n  end\n"
                       "  object Tools: TUpThing\n  end\n"
                       "  inline Box: TPlacedBox\n"
                       "    Buddy = Data.Menu\n"
                       "    object A: TUpBox\n      Buddy = B\n    end\n"
                       "    object B: TUpBox\n      Buddy = Data.Menu\n    end\n"
                       "    object Menu: TUpBox\n    end\n"
                       "    object C: TUpBox\n      Buddy = Tools\n    end\n"
                       "  end\n"
                       "end\n";
  struct TModel {
    TComponent* Menu;
    TUpThing* Box;
    TUpThing* A;
    TUpThing* B;
    TUpThing* C;
    TComponent* BoxMenu;
  };
  auto model = [](TComponent* root) {
    auto* box = dynamic_cast<TUpThing*>(root->FindComponent("Box"));
    EXPECT_TRUE(box);
    if (!box) return TModel{};
    auto thing = [box](const char* name) {
      return dynamic_cast<TUpThing*>(box->FindComponent(name));
    };
    return TModel{
        root->FindComponent("Menu"), box, thing("A"), thing("B"), thing("C"), thing("Menu")};
  };
  auto root = ReadKeeping(TextToBinary(source));
  TModel m = model(root.get());
  ASSERT_TRUE(m.Menu && m.Box && m.A && m.B && m.C && m.BoxMenu);
  EXPECT_EQ(m.Box->FBuddy, m.Menu);
  EXPECT_EQ(m.A->FBuddy, m.B);
  EXPECT_EQ(m.B->FBuddy, m.Menu);
  EXPECT_EQ(m.C->FBuddy, root->FindComponent("Tools"));
  EXPECT_EQ(WriteBinary(root.get()), TextToBinary(source));

  // One property edited: only that one changes.
  m.A->FCaption = "x";
  const std::string buddyB = "      Buddy = B\n";
  source.insert(source.find(buddyB) + buddyB.size(), "      Caption = 'x'\n");
  EXPECT_EQ(WriteBinary(root.get()), TextToBinary(source));

  // References set anew, written by the writer's own rules: read back (keeping or not) they
  // name the same components, and a second save of what was kept gives the same bytes.
  m.Box->SetBuddy(root.get());
  m.A->SetBuddy(m.Menu);
  m.B->SetBuddy(m.BoxMenu);
  const std::string edited = WriteBinary(root.get());
  for (bool keeping : {true, false}) {
    SCOPED_TRACE(keeping);
    TOwned<TComponent> again =
        keeping ? ReadKeeping(edited) : TOwned<TComponent>(ReadBinary(edited));
    const TModel r = model(again.get());
    ASSERT_TRUE(r.Box && r.A && r.B);
    EXPECT_EQ(r.Box->FBuddy, again.get());
    EXPECT_EQ(r.A->FBuddy, r.Menu);
    EXPECT_EQ(r.B->FBuddy, r.BoxMenu);
    if (keeping) {
      EXPECT_EQ(WriteBinary(again.get()), edited);
    }
  }
}
