// Design scripts: parsing and running.
#include "script.h"

#include "inspector.h"
#include "render.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/safesave.h"
#include "basert/sysutils.h"
#include "componentdesigner/componentcreation.h"
#include "designintf/designintf.h"
#include "host/hostsurface.h"
#include "toolsapi/toolsapi.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <utility>

namespace fwcli {

using namespace fw;
namespace fs = std::filesystem;

namespace {

struct TVerbInfo {
  std::string_view Name;
  TScriptVerb Verb;
  std::string_view Synopsis;
  std::string_view Summary;
};

constexpr std::array<TVerbInfo, 19> kVerbs = {{
    {"open", TScriptVerb::Open, "open FILE",
     "open a form file (and the modules it links to or inherits from)"},
    {"new", TScriptVerb::New, "new CLASS NAME", "a new module NAME descending from CLASS"},
    {"inherit", TScriptVerb::Inherit, "inherit NAME as NEWNAME",
     "a new module inherited from the open module NAME"},
    {"module", TScriptVerb::Module, "module NAME", "make the open module NAME the current one"},
    {"select", TScriptVerb::Select, "select NAME[,NAME...]",
     "select components of the current module (its root by its own name)"},
    {"create", TScriptVerb::Create, "create CLASS at X,Y [in PARENT]",
     "drop a component at a point of the module (or of PARENT); it becomes the selection"},
    {"move", TScriptVerb::Move, "move DX,DY", "move the selection as the arrow keys do"},
    {"size", TScriptVerb::Size, "size W,H | size AFFECT",
     "give the selection a width and height, or one of: HGrow HShrink VGrow VShrink Widths "
     "Heights WidthHeight"},
    {"align", TScriptVerb::Align, "align AFFECT [AFFECT...]",
     "align the selection: Left Right Top Bottom HCenter VCenter HSpace VSpace HWinCenter "
     "VWinCenter HSpaceInc HSpaceDec HSpaceDel VSpaceInc VSpaceDec VSpaceDel AlignToGrid "
     "SendToBack BringToFront"},
    {"rename", TScriptVerb::Rename, "rename OLD NEW", "rename a component or the module's root"},
    {"set", TScriptVerb::Set, "set NAME.PROP=VALUE",
     "type a value into a property's editor (the rest of the line is the value)"},
    {"expect", TScriptVerb::Expect, "expect NAME.PROP=VALUE",
     "stop unless the inspector shows exactly that value"},
    {"copy", TScriptVerb::Copy, "copy", "copy the selection to the clipboard"},
    {"cut", TScriptVerb::Cut, "cut", "copy the selection to the clipboard and delete it"},
    {"paste", TScriptVerb::Paste, "paste",
     "paste the clipboard into the selected container (or the root)"},
    {"delete", TScriptVerb::Delete, "delete", "delete the selection"},
    {"undelete", TScriptVerb::Undelete, "undelete", "bring back what was deleted last"},
    {"save", TScriptVerb::Save, "save [MODULE] [to FILE]",
     "save the current module (or MODULE) over its file, or to FILE"},
    {"render", TScriptVerb::Render, "render FILE [NAME,...]",
     "draw the current module as SVG, with grab handles around the named components"},
}};

template <class E> struct TAffectName {
  std::string_view Name;
  E Affect;
};

constexpr std::array<TAffectName<TOTAAffect>, 19> kAlignAffects = {{
    {"Top", afTop},
    {"Left", afLeft},
    {"Bottom", afBottom},
    {"Right", afRight},
    {"HCenter", afHCenter},
    {"VCenter", afVCenter},
    {"HSpace", afHSpace},
    {"VSpace", afVSpace},
    {"HWinCenter", afHWinCenter},
    {"VWinCenter", afVWinCenter},
    {"HSpaceInc", afHSpaceInc},
    {"HSpaceDec", afHSpaceDec},
    {"HSpaceDel", afHSpaceDel},
    {"VSpaceInc", afVSpaceInc},
    {"VSpaceDec", afVSpaceDec},
    {"VSpaceDel", afVSpaceDel},
    {"AlignToGrid", afAlignToGrid},
    {"SendToBack", afSendToBack},
    {"BringToFront", afBringToFront},
}};

constexpr std::array<TAffectName<TOTASizeAffect>, 7> kSizeAffects = {{
    {"HGrow", asHGrow},
    {"HShrink", asHShrink},
    {"VGrow", asVGrow},
    {"VShrink", asVShrink},
    {"Widths", asWidths},
    {"Heights", asHeights},
    {"WidthHeight", asWidthHeight},
}};

template <class E, std::size_t N>
bool FindAffect(const std::array<TAffectName<E>, N>& table, std::string_view name, int& affect) {
  for (const auto& a : table)
    if (SameText(a.Name, name)) {
      affect = a.Affect;
      return true;
    }
  return false;
}

std::string_view Blankless(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Words split at blanks; a word in double quotes keeps its blanks ("" inside is one quote).
// False for an unclosed quote.
bool SplitWords(std::string_view text, std::vector<std::string>& words) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
      continue;
    }
    std::string word;
    if (text[i] == '"') {
      for (++i;; ++i) {
        if (i >= text.size()) return false;
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            word += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        word += text[i];
      }
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t')
        word += text[i++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

// "X,Y" (blanks allowed around either number).
bool ParsePair(std::string_view text, int& x, int& y) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  auto number = [](std::string_view s, int& v) {
    s = Blankless(s);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
  };
  return number(text.substr(0, comma), x) && number(text.substr(comma + 1), y);
}

std::string Join(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
  std::string text;
  for (std::size_t i = from; i < to && i < words.size(); ++i)
    (text += text.empty() ? "" : " ") += words[i];
  return text;
}

std::vector<std::string> SplitNames(std::string_view text) {
  std::vector<std::string> names;
  while (!Trim(text).empty()) {
    const std::size_t comma = text.find(',');
    names.push_back(Trim(text.substr(0, comma)));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return names;
}

// Fills `step` from the words after the command (and the raw rest of the line, for values);
// false when they do not fit the command.
bool ParseArguments(TScriptStep& step, const std::vector<std::string>& w, std::string_view rest) {
  const std::size_t n = w.size();
  auto keyword = [&](std::size_t i, std::string_view k) { return i < n && SameText(w[i], k); };
  switch (step.Verb) {
  case TScriptVerb::Open:
  case TScriptVerb::Module:
    step.Words = w;
    return n == 1;
  case TScriptVerb::New:
  case TScriptVerb::Rename:
    step.Words = w;
    return n == 2;
  case TScriptVerb::Inherit:
    step.Words = {n > 0 ? w[0] : "", n > 2 ? w[2] : ""};
    return n == 3 && keyword(1, "as");
  case TScriptVerb::Select:
    step.Words = SplitNames(Join(w, 0, n));
    return !step.Words.empty() &&
           std::none_of(step.Words.begin(), step.Words.end(), [](auto& s) { return s.empty(); });
  case TScriptVerb::Create: {
    std::size_t in = 2;
    while (in < n && !keyword(in, "in"))
      ++in;
    step.Words = {n > 0 ? w[0] : "", in + 1 < n ? w[in + 1] : ""};
    return n >= 3 && keyword(1, "at") && ParsePair(Join(w, 2, in), step.X, step.Y) &&
           (in == n || in + 2 == n);
  }
  case TScriptVerb::Move:
    return ParsePair(Join(w, 0, n), step.X, step.Y);
  case TScriptVerb::Size: {
    int affect = 0;
    if (n == 1 && FindAffect(kSizeAffects, w[0], affect)) {
      step.Affects = {affect};
      return true;
    }
    return ParsePair(Join(w, 0, n), step.X, step.Y);
  }
  case TScriptVerb::Align:
    for (const std::string& word : w) {
      int affect = 0;
      if (!FindAffect(kAlignAffects, word, affect)) return false;
      step.Affects.push_back(affect);
    }
    return n > 0;
  case TScriptVerb::Set:
  case TScriptVerb::Expect:
    step.Words = {std::string(Blankless(rest))};
    return !step.Words[0].empty();
  case TScriptVerb::Copy:
  case TScriptVerb::Cut:
  case TScriptVerb::Paste:
  case TScriptVerb::Delete:
  case TScriptVerb::Undelete:
    return n == 0;
  case TScriptVerb::Save: {
    const std::size_t to = keyword(0, "to") ? 0 : keyword(1, "to") ? 1 : n;
    step.Words = {to == 1 || (to == n && n == 1) ? w[0] : "",
                  to < n && to + 1 < n ? w[to + 1] : ""};
    return to == n ? n <= 1 : to + 2 == n;
  }
  case TScriptVerb::Render:
    step.Words = w;
    if (n == 2) {
      step.Words.pop_back();
      for (std::string& name : SplitNames(w[1]))
        step.Words.push_back(std::move(name));
    }
    return n == 1 || n == 2;
  }
  return false;
}

// How the notifications name an object: its name, or its class when it has none.
String ItemName(TPersistent* item) {
  if (auto* c = dynamic_cast<TComponent*>(item); c && !c->Name().empty()) return c->Name();
  return item ? item->ClassName() : String("nil");
}

String ModuleName(const IPtr<IDesigner>& designer) {
  if (!designer) return "nil";
  if (TComponent* root = designer->GetRoot()) return root->Name();
  return designer->GetRootClassName();
}

} // namespace

std::vector<TScriptStep> ParseScript(std::string_view text) {
  std::vector<TScriptStep> steps;
  int line = 0;
  while (!text.empty()) {
    ++line;
    const std::size_t lf = text.find('\n');
    std::string_view row = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    row = Blankless(row);
    if (row.empty() || row.front() == '#') continue;
    const std::size_t blank = row.find_first_of(" \t");
    const std::string_view name = row.substr(0, blank);
    const std::string_view rest = blank == std::string_view::npos ? "" : row.substr(blank);
    const TVerbInfo* verb = nullptr;
    for (const TVerbInfo& v : kVerbs)
      if (SameText(v.Name, name)) verb = &v;
    if (!verb) throw EScriptError(line, Format(sScriptUnknownCommand, String(name)));
    TScriptStep step;
    step.Line = line;
    step.Verb = verb->Verb;
    // A typed value is the rest of the line as it stands, quotes and all.
    const bool value = step.Verb == TScriptVerb::Set || step.Verb == TScriptVerb::Expect;
    std::vector<std::string> words;
    if ((!value && !SplitWords(rest, words)) || !ParseArguments(step, words, rest))
      throw EScriptError(line, Format(sScriptUsage, String(verb->Synopsis)));
    steps.push_back(std::move(step));
  }
  return steps;
}

std::string ScriptCommandsHelp() {
  std::size_t width = 0;
  for (const TVerbInfo& v : kVerbs)
    width = std::max(width, v.Synopsis.size());
  std::string text;
  for (const TVerbInfo& v : kVerbs) {
    text += "  ";
    text += v.Synopsis;
    text.append(width + 2 - v.Synopsis.size(), ' ');
    text += v.Summary;
    text += '\n';
  }
  return text;
}

// Prints each design notification as one line: the event, the module, and what it is about.
class TScriptRunner::TListener : public TInterfacedObject, public IDesignNotification {
  FW_CLASS(TListener)
public:
  explicit TListener(TScriptRunner& runner) : FRunner(runner) {}
  void ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item) override {
    FRunner.Print("ItemDeleted " + ModuleName(designer) + "." + ItemName(item));
  }
  void ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item) override {
    FRunner.Print("ItemInserted " + ModuleName(designer) + "." + ItemName(item));
  }
  void ItemsModified(const IPtr<IDesigner>& designer) override {
    FRunner.Print("ItemsModified " + ModuleName(designer));
  }
  void SelectionChanged(const IPtr<IDesigner>& designer,
                        const IPtr<IDesignerSelections>& selection) override {
    String names;
    for (Integer i = 0; selection && i < selection->GetCount(); ++i)
      (names += names.empty() ? "" : ", ") += ItemName(selection->Get(i));
    FRunner.Print("SelectionChanged " + ModuleName(designer) + " [" + names + "]");
  }
  void DesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting) override {
    FRunner.Print("DesignerOpened " + ModuleName(designer) + (resurrecting ? " resurrecting" : ""));
  }
  void DesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant) override {
    FRunner.Print("DesignerClosed " + ModuleName(designer) + (goingDormant ? " dormant" : ""));
  }

private:
  TScriptRunner& FRunner;
};

TClass TScriptRunner::TListener::StaticClass() {
  static const TClass cls = TClassBuilder<TListener, TInterfacedObject>("TScriptListener", "Script")
                                .Implements<IDesignNotification>()
                                .Build();
  return cls;
}

TScriptRunner::TScriptRunner(TDesignSession& session, std::string readDir, std::string writeDir,
                             std::FILE* out)
    : FSession(session), FReadDir(std::move(readDir)), FWriteDir(std::move(writeDir)), FOut(out),
      FListener(New<TListener>(*this)) {
  RegisterDesignNotification(IPtr<IDesignNotification>(FListener));
}

TScriptRunner::~TScriptRunner() {
  UnregisterDesignNotification(IPtr<IDesignNotification>(FListener));
}

void TScriptRunner::Print(const String& line) {
  std::fwrite(line.data(), 1, line.size(), FOut);
  std::fputc('\n', FOut);
}

std::string TScriptRunner::ReadPath(const std::string& path) const {
  return fs::path(path).is_absolute() ? path : (fs::path(FReadDir) / path).string();
}

std::string TScriptRunner::WritePath(const std::string& path) const {
  const fs::path target =
      fs::path(path).is_absolute() ? fs::path(path) : FWriteDir / fs::path(path);
  // A folder the script names is made; the save itself still fails as any save fails.
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  return target.string();
}

TOpenForm& TScriptRunner::Current() const {
  if (!FCurrent) throw Exception(sScriptNoModule);
  return *FCurrent;
}

TOpenForm& TScriptRunner::Module(const std::string& name) const {
  TOpenForm* form = FSession.Find(name);
  if (!form) throw Exception(Format(sScriptNoModuleNamed, name));
  return *form;
}

void TScriptRunner::Run(const std::vector<TScriptStep>& steps) {
  for (const TScriptStep& step : steps) {
    try {
      Step(step);
    } catch (const EScriptError&) {
      throw;
    } catch (const std::exception& e) {
      throw EScriptError(step.Line, e.what());
    }
  }
}

void TScriptRunner::Step(const TScriptStep& step) {
  const std::vector<std::string>& w = step.Words;
  switch (step.Verb) {
  case TScriptVerb::Open: {
    const std::string path = ReadPath(w[0]);
    TOpenForm* form = FSession.FindFile(path);
    if (!form) {
      form = &FSession.Open(path);
      ReportSkipped("script", *form);
    }
    FCurrent = form;
    return;
  }
  case TScriptVerb::New:
    FCurrent = &FSession.NewModule(w[1], w[0]);
    return;
  case TScriptVerb::Inherit:
    FCurrent = &FSession.NewModule(w[1], Module(w[0]).Root->GetRootClassName());
    return;
  case TScriptVerb::Module:
    FCurrent = &Module(w[0]);
    return;
  default:
    break;
  }
  TOpenForm& form = Current();
  THostComponentRoot& root = *form.Root;
  switch (step.Verb) {
  case TScriptVerb::Select: {
    IPtr<TDesignerSelections> list(New<TDesignerSelections>());
    for (TPersistent* p : SelectComponents(form, w))
      list->Add(p);
    root.SetSelections(IPtr<IDesignerSelections>(list));
    return;
  }
  case TScriptVerb::Create: {
    const TClass cls = GetClass(w[0]);
    if (!cls) throw Exception(Format(sClassNotFound, w[0]));
    if (!cls->InheritsFrom(TComponent::StaticClass()))
      throw Exception(Format(sScriptNotAComponentClass, w[0]));
    TComponent* made = nullptr;
    if (w[1].empty()) {
      made = root.CreateComponentPos(IPtr<IInternalPaletteItem>(New<TClassPaletteItem>(cls)),
                                     step.X, step.Y);
    } else {
      auto* parent = static_cast<TComponent*>(SelectComponents(form, {w[1]}).front());
      made = root.CreateComponent(cls, parent, step.X, step.Y, 1, 1);
    }
    if (!made) throw Exception(Format(sScriptNotCreated, root.GetRootName(), w[0]));
    return;
  }
  case TScriptVerb::Move: {
    THostRootSurface* window = THostRootSurface::Of(root);
    if (!window) throw Exception(Format(sScriptNoDesignWindow, root.GetRootName()));
    window->Designer()->MoveBy({step.X, step.Y}, false);
    return;
  }
  case TScriptVerb::Size:
    if (step.Affects.empty()) {
      root.Size(asHAbsolute, step.X);
      root.Size(asVAbsolute, step.Y);
    } else {
      root.Size(static_cast<TOTASizeAffect>(step.Affects[0]), 0);
    }
    return;
  case TScriptVerb::Align:
    for (int a : step.Affects)
      root.Align(static_cast<TOTAAffect>(a));
    return;
  case TScriptVerb::Rename:
    // As the inspector renames: the module hears of it and its listeners refresh.
    AssignProperty(form, w[0] + ".Name=" + w[1]);
    return;
  case TScriptVerb::Set:
    AssignProperty(form, w[0]);
    return;
  case TScriptVerb::Expect: {
    const auto [name, path, wanted] = SplitAssignment(form, w[0]);
    // The row of the whole path, else down the sub-properties, as the user unfolds them.
    const std::vector<TInspectedProperty> rows =
        InspectProperties(form, SelectComponents(form, {name}), tkAny);
    auto find = [](const std::vector<TInspectedProperty>& level, std::string_view n) {
      const TInspectedProperty* hit = nullptr;
      for (const TInspectedProperty& row : level)
        if (!hit && SameText(row.Name, n)) hit = &row;
      return hit;
    };
    const TInspectedProperty* found = find(rows, path);
    const std::vector<TInspectedProperty>* level = &rows;
    for (std::string_view rest = path; !found;) {
      const std::size_t d = rest.find('.');
      const TInspectedProperty* next = find(*level, rest.substr(0, d));
      if (!next) throw Exception(Format(sNoPropertyNamed, name, path));
      if (d == std::string_view::npos) {
        found = next;
        break;
      }
      rest = rest.substr(d + 1);
      level = &next->Properties;
    }
    if (found->Value != wanted)
      throw Exception(Format(sScriptExpectFailed, name + "." + path, found->Value, wanted));
    Print(Format(sScriptChecked, root.GetRootName(), w[0]));
    return;
  }
  case TScriptVerb::Copy:
    root.CopySelection();
    return;
  case TScriptVerb::Cut:
    root.CutSelection();
    return;
  case TScriptVerb::Paste:
    if (!root.CanPaste()) throw Exception(sScriptNothingToPaste);
    root.PasteSelection();
    return;
  case TScriptVerb::Delete:
    root.DeleteSelection(true);
    return;
  case TScriptVerb::Undelete:
    if (!root.CanUndelete()) throw Exception(sScriptNothingToUndelete);
    root.DoUndelete();
    return;
  case TScriptVerb::Save: {
    TOpenForm& target = w[0].empty() ? form : Module(w[0]);
    const String name = target.Root->GetRootName();
    FSession.Save(target, w[1].empty() ? std::string() : WritePath(w[1]));
    Print(w[1].empty() ? Format(sScriptSaved, name) : Format(sScriptSavedTo, name, w[1]));
    return;
  }
  case TScriptVerb::Render: {
    const String svg = RenderFormSvg(form, std::vector<std::string>(w.begin() + 1, w.end()));
    TSafeSaveStream out(WritePath(w[0]));
    out.WriteBuffer(svg.data(), static_cast<Int64>(svg.size()));
    out.Commit();
    Print(Format(sScriptRendered, root.GetRootName(), w[0]));
    return;
  }
  case TScriptVerb::Open:
  case TScriptVerb::New:
  case TScriptVerb::Inherit:
  case TScriptVerb::Module:
    return; // handled above
  }
}

} // namespace fwcli
