// The structure tree shown in a tree-view control: the display a root sprig keeps its nodes in,
// and the host window's side of it.
//
//   auto display = IPtr<TSprigTreeView>(New<TSprigTreeView>(treeView));
//   display->Show(root); // the root's nodes appear, and follow every change of the module
#pragma once

#include "tarn/treeview.h"
#include "treeintf/rootsprig.h"

namespace fw {

/// Shows one root sprig at a time in a TTreeView it does not own. While a root is shown, the
/// view's nodes are the root's: each node's Data is its sprig, and nodes are made, moved and
/// freed only as the root asks. What the user selects in the view goes to the root (and from
/// there to the designer); a node deleted by anyone else is forgotten by its sprig and comes
/// back with the next modification of the module. When the view is freed first, the shown root
/// is detached and the display stays empty.
class TSprigTreeView : public TInterfacedObject, public ISprigTreeView, public ISprigDesigner {
  FW_CLASS(TSprigTreeView)
public:
  explicit TSprigTreeView(TTreeView* view);
  ~TSprigTreeView() override;

  /// Nil once the view is freed.
  TTreeView* View() const noexcept { return FView; }
  TRootSprig* ShownRoot() const noexcept { return FRoot; }
  /// Shows `root` (nil: nothing) in place of the root shown now.
  void Show(TRootSprig* root);

  // ISprigTreeView
  TTreeNode* AddNode(TTreeNode* parent, TTreeNode* before, TSprig* sprig) override;
  void MoveNode(TTreeNode* node, TTreeNode* parent, TTreeNode* before) override;
  void DeleteNode(TTreeNode* node) override;
  void SetNodeVisuals(TTreeNode* node, const String& caption, Integer imageIndex,
                      Integer selectedIndex, Integer stateIndex) override;
  bool GetNodeExpanded(TTreeNode* node) override;
  void SetNodeExpanded(TTreeNode* node, bool expanded) override;
  void BeginUpdate() override;
  void EndUpdate() override;
  std::vector<TTreeNode*> GetSelectedNodes() override;
  void SelectNodes(const std::vector<TTreeNode*>& nodes) override;
  TSprig* GetNodeSprig(TTreeNode* node) override;

  // ISprigDesigner
  /// This display while its view lives; nil after.
  IPtr<ISprigTreeView> GetTreeView() override;
  /// A root that attaches itself without Show is learned from the first node it adds.
  void SetRootSprig(TRootSprig* root) override { FRoot = root; }

private:
  class TWatch;
  void ViewChanged(TObject* sender, TTreeNode* node);
  void NodeDeleted(TObject* sender, TTreeNode* node);
  void ViewGone();

  TTreeView* FView;
  TWatch* FWatch;
  TRootSprig* FRoot = nullptr;
  /// Changes the root asks for: the selection events they cause are not the user's.
  Integer FBusy = 0;
};

} // namespace fw
