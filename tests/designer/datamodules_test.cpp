// A data module holds only non-visual components: a pasted control is refused with the module's
// message before anything of the paste reaches the module.
#include "designer/datamodules.h"

#include "basert/datamodule.h"
#include "support/hostsession.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/extctrls.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

class DataModules : public fwtest::HostSession {
protected:
  void SetUp() override {
    HostSession::SetUp();
    RegisterClass(TDataModule::StaticClass());
    RegisterCustomModule(TDataModule::StaticClass(), TDataModuleCustomModule::StaticClass());
  }
  void TearDown() override {
    HostSession::TearDown();
    UnRegisterClass(TDataModule::StaticClass());
  }
  /// `classes` made in a form, each with the one before as its parent when it can hold it,
  /// streamed as the clipboard holds them.
  std::unique_ptr<TMemoryStream> Copied(std::initializer_list<TClass> classes) {
    auto form = NewRoot("Source" + std::to_string(++FSources));
    TComponent* parent = form->GetRoot();
    auto list = CreateSelectionList();
    for (TClass cls : classes) {
      TComponent* c = form->CreateComponent(cls, parent, 8, 8, 75, 25);
      if (parent == form->GetRoot()) list->Add(c);
      if (dynamic_cast<TWinControl*>(c)) parent = c;
    }
    form->SetSelections(list);
    auto stream = std::make_unique<TMemoryStream>();
    form->CopySelectionToStream(*stream, nullptr);
    stream->SetPosition(0);
    return stream;
  }

private:
  int FSources = 0;
};

} // namespace

TEST_F(DataModules, PastedControlsAreRefusedAndNonVisualComponentsAccepted) {
  auto data = NewRoot("Data1", "DataModule");
  ASSERT_TRUE(data->GetRoot()->InheritsFrom(TDataModule::StaticClass()));
  auto actions = Copied({TActionList::StaticClass()});
  data->PasteSelectionFromStream(*actions, nullptr, {});
  ASSERT_EQ(data->GetRoot()->ComponentCount(), 1);
  data->ResetDiskAge();

  struct TCase {
    std::initializer_list<TClass> Classes;
    const char* Refused;
  } cases[] = {
      {{TButton::StaticClass()}, "TButton"},
      {{TPanel::StaticClass(), TButton::StaticClass()}, "TPanel"},
  };
  for (const TCase& c : cases) {
    auto stream = Copied(c.Classes);
    EXPECT_EQ(fwtest::MessageOf([&] { data->PasteSelectionFromStream(*stream, nullptr, {}); }),
              Format(sClassNotApplicable, c.Refused));
    EXPECT_EQ(data->GetRoot()->ComponentCount(), 1);
    EXPECT_FALSE(data->IsModified());
  }
  // A form takes the same control.
  auto form = NewRoot("Form1");
  auto button = Copied({TButton::StaticClass()});
  form->PasteSelectionFromStream(*button, nullptr, {});
  EXPECT_EQ(form->GetRoot()->ComponentCount(), 1);
}
