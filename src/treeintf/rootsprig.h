// The root sprig of a designed module's structure tree: index and lookup caches, lazy
// repopulation, update batching, the display it shows itself in, selection kept in step with
// the designer, and edit commands for the selected nodes. Also the process-wide list of root
// sprigs that the design notifications feed.
#pragma once

#include "treeintf/sprigs.h"

#include <unordered_map>
#include <unordered_set>

namespace fw {

/// The tree-view control a root sprig shows itself in, as far as the root uses it. Nodes are
/// the display's own; the root keeps each sprig's node in step with the sprig tree.
struct ISprigTreeView : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5C3A8E41-7D2B-4F19-9B6E-2A7C0D4E8F13}");
  /// A new node showing `sprig`, as a child of `parent` (nil: top level) placed before the
  /// sibling `before` (nil: last).
  virtual TTreeNode* AddNode(TTreeNode* parent, TTreeNode* before, TSprig* sprig) = 0;
  /// Moves `node` (with everything below it) under `parent`, before `before` (nil: last).
  virtual void MoveNode(TTreeNode* node, TTreeNode* parent, TTreeNode* before) = 0;
  /// Deletes `node` and every node below it.
  virtual void DeleteNode(TTreeNode* node) = 0;
  virtual void SetNodeVisuals(TTreeNode* node, const String& caption, Integer imageIndex,
                              Integer selectedIndex, Integer stateIndex) = 0;
  virtual bool GetNodeExpanded(TTreeNode* node) = 0;
  virtual void SetNodeExpanded(TTreeNode* node, bool expanded) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  /// The selected nodes in the view's order.
  virtual std::vector<TTreeNode*> GetSelectedNodes() = 0;
  /// Replaces the view's selection.
  virtual void SelectNodes(const std::vector<TTreeNode*>& nodes) = 0;
  /// The sprig a node was made for.
  virtual TSprig* GetNodeSprig(TTreeNode* node) = 0;
};

/// The host window that shows a structure tree.
struct ISprigDesigner : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{8E2F6B07-41C9-4D3A-A5E8-93B1C7F20D64}");
  virtual IPtr<ISprigTreeView> GetTreeView() = 0;
  /// Tells the window which root it shows; nil when the root detaches.
  virtual void SetRootSprig(TRootSprig* root) = 0;
};

/// Captions of this many characters or more are cut for the display.
inline constexpr std::size_t CMaxShownCaption = 80;
/// A caption cut for the display: its first 76 characters and "... ".
String ShortenedCaption(const String& caption);

class TRootSprig : public TPersistentSprig {
  FW_CLASS(TRootSprig)
public:
  explicit TRootSprig(TPersistent* item);
  ~TRootSprig() override;

  const IPtr<IDesigner>& Designer() const noexcept { return FDesigner; }
  void SetDesigner(const IPtr<IDesigner>& designer) { FDesigner = designer; }

  // ---- synchronisation with the module
  /// Rebuilds the tree when needed; answers whether sprigs were made. Only the parts that
  /// inserts and deletes touched are visited unless a modification (or anything else that may
  /// move every sprig) asked for a full pass.
  bool Repopulate();
  bool RepopulateNeeded() const noexcept { return FRepopulateNeeded; }
  void ItemInserted(TPersistent* item);
  /// Invalidates the item's sprig (not the root's); nothing happens when it has none.
  void ItemDeleted(TPersistent* item);
  /// With `repopulate`, every sprig is placed again at the next repopulation; the visuals of
  /// every sprig are refreshed now.
  void ItemsModified(bool repopulate);
  void AddItem(TSprig* sprig);
  /// Takes the sprig out of the index and both lookup caches.
  void RemoveItem(TSprig* sprig);
  /// Places a sprig again under the parent its item asks for.
  void ValidateParent(TSprig* sprig);

  // ---- display
  void SetSprigDesigner(const IPtr<ISprigDesigner>& value);
  const IPtr<ISprigDesigner>& SprigDesigner() const noexcept { return FSprigDesigner; }
  IPtr<ISprigTreeView> TreeView();
  /// Repopulates when needed and brings the display's nodes in step with the tree.
  void RefreshTreeView();
  /// Remembers whether the sprig's node is expanded and forgets (deletes) its nodes.
  void DepopulateTreeView(TSprig* sprig);
  void StoreTreeState();
  virtual void StoreExpandState(TSprig*) {}
  virtual void PreRefreshTreeView(TSprig*) {}
  virtual void PostRefreshTreeView(TSprig* sprig) { sprig->VisualRefresh(); }

  // ---- selection
  /// Designer to view: selects the nodes of the designer's selection (now, or when the last
  /// update lock goes when one is held).
  void SelectionChanged();
  /// View to designer: called by the display when its selection changed. An empty view
  /// selection clears the designer's selection when the application is next idle.
  void TreeSelectionChanged();
  bool PendingClearSelection() const noexcept { return FPendingClear; }
  /// How many times the selection was brought from the designer to the view.
  Integer SelectionSyncs() const noexcept { return FSelectionSyncs; }
  /// Delete style of the view's selected sprigs (custom mixed with normal gives dsAbort);
  /// dsNormal and all visible without view or selection.
  TSprigDeleteStyle SelectionSurvey(bool& allVisible);
  /// The one selected sprig (not the root's).
  bool SelectedSprig(TSprig*& sprig);
  bool EditAction(TEditAction action);
  TEditStates GetEditState();

  Integer UpdateLocks() const noexcept { return FUpdateLocks; }
  std::size_t IndexCount() const noexcept { return FIndex.Count(); }

  // ---- overrides
  void SelectItems(const std::vector<TPersistent*>& items, bool markModified = true) override;
  void RuntimeChange() override;
  void DesigntimeChange() override {}
  TSprig* FindItem(TPersistent* item, bool recurse) override;
  TSprig* FindItemByName(const String& name, TClass cls, bool recurse) override;
  TSprig* FindItemByPath(const String& path, bool recurse) override;
  bool GetDesigner(IPtr<IDesigner>& designer) override;
  void BeginUpdate() override { ++FUpdateLocks; }
  void EnsureUpdate() override;
  void EndUpdate() override;
  String GetAddType(Integer index) override;
  bool PaletteOver(TSprigClass, TClass) override { return true; }
  TSprigDeleteStyle DeleteStyle() override { return dsAbort; }
  bool CanMove(bool up) override;
  bool Move(bool up) override;
  bool CanAdd() override;
  Integer AddTypeCount() override;
  void AddType(Integer index) override;
  void FigureParent() override {}
  /// True for every component class.
  virtual bool AcceptsClass(TClass cls);

private:
  friend class TSprig;
  friend class TRootSprigList;
  // Bookkeeping the sprigs report.
  void ChildPlaced(TSprig* child, TSprig* oldParent, bool fresh);
  void ChildMoved(TSprig* child);
  void SprigGone(TSprig* sprig);
  void ShowSprig(TSprig* sprig);
  void NoteWaiting(TSprig* sprig, TPersistent* parentObject, TSprig* found);
  void ForgetWaiting(TSprig* sprig);

  void FullPass();
  void IncrementalPass();
  void ParentPass(std::vector<TSprig*>& work);
  void FreeUnneeded();
  bool MakeComponentSprig(TComponent* c);
  bool Wanted(TComponent* c) const;
  void SyncSelection();
  void ClearDisplay();
  void PlaceNode(TSprig* sprig, const IPtr<ISprigTreeView>& view);
  void PlaceChildren(TSprig* sprig, const IPtr<ISprigTreeView>& view);
  TTreeNode* NodeBefore(TSprig* sprig) const;
  void DropNodes(TSprig* sprig);
  std::vector<TSprig*> SelectedSprigs();
  TSprig* FindNodeSprig(TTreeNode* node);

  TSprigIndex FIndex;
  std::vector<TSprig*> FNamedItems;
  std::vector<TSprig*> FPathedItems;
  bool FRepopulating = false;
  bool FParentChanges = false;
  IPtr<ISprigDesigner> FSprigDesigner;
  IPtr<IDesigner> FDesigner;
  bool FRepopulateNeeded = true;
  bool FNeedUpdate = false;
  Integer FUpdateLocks = 0;

  // Incremental repopulation: what changed since the last pass.
  bool FFullPass = true;
  std::vector<TPersistent*> FPendingInserts;
  std::unordered_set<TSprig*> FCleanup;  // invalid sprigs to free, transient ones to check
  std::vector<TSprig*>* FWork = nullptr; // the running pass's work list
  std::unordered_multimap<const TPersistent*, TSprig*> FWaiting;
  // Display bookkeeping.
  bool FFullRefresh = true;
  bool FRefreshing = false;
  std::unordered_set<TSprig*> FNodeless; // placed sprigs that need a node
  // Shown sprigs captioned by their component's index, which inserts and deletes change.
  std::unordered_set<TSprig*> FIndexCaptioned;
  bool FIndexCaptionsStale = false;
  Integer FSelectLocks = 0;
  bool FPendingClear = false;
  Integer FSelectionSyncs = 0;
};

/// Every open designer's root sprig, by the designer's root component.
class TRootSprigList {
public:
  TRootSprigList() = default;
  TRootSprigList(const TRootSprigList&) = delete;
  TRootSprigList& operator=(const TRootSprigList&) = delete;
  ~TRootSprigList();

  /// Makes a root sprig of the best root class for the designer's root (when it has none).
  void DesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting);
  void DesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant);
  void ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item);
  void ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item);
  void ItemsModified(const IPtr<IDesigner>& designer);
  void SelectionChanged(const IPtr<IDesigner>& designer);
  bool FindRoot(const IPtr<IDesigner>& designer, TRootSprig*& root) const;
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }

private:
  /// Refreshes the display of a root whose structure changed, unless an update is running.
  void StructureChanged(TRootSprig* root);
  std::unordered_map<const TComponent*, TRootSprig*> FList;
};

/// The process-wide list, made on first use.
TRootSprigList& RootSprigList();
/// Frees the list and every root sprig in it.
void FreeRootSprigList();
/// Registers one design-notification handler that feeds the list (once).
void InitDesignNotification();
void DoneDesignNotification();

} // namespace fw
