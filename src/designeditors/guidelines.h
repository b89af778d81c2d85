// Component guidelines: where a control's snap lines are, registered per component class and
// found for the nearest registered ancestor.
#pragma once

#include "designintf/designintf.h"

#include <array>
#include <memory>
#include <vector>

namespace fw {

/// "No guide" as a guide offset.
inline constexpr Integer NoGuideOffset = 2147483647;

class TComponentGuidelines : public TBaseComponentGuidelines, public IComponentGuidelines {
  FW_CLASS(TComponentGuidelines)
public:
  explicit TComponentGuidelines(const IPtr<IDesigner>& designer);
  void Initialize(TComponent* component, TComponent* container) override;
  /// Turn an offset into a position of the container (by default unchanged).
  virtual Integer CalcHorzPos(Integer pos) { return pos; }
  virtual Integer CalcVertPos(Integer pos) { return pos; }
  Integer GetCount() override { return 0; }
  TDesignerGuideType GetDesignerGuideType(Integer) override { return gtAlignLeft; }
  /// What IComponentGuidelines answers: the offset of guide `index` passed through CalcHorzPos
  /// or CalcVertPos by the guide's direction.
  Integer GetDesignerGuideOffset(Integer index) override;
  /// The raw offset a descendant gives (by default none).
  virtual Integer DesignerGuideOffset(Integer index);
  TComponent* Component() const noexcept { return FComponent; }
  TComponent* Container() const noexcept { return FContainer; }

protected:
  TComponent* FComponent = nullptr;
  TComponent* FContainer = nullptr;
};

/// One RegisterComponentGuidelines call, in its class's chain (newest first).
struct TComponentGuidelineRec {
  TComponentGuidelineRec* Next = nullptr;
  TComponentClass ComponentClass = nullptr;
  TComponentGuidelinesClass ComponentGuidelinesClass = nullptr;
  Integer Group = 0;
};

/// The guidelines of a component: the newest registration for its class or its nearest
/// registered ancestor below TPersistent, else TComponentGuidelines (no guides).
IPtr<IComponentGuidelines> GuidelinesFor(const IPtr<IDesigner>& designer, TComponent* component,
                                         TComponent* container);
/// The chain of a class, newest first (for tests and tools).
std::vector<const TComponentGuidelineRec*> GuidelinesOf(TComponentClass componentClass);

/// Forwards OLE drag and drop to the held target; without one each call answers success and
/// does nothing.
class TDesignerOleDropTarget : public TInterfacedObject, public IDropTarget {
  FW_CLASS(TDesignerOleDropTarget)
public:
  explicit TDesignerOleDropTarget(IPtr<IDropTarget> target = nullptr)
      : FTarget(std::move(target)) {}
  void SetTarget(IPtr<IDropTarget> target) { FTarget = std::move(target); }
  HResult DragEnter(const IPtr<IInterface>& dataObj, Integer keyState, TPoint pt,
                    Integer& effect) override;
  HResult DragOver(Integer keyState, TPoint pt, Integer& effect) override;
  HResult DragLeave() override;
  HResult Drop(const IPtr<IInterface>& dataObj, Integer keyState, TPoint pt,
               Integer& effect) override;

private:
  IPtr<IDropTarget> FTarget;
};

/// Start-up fills RegisterComponentGuidelinesProc and the group withdrawal seam; shut-down
/// drops the table.
void GuidelinesStartup();
void GuidelinesShutdown();

} // namespace fw
