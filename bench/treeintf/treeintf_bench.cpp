// Benchmarks of the structure tree: repopulating a module's tree, one insert or delete with its
// display update, and sprig-type lookups among many registrations.
#include "treeintf/rootsprig.h"
#include "treeintf/sprigtreeview.h"

#include <benchmark/benchmark.h>

#include <list>
#include <memory>
#include <vector>

namespace {

using namespace fw;

/// A control with a parent property, as the framework's controls have.
class TBenchControl : public TComponent {
  FW_CLASS(TBenchControl)
public:
  using TComponent::TComponent;
  TBenchControl* GetParent() const { return FParent; }
  void SetParent(TBenchControl* value) { FParent = value; }
  TComponent* GetParentComponent() override { return FParent; }
  bool HasParent() override { return true; }

private:
  TBenchControl* FParent = nullptr;
};

TClass TBenchControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBenchControl, TComponent>("TBenchControl", "Bench")
          .Property("Parent", &TBenchControl::GetParent, &TBenchControl::SetParent)
          .Build();
  return cls;
}

/// A display with linked sibling lists, as a tree-view control keeps its nodes.
class TListView : public TInterfacedObject, public ISprigTreeView, public ISprigDesigner {
public:
  struct TNode {
    TNode* Parent = nullptr;
    std::list<std::unique_ptr<TNode>> Children;
    std::list<std::unique_ptr<TNode>>::iterator Self;
    String Caption;
  };
  TNode Top;
  static TNode* N(TTreeNode* n) { return reinterpret_cast<TNode*>(n); }

  TTreeNode* AddNode(TTreeNode* parent, TTreeNode* before, TSprig*) override {
    auto node = std::make_unique<TNode>();
    return reinterpret_cast<TTreeNode*>(Insert(parent ? N(parent) : &Top, before, std::move(node)));
  }
  void MoveNode(TTreeNode* node, TTreeNode* parent, TTreeNode* before) override {
    TNode* n = N(node);
    std::unique_ptr<TNode> owned = std::move(*n->Self);
    n->Parent->Children.erase(n->Self);
    Insert(parent ? N(parent) : &Top, before, std::move(owned));
  }
  void DeleteNode(TTreeNode* node) override { N(node)->Parent->Children.erase(N(node)->Self); }
  void SetNodeVisuals(TTreeNode* node, const String& caption, Integer, Integer, Integer) override {
    N(node)->Caption = caption;
  }
  bool GetNodeExpanded(TTreeNode*) override { return false; }
  void SetNodeExpanded(TTreeNode*, bool) override {}
  void BeginUpdate() override {}
  void EndUpdate() override {}
  std::vector<TTreeNode*> GetSelectedNodes() override { return {}; }
  void SelectNodes(const std::vector<TTreeNode*>&) override {}
  TSprig* GetNodeSprig(TTreeNode*) override { return nullptr; }
  IPtr<ISprigTreeView> GetTreeView() override { return IPtr<ISprigTreeView>(this); }
  void SetRootSprig(TRootSprig*) override {}

private:
  static TNode* Insert(TNode* parent, TTreeNode* before, std::unique_ptr<TNode> node) {
    node->Parent = parent;
    auto at = before ? N(before)->Self : parent->Children.end();
    TNode* raw = node.get();
    raw->Self = parent->Children.insert(at, std::move(node));
    return raw;
  }
};

/// The list display above, attached to a root.
struct TListDisplay {
  IPtr<TListView> View{new TListView};
  void Show(TRootSprig* root) { root->SetSprigDesigner(IPtr<ISprigDesigner>(View.get())); }
};

/// A real tree-view control behind the structure tree's adapter.
struct TTreeViewDisplay {
  TOwned<TTreeView> Tree{New<TTreeView>(nullptr)};
  IPtr<TSprigTreeView> Adapter{New<TSprigTreeView>(Tree.get())};
  void Show(TRootSprig* root) { Adapter->Show(root); }
};

/// A module of n controls: flat (all on the form) or nested (panels of ten, three deep).
struct TModule {
  TOwned<TComponent> Form;
  std::vector<TBenchControl*> Controls;
  TModule(std::size_t n, bool nested) : Form(New<TComponent>(nullptr)) {
    Form->SetName("Form1");
    Controls.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      auto* c = New<TBenchControl>(Form.get());
      c->SetDesigning(true);
      c->SetName(String("C").append(std::to_string(i)));
      // Panel i/10 holds controls 10i..10i+9: depth grows as log10(n).
      if (nested && i > 0) c->SetParent(Controls[(i - 1) / 10]);
      Controls.push_back(c);
    }
  }
};

struct TStartup {
  TStartup() {
    TreeIntfStartup();
    RegisterSprigType(TBenchControl::StaticClass(), TComponentSprig::StaticClass());
  }
};
const TStartup gStartup;

void Sized(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// ---- repopulation ------------------------------------------------------------------------------

// The first pass: every sprig made and placed.
void BuildTree(benchmark::State& state, bool nested) {
  TModule m(static_cast<std::size_t>(state.range(0)), nested);
  for (auto _ : state) {
    TOwned<TRootSprig> root(new TRootSprig(m.Form.get()));
    root->Repopulate();
    benchmark::DoNotOptimize(root->IndexCount());
  }
  Sized(state);
}
void BM_BuildTreeFlat(benchmark::State& state) { BuildTree(state, false); }
void BM_BuildTreeNested(benchmark::State& state) { BuildTree(state, true); }
BENCHMARK(BM_BuildTreeFlat)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildTreeNested)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// A full repopulation pass over an existing tree, with the display kept in step: what every
// modification of the module costs.
template <class D = TListDisplay> void Repopulate(benchmark::State& state, bool nested) {
  TModule m(static_cast<std::size_t>(state.range(0)), nested);
  TOwned<TRootSprig> root(new TRootSprig(m.Form.get()));
  D display;
  display.Show(root.get());
  for (auto _ : state) {
    root->ItemsModified(true);
    root->RefreshTreeView();
  }
  Sized(state);
  root->SetSprigDesigner(nullptr);
}
void BM_RepopulateFlat(benchmark::State& state) { Repopulate(state, false); }
void BM_RepopulateNested(benchmark::State& state) { Repopulate(state, true); }
BENCHMARK(BM_RepopulateFlat)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepopulateNested)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// One insert and one delete, each announced and shown: independent of the module's size.
template <class D = TListDisplay> void InsertDelete(benchmark::State& state, bool nested) {
  TModule m(static_cast<std::size_t>(state.range(0)), nested);
  TOwned<TRootSprig> root(new TRootSprig(m.Form.get()));
  D display;
  display.Show(root.get());
  TBenchControl* parent = nested ? m.Controls[m.Controls.size() / 20] : nullptr;
  for (auto _ : state) {
    auto* c = New<TBenchControl>(m.Form.get());
    c->SetDesigning(true);
    c->SetParent(parent);
    root->ItemInserted(c);
    root->RefreshTreeView();
    root->ItemDeleted(c);
    c->Free();
    root->RefreshTreeView();
  }
  state.SetComplexityN(state.range(0));
  root->SetSprigDesigner(nullptr);
}
void BM_InsertDeleteFlat(benchmark::State& state) { InsertDelete(state, false); }
void BM_InsertDeleteNested(benchmark::State& state) { InsertDelete(state, true); }
BENCHMARK(BM_InsertDeleteFlat)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertDeleteNested)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

// The same two with a tree-view control as the display.
void BM_RepopulateTreeViewFlat(benchmark::State& state) {
  Repopulate<TTreeViewDisplay>(state, false);
}
void BM_RepopulateTreeViewNested(benchmark::State& state) {
  Repopulate<TTreeViewDisplay>(state, true);
}
void BM_InsertDeleteTreeViewFlat(benchmark::State& state) {
  InsertDelete<TTreeViewDisplay>(state, false);
}
void BM_InsertDeleteTreeViewNested(benchmark::State& state) {
  InsertDelete<TTreeViewDisplay>(state, true);
}
BENCHMARK(BM_RepopulateTreeViewFlat)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepopulateTreeViewNested)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertDeleteTreeViewFlat)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertDeleteTreeViewNested)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMicrosecond);

// ---- sprig-type lookup -----------------------------------------------------------------------

/// Run-time class records: `count` classes, each descending from TBenchControl at depth 1..4.
std::vector<std::unique_ptr<TClassRec>> MakeClasses(std::size_t count) {
  std::vector<std::unique_ptr<TClassRec>> classes;
  for (std::size_t i = 0; i < count; ++i) {
    auto rec = std::make_unique<TClassRec>();
    rec->ClassName = String("TGen").append(std::to_string(i));
    rec->Parent = i % 4 == 0 ? TBenchControl::StaticClass() : classes[i - 1].get();
    rec->LayoutClass = TBenchControl::StaticClass();
    classes.push_back(std::move(rec));
  }
  return classes;
}

// Each lookup asks for another class than the last, so the one-entry cache never answers.
void BM_SprigTypeLookup(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  auto classes = MakeClasses(n);
  TSprigTypeList list;
  for (auto& c : classes)
    list.Add(c.get(), TComponentSprig::StaticClass());
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(list.Match(classes[i].get()));
    i = (i + 7) % n;
  }
  Sized(state);
}
BENCHMARK(BM_SprigTypeLookup)->Arg(1000);

} // namespace

namespace {

// What the module itself spends on one insert and delete, without any tree: the baseline for
// the figures above.
void BM_InsertDeleteModuleOnly(benchmark::State& state) {
  TModule m(static_cast<std::size_t>(state.range(0)), false);
  for (auto _ : state) {
    auto* c = New<TBenchControl>(m.Form.get());
    c->SetDesigning(true);
    c->Free();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_InsertDeleteModuleOnly)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMicrosecond);

} // namespace
