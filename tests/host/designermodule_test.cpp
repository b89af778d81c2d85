#include "host/designermodule.h"

#include "basert/datamodule.h"
#include "basert/strings.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace {

using namespace fw;

/// An event signature given directly.
class TFakeEvent : public TInterfacedObject, public IEventInfo {
public:
  TFakeEvent(TMethodKind kind, std::vector<std::tuple<TParamFlags, String, String>> params,
             String result = {})
      : FKind(kind), FParams(std::move(params)), FResult(std::move(result)) {}
  TMethodKind GetMethodKind() override { return FKind; }
  Integer GetParamCount() override { return static_cast<Integer>(FParams.size()); }
  String GetParamName(Integer i) override { return std::get<1>(FParams.at(i)); }
  String GetParamType(Integer i) override { return std::get<2>(FParams.at(i)); }
  TParamFlags GetParamFlags(Integer i) override { return std::get<0>(FParams.at(i)); }
  String GetResultType() override { return FResult; }

private:
  TMethodKind FKind;
  std::vector<std::tuple<TParamFlags, String, String>> FParams;
  String FResult;
};

IPtr<IEventInfo> NotifyEvent() {
  return IPtr<IEventInfo>(
      new TEventInfo(GetPropInfo(TDataModule::StaticClass()->TypeInfo, "OnCreate")));
}

IPtr<IEventInfo> KeyEvent() {
  return IPtr<IEventInfo>(new TFakeEvent(
      mkProcedure, {{{}, "Sender", "TObject"}, {TParamFlags{pfVar}, "Key", "Word"}}));
}

std::vector<String> MethodsFitting(THostDesignerModule& m, const IPtr<IEventInfo>& event) {
  std::vector<String> names;
  m.GetMethods(event, [&](const String& s) { names.push_back(s); });
  return names;
}

TEST(HostDesignerModule, HandlersAreCreatedRenamedAndChainedInTheSource) {
  IPtr<THostDesignerModule> module(new THostDesignerModule("Unit1", "Form1", "TForm"));
  module->CreateMethod("Button1Click", NotifyEvent());
  module->CreateMethod("Edit1KeyDown", KeyEvent());
  module->CreateMethod("button1click", KeyEvent()); // exists already: unchanged
  EXPECT_EQ(MethodsFitting(*module, NotifyEvent()), std::vector<String>{"Button1Click"});
  EXPECT_EQ(MethodsFitting(*module, KeyEvent()), std::vector<String>{"Edit1KeyDown"});

  module->SetMethodBody("Button1Click", "  Close;\n");
  module->RenameMethod("button1click", "OkClick");
  EXPECT_FALSE(module->MethodExists("Button1Click"));
  EXPECT_EQ(module->GetMethodSource("OkClick"),
            "procedure TForm1.OkClick(Sender: TObject);\nbegin\n  Close;\nend;\n");
  EXPECT_EQ(fwtest::MessageOf([&] { module->RenameMethod("OkClick", "EDIT1KEYDOWN"); }),
            "A method named EDIT1KEYDOWN already exists");
  EXPECT_EQ(fwtest::MessageOf([&] { module->RenameMethod("Nope", "X"); }),
            "Method Nope does not exist");

  module->ChainCall("Frame11Click", "Frame11", "PanelClick", NotifyEvent());
  module->ChainCall("Frame11Click", "Frame11", "PanelClick", NotifyEvent()); // once only
  EXPECT_EQ(module->FindMethod("Frame11Click")->Body, "  Frame11.PanelClick(Sender);\n");

  module->RootRenamed(nullptr, "MainForm");
  EXPECT_EQ(module->Source(), "unit Unit1;\n\ninterface\n\ntype\n"
                              "  TMainForm = class(TForm)\n"
                              "    procedure OkClick(Sender: TObject);\n"
                              "    procedure Edit1KeyDown(Sender: TObject; var Key: Word);\n"
                              "    procedure Frame11Click(Sender: TObject);\n"
                              "  end;\n\nimplementation\n\n"
                              "procedure TMainForm.OkClick(Sender: TObject);\nbegin\n  Close;\n"
                              "end;\n\n"
                              "procedure TMainForm.Edit1KeyDown(Sender: TObject; var Key: Word);\n"
                              "begin\nend;\n\n"
                              "procedure TMainForm.Frame11Click(Sender: TObject);\nbegin\n"
                              "  Frame11.PanelClick(Sender);\nend;\n\nend.\n");
}

TEST(HostDesignerModule, CopiedHandlersPasteIntoAnotherModuleWithRenames) {
  IPtr<THostDesignerModule> from(new THostDesignerModule("Unit1", "Form1", "TForm"));
  from->CreateMethod("Button1Click", NotifyEvent());
  from->SetMethodBody("Button1Click", "  if Tag > 0 then\n  begin\n    Close;\n  end;\n");
  from->CreateMethod("Edit1KeyDown", KeyEvent());
  from->CreateMethod("Total",
                     IPtr<IEventInfo>(new TFakeEvent(mkFunction,
                                                     {{TParamFlags{pfConst}, "A", "Integer"},
                                                      {TParamFlags{pfConst}, "B", "Integer"}},
                                                     "Integer")));
  const String clip = from->GetMethodSource("Button1Click") +
                      from->GetMethodSource("Edit1KeyDown") + from->GetMethodSource("Total");

  IPtr<THostDesignerModule> to(new THostDesignerModule("Unit2", "Form2", "TForm"));
  to->CreateMethod("Edit1KeyDown", NotifyEvent()); // a clash: the existing one stays
  auto* renames = New<TStringList>();
  renames->Add("Button1Click=Button2Click");
  auto* present = New<TStringList>();
  to->InsertMethods(clip, renames, present);
  EXPECT_EQ(fwtest::Lines(*present),
            (std::vector<String>{"Edit1KeyDown", "Button2Click", "Total"}));
  EXPECT_EQ(to->FindMethod("Button2Click")->Body, from->FindMethod("Button1Click")->Body)
      << "a nested begin/end stays in the body";
  EXPECT_EQ(to->GetMethodSource("Total"),
            "function TForm2.Total(const A: Integer; const B: Integer): Integer;\nbegin\nend;\n");
  EXPECT_EQ(MethodsFitting(*to, NotifyEvent()),
            (std::vector<String>{"Edit1KeyDown", "Button2Click"}));
  renames->Free();
  present->Free();
}

TEST(HostDesignerModule, FieldsFollowComponentsAndReadOnlySourceRefusesChanges) {
  IPtr<THostDesignerModule> module(new THostDesignerModule("Unit1", "Form1", "TForm"));
  module->ComponentRenamed(nullptr, "", "Button1");
  module->ComponentRenamed(nullptr, "", "Label1");
  module->ComponentRenamed(nullptr, "Button1", "OkButton");
  module->ComponentRenamed(nullptr, "Label1", "");
  ASSERT_EQ(module->Fields().size(), 1u);
  EXPECT_EQ(module->Fields()[0].Name, "OkButton");
  // Removals in the middle, then renames of the fields behind them before anyone reads.
  auto names = [&] {
    std::vector<String> result;
    for (const auto& f : module->Fields())
      result.push_back(f.Name);
    return result;
  };
  for (const char* name : {"A", "B", "C", "D"})
    module->ComponentRenamed(nullptr, "", name);
  module->ComponentRenamed(nullptr, "B", "");
  module->ComponentRenamed(nullptr, "A", "");
  module->ComponentRenamed(nullptr, "D", "Last");
  module->ComponentRenamed(nullptr, "", "B");
  module->ComponentRenamed(nullptr, "c", "Third");
  EXPECT_EQ(names(), (std::vector<String>{"OkButton", "Third", "Last", "B"}));
  module->ComponentRenamed(nullptr, "Third", "");
  module->ComponentRenamed(nullptr, "b", "Fourth");
  EXPECT_EQ(names(), (std::vector<String>{"OkButton", "Last", "Fourth"}));

  module->ValidateModification();
  module->SetReadOnly(true);
  EXPECT_EQ(fwtest::MessageOf([&] { module->ValidateModification(); }), "Unit Unit1 is read-only");
  module->Modified();
  module->NotifyChange(mcModified);
  EXPECT_EQ(module->ModifiedCount(), 1);
  EXPECT_EQ(module->Calls().back(), "NotifyChange 3");
}

} // namespace
