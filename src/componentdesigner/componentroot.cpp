#include "componentdesigner/componentroot.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/formtext.h"
#include "basert/onexit.h"
#include "componentdesigner/componentcreation.h"
#include "componentdesigner/componentnaming.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/eventmethods.h"
#include "componentdesigner/layoutcommands.h"
#include "componentdesigner/proxies.h"
#include "componentdesigner/rootstreams.h"
#include "designeditors/compeditors.h"
#include "designintf/selections.h"
#include "tarn/controls.h"

#include <algorithm>
#include <cctype>

namespace fw {

namespace {

String ReplaceExt(const String& fileName, const String& fromName) {
  auto ext = [](const String& s) -> std::size_t {
    const std::size_t dot = s.find_last_of('.');
    const std::size_t slash = s.find_last_of('/');
    return dot != String::npos && (slash == String::npos || dot > slash) ? dot : s.size();
  };
  return fileName.substr(0, ext(fileName)) + fromName.substr(ext(fromName));
}

String CommaText(const std::vector<String>& names) {
  String r;
  for (const String& n : names)
    r += (r.empty() ? "" : ",") + n;
  return r;
}

String WithT(const String& name) { return name.empty() ? name : "T" + name; }

/// The modules a change has reached through their update managers while it spreads: they are
/// announced once it has reached them all, each once however many runs touched it.
std::vector<IPtr<IRoot>>* ReachedByChange = nullptr;

/// Every component `root` owns, directly or through owned components, parents first.
void ForEachOwned(TComponent* root, const std::function<void(TComponent*)>& proc) {
  for (TComponent* c : root->ComponentList()) {
    proc(c);
    ForEachOwned(c, proc);
  }
}

TComponent* TopOwner(TComponent* c) {
  while (c && c->Owner())
    c = c->Owner();
  return c;
}

/// "Class X not found at byte N" for a text form: the line of the first "X" after a colon.
String ClassLineInText(TStream& text, const String& message) {
  const std::size_t from = message.find("Class "), to = message.find(" not found");
  if (from != 0 || to == String::npos) return message;
  const String cls = message.substr(6, to - 6);
  String all(static_cast<std::size_t>(text.Size() - text.Position()), '\0');
  text.ReadBuffer(all.data(), static_cast<Int64>(all.size()));
  Integer line = 1;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\n') ++line;
    if (all[i] != ':') continue;
    std::size_t j = i + 1;
    while (j < all.size() && all[j] == ' ')
      ++j;
    const std::size_t end = j + cls.size();
    if (SameText(std::string_view(all).substr(j, cls.size()), cls) &&
        (end == all.size() ||
         !(std::isalnum(static_cast<unsigned char>(all[end])) || all[end] == '_')))
      return message.substr(0, to + 10) + Format(" on line %d", line);
  }
  return message;
}

/// The binary form of a stream read from its current position: `stream` itself when it is
/// binary, else a converted copy in `holder`.
TStream& AsBinary(TStream& stream, std::unique_ptr<TMemoryStream>& holder, Byte& format) {
  const TStreamOriginalFormat f = TestStreamFormat(stream);
  switch (f) {
  case sofBinary:
    format = lytBinary;
    return stream;
  case sofText:
  case sofUTF8Text:
    format = f == sofText ? lytText : lytUTF8Text;
    holder = std::make_unique<TMemoryStream>();
    ObjectTextToBinary(stream, *holder);
    holder->SetPosition(0);
    return *holder;
  case sofUnknown:
    break;
  }
  format = lytUnknown;
  return stream; // the reader names what it finds
}

} // namespace

TClass TComponentRoot::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentRoot, TInterfacedObject>("TComponentRoot", "ComponentDesigner")
          .Implements<IFile, IRoot, IInternalRoot, IDesigner60, IDesigner70, IDesigner80,
                      IDesigner100, IDesigner170, IDesigner, IDesignerNotify, IDesignerHook,
                      IUpdateManagerCallback, IUpdateManagerReaderSetup, IImplementation,
                      IFlipChildren, IOTAAlignable>()
          .Build();
  return cls;
}

TComponentRoot::TComponentRoot(const IPtr<IComponentDesigner>& designer,
                               const IPtr<IDesignerModule>& module, const String& fileName,
                               const String& fileSystem)
    : FDesigner(QueryIntf<IInternalComponentDesigner>(designer.get())), FModule(module),
      FFileSystem(fileSystem), FFileName(fileName),
      FSelections(New<TSelections>(IPtr<ISelections>(New<TSimpleSelections>()),
                                   [this](TObject* sender) { SelectionsChanged(sender); })) {
  if (!FDesigner) throw EComponentDesignerException("A module root needs a component designer");
}

TComponentRoot::~TComponentRoot() {
  DropAncestorNotifier();
  if (FOTAFormEditor) FOTAFormEditor->NotifyDestruct();
}

IPtr<IComponentDesigner> TComponentRoot::GetComponentDesigner() {
  return IPtr<IComponentDesigner>(FDesigner);
}

IPtr<IDesignEnvironment> TComponentRoot::GetEnvironment() { return FDesigner->GetEnvironment(); }

IPtr<TOTAFormEditor> TComponentRoot::GetFormEditor() {
  if (!FOTAFormEditor && (FRoot || IsDormant())) FOTAFormEditor = New<TOTAFormEditor>(this);
  return FOTAFormEditor;
}

// ---- creation ----------------------------------------------------------------------------------

void TComponentRoot::Open(TStream* formStream, const String& rootName, const String& ancestor) {
  if (FOpened) return;
  FOpened = true;
  IPtr<IRoot> self = Self(); // the designer's list may hold the last other reference
  if (auto registry = QueryIntf<IInternalComponentDesigners>(Designers().get()))
    registry->ActivateDesigner(IPtr<IComponentDesigner>(FDesigner));
  auto listUpdate = QueryIntf<IRootListUpdate>(FDesigner.get());
  if (listUpdate) listUpdate->RootListAdd(self);
  FAncestorName = WithT(ancestor);
  try {
    if (!formStream) {
      FDiskAge = GetEnvironment() ? GetEnvironment()->GetCurrentFileTime() : 0;
      CreateRootAs(WithT(rootName), FAncestorName);
      IPtr<IDesignNotification> rootListener;
      if (FAncestorRoot && Supports(FRoot, &rootListener))
        rootListener->ItemsModified(IPtr<IDesigner>(this));
      else
        InitializeNewRoot(FRoot, ancestor);
      NewRootCreated(FRoot, ancestor);
    } else {
      const Int64 start = formStream->Position();
      CreateFromStream(*formStream);
      FReadStreamSize = formStream->Position() - start;
      FDiskAge = FDesigner->GetFileAge(FFileSystem, FFileName);
      if (FDiskAge == -1 && GetEnvironment()) FDiskAge = GetEnvironment()->GetCurrentFileTime();
    }
    LoadDependentModules(FRoot);
    InternalInitializeDesigner(false);
    UpdateOptions();
    LoadDependentModules(FRoot);
  } catch (...) {
    FClosing = true;
    if (listUpdate) listUpdate->RootListRemove(self);
    if (FRootEditor) {
      InternalDeinitializeDesigner(false); // the listeners heard of it: they hear it close
    } else if (FRoot) {
      FRoot->SetDesigner(nullptr);
      TComponent* r = std::exchange(FRoot, nullptr);
      DestroyRootInstance(r);
    }
    FCustomModule = nullptr;
    FRootUpdateManager = nullptr;
    FRootEditor = nullptr;
    FSurface = nullptr;
    DropAncestorNotifier();
    FAncestorRoot = nullptr;
    throw;
  }
}

void TComponentRoot::GetCreateInfoFrom(TStream& stream, String& className, String& ancestorName,
                                       String* rootName) {
  const Int64 pos = stream.Position();
  TOnExit restore([&] { stream.SetPosition(pos); });
  TFilerFlags flags = 0;
  {
    TBinaryReaderCore reader(stream, 256);
    reader.ReadSignature();
    Integer childPos = -1;
    reader.ReadPrefix(flags, childPos);
    className = reader.ReadStr();
    if (rootName) *rootName = reader.ReadStr();
  }
  ancestorName = GetSourceAncestorName(className);
  if (ancestorName.empty()) ancestorName = FAncestorName;
  if (!(flags & ffInherited) && !FDesigner->IsRootBaseClass(ancestorName)) ancestorName = "TFORM";
}

void TComponentRoot::CreateFromStream(TStream& stream) {
  const Int64 start = stream.Position();
  std::unique_ptr<TMemoryStream> converted;
  Byte format = lytUnknown;
  String className, ancestorName, rootName;
  TStream* binary = &stream;
  try {
    binary = &AsBinary(stream, converted, format);
    GetCreateInfoFrom(*binary, className, ancestorName, &rootName);
  } catch (const EComponentDesignerException&) {
    throw;
  } catch (const Exception& e) {
    throw EComponentDesignerException(Format(sFormFileReadError, FFileName, e.Message()));
  }
  CreateRootAs(className, ancestorName);
  try {
    // The file's name wins over the one made from its class: a plain "TForm" root stays
    // "Form1", and the stream's references to the root resolve to it.
    if (!rootName.empty() && rootName != FRoot->Name()) {
      FSettingRootName = true;
      TOnExit done([this] { FSettingRootName = false; });
      FRoot->SetName(rootName);
    }
    ReadObjectFromStream(FRoot, *binary);
  } catch (const EComponentDesignerException&) {
    throw;
  } catch (const EClassNotFound& e) {
    String message = e.Message();
    if (converted) { // a byte of the converted form means nothing to the reader of the text
      stream.SetPosition(start);
      message = ClassLineInText(stream, message);
    }
    throw EComponentDesignerException(Format(sFormFileReadError, FFileName, message));
  } catch (const Exception& e) {
    throw EComponentDesignerException(Format(sFormFileReadError, FFileName, e.Message()));
  }
  GlobalFixupReferences();
  if (format != lytUnknown) FOrigLYTFormat = format;
  ModifiedUpdateNotification();
}

void TComponentRoot::CreateRootAs(const String& className, const String& ancestorName) {
  SetCreateInfo(ancestorName);
  CreateRootInstance(className);
  FSettingRootName = true;
  TOnExit done([this] { FSettingRootName = false; });
  FRoot->SetName(className.size() > 1 ? className.substr(1) : className);
}

void TComponentRoot::SetCreateInfo(const String& ancestorName) {
  DropAncestorNotifier();
  FAncestorRoot = FindAncestorModule(ancestorName);
  if (FAncestorRoot) {
    TComponentRoot* a = FAncestorRoot->Implementor();
    FRootBaseClass = a->FRootBaseClass;
    FCustomModuleClass = a->FCustomModuleClass;
    if (IPtr<IOTAModule> module = a->GetToolsModule()) {
      FAncestorRootNotifier = New<TAncestorNotifier>(this);
      FAncestorRootNotifier->Attach(module);
    }
  } else {
    FRootBaseClass = FDesigner->FindBaseClass(ancestorName);
    // A module without a named ancestor gets the default base class's custom module.
    FCustomModuleClass =
        FDesigner->FindCustomModuleClass(ancestorName.empty() ? FRootBaseClass : ancestorName);
  }
  FRootClass = nullptr;
}

void TComponentRoot::DropAncestorNotifier() {
  if (IPtr<TAncestorNotifier> n = std::move(FAncestorRootNotifier)) n->Detach();
}

IPtr<IOTAModule> TComponentRoot::GetToolsModule() { return QueryIntf<IOTAModule>(FModule.get()); }

void TComponentRoot::AncestorModuleDestroyed() {
  DropAncestorNotifier();
  if (!FAncestorRoot) return;
  FAncestorRoot = nullptr;
  RemakeUpdateManager(false);
  FRootStream.reset();
}

void TComponentRoot::RemakeUpdateManager(bool withAncestor) {
  if (!FRoot) return;
  // The old manager pairs this module with the ancestor's components, which may be going.
  FRootUpdateManager = nullptr;
  if (!CreateUpdateManagerProc) return;
  TComponent* ancestor = withAncestor && FAncestorRoot ? FAncestorRoot->GetRoot() : nullptr;
  FRootUpdateManager = CreateUpdateManagerProc(
      FRoot, ancestor, ancestor ? FAncestorRoot->GetUpdateManager() : nullptr,
      IPtr<IUpdateManagerCallback>(this));
}

std::vector<TComponentRoot*> TComponentRoot::Descendants() {
  std::vector<TComponentRoot*> r;
  for (Integer i = 0, n = FDesigner->GetRootsCount(); i < n; ++i)
    if (auto root = QueryIntf<IInternalRoot>(FDesigner->GetRoots(i).get()))
      if (root->Implementor()->FAncestorRoot.get() == static_cast<IInternalRoot*>(this))
        r.push_back(root->Implementor());
  return r;
}

IPtr<IInternalRoot> TComponentRoot::FindAncestorModule(const String& className) {
  if (className.empty() || FDesigner->IsRootBaseClass(className)) return nullptr;
  IPtr<IRoot> root = FDesigner->OpenRootClass(className);
  if (!root) throw EClassNotFound(Format(sAncestorNotFound, className));
  return QueryIntf<IInternalRoot>(root.get());
}

TClass TComponentRoot::GetRootClass() {
  if (FRootClass) return FRootClass;
  const TCustomModuleReg* reg =
      FindCustomModuleReg(FRootBaseClass, [this](TClass c) { return FDesigner->OwnsRootClass(c); });
  if (!reg) throw EComponentDesignerException(Format(sRootClassNotFound, FRootBaseClass));
  FRootClass = reg->BaseClass;
  return FRootClass;
}

void TComponentRoot::CreateRootInstance(const String& className) {
  FReadError = false;
  TClass cls = GetRootClass();
  TComponent* ancestor = FAncestorRoot ? FAncestorRoot->GetRoot() : nullptr;
  if (ancestor) ValidateInheritence(ancestor);
  const String unitName = FModule ? FModule->GetUnitName() : String();
  FRoot =
      CreateComponentWithState(cls, nullptr, TComponentState{stateDesigning, stateDesignInstance},
                               [this](TComponent* instance) {
                                 instance->SetDesigner(IPtr<IDesignerHook>(this));
                                 RootInstanceCreated(instance);
                               });
  FRoot->SetDesigning(true);
  if (FCustomModuleClass) {
    TObject* obj =
        FCustomModuleClass->Create<TComponent*, IPtr<IDesigner>>(FRoot, IPtr<IDesigner>(this));
    void* intf = nullptr;
    if (obj->GetInterface(ICustomModule::IID, &intf))
      FCustomModule = IPtr<ICustomModule>::Adopt(static_cast<ICustomModule*>(intf));
    else
      obj->Free();
  }
  RootInstanceReady();
  if (ancestor) {
    CreateSubClass(FRoot, className, unitName, ancestor->ClassType());
    ReadAncestorCopy(ancestor, FRoot);
    FRoot->SetAncestor(true);
  } else {
    CreateSubClass(FRoot, className, unitName, cls);
  }
}

void TComponentRoot::ReadAncestorCopy(TComponent* ancestor, TComponent* instance) {
  const bool createManagers = FCreateFrameManagers;
  FCreateFrameManagers = false;
  TOnExit restore([this, createManagers] { FCreateFrameManagers = createManagers; });
  TMemoryStream s;
  {
    TWriter writer(&s, 4096);
    writer.OnFindAncestorRoot = [this](const String& name) { return FindAncestorRoot(name); };
    writer.WriteDescendent(ancestor, nullptr);
  }
  s.SetPosition(0);
  ReadObjectFromStream(instance, s);
}

void TComponentRoot::ValidateInheritence(TComponent* ancestor) {
  std::vector<String> refused;
  for (TComponent* c : ancestor->ComponentList())
    if (!c->ComponentStyle().Contains(styleInheritable)) refused.push_back(c->Name());
  if (refused.size() == 1)
    throw EComponentDesignerException(Format(sCannotInheritFrom, ancestor->Name(), refused[0]));
  if (refused.size() > 1)
    throw EComponentDesignerException(
        Format(sCannotInheritFroms, ancestor->Name(), CommaText(refused)));
  for (TComponent* c : ancestor->ComponentList())
    if (c->Name().empty() && !AcceptsBlankName(c))
      throw EComponentDesignerException(Format(sBlankName, ancestor->Name()));
}

void TComponentRoot::ReadObjectFromStream(TComponent* instance, TStream& stream) {
  FIgnoringErrors = false;
  FIgnoreNext = false;
  TReader reader(&stream, 4096);
  reader.OnFindMethod = [this](TReader* r, const String& n, void*& a, bool& e) {
    FindObjectMethod(r, n, a, e);
  };
  reader.OnError = [this](TReader* r, const String& m, bool& h) { ReaderObjectError(r, m, h); };
  reader.OnAncestorNotFound = [this](TReader* r, const String& n, TClass cls, TComponent*& c) {
    ReaderAncestorNotFound(r, n, cls, c);
  };
  reader.OnFindComponentClass = [this](TReader* r, const String& n, TClass& c) {
    ReaderFindComponentClass(r, n, c);
  };
  reader.OnCreateComponent = [this](TReader* r, TClass cls, TComponent*& c) {
    ReaderCreateComponent(r, cls, c);
  };
  PrepareReader(reader);
  BeforeReadRoot(instance);
  BeginReadStream();
  TOnExit end([this] { EndReadStream(); });
  const TClass oldGroup = ActivateClassGroup(ClassGroup());
  TOnExit restore([oldGroup] { ActivateClassGroup(oldGroup); });
  try {
    reader.ReadRootComponent(instance);
  } catch (const EClassNotFound& e) {
    throw EClassNotFound(e.Message() + Format(" at byte %d", reader.Position()));
  }
}

// ---- initialisation ----------------------------------------------------------------------------

void TComponentRoot::InternalInitializeDesigner(bool resurrecting) {
  // A module that changed before it went dormant is still changed.
  if (FReadError && GetEnvironment())
    FModifyTime = GetEnvironment()->GetCurrentFileTime();
  else if (!resurrecting)
    FModifyTime = FDiskAge;
  IPtr<IUpdateManager> ancestorManager =
      FAncestorRoot ? FAncestorRoot->GetUpdateManager() : nullptr;
  if (CreateUpdateManagerProc)
    FRootUpdateManager =
        CreateUpdateManagerProc(FRoot, FAncestorRoot ? FAncestorRoot->GetRoot() : nullptr,
                                ancestorManager, IPtr<IUpdateManagerCallback>(this));
  FRootEditor = fw::GetComponentEditor(FRoot, IPtr<IDesigner>(this));
  if (resurrecting)
    for (TComponentRoot* d : Descendants())
      d->RemakeUpdateManager(true);
  if (CreateRootSurfaceProc) FSurface = CreateRootSurfaceProc(*this);
  DesignerInitialized();
  if (FSurface) FSurface->NotificationsStarting();
  DesignNotificationDesignerOpened(IPtr<IDesigner>(this), resurrecting);
  // Links of other modules to this one may just have been resolved.
  auto stale = [](const IPtr<IComponentDesigner>& d) {
    for (Integer i = 0, n = d->GetRootsCount(); i < n; ++i)
      if (auto r = QueryIntf<IInternalRoot>(d->GetRoots(i).get())) r->ClearDependencies();
    return true;
  };
  if (IPtr<IComponentDesigners> registry = Designers())
    registry->ForEachDesigner(stale);
  else
    stale(IPtr<IComponentDesigner>(FDesigner));
  if (FSurface) FSurface->NotificationsDone();
}

void TComponentRoot::InternalDeinitializeDesigner(bool goingDormant) {
  // Open descendants must not keep what pairs them with this module's components.
  for (TComponentRoot* d : Descendants())
    if (goingDormant)
      d->RemakeUpdateManager(false);
    else
      d->AncestorModuleDestroyed();
  // Cleared silently: the module's listeners hear DesignerClosed instead.
  BeginSelectionUpdate();
  FSelections->Selections()->Clear();
  TOnExit endSelection([this] { EndSelectionUpdate(); });
  DesignNotificationDesignerClosed(IPtr<IDesigner>(this), goingDormant);
  if (FRoot) FRootName = FRoot->Name();
  NamesReleased(); // a descendant's names no longer count for its ancestors
  ClearDependents();
  ClearDependencies();
  if (FSurface) {
    FSurface->Close();
    FSurface = nullptr;
  }
  DesignerDeinitializing();
  FRootEditor = nullptr;
  FRootUpdateManager = nullptr;
  FUpdateManagers.clear();
  FModifiableFrames.clear();
  FUndoStream.reset();
  FUndoParent = nullptr;
  FRootStream.reset();
  if (FOTAFormEditor) FOTAFormEditor->RootDestroying();
  if (FRoot) {
    FRoot->SetDesigner(nullptr);
    TComponent* r = std::exchange(FRoot, nullptr);
    DestroyRootInstance(r);
  }
  FCustomModule = nullptr;
  FRootClass = nullptr;
}

// ---- dormancy, closing -------------------------------------------------------------------------

void TComponentRoot::GoDormant() {
  if (IsDormant() || !FRoot) return;
  GetRootStream();
  FDormantStream = std::move(FRootStream);
  if (FSurface) FSurface->GoingDormant();
  InternalDeinitializeDesigner(true);
  if (auto listUpdate = QueryIntf<IRootListUpdate>(FDesigner.get()))
    listUpdate->RootGoingDormant(Self());
}

void TComponentRoot::Resurrect() {
  FReadError = false;
  if (FResurrecting || FClosing || !IsDormant()) return;
  FResurrecting = true;
  TOnExit done([this] { FResurrecting = false; });
  IPtr<IRoot> self = Self();
  FDormantStream->SetPosition(0);
  try {
    CreateFromStream(*FDormantStream);
  } catch (...) {
    // The stream stays: the module is still dormant and nothing of it is lost.
    if (FRoot) {
      FRoot->SetDesigner(nullptr);
      DestroyRootInstance(std::exchange(FRoot, nullptr));
    }
    FCustomModule = nullptr;
    throw;
  }
  InternalInitializeDesigner(true);
  UpdateOptions();
  LoadDependentModules(FRoot);
  ResurrectDependentModules(FRoot);
  FDormantStream.reset();
  if (FModule) FModule->DesignerActivated();
}

void TComponentRoot::Close() {
  if (FClosing) return;
  FClosing = true;
  TOnExit done([this] { FClosing = false; });
  IPtr<IRoot> self = Self();
  if (auto listUpdate = QueryIntf<IRootListUpdate>(FDesigner.get()))
    listUpdate->RootListRemove(self);
  if (FRoot) InternalDeinitializeDesigner(false);
  FDormantStream.reset();
  FSelections->Selections()->Clear();
  FUpdateManagers.clear();
  DropAncestorNotifier();
  FAncestorRoot = nullptr;
  if (FOTAFormEditor) std::exchange(FOTAFormEditor, nullptr)->NotifyDestruct();
}

String TComponentRoot::GetRootName() { return FRoot ? FRoot->Name() : FRootName; }

String TComponentRoot::GetRootClassName() { return FRoot ? FRoot->ClassName() : WithT(FRootName); }

String TComponentRoot::GetAncestorName() {
  if (FAncestorRoot) return FAncestorRoot->GetRootClassName();
  return FRootBaseClass;
}

String TComponentRoot::GetDesignClassName() {
  Resurrect();
  if (FRootBaseClass.size() >= 5 && SameText(FRootBaseClass.substr(0, 5), "TFORM") &&
      FDesigner->IsRootBaseClass(FRootBaseClass))
    return {};
  return FRootBaseClass;
}

// ---- streams and saving ------------------------------------------------------------------------

TStream* TComponentRoot::GetRootStream() {
  if (IsDormant()) {
    FDormantStream->SetPosition(0);
    return FDormantStream.get();
  }
  if (!FRootStream) {
    if (!FRoot) throw EComponentDesignerException(String(sModuleClosed));
    if (FOTAFormEditor) FOTAFormEditor->FormSaving();
    if (FModule) {
      FModule->PrepareStreaming();
      FModule->NotifyChange(mcStreaming);
    }
    if (FCustomModule) FCustomModule->Saving();
    if (FRootUpdateManager) FRootUpdateManager->Update();
    auto s = std::make_unique<TMemoryStream>();
    WriteRootStream(*s);
    FRootStream = std::move(s);
  }
  FRootStream->SetPosition(0);
  return FRootStream.get();
}

void TComponentRoot::WriteRootStream(TStream& stream) {
  for (std::vector<String> missing = GetFixupReferenceNames(FRoot); !missing.empty();) {
    const TQueryRedirectLinksResult answer = QueryRedirectLinks(FRoot->Name(), missing[0]);
    if (answer != qrYes) {
      if (missing.size() == 1)
        throw EComponentDesignerException(
            Format(sCantSaveModuleWithAFixup, FRoot->Name(), missing[0]));
      throw EComponentDesignerException(
          Format(sCantSaveModuleWithFixups, FRoot->Name(), CommaText(missing)));
    }
    RedirectLinks(FRoot, missing[0]);
    FReadError = true;
    std::vector<String> now = GetFixupReferenceNames(FRoot);
    // A host that redirects nothing must not keep us asking.
    if (!now.empty() && SameText(now[0], missing[0])) RemoveFixupReferences(FRoot, missing[0]);
    missing = GetFixupReferenceNames(FRoot);
  }
  // A descendant is written against its ancestor, which must be live for it.
  if (FAncestorRoot && FAncestorRoot->IsDormant()) FAncestorRoot->Resurrect();
  TComponent* ancestor = FAncestorRoot ? FAncestorRoot->GetRoot() : nullptr;
  auto write = [&](TStream& out) {
    TWriter writer(&out, 4096);
    writer.OnFindAncestorRoot = [this](const String& name) { return FindAncestorRoot(name); };
    writer.WriteDescendent(FRoot, ancestor);
    writer.FlushBuffer();
  };
  if (FLYTToText || FOrigLYTFormat == lytText || FOrigLYTFormat == lytUTF8Text) {
    TMemoryStream binary;
    write(binary);
    binary.SetPosition(0);
    ObjectBinaryToText(binary, stream);
  } else {
    write(stream);
  }
}

void TComponentRoot::Save() {
  TStream* s = GetRootStream();
  if (FReadStreamSize != 0 && FModifyTime == FDiskAge && s->Size() != FReadStreamSize) {
    FReadStreamSize = 0;
    if (GetEnvironment()) FModifyTime = GetEnvironment()->GetCurrentFileTime();
  }
  WriteFormFile(*s);
  FDiskAge = FModifyTime = FDesigner->GetFileAge(FFileSystem, FFileName);
  // What was written: text when the module is stored as text.
  FOrigLYTFormat = FLYTToText || FOrigLYTFormat == lytText || FOrigLYTFormat == lytUTF8Text
                       ? lytText
                       : lytBinary;
}

void TComponentRoot::WriteFormFile(TStream& stream) {
  if (FDesigner->IsFileReadOnly(FFileSystem, FFileName))
    throw EComponentDesignerException(Format(sReadOnlyError, FFileName));
  String data(static_cast<std::size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(data.data(), static_cast<Int64>(data.size()));
  stream.SetPosition(0);
  try {
    FDesigner->WriteFile(FFileSystem, FFileName, data);
  } catch (const EComponentDesignerException&) {
    throw;
  } catch (const Exception& e) {
    throw EComponentDesignerException(e.Message());
  }
}

bool TComponentRoot::CheckFileDate() {
  const Integer age = FDesigner->GetFileAge(FFileSystem, FFileName);
  if (age == -1 || age == FDiskAge) return false;
  FDiskAge = age;
  return true;
}

IPtr<IStream> TComponentRoot::FormFileOpen() {
  return IPtr<IStream>(static_cast<IDatedStream*>(new TRootStream(Self())));
}

void TComponentRoot::Rename(const String& newFileName) {
  FFileName = ReplaceExt(newFileName, FFileName);
  if (FRoot && FModule) RenameSubClass(FRoot, FRoot->ClassName(), FModule->GetUnitName());
}

// ---- changes -----------------------------------------------------------------------------------

void TComponentRoot::Modified() {
  if (FOTAFormEditor) FOTAFormEditor->FormModified();
  if (FModule) {
    FModule->Modified();
    FModule->NotifyChange(mcModified);
  }
  if (auto listUpdate = QueryIntf<IRootListUpdate>(FDesigner.get()))
    listUpdate->RootModified(Self());
  ClearDependencies();
  if (FSurface) FSurface->Modified();
  if (GetEnvironment()) FModifyTime = GetEnvironment()->GetCurrentFileTime();
  FRootStream.reset();
  if (!FRevertingComponent) ModifiedUpdateNotification();
  GlobalFixupReferences();
}

void TComponentRoot::ModifiedUpdateNotification() {
  std::vector<IPtr<IRoot>> reached;
  const bool outermost = !ReachedByChange;
  if (outermost) ReachedByChange = &reached;
  {
    TOnExit done([outermost] {
      if (outermost) ReachedByChange = nullptr;
    });
    if (FRootUpdateManager) FRootUpdateManager->Modified();
    const auto managers = FUpdateManagers;
    for (const auto& m : managers)
      m->Modified();
  }
  for (const IPtr<IRoot>& root : reached)
    if (auto internal = QueryIntf<IInternalRoot>(root.get()))
      if (TComponentRoot* r = internal->Implementor(); r->FRoot && !r->FClosing)
        if (auto listUpdate = QueryIntf<IRootListUpdate>(r->FDesigner.get()))
          listUpdate->RootModified(root);
}

void TComponentRoot::AddUpdateManager(const IPtr<IUpdateManager>& manager) {
  if (manager) FUpdateManagers.push_back(manager);
}

void TComponentRoot::Updating(const IPtr<IUpdateManager>&) {
  FIgnoreRename = true;
  if (ReachedByChange && FRoot) {
    IPtr<IRoot> self = Self();
    if (std::find(ReachedByChange->begin(), ReachedByChange->end(), self) == ReachedByChange->end())
      ReachedByChange->push_back(self);
  }
}

void TComponentRoot::Updated(const IPtr<IUpdateManager>& manager) {
  FIgnoreRename = false;
  if (FSurface) FSurface->Modified();
  FRootStream.reset();
  if (manager != FRootUpdateManager && FRootUpdateManager) FRootUpdateManager->Modified();
}

void TComponentRoot::Deleting(const IPtr<IUpdateManager>&, TPersistent* item) {
  InstanceRemoved(item);
}

TComponent* TComponentRoot::UpdateManagerCreateComponent(TClass componentClass, TComponent* owner) {
  FCreateFrameManagers = false;
  TOnExit restore([this] { FCreateFrameManagers = true; });
  if (TComponent* frame = FrameCreateComponent(componentClass, owner ? owner : FRoot)) return frame;
  TComponent* c = CreateComponentWithState(componentClass, owner ? owner : FRoot,
                                           TComponentState{stateDesigning});
  c->SetDesigning(true);
  return c;
}

void TComponentRoot::WriteComponent(TWriter* writer, TComponent* component) {
  // A frame instance's contents go as inherited from its module, so reading finds, not adds.
  if (!writer->OnFindAncestor)
    writer->OnFindAncestor = [this](TWriter* w, TComponent* c, const String& name, TComponent*& a,
                                    TComponent*& ra) { WriterFindAncestor(w, c, name, a, ra); };
  writer->WriteComponent(component);
}

TClass TComponentRoot::ClassGroup() { return FRoot ? ClassGroupOf(FRoot) : nullptr; }

void TComponentRoot::SetUpUpdateReader(TReader* reader) {
  reader->OnFindComponentClass = [this](TReader* r, const String& n, TClass& c) {
    ReaderFindComponentClass(r, n, c);
  };
  reader->OnCreateComponent = [this](TReader* r, TClass cls, TComponent*& c) {
    ReaderCreateComponent(r, cls, c);
  };
}

void TComponentRoot::UpdateOptions() {
  TDesignerOptions options;
  if (auto provider = QueryIntf<IDesignerOptionsProvider>(GetEnvironment().get()))
    options = provider->GetDesignerOptions();
  if (FSurface) {
    FSurface->SetGrid(TPoint{options.GridSizeX, options.GridSizeY}, options.SnapToGrid,
                      options.UseDesignerGuidelines);
    TDesignSurfaceOptions s;
    s.DisplayGrid = options.DisplayGrid;
    s.GridSize = TPoint{options.GridSizeX, options.GridSizeY};
    s.ShowComponentCaptions = options.ShowComponentCaptions;
    s.ShowDesignerHints = options.ShowDesignerHints;
    s.ShowNonVisualComponents = options.ShowNonVisualComponents;
    s.ShowExtendedControlHints = options.ShowExtendedControlHints;
    FSurface->SetOptions(s);
  }
  if (FOrigLYTFormat == lytUnknown) FLYTToText = options.LYTFormat;
}

void TComponentRoot::SetControlsLocked(bool locked) {
  FControlsLocked = locked;
  if (FSurface) FSurface->SetControlsLocked(locked);
}

void TComponentRoot::SetActive(bool active) {
  if (FSurface) FSurface->SetActive(active && !FDesigner->GetControlsLocked());
}

void TComponentRoot::HideWindow() {
  if (FSurface) FSurface->Hide();
}

void TComponentRoot::ShowWindow() {
  if (FSurface) FSurface->Show();
}

void TComponentRoot::Command(TDesignCommand command) {
  switch (command) {
  case dmAlignToGrid:
    AlignToGrid();
    return;
  case dmFlipAllChildren:
  case dmFlipSelectedChildren:
    FlipChildren(command == dmFlipAllChildren);
    return;
  case dmTextLYT:
    FLYTToText = !FLYTToText;
    FOrigLYTFormat = lytUnknown;
    Modified();
    return;
  case dmViewAsText:
    if (FModule) FModule->ViewAsText();
    return;
  case dmRevert: {
    FRevertingComponent = true;
    TOnExit done([this] { FRevertingComponent = false; });
    bool any = false;
    const std::vector<TPersistent*> selection = SelectedObjects(*this);
    for (TPersistent* p : selection)
      for (PPropInfo prop : GetPropInfos(p->ClassType()->TypeInfo))
        if (CanRevert(p, prop)) {
          Revert(p, prop);
          any = true;
        }
    if (any) Modified();
    return;
  }
  }
}

// ---- layout commands ---------------------------------------------------------------------------

std::vector<TPersistent*> TComponentRoot::LayoutSelection(bool rootAllowed) {
  if (!FRoot || FControlsLocked || FDesigner->GetControlsLocked()) return {};
  std::vector<TPersistent*> objects = SelectedObjects(*this);
  if (!rootAllowed && std::find(objects.begin(), objects.end(), FRoot) != objects.end()) return {};
  return objects;
}

void TComponentRoot::ForceCommonParent() {
  if (FRoot) fw::ForceCommonParent(*this, SelectedObjects(*this));
}

void TComponentRoot::Align(TOTAAffect affect) {
  const std::vector<TPersistent*> objects = LayoutSelection(false);
  if (objects.empty() || affect == afNothing) return;
  switch (affect) {
  case afAlignToGrid:
    AlignToGrid();
    return;
  case afSendToBack:
  case afBringToFront:
    ZOrder(affect == afBringToFront);
    return;
  case afSnapToGrid:
    if (IPtr<ISurfaceDesigner> designer = FSurface ? FSurface->GetSurfaceDesigner() : nullptr) {
      designer->SetGridAligned(!designer->GetGridAligned());
      Modified();
    }
    return;
  default:
    break;
  }
  ValidateModification();
  AlignItems(fw::ForceCommonParent(*this, objects), affect);
  Modified();
}

void TComponentRoot::Size(TOTASizeAffect affect, Integer value) {
  const std::vector<TPersistent*> objects = LayoutSelection(true);
  if (objects.empty()) return;
  ValidateModification();
  SizeItems(fw::ForceCommonParent(*this, objects), affect, value);
  Modified();
}

void TComponentRoot::AlignToGrid() {
  const std::vector<TPersistent*> objects = LayoutSelection(true);
  if (objects.empty()) return;
  ValidateModification();
  const std::vector<IPtr<IItem>> items = fw::ForceCommonParent(*this, objects);
  if (IPtr<ISurfaceDesigner> designer = FSurface ? FSurface->GetSurfaceDesigner() : nullptr) {
    AlignItemsToGrid(items, [&](const TPoint& p) { return designer->PointToGrid(p, true); });
  } else {
    TDesignerOptions options;
    if (auto provider = QueryIntf<IDesignerOptionsProvider>(GetEnvironment().get()))
      options = provider->GetDesignerOptions();
    const TPoint grid{options.GridSizeX, options.GridSizeY};
    AlignItemsToGrid(items, [&](const TPoint& p) { return SnapPointToGrid(p, grid); });
  }
  Modified();
}

void TComponentRoot::ZOrder(bool front) {
  const std::vector<TPersistent*> objects = LayoutSelection(true);
  if (objects.empty()) return;
  ValidateModification();
  Modified();
  for (TPersistent* p : objects)
    if (auto* c = dynamic_cast<TControl*>(p); c && c != FRoot) c->SetZOrder(front);
  if (FSurface) FSurface->Modified();
  Modified();
}

void TComponentRoot::FlipChildren(bool allChildren) {
  if (!FRoot || FControlsLocked || FDesigner->GetControlsLocked()) return;
  std::vector<TWinControl*> targets;
  if (allChildren) {
    targets.push_back(dynamic_cast<TWinControl*>(FRoot));
  } else {
    for (TPersistent* p : SelectedObjects(*this))
      targets.push_back(dynamic_cast<TWinControl*>(p));
  }
  std::erase(targets, nullptr);
  if (targets.empty()) return;
  ValidateModification();
  for (TWinControl* w : targets)
    fw::FlipChildren(w, true);
  Modified();
}

bool TComponentRoot::CanModify() { return !IsSourceReadOnly(); }

void TComponentRoot::ValidateModification() {
  if (IsSourceReadOnly()) throw EComponentDesignerException(String(sReadOnlySource));
  if (FModule) FModule->ValidateModification();
}

void TComponentRoot::Dialog(TDesignDialog dialog) {
  if (GetEnvironment()) GetEnvironment()->ShowDialog(dialog);
}

bool TComponentRoot::CanRevert(TPersistent* instance, PPropInfo propInfo) {
  if (FRootUpdateManager && FRootUpdateManager->CanRevert(instance, propInfo)) return true;
  for (const auto& m : FUpdateManagers)
    if (m->CanRevert(instance, propInfo)) return true;
  return false;
}

void TComponentRoot::Revert(TPersistent* instance, PPropInfo propInfo) {
  bool reverted = false;
  if (FRootUpdateManager && FRootUpdateManager->CanRevert(instance, propInfo)) {
    FRootUpdateManager->Revert(instance, propInfo);
    reverted = true;
  } else {
    for (const auto& m : FUpdateManagers)
      if (m->CanRevert(instance, propInfo)) {
        m->Revert(instance, propInfo);
        reverted = true;
      }
  }
  if (reverted && !FRevertingComponent) Modified();
}

// ---- dependencies ------------------------------------------------------------------------------

void TComponentRoot::LoadDependentModules(TComponent* root) {
  if (!root || !GetEnvironment()) return;
  for (const String& name : GetFixupReferenceNames(root))
    if (!FDesigner->FindRoot(name)) GetEnvironment()->OpenRootModule(name);
}

void TComponentRoot::ResurrectDependentModules(TComponent* root) {
  if (!root) return;
  for (const String& name : GetFixupReferenceNames(root))
    if (IPtr<IRoot> r = FDesigner->FindRoot(name)) r->Resurrect();
  GlobalFixupReferences();
}

void TComponentRoot::AddImportedRoot(const String& name) {
  for (const String& n : FImportedRootList)
    if (SameText(n, name)) return;
  FImportedRootList.push_back(name);
}

void TComponentRoot::UpdateDependencies() {
  if (FDependenciesUpToDate && FRoot) return; // Modified clears the flag
  ClearDependencies();
  if (!FRoot) return;
  ForEachOwned(FRoot, [this](TComponent* c) {
    for (PPropInfo prop : GetPropInfos(c->ClassType()->TypeInfo)) {
      if (prop->PropType()->Kind != kindClass) continue;
      auto* target = dynamic_cast<TComponent*>(GetObjectProp(c, prop));
      TComponent* top = TopOwner(target);
      if (!top || top == FRoot) continue;
      auto other = QueryIntf<IInternalRoot>(FDesigner->FindRootFor(top).get());
      if (!other || other.get() == static_cast<IInternalRoot*>(this)) continue;
      if (std::find(FDependencies.begin(), FDependencies.end(), other.get()) != FDependencies.end())
        continue;
      FDependencies.push_back(other.get());
      other->Implementor()->FDependents.push_back(this);
    }
  });
  FDependenciesUpToDate = true;
}

void TComponentRoot::ClearDependencies() {
  for (IInternalRoot* d : FDependencies)
    std::erase(d->Implementor()->FDependents, static_cast<IInternalRoot*>(this));
  FDependencies.clear();
  FDependenciesUpToDate = false;
}

void TComponentRoot::ClearDependents() {
  const auto dependents = FDependents;
  for (IInternalRoot* d : dependents)
    d->Implementor()->RemoveDependent(this);
  FDependents.clear();
}

void TComponentRoot::RemoveDependent(IInternalRoot* root) { std::erase(FDependencies, root); }

void TComponentRoot::RemoveDependenciesOn(TComponent* component) {
  TComponent* top = TopOwner(component);
  const auto deps = FDependencies;
  for (IInternalRoot* d : deps)
    if (d->GetRoot() == top) {
      std::erase(d->Implementor()->FDependents, static_cast<IInternalRoot*>(this));
      std::erase(FDependencies, d);
    }
}

void TComponentRoot::GetDependencies(const TRootProc& proc) {
  const auto deps = FDependencies;
  for (IInternalRoot* d : deps)
    proc(IPtr<IRoot>(d));
}

void TComponentRoot::GetDependentRoots(const TRootProc& proc) {
  const auto deps = FDependents;
  for (IInternalRoot* d : deps)
    proc(IPtr<IRoot>(d));
}

// ---- IDesigner ---------------------------------------------------------------------------------

void TComponentRoot::Activate() {
  FDesigner->RootActivated(Self());
  if (FOTAFormEditor) FOTAFormEditor->NotifyActivate();
}

TMethod TComponentRoot::CreateMethod(const String& name, const TTypeData* typeData) {
  if (name.empty()) return {};
  return CreateMethod(name, typeData ? IPtr<IEventInfo>(New<TEventInfo>(typeData)) : nullptr);
}

TMethod TComponentRoot::CreateMethod(const String& name, const IPtr<IEventInfo>& eventInfo) {
  if (name.empty() || !FRoot) return {};
  ValidateModification();
  if (FModule) FModule->CreateMethod(name, eventInfo);
  return TMethod{CreateSubClassMethod(FRoot, name), FRoot};
}

String TComponentRoot::GetMethodName(const TMethod& method) {
  if (!FRoot || !method.Code || method.Data != FRoot) return {};
  return FRoot->MethodName(method.Code);
}

void TComponentRoot::GetMethods(const TTypeData* typeData, const TGetStrProc& proc) {
  GetMethods(typeData ? IPtr<IEventInfo>(New<TEventInfo>(typeData)) : nullptr, proc);
}

void TComponentRoot::GetMethods(const IPtr<IEventInfo>& eventInfo, const TGetStrProc& proc) {
  if (FModule) FModule->GetMethods(eventInfo, proc);
}

bool TComponentRoot::MethodExists(const String& name) {
  return FModule ? FModule->MethodExists(name) : (FRoot && FRoot->MethodAddress(name));
}

void TComponentRoot::RenameMethod(const String& curName, const String& newName) {
  if (FModule) FModule->RenameMethod(curName, newName);
}

void TComponentRoot::RenameRootMethod(const String& curName, const String& newName) {
  if (!FRoot) return;
  void* code = FRoot->MethodAddress(curName);
  TClass parent = FRoot->ClassType()->Parent;
  if (!code || (parent && parent->MethodAddress(curName) == code)) return; // not its own
  RenameSubClassMethod(FRoot, code, newName);
  Modified();
}

void TComponentRoot::ShowMethod(const String& name) {
  if (FModule) FModule->ShowMethod(name);
}

void TComponentRoot::GetComponentNames(const TTypeData* typeData, const TGetStrProc& proc) {
  if (!FRoot) return;
  for (TComponent* c : FRoot->ComponentList())
    if (!c->Name().empty() &&
        (!typeData || !typeData->ClassType || c->InheritsFrom(typeData->ClassType)))
      proc(c->Name());
}

TComponent* TComponentRoot::GetComponent(const String& name) {
  if (!FRoot || name.empty()) return nullptr;
  if (SameText(FRoot->Name(), name)) return FRoot;
  if (TComponent* c = FindNestedComponent(FRoot, name)) return c;
  const std::size_t dot = name.find('.');
  if (dot == String::npos) return nullptr;
  IPtr<IRoot> other = FDesigner->FindRoot(name.substr(0, dot));
  return other && other->GetRoot() ? FindNestedComponent(other->GetRoot(), name.substr(dot + 1))
                                   : nullptr;
}

String TComponentRoot::GetComponentName(TComponent* component) {
  if (!component) return {};
  if (component == FRoot || component->Owner() == FRoot) return component->Name();
  String path = component->Name();
  for (TComponent* o = component->Owner(); o && o != FRoot; o = o->Owner())
    path = o->Name() + "." + path;
  return path;
}

TPersistent* TComponentRoot::GetObject(const String& name) { return GetComponent(name); }

String TComponentRoot::GetObjectName(TPersistent* instance) {
  if (auto* c = dynamic_cast<TComponent*>(instance)) return GetComponentName(c);
  return instance ? instance->GetNamePath() : String();
}

void TComponentRoot::GetObjectNames(const TTypeData* typeData, const TGetStrProc& proc) {
  GetComponentNames(typeData, proc);
}

bool TComponentRoot::MethodFromAncestor(const TMethod& method) {
  if (!FRoot || !method.Code) return false;
  TClass parent = FRoot->ClassType()->Parent;
  return parent && !parent->MethodName(method.Code).empty();
}

TComponent* TComponentRoot::CreateChild(TComponentClass componentClass, TComponent* parent) {
  return CreateComponent(componentClass, parent, 0, 0, 0, 0);
}

bool TComponentRoot::IsComponentLinkable(TComponent* component) {
  TComponent* top = TopOwner(component);
  return top && top != FRoot && FDesigner->FindRootFor(top);
}

bool TComponentRoot::IsComponentHidden(TComponent* component) {
  return IsNoIconComponent(component);
}

void TComponentRoot::GetProjectModules(const TGetStrProc& proc) {
  for (Integer i = 0, n = FDesigner->GetRootsCount(); i < n; ++i)
    proc(FDesigner->GetRoots(i)->GetRootName());
}

IPtr<IDesigner> TComponentRoot::GetAncestorDesigner() {
  return FAncestorRoot ? FAncestorRoot->GetDesigner() : nullptr;
}

bool TComponentRoot::IsSourceReadOnly() { return FModule && FModule->IsSourceReadOnly(); }

void TComponentRoot::Edit(TComponent* component) {
  if (!component) return;
  if (IPtr<IComponentEditor> e = fw::GetComponentEditor(component, IPtr<IDesigner>(this)))
    e->Edit();
}

void TComponentRoot::ChainCall(const String& methodName, const String& instanceName,
                               const String& instanceMethod, const TTypeData* typeData) {
  ChainCall(methodName, instanceName, instanceMethod,
            typeData ? IPtr<IEventInfo>(New<TEventInfo>(typeData)) : nullptr);
}

void TComponentRoot::ChainCall(const String& methodName, const String& instanceName,
                               const String& instanceMethod, const IPtr<IEventInfo>& eventInfo) {
  if (FModule) FModule->ChainCall(methodName, instanceName, instanceMethod, eventInfo);
}

void TComponentRoot::ModuleFileNames(String& implFileName, String& intfFileName,
                                     String& formFileName) {
  implFileName = ReplaceExt(FFileName, ".pas");
  intfFileName.clear();
  formFileName = FFileName;
}

TPersistentClass TComponentRoot::GetActiveClassGroup() {
  return FRoot ? ClassGroupOf(FRoot) : nullptr;
}

TComponent* TComponentRoot::FindAncestorRoot(const String& className) {
  const String name = className.size() > 1 ? className.substr(1) : className;
  IPtr<IRoot> r = FDesigner->FindRoot(name);
  return r && r.get() != static_cast<IRoot*>(this) ? r->GetRoot() : nullptr;
}

String TComponentRoot::GetDesignerExtension() { return FDesigner->GetExtension(); }

// ---- IDesignerHook -----------------------------------------------------------------------------

void TComponentRoot::Notification(TPersistent* object, TOperation operation) {
  if (FRootUpdateManager) FRootUpdateManager->Notification(object, operation);
  if (operation != notifyRemove) return;
  if (FOTAFormEditor) FOTAFormEditor->ObjectRemoved(object);
  if (std::erase(FModifiableFrames, object) != 0) // its update manager goes with it
    std::erase_if(FUpdateManagers, [&](const IPtr<IUpdateManager>& m) {
      return static_cast<TPersistent*>(m->GetComponent()) == object;
    });
  if (object == FUndoParent) { // nowhere to put the deleted components back
    FUndoParent = nullptr;
    FUndoStream.reset();
  }
  Deselect(object);
}

} // namespace fw
