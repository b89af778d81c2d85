// The structure tree fed by design notifications, as a designer feeds it: the fixture the tree's
// tests share, and the comparison of a tree against one rebuilt from scratch.
#pragma once

#include "componentdesigner/designnotification.h"
#include "componentdesigner/designpackage.h"
#include "tree_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace fwtest {

/// What the module calls each object in a tree's text.
using TIds = std::map<const TPersistent*, String>;

/// One node of a tree as text: its sprig's item (by the name the module knows it under), the
/// caption shown, and the children's texts in order where order means something (by index),
/// sorted elsewhere.
String NodeShape(TSprig* sprig, const String& caption, std::vector<String> kids, const TIds& ids);
/// The sprig tree as that text, with captions as the display shows them.
String Shape(TSprig* s, const TIds& ids);

/// A designed module fed to the tree through the design-notification list, as a designer
/// would: every change is announced.
struct TreeSync : ::testing::Test {
  TTreeDesigner* designer = nullptr;
  IPtr<IDesigner> keep;
  TTestControl* form = nullptr;
  TRootSprig* root = nullptr;
  IPtr<TRecordingView> view{New<TRecordingView>()};

  void SetUp() override {
    DesignPackageStartup();
    TreeIntfStartup();
    RegisterSprigType(TTestControl::StaticClass(), TTestControlSprig::StaticClass());
    form = New<TTestControl>(nullptr);
    form->SetName("Form1");
    designer = New<TTreeDesigner>();
    keep = IPtr<IDesigner>(static_cast<IDesigner*>(designer));
    designer->Root = form;
    DesignNotificationDesignerOpened(keep, false);
    ASSERT_TRUE(RootSprigList().FindRoot(keep, root));
  }
  void TearDown() override {
    DesignNotificationDesignerClosed(keep, false);
    EXPECT_FALSE(RootSprigList().FindRoot(keep, root));
    form->Free();
    TreeIntfShutdown();
    DesignPackageShutdown();
  }
  void Show() { root->SetSprigDesigner(IPtr<ISprigDesigner>(view.get())); }

  template <class T = TTestControl> T* Insert(const String& name, TTestControl* parent = nullptr) {
    auto* c = New<T>(form);
    c->SetDesigning(true);
    if (!name.empty()) c->SetName(name);
    c->SetParent(parent);
    DesignNotificationItemInserted(keep, c);
    return c;
  }
  void Delete(TComponent* c) {
    DesignNotificationItemDeleted(keep, c);
    c->Free();
  }
  void Reparent(TTestControl* c, TTestControl* parent) {
    c->SetParent(parent);
    DesignNotificationItemsModified(keep);
  }
  TSprig* SprigOf(TPersistent* p) { return root->Find(p, true); }
  static TViewNode* RecordingNode(TSprig* s) { return TRecordingView::N(s->TreeNode()); }
  /// Random inserts (some parents announced after their children), deletes, renames (some to
  /// names long enough to be shortened), re-parentings and collection edits, some inside
  /// update brackets; every few steps the tree and what `shown` reads from the display must
  /// equal a tree rebuilt from scratch.
  void RandomEdits(unsigned seed, int steps, const std::function<String(const TIds&)>& shown);
  void Select(std::vector<TPersistent*> items) {
    designer->Selection = std::move(items);
    DesignNotificationSelectionChanged(keep, CreateSelectionList());
  }
};

} // namespace fwtest
