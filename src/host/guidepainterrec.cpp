#include "host/guidepainterrec.h"

#include "basert/classbuilder.h"

namespace fw {

TClass TGuidelinePainterRec::StaticClass() {
  static const TClass cls =
      TClassBuilder<TGuidelinePainterRec, TInterfacedObject>("TGuidelinePainterRec", "HostGuides")
          .Implements<IGuidelinePainter>()
          .Build();
  return cls;
}

void TGuidelinePainterRec::AddGuide(const TRect& rect, TGuideType guideType) {
  FLines.push_back({rect, guideType});
}

void TGuidelinePainterRec::Clear() {
  FLines.clear();
  ++FClearCount;
}

void TGuidelinePainterRec::EndUpdate() {
  if (FUpdateDepth == 0) throw EInvalidOperation(sEndUpdateWithoutBegin);
  if (--FUpdateDepth == 0) ++FPaintCount;
}

} // namespace fw
