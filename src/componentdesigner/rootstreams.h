// Form-file streams of module roots: a stream that carries a file time, its adapter over a
// TStream, and the dated stream a root hands out for its form file.
#pragma once

#include "basert/streams.h"

namespace fw {

struct IRoot;

/// A stream with the modification time of what it holds (a 32-bit file time).
struct IDatedStream : IStream {
  static constexpr TGUID IID = TGUID::Parse("{6C1D0F3A-2B8E-4F57-9A61-3D2E8B7C4A15}");
  virtual Integer GetModifyTime() = 0;
  virtual void SetModifyTime(Integer time) = 0;

protected:
  ~IDatedStream() = default;
};

/// An IStream over a TStream (the one the runtime offers) that also answers IDatedStream.
class TDatedStreamAdapter : public TStreamAdapter, public IDatedStream {
public:
  TDatedStreamAdapter(TStream* stream, TStreamOwnership ownership, Integer date)
      : TStreamAdapter(stream, ownership), FDate(date) {}

  HResult QueryInterface(const TGUID& iid, void** obj) override;
  int _AddRef() override { return TStreamAdapter::_AddRef(); }
  int _Release() override { return TStreamAdapter::_Release(); }
  HResult Read(void* pv, Cardinal cb, Cardinal* pcbRead) override {
    return TStreamAdapter::Read(pv, cb, pcbRead);
  }
  HResult Write(const void* pv, Cardinal cb, Cardinal* pcbWritten) override {
    return TStreamAdapter::Write(pv, cb, pcbWritten);
  }
  HResult Seek(Int64 move, int origin, UInt64* newPosition) override {
    return TStreamAdapter::Seek(move, origin, newPosition);
  }
  HResult SetSize(UInt64 newSize) override { return TStreamAdapter::SetSize(newSize); }
  HResult CopyTo(IStream* dest, UInt64 cb, UInt64* cbRead, UInt64* cbWritten) override {
    return TStreamAdapter::CopyTo(dest, cb, cbRead, cbWritten);
  }
  HResult Stat(TStatStg* stat) override { return TStreamAdapter::Stat(stat); }

  Integer GetModifyTime() override { return FDate; }
  void SetModifyTime(Integer time) override { FDate = time; }

private:
  Integer FDate;
};

/// A TStream over an IStream: the runtime's TOleStream.
using TIStreamAdapter = TOleStream;

/// The form stream of one module as its form file would hold it, dated with the module's
/// modification time. It is a snapshot: later edits of the module do not reach it, and writing
/// to it changes only the snapshot. It keeps the root object (not the module) alive.
class TRootStream : public TDatedStreamAdapter {
public:
  /// Raises what the root raises when it cannot stream its module.
  explicit TRootStream(const IPtr<IRoot>& root);
  ~TRootStream() override;
  const IPtr<IRoot>& Root() const noexcept { return FRootRef; }

private:
  IPtr<IRoot> FRootRef;
};

} // namespace fw
