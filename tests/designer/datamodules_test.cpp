// A data module holds only non-visual components: a pasted control is refused with the module's
// message before anything of the paste reaches the module.
#include "designer/datamodules.h"

#include "basert/datamodule.h"
#include "support/hostsession.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/extctrls.h"
#include "tarn/stdctrls.h"

using namespace fw;

namespace {

struct DataModules : fwtest::HostSession {
  void SetUp() override {
    HostSession::SetUp();
    RegisterClass(TDataModule::StaticClass());
    RegisterCustomModule(TDataModule::StaticClass(), TDataModuleCustomModule::StaticClass());
  }
  void TearDown() override {
    HostSession::TearDown();
    UnRegisterClass(TDataModule::StaticClass());
  }
};

} // namespace

TEST_F(DataModules, PastedControlsAreRefusedAndTheRestTaken) {
  auto form = NewRoot("Form1");
  auto* panel = form->CreateComponent(TPanel::StaticClass(), form->GetRoot(), 8, 8, 90, 90);
  form->CreateComponent(TButton::StaticClass(), panel, 8, 8, 75, 25);
  form->CreateComponent(TActionList::StaticClass(), form->GetRoot(), 0, 0, 0, 0);
  auto copied = [&](const char* name) {
    form->Select(form->GetComponent(name), false);
    auto stream = std::make_unique<TMemoryStream>();
    form->CopySelectionToStream(*stream, nullptr);
    stream->SetPosition(0);
    return stream;
  };
  auto data = NewRoot("Data1", "DataModule");
  data->PasteSelectionFromStream(*copied("ActionList1"), nullptr, {});
  data->ResetDiskAge();
  // The panel is refused before its button is read.
  for (const auto& [name, cls] : {std::pair{"Button1", "TButton"}, {"Panel1", "TPanel"}}) {
    EXPECT_EQ(
        fwtest::MessageOf([&] { data->PasteSelectionFromStream(*copied(name), nullptr, {}); }),
        Format(sClassNotApplicable, cls));
    EXPECT_EQ(data->GetRoot()->ComponentCount(), 1);
    EXPECT_FALSE(data->IsModified());
  }
}
