// A design-notification listener that writes what it hears as lines, registered while it lives.
#pragma once

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "designintf/designintf.h"

#include <vector>

namespace fwtest {

/// Lines such as "Inserted Form1.Button1", "Modified Form1", "Selection Form1 2".
class TNotificationLog : public fw::TInterfacedObject, public fw::IDesignNotification {
  FW_CLASS(TNotificationLog)
public:
  std::vector<fw::String> Lines;

  void ItemInserted(const fw::IPtr<fw::IDesigner>& d, fw::TPersistent* item) override {
    Lines.push_back("Inserted " + Root(d) + "." + Name(item));
  }
  void ItemDeleted(const fw::IPtr<fw::IDesigner>& d, fw::TPersistent* item) override {
    Lines.push_back("Deleted " + Root(d) + "." + Name(item));
  }
  void ItemsModified(const fw::IPtr<fw::IDesigner>& d) override {
    Lines.push_back("Modified " + Root(d));
  }
  void SelectionChanged(const fw::IPtr<fw::IDesigner>& d,
                        const fw::IPtr<fw::IDesignerSelections>& s) override {
    Lines.push_back("Selection " + Root(d) + " " + std::to_string(s ? s->GetCount() : 0));
  }
  void DesignerOpened(const fw::IPtr<fw::IDesigner>&, bool) override {}
  void DesignerClosed(const fw::IPtr<fw::IDesigner>&, bool) override {}

private:
  static fw::String Root(const fw::IPtr<fw::IDesigner>& d) {
    return d && d->GetRoot() ? d->GetRoot()->Name() : fw::String("?");
  }
  static fw::String Name(fw::TPersistent* p) {
    auto* c = dynamic_cast<fw::TComponent*>(p);
    return c ? c->Name() : fw::String("?");
  }
};

inline fw::TClass TNotificationLog::StaticClass() {
  static const fw::TClass cls =
      fw::TClassBuilder<TNotificationLog, fw::TInterfacedObject>("TNotificationLog", "TestSupport")
          .Implements<fw::IDesignNotification>()
          .Build();
  return cls;
}

/// Registers a fresh log for its lifetime.
class TListening {
public:
  TListening() : FLog(fw::New<TNotificationLog>()) {
    fw::RegisterDesignNotification(fw::IPtr<fw::IDesignNotification>(FLog));
  }
  ~TListening() { fw::UnregisterDesignNotification(fw::IPtr<fw::IDesignNotification>(FLog)); }
  TListening(const TListening&) = delete;
  TListening& operator=(const TListening&) = delete;
  std::vector<fw::String>& Lines() { return FLog->Lines; }

private:
  fw::IPtr<TNotificationLog> FLog;
};

} // namespace fwtest
