#include "basert/filer.h"

#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "basert/exceptions.h"
#include "basert/formtext.h"
#include "test_classes.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace fw;
using namespace fwtest;

namespace {

/// A root that owns its children in the stream, like a form or a data module.
class TTestRoot : public TDataModule {
  FW_CLASS(TTestRoot)
public:
  using TDataModule::TDataModule;
};

TClass TTestRoot::StaticClass() {
  static const TClass cls = TClassBuilder<TTestRoot, TDataModule>("TTestRoot", "Tests").Build();
  return cls;
}

struct Registered {
  Registered() {
    RegisterClasses({TTestRoot::StaticClass(), TSample::StaticClass(), TListener::StaticClass(),
                     TWithItems::StaticClass()});
  }
};
const Registered registered;

String ToText(TMemoryStream& binary) {
  binary.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(binary, text);
  binary.SetPosition(0);
  return String(reinterpret_cast<const char*>(text.Memory()),
                static_cast<std::size_t>(text.Size()));
}

void FromText(const String& text, TMemoryStream& binary) {
  TMemoryStream in;
  in.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(in, binary);
  binary.SetPosition(0);
}

// Reads a root from the start of the stream, into `root` when one is given.
TComponent* ReadRoot(TMemoryStream& in, TComponent* root = nullptr) {
  in.SetPosition(0);
  TReader r(&in, 1024);
  return r.ReadRootComponent(root);
}

// The same with an error handler that takes every error, collecting its message.
TComponent* ReadRootHandled(TMemoryStream& in, std::vector<String>& errors,
                            TComponent* root = nullptr, Integer bufferSize = 1024) {
  in.SetPosition(0);
  TReader r(&in, bufferSize);
  r.OnError = [&](TReader*, const String& message, bool& handled) {
    errors.push_back(message);
    handled = true;
  };
  return r.ReadRootComponent(root);
}

void Write(TComponent* root, TMemoryStream& out, TComponent* ancestor = nullptr) {
  TWriter w(&out, 1024);
  w.WriteDescendent(root, ancestor);
  w.FlushBuffer();
  out.SetPosition(0);
}

TTestRoot* NewRoot(const String& name) {
  auto* r = New<TTestRoot>(nullptr);
  r->SetName(name);
  return r;
}

TSample* Add(TComponent* root, const String& name) {
  auto* s = New<TSample>(root);
  s->SetName(name);
  return s;
}

} // namespace

TEST(Filer, RootComponentRoundTripsEveryValueKind) {
  auto values = [](TSample* s) {
    return std::tie(s->FInt, s->FUInt, s->FSmall, s->FChar, s->FWChar, s->FColor, s->FColors,
                    s->FFlag, s->FSingle, s->FDouble, s->FExtended, s->FMoney, s->FWhen,
                    s->FCaption, s->FShort, s->FWide, s->FBig);
  };
  TOwned<TTestRoot> root(NewRoot("Form1"));
  TSample* a = Add(root.get(), "A");
  TSample* b = Add(root.get(), "B");
  values(a) = std::make_tuple(-70000, 4000000000u, 10, 'q', u'\u20AC', TColorKind::ckBlue,
                              TSet<TColorKind>{TColorKind::ckRed, TColorKind::ckBlue}, true, 0.5f,
                              0.1, 1.0L / 3.0L, Currency::FromScaled(123456), 45123.25,
                              "It's \xC3\xA9t\xC3\xA9", "short", u"wide \u4E2D", -(Int64{1} << 40));
  a->FAny = Variant(Int64{7});
  a->FFont->FName = "Courier";
  a->FBuddy = b; // a reference to a component read later
  a->SetDesignInfo((20 << 16) | 10);
  root->SetDesignSize({320, 240});

  TMemoryStream stream;
  Write(root.get(), stream);
  const String text = ToText(stream);
  // Unsigned values are not written as negative ones; defaults are left out.
  EXPECT_EQ(Missing(text, {"object Form1: TTestRoot", "Buddy = B", "Font.Name = 'Courier'",
                           "UInt = 4000000000\r\n"}),
            "")
      << text;
  EXPECT_EQ(text.find("Small = 1\r\n"), String::npos);
  TMemoryStream fromText; // the writer's binary comes back byte for byte through the text
  FromText(text, fromText);
  EXPECT_EQ(fromText.View(), stream.View());

  TOwned<TComponent> copy(ReadRoot(stream));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->ClassType(), TTestRoot::StaticClass());
  EXPECT_EQ(static_cast<TTestRoot*>(copy.get())->DesignSize(), (TPoint{320, 240}));
  auto* a2 = static_cast<TSample*>(copy->FindComponent("A"));
  auto* b2 = static_cast<TSample*>(copy->FindComponent("B"));
  ASSERT_TRUE(a2 && b2);
  // Compared exactly: a lossy writer and reader would still agree on the text.
  EXPECT_EQ(values(a2), values(a));
  EXPECT_EQ(a2->FAny.AsInt64(), 7);
  EXPECT_EQ(a2->FFont->FName, "Courier");
  EXPECT_EQ(a2->FBuddy, b2);
  EXPECT_EQ(a2->DesignInfo(), (20 << 16) | 10);
  EXPECT_FALSE(a2->ComponentState().Contains(stateLoading));

  // Written again, the copy gives the same bytes.
  TMemoryStream again;
  Write(copy.get(), again);
  EXPECT_EQ(ToText(again), text);

  // Unsigned values written as signed 32-bit numbers (as older streams hold them) read the same;
  // numbers beyond 32 bits are refused.
  for (const char* value : {"-294967296", "4000000000", "4294967296"}) {
    String old = text;
    old.replace(old.find("4000000000"), 10, value);
    TMemoryStream binary;
    FromText(old, binary);
    if (String(value) == "4294967296") {
      EXPECT_THROW(ReadRoot(binary), EReadError);
      continue;
    }
    TOwned<TComponent> back(ReadRoot(binary));
    EXPECT_EQ(static_cast<TSample*>(back->FindComponent("A"))->FUInt, 4000000000u) << value;
  }
}

TEST(Filer, EventsAreWrittenByNameAndFoundThroughTheRoot) {
  // The handler belongs to the root's class: here a sample component serves as root.
  TOwned<TSample> host(New<TSample>(nullptr));
  host->SetName("Host");
  auto* child = Add(host.get(), "Child");
  child->FOnClick =
      TNotifyEvent{{host->MethodAddress("Clicked"), static_cast<TObject*>(host.get())}};
  // Clipboard layout: signature and component per entry, then the end marker.
  TMemoryStream stream;
  {
    TWriter w(&stream, 1024);
    w.SetRoot(host.get());
    w.WriteSignature();
    w.WriteComponent(child);
    w.WriteListEnd();
  }
  EXPECT_NE(ToText(stream).find("OnClick = Clicked"), String::npos) << ToText(stream);

  TOwned<TSample> host2(New<TSample>(nullptr));
  std::vector<String> asked;
  TReader reader(&stream, 1024);
  reader.OnFindMethod = [&](TReader*, const String& name, void*& address, bool& error) {
    asked.push_back(name);
    EXPECT_FALSE(error); // the root's class has it
    (void)address;
  };
  std::vector<TComponent*> read;
  reader.ReadComponents(host2.get(), nullptr, [&](TComponent* c) { read.push_back(c); });
  ASSERT_EQ(read.size(), 1u);
  auto* child2 = static_cast<TSample*>(read[0]);
  EXPECT_EQ(asked, std::vector<String>{"Clicked"});
  EXPECT_EQ(child2->FOnClick.Data, static_cast<TObject*>(host2.get()));
  child2->FOnClick(child2);
  EXPECT_EQ(host2->Clicks, 1);
}

TEST(Filer, DescendentStreamHoldsOnlyWhatDiffers) {
  TOwned<TTestRoot> ancestor(NewRoot("Base"));
  TSample* a = Add(ancestor.get(), "A");
  a->FCaption = "Hello";
  Add(ancestor.get(), "B");

  // The descendant is read from the ancestor's stream and marked inherited.
  TMemoryStream base;
  Write(ancestor.get(), base);
  TOwned<TTestRoot> descendant(New<TTestRoot>(nullptr));
  ReadRoot(base, descendant.get());
  descendant->SetAncestor(true);
  ASSERT_EQ(descendant->ComponentCount(), 2);

  TMemoryStream unchanged;
  Write(descendant.get(), unchanged, ancestor.get());
  String text = ToText(unchanged);
  EXPECT_EQ(text, "inherited Base: TTestRoot\r\nend\r\n") << text;

  static_cast<TSample*>(descendant->FindComponent("B"))->FInt = 5;
  TSample* c = Add(descendant.get(), "C");
  c->SetAncestor(false);
  TMemoryStream changed;
  Write(descendant.get(), changed, ancestor.get());
  text = ToText(changed);
  EXPECT_EQ(text.find("inherited A"), String::npos) << text;
  EXPECT_EQ(Missing(text, {"inherited B: TSample\r\n    Int = 5\r\n  end", "object C: TSample"}),
            "")
      << text;

  // Reading the changes over a fresh copy of the ancestor gives the descendant.
  TOwned<TTestRoot> rebuilt(New<TTestRoot>(nullptr));
  ReadRoot(base, rebuilt.get());
  ReadRoot(changed, rebuilt.get());
  EXPECT_EQ(static_cast<TSample*>(rebuilt->FindComponent("B"))->FInt, 5);
  EXPECT_EQ(static_cast<TSample*>(rebuilt->FindComponent("A"))->FCaption, "Hello");
  EXPECT_NE(rebuilt->FindComponent("C"), nullptr);

  // An inherited child moved from its place carries the new position.
  descendant->FindComponent("B")->SetComponentIndex(0);
  TMemoryStream moved;
  Write(descendant.get(), moved, ancestor.get());
  text = ToText(moved);
  EXPECT_NE(text.find("inherited B: TSample [0]"), String::npos) << text;
}

TEST(Filer, CollectionsAreWrittenWholeWhenTheyDiffer) {
  TOwned<TTestRoot> root(NewRoot("Form1"));
  auto* grid = New<TWithItems>(root.get());
  grid->SetName("Grid");
  static_cast<TItem*>(grid->FItems->Add())->FText = "one";
  static_cast<TItem*>(grid->FItems->Add())->FText = "two";
  TMemoryStream stream;
  Write(root.get(), stream);
  const String text = ToText(stream);
  EXPECT_NE(text.find("Items = <\r\n      item\r\n        Text = 'one'\r\n      end"), String::npos)
      << text;
  TOwned<TComponent> copy(ReadRoot(stream));
  auto* grid2 = static_cast<TWithItems*>(copy->FindComponent("Grid"));
  ASSERT_EQ(grid2->FItems->Count(), 2);
  EXPECT_EQ(static_cast<TItem*>(grid2->FItems->Items(1))->FText, "two");
  EXPECT_TRUE(CollectionsEqual(grid->FItems, grid2->FItems, root.get(), copy.get()));
  static_cast<TItem*>(grid2->FItems->Items(1))->FText = "three";
  EXPECT_FALSE(CollectionsEqual(grid->FItems, grid2->FItems, root.get(), copy.get()));
}

TEST(Filer, ComponentsAreLoadingUntilLoaded) {
  TMemoryStream stream;
  FromText("object Form1: TTestRoot\r\n  object L: TListener\r\n  end\r\nend\r\n", stream);
  TOwned<TComponent> root(ReadRoot(stream));
  auto* l = static_cast<TListener*>(root->FindComponent("L"));
  ASSERT_TRUE(l);
  EXPECT_TRUE(l->LoadingWhenNamed);
  EXPECT_TRUE(l->WasLoaded);
  EXPECT_FALSE(l->ComponentState().Contains(stateLoading));
}

TEST(Filer, UnknownPropertiesAndClassesAreReportedOrSkippedWhenHandled) {
  TMemoryStream stream;
  FromText("object Form1: TTestRoot\r\n  object A: TSample\r\n    Bogus = 1\r\n    Int = 3\r\n"
           "  end\r\n  object X: TNoSuchClass\r\n    Int = 1\r\n    object Inner: TSample\r\n"
           "    end\r\n  end\r\n  object B: TSample\r\n    Int = 2\r\n  end\r\nend\r\n",
           stream);
  EXPECT_EQ(fwtest::MessageOf<EReadError>([&] { TOwned<TComponent> root(ReadRoot(stream)); }),
            "Error reading A.Bogus: Property Bogus does not exist");
  std::vector<String> errors;
  TOwned<TComponent> root(ReadRootHandled(stream, errors));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[1], "Class TNoSuchClass not found");
  EXPECT_EQ(root->ComponentCount(), 2); // the unknown object is skipped with its children
  EXPECT_EQ(static_cast<TSample*>(root->FindComponent("A"))->FInt, 3);
  EXPECT_EQ(static_cast<TSample*>(root->FindComponent("B"))->FInt, 2);
}

// A value refused halfway through (or by the object that streams it itself) is skipped whole,
// so that the next property is read from its own name; a small buffer makes the skip refill it.
TEST(Filer, AHandledErrorSkipsTheWholeValue) {
  const std::vector<std::string> refused = {
      "Colors = [ckRed, ckViolet, ckBlue]",           // set element unknown after a good one
      "Double = 'text'",                              // float given a string
      "Buddy = <\n    item\n      Int = 1\n    end>", // collection where a reference goes
      "Any = [ckRed]",                                // variant given a set
      "Font = (\n    1\n    2)",                      // object given a list
      "Nowhere.Deep = 'x'",                           // path through a missing property
      "Int = 'seven'",
  };
  for (const std::string& bad : refused) {
    SCOPED_TRACE(bad);
    TMemoryStream stream;
    FromText("object S: TSample\n  " + bad + "\n  Int = 7\n  Caption = 'after'\nend\n", stream);
    TOwned<TSample> root(New<TSample>(nullptr));
    std::vector<String> errors;
    ReadRootHandled(stream, errors, root.get(), 64);
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(root->FInt, 7);
    EXPECT_EQ(root->FCaption, "after");
  }
  TMemoryStream stream;
  FromText("object M: TDataModule\n  Height = 'tall'\n  HorizontalOffset = 7\nend\n", stream);
  TOwned<TDataModule> module(New<TDataModule>(nullptr));
  std::vector<String> errors;
  ReadRootHandled(stream, errors, module.get(), 64);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(module->DesignOffset().X, 7);
}

TEST(Filer, FailedReadsLeaveNothingHalfReadBehind) {
  // An unknown class: the root given keeps what it had.
  TMemoryStream stream;
  FromText("object Form1: TTestRoot\r\n  object A: TSample\r\n  end\r\n  object X: TNoSuchClass\r\n"
           "  end\r\nend\r\n",
           stream);
  TOwned<TTestRoot> root(NewRoot("Form1"));
  root->SetDesigning(true);
  EXPECT_THROW(ReadRoot(stream, root.get()), EClassNotFound);
  EXPECT_EQ(root->FindComponent("X"), nullptr);

  // A truncated stream with no root given: what was created is freed (ASan checks the leak).
  TMemoryStream whole;
  FromText("object Form1: TTestRoot\r\n  object A: TSample\r\n    Int = 5\r\n  end\r\nend\r\n",
           whole);
  for (Int64 cut = 1; cut < whole.Size(); ++cut) {
    TMemoryStream part;
    part.WriteBuffer(whole.Memory(), cut);
    part.SetPosition(0);
    TReader reader(&part, 64);
    EXPECT_THROW(reader.ReadRootComponent(nullptr), EReadError) << cut;
  }
}

namespace {
TComponent* gModule2 = nullptr;
TComponent* FindModule(const String& name) {
  return gModule2 && SameText(gModule2->Name(), name) ? gModule2 : nullptr;
}
} // namespace

TEST(Filer, ReferencesToOtherModulesWaitUntilTheModuleIsLoaded) {
  TMemoryStream stream;
  FromText("object Form1: TTestRoot\r\n  object A: TSample\r\n    Buddy = Module2.Target\r\n"
           "  end\r\nend\r\n",
           stream);
  TOwned<TComponent> form(ReadRoot(stream));
  auto* a = static_cast<TSample*>(form->FindComponent("A"));
  EXPECT_EQ(a->FBuddy, nullptr);
  EXPECT_EQ(GetFixupReferenceNames(form.get()), std::vector<String>{"Module2"});
  EXPECT_EQ(GetFixupInstanceNames(form.get(), "module2"), std::vector<String>{"A"});

  RegisterFindGlobalComponentProc(&FindModule);
  TOwned<TTestRoot> module2(NewRoot("Module2"));
  TSample* target = Add(module2.get(), "Target");
  gModule2 = module2.get();
  EXPECT_EQ(GlobalFixupReferences(), 1);
  EXPECT_EQ(a->FBuddy, target);
  EXPECT_TRUE(GetFixupReferenceNames(form.get()).empty());
  gModule2 = nullptr;
  UnregisterFindGlobalComponentProc(&FindModule);

  // A root that goes away takes its waiting references with it.
  TComponent* form2 = ReadRoot(stream);
  EXPECT_EQ(GetFixupReferenceNames(form2).size(), 1u);
  form2->Free();
  EXPECT_EQ(GlobalFixupReferences(), 0);
}

TEST(Filer, DefaultTestsFollowTheAncestor) {
  TOwned<TSample> s(New<TSample>(nullptr));
  TOwned<TSample> ancestor(New<TSample>(nullptr));
  PPropInfo small = GetPropInfo(s.get(), "Small");
  PPropInfo caption = GetPropInfo(s.get(), "Caption");
  auto noAncestor = [](TPersistent*& a, TComponent*&, TComponent*&, TComponent*&) { a = nullptr; };
  EXPECT_TRUE(IsDefaultPropertyValue(s.get(), small, noAncestor));
  s->FSmall = 2;
  EXPECT_FALSE(IsDefaultPropertyValue(s.get(), small, noAncestor));
  ancestor->FSmall = 2;
  ancestor->FCaption = "x";
  auto withAncestor = [&](TPersistent*& a, TComponent*&, TComponent*&, TComponent*&) {
    a = ancestor.get();
  };
  EXPECT_TRUE(IsDefaultPropertyValue(s.get(), small, withAncestor));
  EXPECT_FALSE(IsDefaultPropertyValue(s.get(), caption, withAncestor));
  EXPECT_TRUE(AncestorIsValid(ancestor.get(), s.get(), ancestor.get()));
  EXPECT_FALSE(AncestorIsValid(nullptr, s.get(), ancestor.get()));
}

TEST(Filer, NestedNamesWalkOwnedComponents) {
  TOwned<TTestRoot> root(NewRoot("Form1"));
  auto* frame = New<TTestRoot>(root.get());
  frame->SetName("Frame1");
  TSample* button = Add(frame, "Button1");
  EXPECT_EQ(FindNestedComponent(root.get(), "Frame1.Button1"), button);
  EXPECT_EQ(FindNestedComponent(root.get(), "frame1->button1"), button);
  EXPECT_EQ(FindNestedComponent(root.get(), "Frame1.Nope"), nullptr);
}

TEST(Filer, ReaderCallbacksRenameRedirectAndSupplyComponents) {
  TMemoryStream stream;
  FromText("object Form1: TTestRoot\r\n  object A: TSample\r\n    Buddy = B\r\n  end\r\n"
           "  object B: TMystery\r\n  end\r\nend\r\n",
           stream);
  TOwned<TTestRoot> root(NewRoot("Form1"));
  Add(root.get(), "A"); // taken: the reader is asked for another name
  TReader reader(&stream, 1024);
  reader.OnSetName = [](TReader*, TComponent* c, String& name) {
    if (c->Owner() && c->Owner()->FindComponent(name)) name += "_1";
  };
  reader.OnFindComponentClass = [](TReader*, const String& name, TClass& cls) {
    if (name == "TMystery") cls = TSample::StaticClass();
  };
  TComponent* supplied = nullptr;
  reader.OnCreateComponent = [&](TReader* r, TClass cls, TComponent*& c) {
    if (cls == TSample::StaticClass() && !supplied) c = supplied = New<TSample>(r->Owner());
  };
  std::vector<String> renamedRefs;
  reader.OnReferenceName = [&](TReader*, String& name) { renamedRefs.push_back(name); };
  reader.ReadRootComponent(root.get());
  auto* a1 = static_cast<TSample*>(root->FindComponent("A_1"));
  ASSERT_NE(a1, nullptr);
  EXPECT_EQ(a1, supplied);
  EXPECT_EQ(a1->FBuddy, root->FindComponent("B"));
  EXPECT_EQ(root->FindComponent("B")->ClassType(), TSample::StaticClass());
  EXPECT_EQ(renamedRefs, std::vector<String>{"B"});
}

TEST(Filer, InheritedComponentsMissingFromTheRootAskTheCallback) {
  TMemoryStream stream;
  FromText(
      "inherited Form1: TTestRoot\r\n  inherited Gone: TSample\r\n    Int = 4\r\n  end\r\nend\r\n",
      stream);
  TOwned<TTestRoot> root(NewRoot("Form1"));
  TSample* stand = Add(root.get(), "Stand");
  EXPECT_THROW(ReadRoot(stream, root.get()), EReadError);
  stream.SetPosition(0);
  TReader reader(&stream, 1024);
  reader.OnAncestorNotFound = [&](TReader*, const String& name, TClass cls, TComponent*& c) {
    EXPECT_EQ(name, "Gone");
    EXPECT_EQ(cls, TSample::StaticClass());
    c = stand;
  };
  reader.ReadRootComponent(root.get());
  EXPECT_EQ(stand->FInt, 4);
  EXPECT_EQ(stand->Name(), "Stand"); // inherited components keep their names
}

TEST(Filer, ReloadingReplacesWhatTheObjectAlreadyHeld) {
  // A collection read into an object that has items (a reload, an inherited form) starts empty.
  TMemoryStream stream;
  FromText(
      "object Grid: TWithItems\r\n  Items = <\r\n    item\r\n      Text = 'one'\r\n    end>\r\n"
      "end\r\n",
      stream);
  TOwned<TWithItems> grid(New<TWithItems>(nullptr));
  for (const char* text : {"old1", "old2", "old3"})
    static_cast<TItem*>(grid->FItems->Add())->FText = text;
  ReadRoot(stream, grid.get());
  ASSERT_EQ(grid->FItems->Count(), 1);
  EXPECT_EQ(static_cast<TItem*>(grid->FItems->Items(0))->FText, "one");
}

TEST(Filer, AReferenceToAMissingChildIsAReadErrorUnlessHandled) {
  TMemoryStream stream;
  FromText("object Form1: TTestRoot\r\n  object B: TSample\r\n  end\r\n  object A: TSample\r\n"
           "    Buddy = B.Missing\r\n  end\r\nend\r\n",
           stream);
  EXPECT_EQ(fwtest::MessageOf<EReadError>([&] { TOwned<TComponent> root(ReadRoot(stream)); }),
            "Invalid reference B.Missing in property Buddy");

  std::vector<String> errors;
  TOwned<TComponent> root(ReadRootHandled(stream, errors));
  EXPECT_EQ(errors, std::vector<String>{"Invalid reference B.Missing in property Buddy"});
  EXPECT_EQ(static_cast<TSample*>(root->FindComponent("A"))->FBuddy, nullptr);
  EXPECT_TRUE(GetFixupReferenceNames(root.get()).empty()); // nothing waits for B
}
