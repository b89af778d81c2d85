#include "componentdesigner/clipboardstreams.h"

#include "basert/classbuilder.h"
#include "basert/formtext.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "componentdesigner/proxies.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "support/testutil.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"
#include "update/updatemanager.h"

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

class RootClipboard : public ::testing::Test {
protected:
  void SetUp() override {
    DesignPackageStartup();
    UpdateManagerStartup();
    RegisterStandardControls();
    RegisterClass(TLinkLabel::StaticClass());
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(New<THostDesignEnvironment>()));
    Registry()->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
  }
  void TearDown() override {
    Designer->CloseRoots();
    Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    UnRegisterClass(TLinkLabel::StaticClass());
    UnregisterStandardControls();
    UpdateManagerShutdown();
    DesignPackageShutdown();
  }
  static IPtr<IInternalComponentDesigners> Registry() {
    return QueryIntf<IInternalComponentDesigners>(Designers().get());
  }
  IPtr<THostComponentRoot> NewRoot(const String& name, const String& ancestor = {}) {
    auto module = New<THostDesignerModule>("Unit" + name, name, "TForm");
    Modules[name] = IPtr<THostDesignerModule>(module);
    return THostComponentRoot::Make(IPtr<IComponentDesigner>(Designer),
                                    IPtr<IDesignerModule>(module), name + ".lyt", nullptr, name,
                                    ancestor);
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

  IPtr<THostComponentDesigner> Designer;
  std::map<String, IPtr<THostDesignerModule>> Modules;
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
