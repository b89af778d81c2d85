// Clipboard, screen and scripted dialogs: the process-wide services a headless host sets up.
#include "tarn/clipbrd.h"
#include "tarn/dialogs.h"
#include "tarn/picture.h"
#include "tarn/screen.h"

#include "image_samples.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

TEST(Clipboard, NamedFormatsAndSessionsKeepOrReplaceContents) {
  const TClipboardFormat components = RegisterClipboardFormat("Test Components");
  EXPECT_GE(components, 0xC000);
  EXPECT_EQ(RegisterClipboardFormat("test COMPONENTS"), components);
  EXPECT_NE(RegisterClipboardFormat("Other"), components);
  EXPECT_EQ(GetClipboardFormatName(components), "Test Components");
  EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");

  TClipboard* cb = Clipboard();
  cb->Clear();
  // One session: the stream and its text stand side by side.
  cb->Open();
  cb->SetAsBytes(components, {'T', 'P', 'F', '0'});
  cb->SetAsText("object X: TX\nend");
  cb->Close();
  EXPECT_TRUE(cb->HasFormat(components));
  EXPECT_EQ(cb->AsText(), "object X: TX\nend");
  EXPECT_EQ(cb->GetAsBytes(CF_TEXT).back(), 0);
  EXPECT_EQ(cb->FormatCount(), 3); // text, wide text, components
  // Outside a session, new data replaces everything.
  const Integer seq = cb->Sequence();
  cb->SetAsText("caf\xC3\xA9");
  EXPECT_FALSE(cb->HasFormat(components));
  EXPECT_GT(cb->Sequence(), seq);
  EXPECT_EQ(cb->GetAsBytes(CF_UNICODETEXT).size(), 10u); // four UTF-16 units and a zero
  EXPECT_TRUE(cb->GetAsBytes(components).empty());
  EXPECT_NE(MessageOf<EInvalidOperation>([&] { cb->Close(); }), "nothing raised");

  TOwned<TPngImage> png(New<TPngImage>());
  png->LoadFromBytes(SamplePng(3, 4));
  cb->Assign(png.get());
  TOwned<TPicture> pic(New<TPicture>());
  pic->Assign(cb);
  EXPECT_EQ(pic->Graphic()->ClassName(), "TPngImage");
  EXPECT_EQ(pic->Height(), 4);
  TOwned<TBitmap> bmp(New<TBitmap>());
  EXPECT_NE(MessageOf<EConvertError>([&] { bmp->Assign(cb); }), "nothing raised");
  cb->Clear();
}

TEST(Screen, MonitorsCanBeSetAndAreFoundByPointAndRect) {
  TOwned<TScreen> s(New<TScreen>(nullptr));
  EXPECT_EQ(s->MonitorCount(), 1);
  s->SetMonitors(
      {{{-1280, 0, 0, 1024}, {}, false}, {{0, 0, 2560, 1440}, {0, 0, 2560, 1400}, true}});
  EXPECT_EQ(s->PrimaryMonitor()->MonitorNum(), 1);
  EXPECT_EQ(s->WorkAreaRect(), (TRect{0, 0, 2560, 1400}));
  EXPECT_EQ(s->Monitors(0)->WorkareaRect(), (TRect{-1280, 0, 0, 1024})); // defaults to bounds
  EXPECT_EQ(s->DesktopRect(), (TRect{-1280, 0, 2560, 1440}));
  EXPECT_EQ(s->MonitorFromPoint({-1, 10})->MonitorNum(), 0);
  EXPECT_EQ(s->MonitorFromPoint({0, 10})->MonitorNum(), 1);
  EXPECT_EQ(s->MonitorFromPoint({-5000, 1200})->MonitorNum(), 0);
  EXPECT_EQ(s->MonitorFromPoint({-5000, 1200}, mdPrimary)->MonitorNum(), 1);
  EXPECT_EQ(s->MonitorFromPoint({-5000, 1200}, mdNull), nullptr);
  EXPECT_EQ(s->MonitorFromRect({-300, 0, 100, 100})->MonitorNum(), 0); // larger share wins
  // A desktop file once placed a window at the far end of the integer range.
  EXPECT_EQ(s->MonitorFromPoint({-2147483647 - 1, 2147483647})->MonitorNum(), 0);
  EXPECT_EQ(s->MonitorFromPoint({2147483647, -2147483647 - 1})->MonitorNum(), 1);
  EXPECT_NE(MessageOf<EInvalidOperation>([&] {
              s->SetMonitors({{{0, 0, 0, 10}}});
            }),
            "nothing raised");
  EXPECT_EQ(s->MonitorCount(), 2); // a refused list leaves the monitors alone
  EXPECT_GE(s->Fonts()->IndexOf("Tahoma"), 0);
}

TEST(Dialogs, AnswersAreTakenInOrderByKindAndEveryQuestionIsLogged) {
  auto& script = DialogScript();
  script.Clear();
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* open = New<TOpenDialog>(owner.get());
  open->DefaultExt = "bmp";
  open->Filter = GraphicFilter(TBitmap::StaticClass());
  script.Push("SaveDialog", {.FileNames = {"saved.ico"}});
  script.Push("OpenDialog", {.FileNames = {"/tmp/x.y/picture"}});
  script.Push("", {.ModalResult = mrYes});
  EXPECT_TRUE(open->Execute());
  EXPECT_EQ(open->FileName, "/tmp/x.y/picture.bmp");
  EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbYesNoCancel), mrYes);
  EXPECT_FALSE(open->Execute()); // nothing left for it: cancelled
  EXPECT_EQ(MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}), mrNo);
  EXPECT_EQ(script.Pending(), 1);

  auto* font = New<TFontDialog>(owner.get());
  font->Options = {fdForceFontExist};
  script.Push("FontDialog", {.FontName = "No Such Font"});
  EXPECT_NE(MessageOf<EInvalidOperation>([&] { font->Execute(); }), "nothing raised");
  script.Push("FontDialog", {.FontName = "Courier New", .FontSize = 12});
  EXPECT_TRUE(font->Execute());
  EXPECT_EQ(font->GetFont()->GetName(), "Courier New");
  EXPECT_EQ(font->GetFont()->GetSize(), 12);

  auto* color = New<TColorDialog>(owner.get());
  script.Push("ColorDialog", {.Accept = false, .Color = clRed});
  EXPECT_FALSE(color->Execute());
  EXPECT_EQ(color->Color, clBlack);

  String value = "old";
  script.Push("InputQuery", {.Text = "new"});
  EXPECT_TRUE(InputQuery("Rename", "Name:", value));
  EXPECT_EQ(value, "new");

  const auto& log = script.Log();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[0].Text, open->Filter);
  EXPECT_EQ(log[1].Title, "Confirm");
  EXPECT_FALSE(log[2].Answered);
  EXPECT_EQ(log[7].Value, "old");
  EXPECT_EQ(script.Pending(), 1); // the save dialog's answer was never asked for
  script.Clear();
}
