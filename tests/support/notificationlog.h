// A design-notification listener that writes what it hears as lines.
#pragma once

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "designintf/designintf.h"

#include <vector>

namespace fwtest {

/// "Inserted Form1.Button1", "Modified Form1", "Selection Form1 2".
class TNotificationLog : public fw::TInterfacedObject, public fw::IDesignNotification {
  FW_CLASS(TNotificationLog)
public:
  std::vector<fw::String> Lines;

  void ItemInserted(const fw::IPtr<fw::IDesigner>& d, fw::TPersistent* item) override {
    auto* c = dynamic_cast<fw::TComponent*>(item);
    Lines.push_back("Inserted " + d->GetRoot()->Name() + "." + (c ? c->Name() : "?"));
  }
  void ItemsModified(const fw::IPtr<fw::IDesigner>& d) override {
    Lines.push_back("Modified " + d->GetRoot()->Name());
  }
  void SelectionChanged(const fw::IPtr<fw::IDesigner>& d,
                        const fw::IPtr<fw::IDesignerSelections>& s) override {
    Lines.push_back("Selection " + d->GetRoot()->Name() + " " + std::to_string(s->GetCount()));
  }
  void ItemDeleted(const fw::IPtr<fw::IDesigner>&, fw::TPersistent*) override {}
  void DesignerOpened(const fw::IPtr<fw::IDesigner>&, bool) override {}
  void DesignerClosed(const fw::IPtr<fw::IDesigner>&, bool) override {}
};

inline fw::TClass TNotificationLog::StaticClass() {
  static const fw::TClass cls =
      fw::TClassBuilder<TNotificationLog, fw::TInterfacedObject>("TNotificationLog", "TestSupport")
          .Implements<fw::IDesignNotification>()
          .Build();
  return cls;
}

/// A log registered until the package stops.
inline fw::IPtr<TNotificationLog> Listen() {
  fw::IPtr<TNotificationLog> log(fw::New<TNotificationLog>());
  fw::RegisterDesignNotification(fw::IPtr<fw::IDesignNotification>(log));
  return log;
}

} // namespace fwtest
