// Benchmarks of module roots: streaming and saving a module of N components (alone and inheriting
// from an open module), saving an unchanged module, dormancy and waking, opening a form file,
// closing a module, selecting, copying and pasting components.
#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "host/hoststartup.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace fw;

/// The package started with one designer, and the modules a benchmark makes; torn down after it.
class TSession {
public:
  TSession() {
    DesignPackageStartup();
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Env = New<THostDesignEnvironment>();
    Env->Options.LYTFormat = false;
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env));
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
    Dir = std::filesystem::temp_directory_path() / ("fw-rootbench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
  }
  ~TSession() {
    Designer->CloseRoots();
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    DesignPackageShutdown();
    UnregisterStandardControls();
    std::filesystem::remove_all(Dir);
  }
  IPtr<THostComponentRoot> Open(const String& name, TStream* stream, const String& ancestor = {}) {
    return THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit" + name, name, "TForm")),
        (Dir / (name + ".lyt")).string(), stream, name, ancestor);
  }
  /// A module of `count` buttons, each with a caption, a position and a click handler.
  IPtr<THostComponentRoot> Filled(const String& name, std::int64_t count) {
    auto root = Open(name, nullptr);
    for (std::int64_t i = 0; i < count; ++i) {
      auto* b = New<TButton>(root->GetRoot());
      b->SetDesigning(true);
      b->SetParentComponent(root->GetRoot());
      b->SetName("Button" + std::to_string(i));
      b->SetCaption("Caption " + std::to_string(i));
      b->SetBounds(static_cast<Integer>(i % 97) * 8, static_cast<Integer>(i % 61) * 8, 75, 25);
      b->OnClick =
          TNotifyEvent{root->CreateMethod("Button" + std::to_string(i) + "Click", nullptr)};
    }
    root->Modified();
    return root;
  }
  /// A module inheriting from `ancestor`, with every tenth inherited button changed.
  IPtr<THostComponentRoot> Derived(const String& name, const String& ancestor) {
    auto root = Open(name, nullptr, ancestor);
    TComponent* form = root->GetRoot();
    for (std::size_t i = 0; i < form->ComponentList().size(); i += 10)
      if (auto* b = dynamic_cast<TButton*>(form->ComponentList()[i])) b->SetCaption("Changed");
    root->Modified();
    return root;
  }

  IPtr<THostDesignEnvironment> Env;
  IPtr<THostComponentDesigner> Designer;
  std::filesystem::path Dir;
};

void Sized(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

/// Runs `step` on a module of N buttons, or on a module inheriting from one (every tenth
/// inherited button changed).
template <class F> void OnModule(benchmark::State& state, bool inherited, F step) {
  TSession s;
  auto base = s.Filled("Form1", state.range(0));
  auto root = inherited ? s.Derived("Form2", "Form1") : base;
  for (auto _ : state)
    step(*root);
  Sized(state);
}

void Stream(THostComponentRoot& root) {
  root.Modified();
  benchmark::DoNotOptimize(root.GetRootStream());
}
void Save(THostComponentRoot& root) {
  root.Modified();
  root.Save();
}
void SleepAndWake(THostComponentRoot& root) {
  root.GoDormant();
  root.Resurrect();
}

// The form stream of a changed module, without the file.
void BM_RootWriteStream(benchmark::State& state) { OnModule(state, false, Stream); }
void BM_RootWriteStreamInherited(benchmark::State& state) { OnModule(state, true, Stream); }
// A save of a changed module: stream, safe save (written, synced, renamed).
void BM_RootSave(benchmark::State& state) { OnModule(state, false, Save); }
void BM_RootSaveInherited(benchmark::State& state) { OnModule(state, true, Save); }
// An unchanged module saves the stream it has cached: only the file is written.
void BM_RootSaveUnchanged(benchmark::State& state) {
  OnModule(state, false, [](THostComponentRoot& root) { root.Save(); });
}
void BM_RootDormantResurrect(benchmark::State& state) { OnModule(state, false, SleepAndWake); }
void BM_RootDormantResurrectInherited(benchmark::State& state) {
  OnModule(state, true, SleepAndWake);
}
// The same under the host: update managers pair the descendant with its ancestor again on each
// waking, and the module gets a design window.
void BM_RootDormantResurrectHosted(benchmark::State& state) {
  THostStartupScope host;
  OnModule(state, true, SleepAndWake);
}
BENCHMARK(BM_RootWriteStream)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootWriteStreamInherited)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootSave)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootSaveInherited)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootSaveUnchanged)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootDormantResurrect)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootDormantResurrectInherited)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_RootDormantResurrectHosted)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

// Opening a form file (text) of N components, then closing the module again.
void BM_RootOpenFormFile(benchmark::State& state) {
  TSession s;
  String text;
  {
    s.Env->Options.LYTFormat = true;
    auto root = s.Filled("Form1", state.range(0));
    TStream* stream = root->GetRootStream();
    text.resize(static_cast<std::size_t>(stream->Size()));
    stream->ReadBuffer(text.data(), stream->Size());
    root->Close();
  }
  for (auto _ : state) {
    TStringStream in(text);
    auto root = s.Open("Form1", &in);
    root->Close();
  }
  Sized(state);
}
BENCHMARK(BM_RootOpenFormFile)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

// Closing a module of N buttons with handlers, their tab order running against their z-order
// (as after a paste over the same names): every control leaves its parent.
void BM_CloseModule(benchmark::State& state) {
  TSession s;
  for (auto _ : state) {
    state.PauseTiming();
    auto root = s.Filled("Form1", state.range(0));
    for (TComponent* c : root->GetRoot()->ComponentList())
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->SetTabOrder(0);
    state.ResumeTiming();
    root->Close();
  }
  Sized(state);
}
BENCHMARK(BM_CloseModule)->Arg(1000)->Arg(5000)->Arg(10000)->Complexity();

// Deletes every other button of a panel of N through the designer: streamed for undelete, then
// freed one by one from the middle of the panel.
void BM_DeleteSelection(benchmark::State& state) {
  TSession s;
  for (auto _ : state) {
    state.PauseTiming();
    auto root = s.Open("Form1", nullptr);
    auto* panel = New<TPanel>(root->GetRoot());
    panel->SetDesigning(true);
    panel->SetParentComponent(root->GetRoot());
    panel->SetName("Panel1");
    panel->SetBounds(0, 0, 800, 600);
    IPtr<IDesignerSelections> list = CreateSelectionList();
    for (std::int64_t i = 0; i < state.range(0); ++i) {
      auto* b = New<TButton>(root->GetRoot());
      b->SetDesigning(true);
      b->SetParentComponent(panel);
      b->SetName("Button" + std::to_string(i));
      b->SetBounds(static_cast<Integer>(i % 97) * 8, static_cast<Integer>(i % 61) * 8, 75, 25);
      if (i % 2 == 0) list->Add(b);
    }
    root->SetSelections(list);
    state.ResumeTiming();
    root->DeleteSelection(false);
    state.PauseTiming();
    root->Close();
    state.ResumeTiming();
  }
  Sized(state);
}
BENCHMARK(BM_DeleteSelection)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

/// The clipboard stream of a module of N buttons with handlers, all selected.
String CopiedButtons(TSession& s, std::int64_t count) {
  auto source = s.Filled("Source", count);
  source->SelectAll();
  TMemoryStream stream;
  source->CopySelectionToStream(stream, nullptr);
  source->Close();
  return String(stream.View());
}

/// Pastes N buttons with their handlers into a fresh module, empty or already holding buttons
/// (and handlers) of the same names, so that every name and handler is renamed.
void PasteButtons(benchmark::State& state, bool namesTaken) {
  TSession s;
  const String copied = CopiedButtons(s, state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto target = namesTaken ? s.Filled("Target", state.range(0)) : s.Open("Target", nullptr);
    TMemoryStream stream;
    stream.WriteBuffer(copied.data(), static_cast<Int64>(copied.size()));
    stream.SetPosition(0);
    state.ResumeTiming();
    target->PasteSelectionFromStream(stream, nullptr, TRect{});
    state.PauseTiming();
    target->Close();
    state.ResumeTiming();
  }
  Sized(state);
}
void BM_PasteComponents(benchmark::State& state) { PasteButtons(state, false); }
void BM_PasteComponentsOverSameNames(benchmark::State& state) { PasteButtons(state, true); }
BENCHMARK(BM_PasteComponents)->RangeMultiplier(10)->Range(100, 5000)->Complexity();
BENCHMARK(BM_PasteComponentsOverSameNames)->RangeMultiplier(10)->Range(100, 5000)->Complexity();

// Selecting N buttons from a list naming each twice: the second mention is dropped.
void BM_SetSelections(benchmark::State& state) {
  TSession s;
  auto root = s.Filled("Form1", state.range(0));
  IPtr<IDesignerSelections> list = CreateSelectionList();
  for (int pass = 0; pass < 2; ++pass)
    for (TComponent* c : root->GetRoot()->ComponentList())
      list->Add(c);
  for (auto _ : state)
    root->SetSelections(list);
  Sized(state);
}
BENCHMARK(BM_SetSelections)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

// Copying N selected buttons with their handlers' source.
void BM_CopySelection(benchmark::State& state) {
  TSession s;
  auto root = s.Filled("Form1", state.range(0));
  root->SelectAll();
  for (auto _ : state) {
    TMemoryStream stream;
    root->CopySelectionToStream(stream, nullptr);
    benchmark::DoNotOptimize(stream.Size());
  }
  Sized(state);
}
BENCHMARK(BM_CopySelection)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

} // namespace
