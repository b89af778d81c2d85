// A tree-view control: nodes with a text, images, a data pointer and a selected state, kept in
// sibling lists so that adding, moving or deleting one node costs the same in a tree of any size.
//
//   auto* tv = New<TTreeView>(form);
//   TTreeNode* parent = tv->Items()->Add(nullptr, "Form1");
//   TTreeNode* child = tv->Items()->AddChild(parent, "Button1");
//   child->MoveTo(parent, naAddChildFirst);
//   tv->Select(child);
#pragma once

#include "basert/exceptions.h"
#include "tarn/controls.h"

#include <string_view>
#include <vector>

namespace fw {

class TTreeNode;
class TTreeNodes;
class TTreeView;

inline constexpr std::string_view sInvalidNodeMove =
    "A node cannot be moved onto itself or below it";
inline constexpr std::string_view sNodeOfAnotherTree = "The node belongs to another tree view";

class ETreeViewError : public Exception {
public:
  using Exception::Exception;
};

/// Where a node goes relative to another: after its last sibling, before its first sibling,
/// as its last or first child, or right before it.
enum TNodeAttachMode : std::uint8_t { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };

/// procedure(Sender: TObject; Node: TTreeNode) of object.
struct TTVChangedEvent : TMethod {
  using TFunction = void (*)(void*, TObject*, TTreeNode*);
  void operator()(TObject* sender, TTreeNode* node) const;
};

/// One node. Made and freed only through its TTreeNodes; never owns what Data points to.
class TTreeNode : public TPersistent {
  FW_CLASS(TTreeNode)
public:
  TTreeNodes* Owner() const noexcept { return FOwner; }
  TTreeView* TreeView() const noexcept;
  /// Nil for a top-level node.
  TTreeNode* Parent() const noexcept;

  const String& Text() const noexcept { return FText; }
  void SetText(const String& value) { FText = value; }
  void* Data() const noexcept { return FData; }
  void SetData(void* value) noexcept { FData = value; }
  Integer ImageIndex() const noexcept { return FImageIndex; }
  void SetImageIndex(Integer value) noexcept { FImageIndex = value; }
  Integer SelectedIndex() const noexcept { return FSelectedIndex; }
  void SetSelectedIndex(Integer value) noexcept { FSelectedIndex = value; }
  Integer StateIndex() const noexcept { return FStateIndex; }
  void SetStateIndex(Integer value) noexcept { FStateIndex = value; }

  // ---- children and siblings
  Integer Count() const noexcept { return FCount; }
  bool HasChildren() const noexcept { return FCount > 0; }
  /// The index-th child; walks the sibling list. Raises EListError out of range.
  TTreeNode* Item(Integer index) const;
  TTreeNode* GetFirstChild() const noexcept { return FFirstChild; }
  TTreeNode* GetLastChild() const noexcept { return FLastChild; }
  TTreeNode* GetNextSibling() const noexcept { return FNext; }
  TTreeNode* GetPrevSibling() const noexcept { return FPrev; }
  /// The next node in pre-order (children before siblings), or nil after the last.
  TTreeNode* GetNext() const noexcept;
  /// Position among the siblings; walks the sibling list.
  Integer Index() const noexcept;
  /// 0 for a top-level node.
  Integer Level() const noexcept;
  /// True when `node` is an ancestor of this one.
  bool HasAsParent(const TTreeNode* node) const noexcept;

  // ---- state
  bool Expanded() const noexcept { return FExpanded; }
  void SetExpanded(bool value) noexcept { FExpanded = value; }
  /// Expands (and, with `recurse`, everything below).
  void Expand(bool recurse);
  void Collapse(bool recurse);
  /// Every ancestor is expanded.
  bool IsVisible() const noexcept;
  bool Selected() const noexcept { return FSelected; }
  /// Selecting replaces the view's selection unless the view allows several selected nodes,
  /// where it adds the node; deselecting takes it out.
  void SetSelected(bool value);

  /// Moves the node with everything below it. Raises ETreeViewError when `destination` is this
  /// node or lies below it, or belongs to another view. A nil destination with naAdd or
  /// naAddChild makes it the last top-level node (naAddFirst, naAddChildFirst: the first).
  void MoveTo(TTreeNode* destination, TNodeAttachMode mode);
  /// Deletes the node and everything below it (OnDeletion for each, children first).
  void Delete();
  void DeleteChildren();

private:
  friend class TTreeNodes;
  friend class TTreeView;
  explicit TTreeNode(TTreeNodes* owner) : FOwner(owner) {}
  ~TTreeNode() override = default;
  void Unlink() noexcept;
  /// Links into `parent`'s children before `before` (nil: last).
  void LinkBefore(TTreeNode* parent, TTreeNode* before) noexcept;

  TTreeNodes* FOwner;
  TTreeNode* FParent = nullptr; // the hidden top node for a top-level node
  TTreeNode* FFirstChild = nullptr;
  TTreeNode* FLastChild = nullptr;
  TTreeNode* FPrev = nullptr;
  TTreeNode* FNext = nullptr;
  Integer FCount = 0;
  String FText;
  void* FData = nullptr;
  Integer FImageIndex = -1;
  Integer FSelectedIndex = -1;
  Integer FStateIndex = -1;
  bool FExpanded = false;
  bool FSelected = false;
  bool FDeleting = false;
};

/// The nodes of one tree view.
class TTreeNodes : public TPersistent {
  FW_CLASS(TTreeNodes)
public:
  explicit TTreeNodes(TTreeView* owner);
  ~TTreeNodes() override;

  TTreeView* Owner() const noexcept { return FOwner; }
  /// All nodes, at every level.
  Integer Count() const noexcept { return FCount; }
  /// The first top-level node.
  TTreeNode* GetFirstNode() const noexcept { return FTop->FFirstChild; }
  /// The index-th node in pre-order; walks the tree. Raises EListError out of range.
  TTreeNode* Item(Integer index) const;
  /// Top-level nodes in order.
  std::vector<TTreeNode*> TopNodes() const;

  /// A new node placed relative to `relative` as `mode` says (see TTreeNode::MoveTo).
  TTreeNode* AddNode(TTreeNode* relative, const String& text, void* data, TNodeAttachMode mode);
  /// The last sibling of `sibling` (nil: last top-level node).
  TTreeNode* Add(TTreeNode* sibling, const String& text) {
    return AddNode(sibling, text, nullptr, naAdd);
  }
  TTreeNode* AddFirst(TTreeNode* sibling, const String& text) {
    return AddNode(sibling, text, nullptr, naAddFirst);
  }
  TTreeNode* AddChild(TTreeNode* parent, const String& text) {
    return AddNode(parent, text, nullptr, naAddChild);
  }
  TTreeNode* AddChildFirst(TTreeNode* parent, const String& text) {
    return AddNode(parent, text, nullptr, naAddChildFirst);
  }
  TTreeNode* AddChildObject(TTreeNode* parent, const String& text, void* data) {
    return AddNode(parent, text, data, naAddChild);
  }
  /// Right before `sibling` (nil: last top-level node).
  TTreeNode* Insert(TTreeNode* sibling, const String& text) {
    return AddNode(sibling, text, nullptr, naInsert);
  }
  TTreeNode* InsertObject(TTreeNode* sibling, const String& text, void* data) {
    return AddNode(sibling, text, data, naInsert);
  }
  void Delete(TTreeNode* node);
  void Clear();

  /// Batches changes: OnChange for selections lost by deletes waits for the last EndUpdate.
  void BeginUpdate() noexcept { ++FUpdateCount; }
  void EndUpdate();
  Integer UpdateCount() const noexcept { return FUpdateCount; }

private:
  friend class TTreeNode;
  friend class TTreeView;
  /// Raises ETreeViewError for a node of another view.
  void Check(const TTreeNode* node) const;
  /// Where `mode` relative to `relative` puts a node: its parent and next sibling.
  void Target(TTreeNode* relative, TNodeAttachMode mode, TTreeNode*& parent,
              TTreeNode*& before) const;
  void FreeSubtree(TTreeNode* node);

  TTreeView* FOwner;
  TTreeNode* FTop; // hidden: its children are the top-level nodes
  Integer FCount = 0;
  Integer FUpdateCount = 0;
};

/// A headless tree view. The selection is a list in the order nodes were selected; Selected
/// reports the latest of them.
class TTreeView : public TWinControl {
  FW_CLASS(TTreeView)
public:
  explicit TTreeView(TComponent* owner);
  ~TTreeView() override;

  TTreeNodes* Items() const noexcept { return FItems.get(); }
  bool MultiSelect() const noexcept { return FMultiSelect; }
  /// Turning it off keeps only the first selected node.
  void SetMultiSelect(bool value);
  bool ReadOnly() const noexcept { return FReadOnly; }
  void SetReadOnly(bool value) noexcept { FReadOnly = value; }
  Integer Indent() const noexcept { return FIndent; }
  void SetIndent(Integer value) noexcept { FIndent = value; }

  /// The latest selected node, or nil.
  TTreeNode* Selected() const noexcept;
  /// Makes `node` the only selected node (nil: none).
  void SetSelected(TTreeNode* node);
  Integer SelectionCount() const noexcept { return static_cast<Integer>(FSelections.size()); }
  /// Raises EListError out of range.
  TTreeNode* Selections(Integer index) const;
  const std::vector<TTreeNode*>& SelectedNodes() const noexcept { return FSelections; }
  /// Selects `node`; with `extend` (and MultiSelect) it joins the selection, otherwise it
  /// replaces it.
  void Select(TTreeNode* node, bool extend = false);
  /// Replaces the selection with `nodes` (without MultiSelect, only the first of them).
  void Select(const std::vector<TTreeNode*>& nodes);
  void Deselect(TTreeNode* node);
  void ClearSelection();

  void FullExpand();
  void FullCollapse();

  /// The selection changed (the node is Selected, or nil); not while the view is destroyed.
  TTVChangedEvent OnChange;
  /// A node is about to be freed.
  TTVChangedEvent OnDeletion;

private:
  friend class TTreeNodes;
  friend class TTreeNode;
  /// Takes the nodes being deleted out of the selection.
  void DropDeletingFromSelection();
  /// Fires OnChange, or remembers to when the nodes are being updated.
  void SelectionChanged();

  TOwned<TTreeNodes> FItems;
  std::vector<TTreeNode*> FSelections;
  bool FMultiSelect = false;
  bool FReadOnly = false;
  Integer FIndent = 19;
  bool FChangePending = false;
  bool FDestroying = false;
};

} // namespace fw
