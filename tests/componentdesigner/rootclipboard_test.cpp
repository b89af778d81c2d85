#include "componentdesigner/clipboardstreams.h"

#include "basert/classbuilder.h"
#include "basert/formtext.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/eventmethods.h"
#include "componentdesigner/proxies.h"
#include "componentdesigner/rootselections.h"
#include "designedmodules.h"
#include "designer/designobjects.h"
#include "designer/selections.h"
#include "support/notificationlog.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/extctrls.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;
using fwtest::MessageOf;

namespace {

/// A label that names the control it focuses.
class TLinkLabel : public TLabel {
  FW_CLASS(TLinkLabel)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TLinkLabel(TComponent* owner) : TLabel(owner) {}
  TWinControl* FocusControl() const { return FFocus; }
  void SetFocusControl(TWinControl* value) {
    if (FFocus) FFocus->RemoveFreeNotification(this);
    FFocus = value;
    if (FFocus) FFocus->FreeNotification(this);
  }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TLabel::Notification(component, operation);
    if (operation == notifyRemove && component == FFocus) FFocus = nullptr;
  }

private:
  TWinControl* FFocus = nullptr;
};

TClass TLinkLabel::StaticClass() {
  static const TClass cls =
      TClassBuilder<TLinkLabel, TLabel>("TLinkLabel", "RootClipboardTest")
          .Property("FocusControl", &TLinkLabel::FocusControl, &TLinkLabel::SetFocusControl)
          .Build();
  return cls;
}

class RootClipboard : public fwtest::DesignedModules {
protected:
  void SetUp() override {
    DesignedModules::SetUp();
    RegisterClass(TLinkLabel::StaticClass());
  }
  void TearDown() override {
    DesignedModules::TearDown();
    UnRegisterClass(TLinkLabel::StaticClass());
  }
  template <class T> static T* Add(THostComponentRoot& root, const TRect& r = {8, 8, 83, 33}) {
    auto* c = static_cast<T*>(root.CreateComponent(T::StaticClass(), root.GetRoot(), r.Left, r.Top,
                                                   r.Width(), r.Height()));
    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    return c;
  }
  /// The selection of `names` streamed as the clipboard holds it.
  static std::unique_ptr<TMemoryStream> Copy(THostComponentRoot& root,
                                             std::initializer_list<const char*> names) {
    auto list = CreateSelectionList();
    for (const char* n : names)
      list->Add(root.GetComponent(n));
    root.SetSelections(list);
    auto stream = std::make_unique<TMemoryStream>();
    root.CopySelectionToStream(*stream, nullptr);
    stream->SetPosition(0);
    return stream;
  }
  static std::vector<String> Names(THostComponentRoot& root) {
    std::vector<String> v;
    for (TComponent* c : root.GetRoot()->ComponentList())
      v.push_back(c->Name());
    return v;
  }
  static std::vector<String> Selected(THostComponentRoot& root) {
    std::vector<String> v;
    auto list = root.GetSelection();
    for (Integer i = 0; i < list->GetCount(); ++i)
      v.push_back(static_cast<TComponent*>(list->Get(i))->Name());
    return v;
  }
  static String HandlerOf(THostComponentRoot& root, const String& name) {
    return root.GetMethodName(GetMethodProp(root.GetComponent(name), "OnClick"));
  }
};

} // namespace

TEST_F(RootClipboard, StreamHoldsBoundsComponentsAndSortedHandlerSource) {
  auto root = NewRoot("Form1");
  auto* b1 = Add<TButton>(*root, {10, 20, 110, 45});
  auto* b2 = Add<TButton>(*root, {40, 60, 60, 70});
  SetMethodProp(b1, "OnClick", root->CreateMethod("zeta", nullptr));
  SetMethodProp(b2, "OnClick", root->CreateMethod("Alpha", nullptr));

  auto one = Copy(*root, {"Button1"});
  const std::string_view bytes = one->View();
  EXPECT_EQ(bytes.substr(0, 12), std::string_view("\x02\x0A\x02\x14\x02\x6E\x02\x2D"
                                                  "TPF0",
                                                  12));
  // One component, the end of the list, the handler's source, the end.
  EXPECT_EQ(bytes.find("TPF0", 12), String::npos);
  const String zeta = Modules["Form1"]->GetMethodSource("zeta");
  ASSERT_FALSE(zeta.empty());
  EXPECT_TRUE(bytes.ends_with(String(1, '\0') + zeta + String(1, '\0')));

  // Two components: the union of their bounds, both handlers ordered ignoring case.
  auto both = Copy(*root, {"Button1", "Button2"});
  const String alpha = Modules["Form1"]->GetMethodSource("Alpha");
  EXPECT_EQ(both->View().substr(0, 8), std::string_view("\x02\x0A\x02\x14\x02\x6E\x02\x46", 8));
  EXPECT_TRUE(both->View().ends_with(alpha + zeta + String(1, '\0')));

  // Nothing selected: nothing written.
  root->NoSelection();
  TMemoryStream none;
  root->CopySelectionToStream(none, nullptr);
  EXPECT_EQ(none.Size(), 0);

  // Without bounds and source the stream is plain components and two ends; its text form is
  // the standard text of each, which reads back.
  auto list = CreateSelectionList();
  list->Add(b2);
  root->SetSelections(list);
  TMemoryStream plain;
  root->StreamSelection(plain, false, false, nullptr);
  EXPECT_TRUE(plain.View().starts_with("TPF0"));
  EXPECT_TRUE(plain.View().ends_with(String(2, '\0')));
  plain.SetPosition(0);
  const String text = ClipboardStreamToText(plain);
  EXPECT_TRUE(text.starts_with("object Button2: TButton")) << text;
  EXPECT_EQ(TextToClipboardStream(text)->View(), plain.View());
}

TEST_F(RootClipboard, CopyKeepsOnlyTheFirstItemsSiblingsAsTheLayoutCommandsDo) {
  auto root = NewRoot("Form1");
  auto* panel = Add<TPanel>(*root, {100, 0, 300, 200});
  Add<TButton>(*root)->SetParentComponent(panel);
  Add<TButton>(*root, {8, 100, 83, 125});
  root->CreateComponent(TActionList::StaticClass(), root->GetRoot(), 0, 0, 0, 0);
  struct Case {
    std::initializer_list<const char*> Selection;
    std::vector<String> Written; // top-level objects of the stream
  } cases[] = {
      {{"Button2", "Button1", "ActionList1", "Panel1"}, {"Button2", "ActionList1", "Panel1"}},
      {{"Button1", "Button2", "Panel1"}, {"Button1"}},
      // The child goes with its container, not a second time beside it.
      {{"Panel1", "Button1"}, {"Panel1"}},
  };
  for (const auto& [selection, written] : cases) {
    auto stream = Copy(*root, selection);
    std::vector<String> top;
    TStringList lines;
    lines.SetText(ClipboardStreamToText(*stream));
    for (Integer i = 0; i < lines.Count(); ++i)
      if (lines[i].starts_with("object "))
        top.push_back(lines[i].substr(7, lines[i].find(':') - 7));
    EXPECT_EQ(top, written) << *selection.begin();
    EXPECT_EQ(Selected(*root), written) << *selection.begin();
  }
}

TEST_F(RootClipboard, PastedComponentsTakeFreeNamesAndReferencesFollowThem) {
  auto source = NewRoot("Form1");
  auto* button = Add<TButton>(*source);
  Add<TLinkLabel>(*source)->SetFocusControl(button);
  auto stream = Copy(*source, {"Button1", "LinkLabel1"});

  auto target = NewRoot("Form2");
  auto* kept = Add<TButton>(*target);
  Add<TButton>(*target);
  target->PasteSelectionFromStream(*stream, nullptr, {});
  EXPECT_EQ(Names(*target), (std::vector<String>{"Button1", "Button2", "Button3", "LinkLabel1"}));
  auto* label = static_cast<TLinkLabel*>(target->GetComponent("LinkLabel1"));
  EXPECT_EQ(label->FocusControl(), target->GetComponent("Button3"));
  EXPECT_EQ(Selected(*target), (std::vector<String>{"Button3", "LinkLabel1"}));
  EXPECT_TRUE(target->IsModified());

  // Again: a second set of names, the new label following the new button.
  stream->SetPosition(0);
  target->PasteSelectionFromStream(*stream, nullptr, {});
  auto* second = static_cast<TLinkLabel*>(target->GetComponent("LinkLabel2"));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->FocusControl(), target->GetComponent("Button4"));
  EXPECT_EQ(kept->Name(), "Button1");

  // Into a module without the names they stay.
  auto empty = NewRoot("Form3");
  stream->SetPosition(0);
  empty->PasteSelectionFromStream(*stream, nullptr, {});
  EXPECT_EQ(Names(*empty), (std::vector<String>{"Button1", "LinkLabel1"}));
}

namespace {

/// The names in the root class's own method table.
std::vector<String> ProxyMethods(TComponent* root) {
  const std::vector<Byte> t = ProxyMethodTable(root->ClassType());
  std::vector<String> names;
  for (std::size_t at = 2; at + 7 <= t.size();) {
    const std::size_t size = t[at] | (t[at + 1] << 8);
    names.emplace_back(reinterpret_cast<const char*>(&t[at + 7]), t[at + 6]);
    at += size;
  }
  return names;
}

} // namespace

TEST_F(RootClipboard, PastedHandlersFollowTheirComponentsAndStayUnique) {
  struct Case {
    const char* Handler;
    std::vector<const char*> TargetMethods;
    const char* Expected;
  } cases[] = {
      {"Button1Click", {"Button1Click"}, "Button2Click"},
      {"Button1Click", {"Button1Click", "Button2Click"}, "Button2Click2"},
      {"Button10Click", {}, "Button10Click"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Handler + String(" into ") + std::to_string(c.TargetMethods.size()));
    auto source = NewRoot("Source");
    SetMethodProp(Add<TButton>(*source), "OnClick", source->CreateMethod(c.Handler, nullptr));
    Modules["Source"]->SetMethodBody(c.Handler, "  Caption := 'from source';\n");
    auto stream = Copy(*source, {"Button1"});

    auto target = NewRoot("Target");
    Add<TButton>(*target);
    for (const char* m : c.TargetMethods)
      target->CreateMethod(m, nullptr);
    target->PasteSelectionFromStream(*stream, nullptr, {});
    EXPECT_EQ(HandlerOf(*target, "Button2"), c.Expected);
    const auto* inserted = Modules["Target"]->FindMethod(c.Expected);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted->Body, "  Caption := 'from source';\n");
    for (const String& m : ProxyMethods(target->GetRoot()))
      EXPECT_NE(m[0], '@');
    target->Close();
    source->Close();
  }
}

TEST_F(RootClipboard, HandlersWithoutSourceMeetTheTargetsMethodsOrEndEmpty) {
  auto source = NewRoot("Source");
  SetMethodProp(Add<TButton>(*source), "OnClick", source->CreateMethod("Shared", nullptr));
  SetMethodProp(Add<TButton>(*source), "OnClick", source->CreateMethod("Shared", nullptr));
  SetMethodProp(Add<TButton>(*source), "OnClick", source->CreateMethod("Gone", nullptr));
  auto list = CreateSelectionList();
  for (const char* n : {"Button1", "Button2", "Button3"})
    list->Add(source->GetComponent(n));
  source->SetSelections(list);
  TMemoryStream stream;
  source->StreamSelection(stream, false, false, nullptr);

  auto target = NewRoot("Target");
  target->CreateMethod("Shared", nullptr);
  const auto before = ProxyMethods(target->GetRoot());
  stream.SetPosition(0);
  target->PasteSelectionFromStream(stream, nullptr, {});
  // Both events that named Shared end on the target's own Shared; Gone has nothing to meet.
  EXPECT_EQ(HandlerOf(*target, "Button1"), "Shared");
  EXPECT_EQ(HandlerOf(*target, "Button2"), "Shared");
  EXPECT_EQ(GetMethodProp(target->GetComponent("Button3"), "OnClick").Code, nullptr);
  EXPECT_EQ(ProxyMethods(target->GetRoot()), before);
  EXPECT_EQ(Modules["Target"]->FindMethod("Gone"), nullptr);
}

TEST_F(RootClipboard, BadStreamsLeaveTheModuleAsItWasAndSayWhy) {
  auto source = NewRoot("Source");
  SetMethodProp(Add<TButton>(*source), "OnClick", source->CreateMethod("Button1Click", nullptr));
  Add<TLinkLabel>(*source);
  const String good(Copy(*source, {"Button1", "LinkLabel1"})->View());

  auto target = NewRoot("Target");
  Add<TButton>(*target);
  target->ResetDiskAge();
  target->SelectComponent(target->GetComponent("Button1"));
  const auto names = Names(*target);
  const auto methods = ProxyMethods(target->GetRoot());
  struct Case {
    const char* What;
    String Stream;
    const char* Message;
  } cases[] = {
      {"not a form", "hello, world", "Invalid stream format"},
      {"truncated", good.substr(0, good.size() / 2), "Unexpected end of stream"},
      {"unknown class", "object X1: TNoSuchThing\r\nend", "Class TNoSuchThing not found"},
      {"unknown class after a good one",
       "object Button1: TButton\r\n  OnClick = Button1Click\r\nend\r\n"
       "object X1: TNoSuchThing\r\nend",
       "Class TNoSuchThing not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TMemoryStream s;
    s.WriteBuffer(c.Stream.data(), static_cast<Int64>(c.Stream.size()));
    s.SetPosition(0);
    const String message = MessageOf([&] { target->PasteSelectionFromStream(s, nullptr, {}); });
    EXPECT_NE(message.find(c.Message), String::npos) << message;
    EXPECT_EQ(Names(*target), names);
    EXPECT_EQ(ProxyMethods(target->GetRoot()), methods);
    EXPECT_FALSE(target->IsModified());
  }
}

// Each component a paste or an undelete adds is announced once, in order, before the new
// selection and the change; a paste that fails announces nothing.
TEST_F(RootClipboard, PasteAndUndeleteAnnounceEachComponentTheyAdd) {
  auto source = NewRoot("Source");
  auto* panel = Add<TPanel>(*source, {8, 8, 200, 100});
  source->CreateComponent(TButton::StaticClass(), panel, 4, 4, 75, 25);
  Add<TLinkLabel>(*source);
  auto stream = Copy(*source, {"Panel1", "LinkLabel1"});

  auto target = NewRoot("Target");
  Add<TButton>(*target);
  const std::vector<String> added = {"Inserted Target.Panel1", "Inserted Target.Button2",
                                     "Inserted Target.LinkLabel1", "Selection Target 2",
                                     "Modified Target"};
  auto heard = fwtest::Listen();
  target->PasteSelectionFromStream(*stream, nullptr, {});
  EXPECT_EQ(heard->Lines, added);

  heard->Lines.clear();
  target->DeleteSelection(false);
  heard->Lines.clear();
  target->DoUndelete();
  EXPECT_EQ(heard->Lines, added);

  heard->Lines.clear();
  TMemoryStream bad;
  const String text = "object Button9: TButton\r\nend\r\nobject X1: TNoSuchThing\r\nend";
  bad.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
  bad.SetPosition(0);
  EXPECT_NE(MessageOf([&] { target->PasteSelectionFromStream(bad, nullptr, {}); }), "");
  for (const String& line : heard->Lines)
    EXPECT_EQ(line.find("Inserted"), String::npos) << line;
}

TEST_F(RootClipboard, PasteIntoADescendantStaysInIt) {
  auto base = NewRoot("Form1");
  Add<TButton>(*base);
  base->Modified();
  auto derived = NewRoot("Form2", "Form1");
  auto sibling = NewRoot("Form3", "Form1");
  auto stream = Copy(*base, {"Button1"});

  derived->PasteSelectionFromStream(*stream, nullptr, {});
  EXPECT_EQ(Names(*derived), (std::vector<String>{"Button1", "Button2"}));
  EXPECT_FALSE(derived->GetComponent("Button2")->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(Names(*base), (std::vector<String>{"Button1"}));
  EXPECT_EQ(Names(*sibling), (std::vector<String>{"Button1"}));
  base->Modified(); // the ancestor's next update leaves the descendant's own component alone
  EXPECT_EQ(Names(*derived), (std::vector<String>{"Button1", "Button2"}));

  // Pasted into the ancestor, it reaches every descendant, under a name none of them uses.
  stream->SetPosition(0);
  base->PasteSelectionFromStream(*stream, nullptr, {});
  EXPECT_EQ(Names(*base), (std::vector<String>{"Button1", "Button3"}));
  EXPECT_EQ(Names(*sibling), (std::vector<String>{"Button1", "Button3"}));
  EXPECT_EQ(Names(*derived), (std::vector<String>{"Button1", "Button2", "Button3"}));

  // A name only a descendant uses is taken as well.
  auto other = NewRoot("Form4");
  Add<TButton>(*other);
  Add<TButton>(*other);
  auto second = Copy(*other, {"Button2"});
  base->PasteSelectionFromStream(*second, nullptr, {});
  EXPECT_EQ(Names(*base), (std::vector<String>{"Button1", "Button3", "Button4"}));
  EXPECT_EQ(Names(*derived), (std::vector<String>{"Button1", "Button2", "Button3", "Button4"}));
}

TEST_F(RootClipboard, ClipboardCarriesTheStreamAndItsTextEitherOfWhichPastes) {
  auto source = NewRoot("Form1");
  Add<TButton>(*source)->SetCaption("Go");
  source->SelectComponent(source->GetComponent("Button1"));
  source->CopySelection();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_COMPONENTS()));
  EXPECT_TRUE(Clipboard()->AsText().starts_with("object Button1: TButton"))
      << Clipboard()->AsText();

  auto target = NewRoot("Form2");
  EXPECT_TRUE(target->CanPaste());
  target->PasteSelection();
  // The designer pastes into its active module.
  target->Activate();
  TMemoryStream copied;
  copied.WriteBuffer(Clipboard()->GetAsBytes(CF_COMPONENTS()).data(),
                     static_cast<Int64>(Clipboard()->GetAsBytes(CF_COMPONENTS()).size()));
  copied.SetPosition(0);
  Designer->PasteSelectionFromStream(copied, nullptr, {});
  EXPECT_EQ(Names(*target), (std::vector<String>{"Button1", "Button2"}));
  target->GetComponent("Button2")->Free();
  EXPECT_EQ(static_cast<TButton*>(target->GetComponent("Button1"))->Caption(), "Go");

  // Text alone (as another program leaves it) pastes too; other text does not.
  const String text = Clipboard()->AsText();
  Clipboard()->SetAsText(text);
  target->PasteSelection();
  EXPECT_EQ(static_cast<TButton*>(target->GetComponent("Button2"))->Caption(), "Go");
  Clipboard()->SetAsText("just words");
  EXPECT_FALSE(target->CanPaste());

  // Cut takes the components away.
  source->SelectComponent(source->GetComponent("Button1"));
  source->CutSelection();
  EXPECT_EQ(source->GetComponent("Button1"), nullptr);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_COMPONENTS()));
}

TEST_F(RootClipboard, TextStreamsSetTheModulesTextFlagOnlyWhenAsked) {
  auto root = NewRoot("Form1");
  for (bool ask : {false, true}) {
    TStringStream text("object Button1: TButton\r\nend");
    std::unique_ptr<TMemoryStream> converted;
    root->Command(dmTextLYT); // flip, so that either way a change shows
    const bool before = root->GetTextLYT();
    TStream& binary = root->PrepareInputStream(text, ask, converted);
    EXPECT_EQ(&binary, converted.get());
    EXPECT_EQ(root->GetTextLYT(), ask ? true : before);
  }
  TStringStream binary(String("TPF0\0", 5));
  std::unique_ptr<TMemoryStream> converted;
  EXPECT_EQ(&root->PrepareInputStream(binary, true, converted), &binary);
  EXPECT_FALSE(root->GetTextLYT());
}

TEST_F(RootClipboard, MissingInheritedComponentsAreRecoveredAsTheHostAnswers) {
  auto base = NewRoot("Form1");
  Add<TButton>(*base);
  Add<TLabel>(*base);
  base->Modified();
  const String text = "inherited Form2: TForm2\r\n"
                      "  inherited Button9: TButton\r\n"
                      "    Caption = 'Moved'\r\n"
                      "  end\r\n"
                      "end";
  struct Case {
    TRecoveryResult Answer;
    std::vector<String> Names;
    const char* CaptionOf; ///< the component that read the caption, or none
    bool Opens;
  } cases[] = {
      {rrDelete, {"Button1", "Label1"}, nullptr, true},
      {rrRename, {"Button1", "Label1"}, "Button1", true},
      {rrCreate, {"Button1", "Button9", "Label1"}, "Button9", true},
      {rrCancel, {}, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.Answer));
    IPtr<THostComponentRoot> root(New<THostComponentRoot>(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit2", "Form2", "TForm1")), "Form2.lyt"));
    root->RecoveryAnswer = c.Answer;
    root->RecoveryName = "Button1";
    root->ReadErrorAnswer = rerCancel;
    TStringStream s(text);
    if (!c.Opens) {
      EXPECT_NE(MessageOf([&] { root->Open(&s, "Form2", "Form1"); }).find("Button9"), String::npos);
      EXPECT_TRUE(root->Called("ReadError Ancestor for 'Button9' not found"));
      continue;
    }
    root->Open(&s, "Form2", "Form1");
    EXPECT_TRUE(root->Called("QueryInheritanceRecovery Form2 Form1 Button9 [Button1]"));
    auto names = Names(*root);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, c.Names);
    if (c.CaptionOf) {
      EXPECT_EQ(static_cast<TButton*>(root->GetComponent(c.CaptionOf))->Caption(), "Moved");
    }
    // The deleted reference's error is handled without asking.
    EXPECT_EQ(std::count_if(root->Calls().begin(), root->Calls().end(),
                            [](const String& call) { return call.starts_with("ReadError"); }),
              0);
    root->Close();
  }
}

TEST_F(RootClipboard, ReadErrorsAreAskedOnceEachUntilIgnoredAll) {
  const String text = "object Form1: TForm1\r\n"
                      "  Bogus1 = 1\r\n"
                      "  Bogus2 = 2\r\n"
                      "  Bogus3 = 3\r\n"
                      "end";
  for (TRootReadErrorResult answer : {rerOK, rerIgnoreAll}) {
    IPtr<THostComponentRoot> root(New<THostComponentRoot>(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit1", "Form1", "TForm")), "Form1.lyt"));
    root->ReadErrorAnswer = answer;
    TStringStream s(text);
    root->Open(&s, "Form1", "");
    const auto asked = std::count_if(root->Calls().begin(), root->Calls().end(),
                                     [](const String& c) { return c.starts_with("ReadError"); });
    EXPECT_EQ(asked, answer == rerOK ? 3 : 1);
    EXPECT_TRUE(root->IsModified()); // the module no longer matches its file
    root->Close();
  }
}

TEST_F(RootClipboard, SelectionDefaultsToTheRootUnlessEmptiedOnPurpose) {
  auto root = NewRoot("Form1");
  auto* b1 = Add<TButton>(*root);
  auto* b2 = Add<TButton>(*root);
  root->ClearSelection();
  EXPECT_EQ(Selected(*root), (std::vector<String>{"Form1"}));
  EXPECT_TRUE(root->IsRootSelected());
  EXPECT_EQ(root->SelectedComponent(), root->GetRoot());
  root->NoSelection();
  EXPECT_TRUE(Selected(*root).empty());
  EXPECT_FALSE(root->IsRootSelected());
  EXPECT_EQ(root->SelectedPersistent(), nullptr);

  root->Select(b2, false);
  root->Select(b1, true);
  root->Select(b1, true);
  EXPECT_EQ(Selected(*root), (std::vector<String>{"Button2", "Button1"}));
  EXPECT_TRUE(root->IsAnchorSelection(b2));
  EXPECT_FALSE(root->IsAnchorSelection(b1));
  root->SetSelection("Button1");
  EXPECT_EQ(Selected(*root), (std::vector<String>{"Button1"}));
  root->SelectAll();
  EXPECT_EQ(Selected(*root), (std::vector<String>{"Button1", "Button2"}));
}

TEST(Selections, WrapsTheItemSelectionAndHearsItOnlyWhileAlive) {
  IPtr<TSimpleSelections> items(New<TSimpleSelections>());
  TComponent a(nullptr), b(nullptr);
  int heard = 0;
  {
    IPtr<TSelections> s(New<TSelections>(IPtr<ISelections>(items), [&](TObject*) { ++heard; }));
    items->Add(IPtr<IItem>(New<TPersistentItem>(&a)));
    items->Add(IPtr<IItem>(New<TPersistentItem>(&b)));
    EXPECT_EQ(heard, 2);
    EXPECT_EQ(s->GetCount(), 2);
    EXPECT_EQ(s->GetPersistents(1), &b);
    EXPECT_EQ(s->FindItemFor(&b), items->GetItems(1));
    EXPECT_EQ(s->FindItemFor(nullptr), nullptr);
  }
  items->Clear(); // the wrapper is gone: nobody hears
  EXPECT_EQ(heard, 2);
}

TEST(EventMethods, HandlersFollowTheFirstRenameThatIsTheirWholeComponentName) {
  TRenames renames;
  renames.Add("Button1", "Button3");
  renames.Add("Button", "Knob");
  renames.Add("Label1", "Label2");
  const std::pair<const char*, const char*> cases[] = {
      {"Button1Click", "Button3Click"},     // the first rename that fits
      {"ButtonClick", "KnobClick"},         // a later one
      {"Button10Click", "Button10Click"},   // a digit follows: another component
      {"button1Click", "button1Click"},     // the prefix is compared exactly
      {"Button1", "Button1"},               // nothing follows the component's name
      {"Label1DblClick", "Label2DblClick"}, //
      {"FormCreate", "FormCreate"},
  };
  for (const auto& [handler, expected] : cases)
    EXPECT_EQ(FollowComponentRename(handler, renames), expected) << handler;
}

// A copied frame pastes as a new frame, as an inherited button pastes as a new button: whether
// it was placed on the module or came from the module's ancestor, it takes a free name, brings
// what was changed in it, and the frame it was copied from stays as it was.
TEST_F(RootClipboard, ACopiedFramePastesAsANewFrameWhereverItCameFrom) {
  auto frame = NewRoot("Frame1", "Frame");
  Add<TEdit>(*frame);
  auto form = NewRoot("Form1");
  TComponent* placed =
      form->CreateComponent(frame->GetRoot()->ClassType(), form->GetRoot(), 8, 8, 200, 60);
  static_cast<TEdit*>(placed->FindComponent("Edit1"))->SetText("Lyon");
  Add<TButton>(*form, {8, 80, 83, 105});
  form->Modified();
  auto derived = NewRoot("Form2", "Form1");
  auto isNewFrame = [](TComponent* c) {
    const TComponentState s = c ? c->ComponentState() : TComponentState{};
    return c && s.Contains(stateInline) && !s.Contains(stateAncestor);
  };
  auto cityOf = [](TComponent* c) {
    auto* edit = dynamic_cast<TEdit*>(c ? c->FindComponent("Edit1") : nullptr);
    return edit && edit->ComponentState().Contains(stateAncestor) ? edit->GetText()
                                                                  : String("(missing)");
  };

  auto stream = Copy(*derived, {"Frame11", "Button1"});
  derived->PasteSelectionFromStream(*stream, derived->GetRoot(), {});
  EXPECT_EQ(Names(*derived), (std::vector<String>{"Frame11", "Button1", "Frame12", "Button2"}));
  EXPECT_FALSE(derived->GetComponent("Button2")->ComponentState().Contains(stateAncestor));
  TComponent* pasted = derived->GetComponent("Frame12");
  EXPECT_TRUE(isNewFrame(pasted));
  EXPECT_EQ(cityOf(pasted), "Lyon");
  TComponent* kept = derived->GetComponent("Frame11");
  EXPECT_TRUE(kept->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(cityOf(kept), "Lyon");
  EXPECT_EQ(kept->ComponentList().size(), 1u);

  // Saved and opened again, the pasted frame is the descendant's own.
  TMemoryStream saved;
  derived->WriteRootStream(saved);
  derived->Close();
  derived = nullptr;
  saved.SetPosition(0);
  derived = THostComponentRoot::Make(IPtr<IComponentDesigner>(Designer),
                                     IPtr<IDesignerModule>(Modules["Form2"]), "Form2.lyt", &saved,
                                     "Form2", "Form1");
  EXPECT_EQ(Names(*derived), (std::vector<String>{"Frame11", "Button1", "Frame12", "Button2"}));
  EXPECT_TRUE(isNewFrame(derived->GetComponent("Frame12")));
  EXPECT_EQ(cityOf(derived->GetComponent("Frame12")), "Lyon");

  // The frame placed on the ancestor pastes there under a name no descendant uses, and into
  // another module under its own.
  stream = Copy(*form, {"Frame11"});
  TStringList units;
  TMemoryStream withUnits;
  form->CopySelectionToStream(withUnits, &units);
  EXPECT_EQ(units.CommaText(), "UnitFrame1");
  form->PasteSelectionFromStream(*stream, form->GetRoot(), {});
  EXPECT_EQ(Names(*form), (std::vector<String>{"Frame11", "Button1", "Frame13"}));
  EXPECT_TRUE(isNewFrame(form->GetComponent("Frame13")));
  EXPECT_EQ(cityOf(derived->GetComponent("Frame13")), "Lyon");
  auto other = NewRoot("Form3");
  stream->SetPosition(0);
  other->PasteSelectionFromStream(*stream, other->GetRoot(), {});
  EXPECT_EQ(Names(*other), (std::vector<String>{"Frame11"}));
  EXPECT_EQ(cityOf(other->GetComponent("Frame11")), "Lyon");

  // Inside a copied container as well: an inherited panel brings a new frame, not a reference
  // to the inherited one.
  TComponent* box = Add<TPanel>(*form, {300, 8, 600, 100});
  form->CreateComponent(frame->GetRoot()->ClassType(), box, 4, 4, 200, 60);
  form->Modified();
  stream = Copy(*derived, {box->Name().c_str()});
  derived->PasteSelectionFromStream(*stream, derived->GetRoot(), {});
  auto* boxCopy = dynamic_cast<TPanel*>(derived->GetComponent("Panel2"));
  ASSERT_TRUE(boxCopy && boxCopy->ControlCount() == 1);
  EXPECT_TRUE(isNewFrame(boxCopy->Controls(0)));
  EXPECT_EQ(cityOf(boxCopy->Controls(0)),
            static_cast<TEdit*>(frame->GetComponent("Edit1"))->GetText());
  EXPECT_EQ(static_cast<TPanel*>(derived->GetComponent("Panel1"))->ControlCount(), 1);
}

// A pasted reference into a placed frame is read whole: it follows the frame when the frame was
// pasted too and renamed, names the target's namesake when the target has a frame of that name,
// and stays unset otherwise, never reaching into the frame's own module.
TEST_F(RootClipboard, ReferencesIntoAFrameFollowTheFrameOrItsNamesake) {
  auto frame = NewRoot("Frame1", "Frame");
  Add<TEdit>(*frame);
  auto form = NewRoot("Form1");
  auto placeFrame = [&](THostComponentRoot& root, const String& name) {
    TComponent* f =
        root.CreateComponent(frame->GetRoot()->ClassType(), root.GetRoot(), 8, 8, 200, 60);
    f->SetName(name);
    return f;
  };
  // Named as its module is, so that the module itself is a root of that name.
  TComponent* placed = placeFrame(*form, "Frame1");
  TComponent* city = placed->FindComponent("Edit1");
  Add<TEdit>(*form, {8, 80, 83, 105});
  Add<TLinkLabel>(*form)->SetFocusControl(static_cast<TWinControl*>(city));
  auto focusOf = [](THostComponentRoot& root, const char* label) {
    auto* l = dynamic_cast<TLinkLabel*>(root.GetComponent(label));
    return l ? static_cast<TComponent*>(l->FocusControl()) : nullptr;
  };

  // Beside a pasted edit whose name was taken, the frame's edit is still the frame's.
  auto stream = Copy(*form, {"Edit1", "LinkLabel1"});
  form->PasteSelectionFromStream(*stream, form->GetRoot(), {});
  ASSERT_NE(form->GetComponent("Edit2"), nullptr);
  EXPECT_EQ(focusOf(*form, "LinkLabel2"), city);

  // Pasted with the frame, the labels follow the new frame, the one the frame holds as well.
  auto* inner = static_cast<TLinkLabel*>(
      form->CreateComponent(TLinkLabel::StaticClass(), placed, 4, 30, 50, 20));
  inner->SetFocusControl(static_cast<TWinControl*>(city));
  stream = Copy(*form, {"Frame1", "Edit1", "LinkLabel1"});
  form->PasteSelectionFromStream(*stream, form->GetRoot(), {});
  TComponent* second = form->GetComponent("Frame11");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(focusOf(*form, "LinkLabel3"), second->FindComponent("Edit1"));
  auto* innerCopy = dynamic_cast<TLinkLabel*>(second->FindComponent(inner->Name()));
  ASSERT_NE(innerCopy, nullptr);
  EXPECT_EQ(innerCopy->FocusControl(), second->FindComponent("Edit1"));

  // Into another module: its own frame of that name, or nothing.
  stream = Copy(*form, {"LinkLabel1"});
  auto framed = NewRoot("Form3");
  TComponent* namesake = placeFrame(*framed, "Frame1");
  framed->PasteSelectionFromStream(*stream, framed->GetRoot(), {});
  EXPECT_EQ(focusOf(*framed, "LinkLabel1"), namesake->FindComponent("Edit1"));
  auto bare = NewRoot("Form4");
  stream->SetPosition(0);
  bare->PasteSelectionFromStream(*stream, bare->GetRoot(), {});
  ASSERT_NE(bare->GetComponent("LinkLabel1"), nullptr);
  EXPECT_EQ(focusOf(*bare, "LinkLabel1"), nullptr);
  // Into the frame's module, the module's own edit (under a name its placed frames leave free).
  stream->SetPosition(0);
  frame->PasteSelectionFromStream(*stream, frame->GetRoot(), {});
  ASSERT_EQ(Selected(*frame).size(), 1u);
  EXPECT_EQ(focusOf(*frame, Selected(*frame)[0].c_str()), frame->GetComponent("Edit1"));
  // A namesake without the edit: the label comes, unset.
  auto other = NewRoot("Form5");
  Add<TPanel>(*other)->SetName("Frame1");
  stream->SetPosition(0);
  other->PasteSelectionFromStream(*stream, other->GetRoot(), {});
  ASSERT_NE(other->GetComponent("LinkLabel1"), nullptr);
  EXPECT_EQ(focusOf(*other, "LinkLabel1"), nullptr);
}
