// TDataModule: a root that holds non-visual components, with its design size and offset.
#pragma once

#include "basert/component.h"

namespace fw {

class TDataModule : public TComponent {
  FW_CLASS(TDataModule)
public:
  explicit TDataModule(TComponent* owner);
  ~TDataModule() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  /// Client size of the host window while designed.
  TPoint DesignSize() const noexcept { return FDesignSize; }
  void SetDesignSize(TPoint value) { FDesignSize = value; }
  /// Scroll offset of the host window while designed.
  TPoint DesignOffset() const noexcept { return FDesignOffset; }
  void SetDesignOffset(TPoint value) { FDesignOffset = value; }
  bool OldCreateOrder() const noexcept { return FOldCreateOrder; }
  void SetOldCreateOrder(bool value) { FOldCreateOrder = value; }

  /// The owned components that have no parent and that no placeholder writes as its child, in
  /// component order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  /// Streams the design size ("Height", "Width") and offset ("HorizontalOffset",
  /// "VerticalOffset") beside the design position.
  void DefineProperties(TFiler* filer) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;

private:
  TPoint FDesignSize;
  TPoint FDesignOffset;
  bool FOldCreateOrder = false;
  bool FDestroyFired = false;
};

} // namespace fw
