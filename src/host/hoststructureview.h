// The host's structure view, headless: it shows one context at a time, keeps a selection of
// nodes, and records every request (context changes, refreshes, selection, update brackets)
// so that tests can see what the structure tree asked of it.
#pragma once

#include "basert/object.h"
#include "toolsapi/toolsapi.h"

#include <vector>

namespace fw {

class THostStructureView : public TInterfacedObject,
                           public IOTAStructureView,
                           public IOTAStructureView110 {
  FW_CLASS(THostStructureView)
public:
  /// Every request, one line each: "SetStructureContext <ident>", "StructureChanged <ident>",
  /// "ClearSelection", "SelectNode <caption>", "BeginUpdate", "EndUpdate".
  const std::vector<String>& Calls() const noexcept { return FCalls; }
  void ClearCalls() { FCalls.clear(); }
  /// What IsSelectionLocked answers.
  bool SelectionLocked = false;
  /// The nesting depth of BeginUpdate/EndUpdate.
  Integer UpdateDepth() const noexcept { return FUpdateDepth; }
  /// Selects nodes as the user would (no call is recorded).
  void UserSelect(std::vector<IPtr<IOTAStructureNode>> nodes) { FSelection = std::move(nodes); }

  IPtr<IOTAStructureContext> GetStructureContext() override { return FContext; }
  void SetStructureContext(const IPtr<IOTAStructureContext>& context) override;
  void StructureChanged(const IPtr<IOTAStructureContext>& context) override;
  Integer GetSelectedCount() override { return static_cast<Integer>(FSelection.size()); }
  /// Raises EListError for an index out of range.
  IPtr<IOTAStructureNode> GetSelectedNode(Integer index) override;
  void ClearSelection() override;
  /// Adds the node to the selection (once).
  void SelectNode(const IPtr<IOTAStructureNode>& node) override;
  void BeginUpdate() override;
  /// Unbalanced calls are recorded but never take the depth below 0.
  void EndUpdate() override;
  bool IsSelectionLocked() override { return SelectionLocked; }

private:
  static String Ident(const IPtr<IOTAStructureContext>& context);
  IPtr<IOTAStructureContext> FContext;
  std::vector<IPtr<IOTAStructureNode>> FSelection;
  std::vector<String> FCalls;
  Integer FUpdateDepth = 0;
};

} // namespace fw
