// A package whose Register fails half-way, after registering a class and a palette entry.
#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/component.h"

namespace {

class TFailingWidget : public fw::TComponent {
  FW_CLASS(TFailingWidget)
public:
  using fw::TComponent::TComponent;
};

} // namespace

fw::TClass TFailingWidget::StaticClass() {
  static const fw::TClass cls =
      fw::TClassBuilder<TFailingWidget, fw::TComponent>("TFailingWidget", "Failing").Build();
  return cls;
}

extern "C" __attribute__((visibility("default"))) void Register() {
  fw::RegisterComponents("Failing", {TFailingWidget::StaticClass()});
  throw fw::Exception("the package is broken");
}
