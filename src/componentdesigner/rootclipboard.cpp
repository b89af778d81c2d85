// The module root's clipboard: streaming the selection, reading streams back in with renames,
// reference redirection and handler methods, and the reader callbacks shared with whole-module
// reads.
#include "basert/classreg.h"
#include "basert/format.h"
#include "basert/formtext.h"
#include "basert/onexit.h"
#include "basert/strings.h"
#include "componentdesigner/clipboardstreams.h"
#include "componentdesigner/compdesigner.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/eventmethods.h"
#include "componentdesigner/layoutcommands.h"
#include "componentdesigner/proxies.h"
#include "designeditors/custommodules.h"
#include "tarn/controls.h"

#include <limits>

namespace fw {

namespace {

/// The selected components other than the root, in selection order.
std::vector<TComponent*> SelectedComponents(const std::vector<TPersistent*>& selection,
                                            TComponent* root) {
  std::vector<TComponent*> result;
  result.reserve(selection.size());
  for (TPersistent* p : selection)
    if (auto* c = dynamic_cast<TComponent*>(p); c && c != root) result.push_back(c);
  return result;
}

/// The union of the controls' bounds; empty (Left > Right) when none is a control.
TRect UnionBounds(const std::vector<TComponent*>& components) {
  constexpr Integer Max = std::numeric_limits<Integer>::max();
  TRect r{Max, Max, -Max, -Max};
  for (TComponent* c : components)
    if (auto* control = dynamic_cast<TControl*>(c)) {
      const TRect b = control->BoundsRect();
      r = {std::min(r.Left, b.Left), std::min(r.Top, b.Top), std::max(r.Right, b.Right),
           std::max(r.Bottom, b.Bottom)};
    }
  return r.Right <= r.Left || r.Bottom <= r.Top ? TRect{} : r;
}

} // namespace

// ---- writing -----------------------------------------------------------------------------------

void TComponentRoot::CopySelectionToStream(TMemoryStream& stream, TStrings* units) {
  if (SelectedComponents(SelectedObjects(*this), FRoot).empty()) return;
  // As the layout commands do: a child copied beside its container would be written twice.
  ForceCommonParent();
  StreamSelection(stream, true, true, units);
}

void TComponentRoot::StreamSelection(TStream& stream, bool withSource, bool withBounds,
                                     TStrings* units) {
  FUnitDependencies = units;
  TOnExit done([this] { FUnitDependencies = nullptr; });
  const std::vector<TComponent*> components = SelectedComponents(SelectedObjects(*this), FRoot);
  TWriter writer(&stream, 1024);
  writer.SetRoot(FRoot);
  writer.OnFindAncestor = [this](TWriter* w, TComponent* c, const String& name, TComponent*& a,
                                 TComponent*& ra) { WriterFindAncestor(w, c, name, a, ra); };
  // A frame is written against its module only, never as inherited from this module's
  // ancestor: a paste makes a new frame instead of reading into one of the same name.
  writer.OnFindAncestorRoot = [this](const String& className) {
    return NestedModuleRoot(className);
  };
  if (withBounds) WriteStreamBounds(writer, UnionBounds(components));
  for (TComponent* c : components) {
    // A placed frame lists only what it owns, the root only its own; names stay the root's.
    writer.SetRoot(c->Owner() ? c->Owner() : FRoot);
    writer.SetLookupRoot(FRoot);
    writer.WriteSignature();
    writer.WriteComponent(c);
  }
  writer.WriteValue(vaNull);
  if (withSource && FModule)
    for (const String& name : HandlerNamesOf(FRoot, components)) {
      const String source = FModule->GetMethodSource(name);
      writer.Write(source.data(), source.size());
    }
  writer.WriteValue(vaNull);
  writer.FlushBuffer();
}

void TComponentRoot::WriterFindAncestor(TWriter* writer, TComponent* component, const String&,
                                        TComponent*& ancestor, TComponent*& rootAncestor) {
  if (ancestor || component == writer->Root() || !IsProxyClass(component->ClassType())) return;
  if (TComponent* root = NestedModuleRoot(component->ClassName())) ancestor = rootAncestor = root;
}

TComponent* TComponentRoot::NestedModuleRoot(const String& className) {
  IPtr<IRoot> module = FDesigner->OpenRootClass(className);
  if (!module || !module->GetRoot()) return nullptr;
  if (FUnitDependencies && module->GetModule())
    FUnitDependencies->Add(module->GetModule()->GetUnitName());
  return module->GetRoot();
}

void TComponentRoot::CopySelection() {
  TMemoryStream stream;
  CopySelectionToStream(stream, nullptr);
  if (stream.Size() > 0) CopyStreamToClipboard(stream);
}

void TComponentRoot::CutSelection() {
  CopySelection();
  DeleteSelection(false);
}

bool TComponentRoot::CanPaste() { return FRoot && CanModify() && ClipboardHasComponents(); }

void TComponentRoot::PasteSelection() {
  if (!FRoot) return;
  std::unique_ptr<TMemoryStream> stream = GetClipboardStream();
  if (stream) PasteSelectionFromStream(*stream, nullptr, TRect{});
}

// ---- reading -----------------------------------------------------------------------------------

void TComponentRoot::PasteSelectionFromStream(TMemoryStream& stream, TComponent* parent,
                                              const TRect& rect) {
  ValidateModification();
  SelectReadStream(stream, parent ? parent : GetCurrentParent(), true, rect);
  Modified();
}

void TComponentRoot::SelectReadStream(TStream& stream, TComponent* parent, bool adjust,
                                      const TRect& rect) {
  BeginSelectionUpdate();
  Selections().Selections()->Clear();
  {
    TOnExit end([this] { EndSelectionUpdate(); });
    ReadStream(stream, parent, adjust, rect);
  }
  if (FSurface) FSurface->Modified();
}

TStream& TComponentRoot::PrepareInputStream(TStream& stream, bool setTextFlag,
                                            std::unique_ptr<TMemoryStream>& converted) {
  const TStreamOriginalFormat format = TestStreamFormat(stream);
  FOrigLYTFormat = format == sofText       ? lytText
                   : format == sofUTF8Text ? lytUTF8Text
                   : format == sofBinary   ? lytBinary
                                           : lytUnknown;
  const bool text = format == sofText || format == sofUTF8Text;
  if (setTextFlag) FLYTToText = text;
  if (!text) return stream;
  String all(static_cast<std::size_t>(stream.Size() - stream.Position()), '\0');
  stream.ReadBuffer(all.data(), static_cast<Int64>(all.size()));
  converted = TextToClipboardStream(all);
  return *converted;
}

void TComponentRoot::ReadStream(TStream& stream, TComponent* parent, bool adjust,
                                const TRect& rect) {
  const TClass oldGroup = ActivateClassGroup(ClassGroup());
  FEvents = std::make_unique<TEvents>();
  FRenames = std::make_unique<TRenames>();
  TOnExit restore([&] {
    FPasteOwner = nullptr;
    FPastedIntoFrame.clear();
    FEvents.reset();
    FRenames.reset();
    ActivateClassGroup(oldGroup);
  });
  if (!parent) parent = FRoot;
  TComponent* owner = OwnerForChildOf(parent);
  const std::size_t ownedBefore = owner->ComponentList().size();
  FPasteOwner = owner;
  std::vector<TComponent*> read;
  try {
    std::unique_ptr<TMemoryStream> converted;
    TStream& input = PrepareInputStream(stream, false, converted);
    TReader reader(&input, 4096);
    reader.OnSetName = [this](TReader* r, TComponent* c, String& n) { ReaderSetName(r, c, n); };
    reader.OnReferenceName = [this](TReader* r, String& n) { ReaderReferenceName(r, n); };
    reader.OnFindMethod = [this](TReader* r, const String& n, void*& a, bool& e) {
      ReaderFindMethod(r, n, a, e);
    };
    reader.OnFindComponentClass = [this](TReader* r, const String& n, TClass& c) {
      ReaderFindComponentClass(r, n, c);
    };
    reader.OnCreateComponent = [this](TReader* r, TClass cls, TComponent*& c) {
      // Refused before the reader places it: a control has no place in a data module.
      if (FCustomModule && !FCustomModule->ValidateComponentClass(cls))
        throw ENonAIRException(Format(sClassNotApplicable, cls->ClassName));
      ReaderCreateComponent(r, cls, c);
    };
    FAdjustmentRect = rect;
    FAdjustmentBounds = ReadStreamBounds(reader);
    BeginReadStream();
    {
      TOnExit end([this] { EndReadStream(); });
      reader.ReadComponents(FRoot, owner, parent, [&](TComponent* c) {
        read.push_back(c);
        if (adjust)
          ComponentReadAdjust(c);
        else
          ComponentRead(c);
      });
    }
    RenameEvents(FRoot, *FEvents, *FRenames);
    const String source = ReadHandlerSource(reader);
    TStringList present;
    if (!source.empty() && FModule) {
      TStringList renames;
      for (Integer i = 0; i < FRenames->Count(); ++i)
        renames.Add(FRenames->Items(i).OldName + "=" + FRenames->Items(i).NewName);
      FModule->InsertMethods(source, &renames, &present);
    }
    VerifyEvents(FRoot, *FEvents, &present);
    UpdateEvents(FRoot, *FEvents);
  } catch (...) {
    // Nothing half-read stays: the components read so far go, with their placeholders.
    const auto& owned = owner->ComponentList();
    while (owned.size() > ownedBefore)
      owned.back()->Free();
    DropPlaceholders(FRoot, *FEvents);
    throw;
  }
  // Heard only once the whole stream is in: a failed read takes back everything it added.
  // A frame instance's contents are its own, not the module's: the walk reaches them.
  ComponentsInserted(read);
}

void TComponentRoot::ReaderSetName(TReader* reader, TComponent* component, String& name) {
  if (reader->Root() != FRoot || name.empty()) return;
  TComponent* owner = component->Owner() ? component->Owner() : FRoot;
  if (owner != FRoot) {
    if (NameTakenIn(owner, name, PlacedCopiesOfModule())) {
      const String newName = UniqueNameIn(owner, component->ClassName());
      FRenames->Add(name, newName);
      name = newName;
    }
    if (owner == FPasteOwner) FPastedIntoFrame.insert(name);
    return;
  }
  // A name a descendant module uses is taken too: the ancestor's next update would clash.
  if (!FRoot->FindComponent(name) && !(FRootUpdateManager && FRootUpdateManager->NameExists(name)))
    return;
  const String newName = UniqueName(component->ClassName());
  FRenames->Add(name, newName);
  name = newName;
}

void TComponentRoot::ReaderReferenceName(TReader* reader, String& name) {
  if (reader->Root() != FRoot || !FRenames) return;
  // Only the first part names a component of the copied module; the rest is inside it.
  const std::size_t dot = name.find('.');
  String head = name.substr(0, dot);
  const String rest = dot == String::npos ? String() : name.substr(dot);
  FRenames->Rename(head);
  // The stream named its components from the root; those now in a frame are reached through it.
  if (FPasteOwner && FPasteOwner != FRoot && FPastedIntoFrame.count(head)) {
    name = GetComponentName(FPasteOwner) + "." + head + rest;
    return;
  }
  name = head + rest;
  if (rest.empty()) return;
  TComponent* local = FRoot->FindComponent(head);
  if (!local && FPasteOwner) local = FPasteOwner->FindComponent(head);
  if (local) {
    // A namesake without what the reference reaches for leaves it unset, not the paste failed.
    if (!FindNestedComponent(local, rest.substr(1))) name.clear();
    return;
  }
  // Another frame module is no module to refer to: its components live only in the frames
  // placed. Pasted into the frame module itself, the reference names its own component.
  IPtr<IRoot> module = FDesigner->FindRoot(head);
  if (module && module.get() != static_cast<IRoot*>(this))
    if (IPtr<ICustomModule> custom = module->GetCustomModule(); custom && custom->Nestable())
      name.clear();
}

void TComponentRoot::ReaderFindMethod(TReader* reader, const String& methodName, void*& address,
                                      bool& error) {
  if (reader->Root() != FRoot || !FEvents) return;
  if (TEventItem* e = FEvents->Find(methodName)) {
    address = e->Address;
  } else {
    address = CreateSubClassMethod(FRoot, NextPlaceholderName());
    FEvents->Add(address, methodName);
  }
  error = false;
}

void TComponentRoot::FindObjectMethod(TReader* reader, const String& methodName, void*& address,
                                      bool& error) {
  if (address || reader->Root() != FRoot) return;
  address = CreateSubClassMethod(FRoot, methodName);
  error = address == nullptr;
}

void TComponentRoot::ReaderFindComponentClass(TReader*, const String& className,
                                              TClass& componentClass) {
  if (componentClass) return;
  if (IPtr<IRoot> module = FDesigner->OpenRootClass(className)) {
    TComponent* r = module->GetRoot();
    if (r && IsProxyClass(r->ClassType()) && AcceptsNestedClass(r->ClassType()))
      componentClass = r->ClassType();
    return;
  }
  if (IPtr<IDesignEnvironment> env = GetEnvironment()) {
    env->BeforeFindClass(className, IPtr<IInterface>(static_cast<IDesigner*>(this)));
    componentClass = GetClass(className);
  }
}

void TComponentRoot::ReaderCreateComponent(TReader* reader, TClass componentClass,
                                           TComponent*& component) {
  component = FrameCreateComponent(componentClass, reader->Owner());
}

void TComponentRoot::ReaderObjectError(TReader*, const String& message, bool& handled) {
  FReadError = true;
  TOnExit once([this] { FIgnoreNext = false; });
  if (FIgnoringErrors || FIgnoreNext) {
    handled = true;
    return;
  }
  const TRootReadErrorResult answer = ReadError(message);
  handled = answer != rerCancel;
  if (handled) {
    Modified();
    if (auto loading = QueryIntf<IDesignerLoadingFormModified>(FModule.get()))
      loading->LoadingFormModified();
  }
  FIgnoringErrors = answer == rerIgnoreAll;
}

void TComponentRoot::ReaderAncestorNotFound(TReader* reader, const String& componentName,
                                            TClass componentClass, TComponent*& component) {
  TComponent* lookup = reader->LookupRoot();
  const bool nested = lookup != reader->Root();
  String candidates;
  for (TComponent* c : lookup->ComponentList())
    if (c->ComponentState().Contains(stateAncestor) && c->InheritsFrom(componentClass))
      candidates += (candidates.empty() ? "" : ",") + c->Name();
  const String ancestorName = FAncestorRoot && FAncestorRoot->GetRoot() && !nested
                                  ? FAncestorRoot->GetRoot()->Name()
                                  : lookup->ClassName().substr(1);
  String name = componentName;
  switch (QueryInheritanceRecovery(lookup->Name(), ancestorName, name, candidates, nested)) {
  case rrCancel:
    return;
  case rrDelete:
    FIgnoreNext = true;
    component = nullptr;
    break;
  case rrRename:
    component = lookup->FindComponent(name);
    break;
  case rrCreate:
    component = CreateComponentWithState(componentClass, lookup, TComponentState{stateDesigning});
    if (component->HasParent()) component->SetParentComponent(reader->Parent());
    component->SetName(name);
    break;
  }
  if (auto loading = QueryIntf<IDesignerLoadingFormModified>(FModule.get()))
    loading->LoadingFormModified();
}

void TComponentRoot::ComponentReadAdjust(TComponent* component) {
  AdjustPastedComponent(component, FAdjustmentRect, FAdjustmentBounds);
  ComponentRead(component);
}

void TComponentRoot::ComponentRead(TComponent* component) {
  if (!FInUndo && IsNoIconComponent(component))
    throw EComponentDesignerException(Format(sPasteError, component->ClassName()));
  if (FRootUpdateManager && FRootUpdateManager->GetHasDescendents() &&
      !component->ComponentStyle().Contains(styleInheritable))
    throw EComponentDesignerException(Format(sCannotInheritControl, component->ClassName()));
  if (FCustomModule) FCustomModule->ValidateComponent(component);
  SelectComponent(component, true);
}

void TComponentDesigner::CopySelectionToStream(TMemoryStream& stream, TStrings* units) {
  if (auto root = QueryIntf<IInternalRoot>(FActiveRoot.get()))
    root->Implementor()->CopySelectionToStream(stream, units);
}

void TComponentDesigner::PasteSelectionFromStream(TMemoryStream& stream, TComponent* parent,
                                                  const TRect& rect) {
  if (auto root = QueryIntf<IInternalRoot>(FActiveRoot.get()))
    root->Implementor()->PasteSelectionFromStream(stream, parent, rect);
}

} // namespace fw
