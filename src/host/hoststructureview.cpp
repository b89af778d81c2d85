#include "host/hoststructureview.h"

#include "basert/classbuilder.h"
#include "basert/format.h"

#include <algorithm>

namespace fw {

TClass THostStructureView::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostStructureView, TInterfacedObject>("THostStructureView", "Host")
          .Implements<IOTAStructureView, IOTAStructureView110>()
          .Build();
  return cls;
}

String THostStructureView::Ident(const IPtr<IOTAStructureContext>& context) {
  return context ? context->GetContextIdent() : String("(none)");
}

void THostStructureView::SetStructureContext(const IPtr<IOTAStructureContext>& context) {
  FCalls.push_back("SetStructureContext " + Ident(context));
  if (context != FContext) FSelection.clear();
  FContext = context;
}

void THostStructureView::StructureChanged(const IPtr<IOTAStructureContext>& context) {
  FCalls.push_back("StructureChanged " + Ident(context));
}

IPtr<IOTAStructureNode> THostStructureView::GetSelectedNode(Integer index) {
  if (index < 0 || index >= GetSelectedCount()) throw EListError(Format(sListIndexError, index));
  return FSelection[static_cast<std::size_t>(index)];
}

void THostStructureView::ClearSelection() {
  FCalls.push_back("ClearSelection");
  FSelection.clear();
}

void THostStructureView::SelectNode(const IPtr<IOTAStructureNode>& node) {
  FCalls.push_back("SelectNode " + (node ? node->GetCaption() : String("(none)")));
  if (node && std::find(FSelection.begin(), FSelection.end(), node) == FSelection.end())
    FSelection.push_back(node);
}

void THostStructureView::BeginUpdate() {
  FCalls.push_back("BeginUpdate");
  ++FUpdateDepth;
}

void THostStructureView::EndUpdate() {
  FCalls.push_back("EndUpdate");
  if (FUpdateDepth > 0) --FUpdateDepth;
}

} // namespace fw
