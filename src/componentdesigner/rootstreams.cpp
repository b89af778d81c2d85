#include "componentdesigner/rootstreams.h"

#include "componentdesigner/rootintf.h"

#include <memory>

namespace fw {

HResult TDatedStreamAdapter::QueryInterface(const TGUID& iid, void** obj) {
  if (iid == IDatedStream::IID) {
    *obj = static_cast<IDatedStream*>(this);
    _AddRef();
    return S_OK;
  }
  return TStreamAdapter::QueryInterface(iid, obj);
}

namespace {

/// A copy of the root's stream from its start; the root's own stream is left rewound.
TMemoryStream* Snapshot(IRoot& root) {
  TStream* s = root.GetRootStream();
  auto copy = std::make_unique<TMemoryStream>();
  copy->CopyFrom(*s, s->Size());
  copy->SetPosition(0);
  s->SetPosition(0);
  return copy.release();
}

} // namespace

TRootStream::TRootStream(const IPtr<IRoot>& root)
    : TDatedStreamAdapter(Snapshot(*root), soOwned, root->GetModifyTime()), FRootRef(root) {}

TRootStream::~TRootStream() = default;

} // namespace fw
