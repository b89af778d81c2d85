// A headless design session for the command line.
#include "session.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/component.h"
#include "basert/datamodule.h"
#include "basert/formstream.h"
#include "basert/formtext.h"
#include "basert/onexit.h"
#include "basert/safesave.h"
#include "basert/sysutils.h"
#include "componentdesigner/designers.h"
#include "designeditors/custommodules.h"
#include "designer/datamodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hoststartup.h"
#include "tarn/controls.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <unordered_map>

namespace fwcli {

using namespace fw;
namespace fs = std::filesystem;

namespace {

constexpr const char* kStandardPackage = "stdcomponents.so";
// The form files an opened module's links are looked for in.
constexpr std::array<std::string_view, 3> kFormExtensions = {".fwf", ".fwb", ".lyt"};

bool IsFormFile(const fs::path& p) {
  const std::string ext = p.extension().string();
  return std::any_of(kFormExtensions.begin(), kFormExtensions.end(),
                     [&](std::string_view e) { return SameText(ext, e); });
}

// Properties only a form's root streams; a root with none of them is taken for a data module
// (or a frame, when it has a tab order or holds controls) when no package registers its class.
constexpr std::array<std::string_view, 10> kFormOnly = {
    "Caption",     "ClientHeight", "ClientWidth", "PixelsPerInch", "TextHeight",
    "BorderStyle", "Position",     "Menu",        "Color",         "Font"};

struct TRootInfo {
  String ClassName, Name;
  bool Inherited = false;
  String Base; ///< the root base class to design an unregistered class as
};

// The components the root of a binary stream owns (not those inside nested modules), each
// with whether the stream marks it inherited.
struct TOwnedComponent {
  String ClassName, Name;
  bool Inherited = false;
};

std::vector<TOwnedComponent> ReadOwned(std::string_view binary) {
  TBinaryReaderCore r(binary.data(), binary.size());
  r.ReadSignature();
  std::vector<TOwnedComponent> owned;
  TFilerFlags flags = 0;
  Integer childPos = -1;
  auto walk = [&](auto& self, bool own) -> void {
    while (!r.EndOfList()) {
      r.ReadStr();
      r.SkipValue();
    }
    r.ReadListEnd();
    while (!r.EndOfList()) {
      r.ReadPrefix(flags, childPos);
      String cls = r.ReadStr();
      String name = r.ReadStr();
      const TFilerFlags childFlags = flags;
      if (own && !name.empty())
        owned.push_back({std::move(cls), std::move(name), (childFlags & ffInherited) != 0});
      self(self, own && !(childFlags & ffInline));
    }
    r.ReadListEnd();
  };
  r.ReadPrefix(flags, childPos);
  r.ReadStr();
  r.ReadStr();
  walk(walk, true);
  return owned;
}

TRootInfo ReadRootInfo(std::string_view binary) {
  TBinaryReaderCore r(binary.data(), binary.size());
  r.ReadSignature();
  TFilerFlags flags = 0;
  Integer childPos = -1;
  r.ReadPrefix(flags, childPos);
  TRootInfo info;
  info.ClassName = r.ReadStr();
  info.Name = r.ReadStr();
  info.Inherited = flags & ffInherited;
  bool form = false, tabOrder = false;
  while (!r.EndOfList()) {
    const String prop = r.ReadStr();
    const std::string_view head = std::string_view(prop).substr(0, prop.find('.'));
    for (std::string_view p : kFormOnly)
      form = form || SameText(head, p);
    tabOrder = tabOrder || SameText(prop, "TabOrder");
    r.SkipValue();
  }
  info.Base = form ? "TForm" : tabOrder ? "TFrame" : "TDataModule";
  // A data module holds no controls: a root that does is a frame (which need not store a tab
  // order of its own).
  if (!form && !tabOrder)
    for (const TOwnedComponent& c : ReadOwned(binary))
      if (const TClass cls = GetClass(c.ClassName);
          cls && cls->InheritsFrom(TControl::StaticClass())) {
        info.Base = "TFrame";
        break;
      }
  return info;
}

String StripT(const String& className) {
  return className.size() > 1 && (className[0] == 'T' || className[0] == 't') ? className.substr(1)
                                                                              : className;
}

// A form file comes without its source: the module learns the handlers its events name, with
// their events' parameters, so that renaming or sharing one works as in the IDE.
void DeclareHandlers(THostComponentRoot& root, THostDesignerModule& module) {
  TComponent* top = root.GetRoot();
  auto declare = [&](TComponent* c) {
    for (PPropInfo p : GetPropList(c, tkMethods)) {
      const TMethod m = GetMethodProp(c, p);
      if (!m.Code) continue;
      const String name = root.GetMethodName(m);
      if (!name.empty() && !module.MethodExists(name))
        module.CreateMethod(name, IPtr<IEventInfo>(New<TEventInfo>(p)));
    }
  };
  declare(top);
  for (Integer i = 0; i < top->ComponentCount(); ++i)
    declare(top->Components(i));
}

// Frames are designed to be placed on other modules.
class TFrameCustomModule : public TCustomModule {
  FW_CLASS(TFrameCustomModule)
public:
  using TCustomModule::TCustomModule;
  bool Nestable() override { return true; }
};

TClass TFrameCustomModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFrameCustomModule, TCustomModule>("TFrameCustomModule", "Formwright").Build();
  return cls;
}

} // namespace

std::string DefaultPackage() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  std::vector<fs::path> places;
  if (!ec) {
    const fs::path bin = self.parent_path();
    places = {bin / kStandardPackage, bin.parent_path() / "lib" / kStandardPackage,
              bin.parent_path() / "lib" / "formwright" / "packages" / kStandardPackage};
  }
#ifdef FW_INSTALLED_PACKAGES
  places.push_back(fs::path(FW_INSTALLED_PACKAGES) / kStandardPackage);
#endif
  for (const fs::path& p : places)
    if (fs::is_regular_file(p, ec)) return p.string();
  return {};
}

void ReportSkipped(const char* command, const TOpenForm& form) {
  for (const String& message : form.Skipped)
    std::fprintf(stderr, "formwright %s: %s: skipped: %s\n", command, form.FileName.c_str(),
                 message.c_str());
}

void AddPackageOption(CLI::App& app, std::vector<std::string>& packages) {
  app.add_option("--package", packages,
                 "a component package to load (repeatable); default: the standard package, "
                 "when it is built beside the program or installed")
      ->type_name("LIB.so")
      ->take_all()
      ->expected(1)
      ->allow_extra_args(false);
}

// The host's side, started and stopped in order.
class TDesignSession::TStarted {
public:
  TStarted() {
    RegisterStandardControls();
    RegisterClass(TDataModule::StaticClass());
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    RegisterCustomModule(TFrame::StaticClass(), TFrameCustomModule::StaticClass());
    RegisterCustomModule(TDataModule::StaticClass(), TDataModuleCustomModule::StaticClass());
  }
  ~TStarted() {
    UnRegisterClass(TDataModule::StaticClass());
    UnregisterStandardControls();
  }

private:
  THostStartupScope FHost;
};

TDesignSession::TDesignSession(std::vector<std::string> packages)
    : FStarted(std::make_unique<TStarted>()) {
  auto* environment = New<THostDesignEnvironment>();
  environment->OnOpenRootModule = [this](const String& rootName) { OpenLinked(rootName); };
  FDesigner = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(environment));
  QueryIntf<IInternalComponentDesigners>(Designers().get())
      ->RegisterDesigner(IPtr<IComponentDesigner>(FDesigner));
  if (packages.empty())
    if (std::string p = DefaultPackage(); !p.empty()) packages.push_back(p);
  try {
    for (const std::string& p : packages)
      FPackages.push_back(std::make_unique<TPackage>(p));
  } catch (...) {
    Close();
    throw;
  }
}

TDesignSession::~TDesignSession() { Close(); }

void TDesignSession::Close() noexcept {
  if (!FDesigner) return;
  FDesigner->CloseRoots();
  FForms.clear();
  QueryIntf<IInternalComponentDesigners>(Designers().get())
      ->UnregisterDesigner(IPtr<IComponentDesigner>(FDesigner));
  FDesigner = nullptr;
  while (!FPackages.empty())
    FPackages.pop_back();
  FStarted.reset();
}

TOpenForm& TDesignSession::Open(const std::string& fileName) {
  FormFile file;
  LoadFormFile(fileName, file);
  TMemoryStream binary;
  ToBinary(file, binary);
  const TRootInfo info = ReadRootInfo(binary.View());
  if (Find(info.Name)) throw Exception(Format(sDuplicateName, info.Name));
  const bool registered = GetClass(info.ClassName) != nullptr;
  String ancestor;
  if (info.Inherited && !registered) {
    std::error_code ec;
    FOpening.push_back(fs::weakly_canonical(fileName, ec).string());
    TOnExit done([this] { FOpening.pop_back(); });
    ancestor = FindAncestor(fileName, binary.View());
  }
  auto module = New<THostDesignerModule>(fs::path(fileName).stem().string(), info.Name,
                                         !ancestor.empty() ? ancestor
                                         : info.Inherited  ? String()
                                                           : info.Base);
  IPtr<THostComponentRoot> root(New<THostComponentRoot>(IPtr<IComponentDesigner>(FDesigner),
                                                        IPtr<IDesignerModule>(module), fileName));
  root->UsePlaceholders = true;
  root->ReadErrorAnswer = rerOK; // each one is told, and the form is not saved
  if (!registered) root->SourceAncestors[info.ClassName] = ancestor.empty() ? info.Base : ancestor;
  const std::string folder = fs::absolute(fileName).parent_path().string();
  if (std::find(FFolders.begin(), FFolders.end(), folder) == FFolders.end())
    FFolders.push_back(folder);
  binary.SetPosition(0);
  root->Open(&binary, info.Name, {});
  DeclareHandlers(*root, *module);
  auto form = std::make_unique<TOpenForm>();
  form->Root = root;
  form->FileName = fileName;
  form->Format = file.Format;
  constexpr std::string_view kReadError = "ReadError ";
  for (const String& call : root->Calls())
    if (call.starts_with(kReadError)) form->Skipped.push_back(call.substr(kReadError.size()));
  if (const auto updates = root->GetUpdateManager();
      info.Inherited && !(updates && updates->GetIsDescendent()))
    form->Skipped.push_back(Format(sAncestorNotOpen, info.ClassName));
  if (file.Format == FormFormat::Text) {
    const std::string_view data = file.Data();
    const std::size_t lf = data.find('\n');
    form->CrLf = lf == std::string_view::npos || (lf > 0 && data[lf - 1] == '\r');
  }
  FForms.push_back(std::move(form));
  return *FForms.back();
}

void TDesignSession::OpenLinked(const String& rootName) {
  std::error_code ec;
  for (std::size_t f = 0; f < FFolders.size(); ++f) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(FFolders[f], ec))
      if (e.is_regular_file(ec) && IsFormFile(e.path())) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
      try {
        FormFile file;
        LoadFormFile(p.string(), file);
        TMemoryStream binary;
        ToBinary(file, binary);
        if (!SameText(ReadRootInfo(binary.View()).Name, rootName)) continue;
        Open(p.string());
      } catch (const Exception&) {
        // Not a form, or one that does not open: the link stays unresolved.
      }
      if (FDesigner->FindRoot(rootName)) return;
    }
  }
}

String TDesignSession::FindAncestor(const std::string& fileName, std::string_view binary) {
  const String className = ReadRootInfo(binary).ClassName;
  std::vector<TOwnedComponent> inherited = ReadOwned(binary);
  std::erase_if(inherited, [](const TOwnedComponent& c) { return !c.Inherited; });
  auto same = [](const TOwnedComponent& a, const String& cls, const String& name) {
    return SameText(a.Name, name) && SameText(a.ClassName, cls);
  };
  // The candidate with the fewest components that has every inherited one.
  std::size_t bestCount = SIZE_MAX;
  TOpenForm* bestOpen = nullptr;
  fs::path bestFile;
  for (const auto& form : FForms) {
    TComponent* r = form->Root->GetRoot();
    if (!r || std::size_t(r->ComponentCount()) >= bestCount || SameText(r->ClassName(), className))
      continue;
    if (std::all_of(inherited.begin(), inherited.end(), [&](const TOwnedComponent& c) {
          TComponent* found = r->FindComponent(c.Name);
          return found && same(c, found->ClassName(), found->Name());
        })) {
      bestCount = r->ComponentCount();
      bestOpen = form.get();
    }
  }
  std::error_code ec;
  auto known = [&](const fs::path& p) {
    const std::string path = fs::weakly_canonical(p, ec).string();
    return std::find(FOpening.begin(), FOpening.end(), path) != FOpening.end() ||
           FindFile(path) != nullptr;
  };
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(fs::absolute(fileName).parent_path(), ec))
    if (e.is_regular_file(ec) && IsFormFile(e.path()) && !known(e.path()))
      files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& p : files) {
    try {
      FormFile file;
      LoadFormFile(p.string(), file);
      TMemoryStream candidate;
      ToBinary(file, candidate);
      // A copy of the module itself is no ancestor of it.
      if (SameText(ReadRootInfo(candidate.View()).ClassName, className)) continue;
      const std::vector<TOwnedComponent> owned = ReadOwned(candidate.View());
      if (owned.size() >= bestCount) continue;
      std::unordered_map<String, String, TextHash, TextEqual> classes; // by name
      for (const TOwnedComponent& c : owned)
        classes.emplace(c.Name, c.ClassName);
      const bool hasAll =
          std::all_of(inherited.begin(), inherited.end(), [&](const TOwnedComponent& wanted) {
            const auto it = classes.find(wanted.Name);
            return it != classes.end() && same(wanted, it->second, it->first);
          });
      if (!hasAll) continue;
      bestCount = owned.size();
      bestOpen = nullptr;
      bestFile = p;
    } catch (const Exception&) {
      // Not a form: no candidate.
    }
  }
  if (!bestFile.empty()) bestOpen = &Open(bestFile.string());
  // The designer finds a module by "T" and its name; its class may be a plain base class.
  return bestOpen ? "T" + bestOpen->Root->GetRootName() : String();
}

TOpenForm& TDesignSession::NewModule(const String& rootName, const String& ancestorClass) {
  if (Find(rootName)) throw Exception(Format(sDuplicateName, rootName));
  auto module = New<THostDesignerModule>(rootName, rootName, ancestorClass);
  IPtr<THostComponentRoot> root(New<THostComponentRoot>(IPtr<IComponentDesigner>(FDesigner),
                                                        IPtr<IDesignerModule>(module), String()));
  root->UsePlaceholders = true;
  root->Open(nullptr, rootName, StripT(ancestorClass));
  auto form = std::make_unique<TOpenForm>();
  form->Root = root;
  FForms.push_back(std::move(form));
  return *FForms.back();
}

TOpenForm* TDesignSession::Find(const String& rootName) const {
  for (const auto& form : FForms)
    if (form->Root->GetRoot() && SameText(form->Root->GetRootName(), rootName)) return form.get();
  return nullptr;
}

TOpenForm* TDesignSession::FindFile(const std::string& fileName) const {
  std::error_code ec;
  const fs::path path = fs::weakly_canonical(fileName, ec);
  for (const auto& form : FForms)
    if (!form->FileName.empty() && fs::weakly_canonical(form->FileName, ec) == path)
      return form.get();
  return nullptr;
}

void TDesignSession::Save(TOpenForm& form, const std::string& fileName) {
  if (!form.Skipped.empty())
    throw Exception(Format(sSkippedWhileRead, form.FileName, Integer(form.Skipped.size())));
  if (form.FileName.empty()) {
    if (fileName.empty()) throw Exception(Format(sNoFileYet, form.Root->GetRootName()));
    form.Format = SameText(fs::path(fileName).extension().string(), ".fwb") ? FormFormat::Binary
                                                                            : FormFormat::Text;
  }
  TMemoryStream written, converted;
  form.Root->WriteRootStream(written);
  // A module made here is written as the designer options say (text by default).
  if (!written.View().starts_with(FilerSignature)) {
    written.SetPosition(0);
    ObjectTextToBinary(written, converted);
  }
  TMemoryStream data;
  FromBinary(converted.Size() ? converted.View() : written.View(), form.Format, data);
  std::string bytes(data.View());
  // Text lines end as the file's did; a line break inside a value is written as #13#10.
  if (form.Format == FormFormat::Text && !form.CrLf) std::erase(bytes, '\r');
  TSafeSaveStream out(fileName.empty() ? form.FileName : fileName);
  out.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  out.Commit();
  if (form.FileName.empty()) form.FileName = fileName;
  form.Root->ResetDiskAge();
}

} // namespace fwcli
