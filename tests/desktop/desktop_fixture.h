// A screen, host variables and a clean desktop registry for every desktop test.
#pragma once

#include "desktop/desktopform.h"

#include "basert/classbuilder.h"
#include "basert/threads.h"
#include "tarn/screen.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace fwtest {

/// A tool window as the IDE registers them: one instance, kept in a host variable.
class TTestDeskForm : public fw::TDesktopForm, public fw::IDesktopFormCreator {
  FW_CLASS(TTestDeskForm)
public:
  explicit TTestDeskForm(fw::TComponent* owner) : fw::TDesktopForm(owner) {}
  void DesktopFormCreated(const fw::String& section) override { CreatedFor = section; }
  fw::String CreatedFor;
};

inline fw::TClass TTestDeskForm::StaticClass() {
  static const fw::TClass cls =
      fw::TClassBuilder<TTestDeskForm, fw::TDesktopForm>("TTestDeskForm", "DesktopTests")
          .Implements<fw::IDesktopFormCreator>()
          .Build();
  return cls;
}

inline fw::TRect Rect(fw::Integer l, fw::Integer t, fw::Integer w, fw::Integer h) {
  return {l, t, l + w, t + h};
}

/// An in-memory desktop holding `text`.
inline std::unique_ptr<fw::TMemIniFile> IniFrom(const fw::String& text) {
  auto ini = std::make_unique<fw::TMemIniFile>();
  fw::TStringList lines;
  lines.SetText(text);
  ini->SetStrings(lines);
  return ini;
}

class DesktopTest : public ::testing::Test {
protected:
  void SetUp() override {
    fw::FinalizeDesktop();
    // 1920 x 1080 with a 40-pixel task bar at the bottom.
    fw::Screen()->SetMonitors({{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}});
    Owner.reset(fw::New<fw::TComponent>(nullptr));
    fw::TDesktopHost& host = fw::DesktopHost();
    host.FormOwner = Owner.get();
    host.GetFieldAddress = [this](const fw::String& name) -> fw::TCustomForm** {
      auto it = Fields.find(name);
      return it == Fields.end() ? nullptr : it->second.get();
    };
  }
  void TearDown() override {
    Owner.reset();
    fw::FinalizeDesktop();
    fw::Screen()->SetMonitors({});
    if (fw::Application) fw::Application->OnException = nullptr;
  }

  /// A host variable named `name`, empty at first.
  fw::TCustomForm*& Field(const fw::String& name) {
    auto& slot = Fields[name];
    if (!slot) slot = std::make_unique<fw::TCustomForm*>(nullptr);
    return *slot;
  }
  /// A window kept in the variable `name`, with its desk section.
  template <class T = TTestDeskForm> T* Window(const fw::String& section) {
    auto* f = fw::New<T>(Owner.get());
    f->SetDeskSection(section);
    Field(section + "Var") = f;
    return f;
  }

  fw::TOwned<fw::TComponent> Owner;
  std::map<fw::String, std::unique_ptr<fw::TCustomForm*>> Fields;
};

} // namespace fwtest
