#include "tarn/docktree.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"

#include <algorithm>

namespace fw {

namespace {

void WriteInt(TStream& s, Integer v) {
  const auto u = static_cast<std::uint32_t>(v);
  const Byte b[4] = {Byte(u), Byte(u >> 8), Byte(u >> 16), Byte(u >> 24)};
  s.WriteBuffer(b, 4);
}

Integer ReadInt(TStream& s) {
  Byte b[4];
  if (s.Read(b, 4) != 4) throw EReadError(sDockTreeCorrupt);
  return static_cast<Integer>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                              std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
}

bool Horizontal(TAlign a) { return a == alLeft || a == alRight; }
bool Vertical(TAlign a) { return a == alTop || a == alBottom; }

struct TSavedZone {
  String Name;
  TAlign Side;
  Integer Size;
};

} // namespace

TClass TDockTree::StaticClass() {
  static const TClass cls = TClassBuilder<TDockTree, TInterfacedObject>("TDockTree", "Controls")
                                .Implements<IDockManager>()
                                .Build();
  return cls;
}

TDockTree::TDockTree(TWinControl* site, bool proportional)
    : FSite(site),
      FProportional(proportional), FLastSize{site->ClientWidth(), site->ClientHeight()} {}

void TDockTree::InsertControl(TControl* control, TAlign insertAt, TControl* dropCtl) {
  if (std::find(FClients.begin(), FClients.end(), control) != FClients.end()) return;
  if (insertAt == alNone || insertAt == alCustom) insertAt = FClients.empty() ? alClient : alRight;
  // Docked beside a client: next to it in the order, so that it lies just inside of it.
  auto at = std::find(FClients.begin(), FClients.end(), dropCtl);
  FClients.insert(at == FClients.end() ? at : at + 1, control);
  control->SetAlign(insertAt);
}

void TDockTree::RemoveControl(TControl* control) {
  auto it = std::find(FClients.begin(), FClients.end(), control);
  if (it != FClients.end()) FClients.erase(it);
}

void TDockTree::ResetBounds(bool force) {
  const TPoint size{FSite->ClientWidth(), FSite->ClientHeight()};
  if (!force && size == FLastSize) return;
  if (FProportional && FLastSize.X > 0 && FLastSize.Y > 0) {
    FSite->DisableAlign();
    for (TControl* c : FClients) {
      if (Horizontal(c->Align()))
        c->SetWidth(static_cast<Integer>(static_cast<Int64>(c->Width()) * size.X / FLastSize.X));
      else if (Vertical(c->Align()))
        c->SetHeight(static_cast<Integer>(static_cast<Int64>(c->Height()) * size.Y / FLastSize.Y));
    }
    FLastSize = size;
    FSite->EnableAlign();
  }
  FLastSize = size;
}

void TDockTree::SaveToStream(TStream& stream) {
  WriteInt(stream, 1);
  WriteInt(stream, static_cast<Integer>(FClients.size()));
  for (TControl* c : FClients) {
    WriteInt(stream, static_cast<Integer>(c->Name().size()));
    stream.WriteBuffer(c->Name().data(), static_cast<Int64>(c->Name().size()));
    WriteInt(stream, c->Align());
    WriteInt(stream, Horizontal(c->Align()) ? c->Width() : Vertical(c->Align()) ? c->Height() : 0);
  }
}

void TDockTree::LoadFromStream(TStream& stream) {
  if (ReadInt(stream) != 1) throw EReadError(sDockTreeCorrupt);
  const Integer count = ReadInt(stream);
  if (count < 0) throw EReadError(sDockTreeCorrupt);
  std::vector<TSavedZone> zones;
  for (Integer i = 0; i < count; ++i) {
    const Integer length = ReadInt(stream);
    if (length < 0 || length > stream.Size() - stream.Position())
      throw EReadError(sDockTreeCorrupt);
    String name(static_cast<std::size_t>(length), '\0');
    stream.ReadBuffer(name.data(), length);
    const Integer side = ReadInt(stream);
    if (side < alNone || side > alCustom) throw EReadError(sDockTreeCorrupt);
    zones.push_back({std::move(name), static_cast<TAlign>(side), ReadInt(stream)});
  }
  // Read in full before anything changes.
  FSite->DisableAlign();
  std::vector<TControl*> order;
  for (const TSavedZone& z : zones) {
    auto it = std::find_if(FClients.begin(), FClients.end(),
                           [&](TControl* c) { return SameText(c->Name(), z.Name); });
    if (it == FClients.end()) continue;
    TControl* c = *it;
    c->SetAlign(z.Side);
    if (Horizontal(z.Side)) c->SetWidth(z.Size);
    if (Vertical(z.Side)) c->SetHeight(z.Size);
    order.push_back(c);
  }
  for (TControl* c : FClients)
    if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
  FClients = std::move(order);
  FSite->EnableAlign();
}

} // namespace fw
