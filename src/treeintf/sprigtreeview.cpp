#include "treeintf/sprigtreeview.h"

#include "basert/onexit.h"
#include "componentdesigner/designerevents.h"

namespace fw {

/// Hears of the view's destruction.
class TSprigTreeView::TWatch : public TComponent {
  FW_CLASS(TWatch)
public:
  TWatch(TSprigTreeView* display, TTreeView* view) : TComponent(nullptr), FDisplay(display) {
    view->FreeNotification(this);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == notifyRemove && FDisplay && component == FDisplay->FView) FDisplay->ViewGone();
  }
  TSprigTreeView* FDisplay;
};

TClass TSprigTreeView::TWatch::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWatch, TComponent>("TSprigTreeViewWatch", "TreeIntf").Build();
  return cls;
}

TClass TSprigTreeView::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSprigTreeView, TInterfacedObject>("TSprigTreeView", "TreeIntf")
          .Implements<ISprigTreeView, ISprigDesigner>()
          .Build();
  return cls;
}

TSprigTreeView::TSprigTreeView(TTreeView* view) : FView(view), FWatch(nullptr) {
  if (!FView) return;
  FWatch = New<TWatch>(this, view);
  FView->SetMultiSelect(true); // a structure tree selects what the designer selects
  FView->OnChange = HandlerOf<TTVChangedEvent, &TSprigTreeView::ViewChanged>(this);
  FView->OnDeletion = HandlerOf<TTVChangedEvent, &TSprigTreeView::NodeDeleted>(this);
}

TSprigTreeView::~TSprigTreeView() {
  if (FView) {
    FView->OnChange = {};
    FView->OnDeletion = {};
  }
  if (FWatch) {
    FWatch->FDisplay = nullptr;
    FWatch->Free();
  }
}

void TSprigTreeView::Show(TRootSprig* root) {
  if (root == FRoot) return;
  IPtr<ISprigDesigner> self(this); // the old root may hold the last reference
  if (FRoot) FRoot->SetSprigDesigner(nullptr);
  FRoot = root;
  if (root) root->SetSprigDesigner(self);
}

void TSprigTreeView::ViewGone() {
  IPtr<ISprigDesigner> self(this);
  FView->OnChange = {};
  FView->OnDeletion = {};
  FView = nullptr;
  // The nodes go with the view: the root forgets them and shows itself nowhere.
  if (FRoot) FRoot->SetSprigDesigner(nullptr);
  FRoot = nullptr;
}

void TSprigTreeView::ViewChanged(TObject*, TTreeNode*) {
  if (FBusy == 0 && FRoot) FRoot->TreeSelectionChanged();
}

void TSprigTreeView::NodeDeleted(TObject*, TTreeNode* node) {
  if (FBusy > 0) return; // the root's own deletes: it has let go of the node already
  auto* sprig = static_cast<TSprig*>(node->Data());
  if (sprig && sprig->TreeNode() == node) sprig->ClearTreeNode();
}

IPtr<ISprigTreeView> TSprigTreeView::GetTreeView() {
  return FView ? IPtr<ISprigTreeView>(this) : nullptr;
}

TTreeNode* TSprigTreeView::AddNode(TTreeNode* parent, TTreeNode* before, TSprig* sprig) {
  if (!FView) return nullptr;
  if (!FRoot && sprig) FRoot = sprig->Root();
  if (before) return FView->Items()->InsertObject(before, String(), sprig);
  return FView->Items()->AddChildObject(parent, String(), sprig);
}

void TSprigTreeView::MoveNode(TTreeNode* node, TTreeNode* parent, TTreeNode* before) {
  if (!FView || !node) return;
  if (before)
    node->MoveTo(before, naInsert);
  else
    node->MoveTo(parent, naAddChild);
}

void TSprigTreeView::DeleteNode(TTreeNode* node) {
  if (!FView || !node) return;
  ++FBusy;
  TOnExit done([this] { --FBusy; });
  node->Delete();
}

void TSprigTreeView::SetNodeVisuals(TTreeNode* node, const String& caption, Integer imageIndex,
                                    Integer selectedIndex, Integer stateIndex) {
  if (!node) return;
  node->SetText(caption);
  node->SetImageIndex(imageIndex);
  node->SetSelectedIndex(selectedIndex);
  node->SetStateIndex(stateIndex);
}

bool TSprigTreeView::GetNodeExpanded(TTreeNode* node) { return node && node->Expanded(); }

void TSprigTreeView::SetNodeExpanded(TTreeNode* node, bool expanded) {
  if (node) node->SetExpanded(expanded);
}

void TSprigTreeView::BeginUpdate() {
  if (FView) FView->Items()->BeginUpdate();
}

void TSprigTreeView::EndUpdate() {
  if (!FView) return;
  ++FBusy; // a selection lost to deletes inside the bracket is told now
  TOnExit done([this] { --FBusy; });
  FView->Items()->EndUpdate();
}

std::vector<TTreeNode*> TSprigTreeView::GetSelectedNodes() {
  return FView ? FView->SelectedNodes() : std::vector<TTreeNode*>();
}

void TSprigTreeView::SelectNodes(const std::vector<TTreeNode*>& nodes) {
  if (!FView) return;
  ++FBusy;
  TOnExit done([this] { --FBusy; });
  FView->Select(nodes);
}

TSprig* TSprigTreeView::GetNodeSprig(TTreeNode* node) {
  return node ? static_cast<TSprig*>(node->Data()) : nullptr;
}

} // namespace fw
