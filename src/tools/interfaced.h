// Reference counting and interface look-up for the tool services' interface objects.
#pragma once

#include "basert/interfaces.h"

#include <atomic>

namespace fw::detail {

/// Base of an object implementing `Intfs...`: counts references and frees itself at zero.
/// The object starts at zero references; hold it in an `IPtr` from birth.
template <class... Intfs> class TInterfacedImpl : public Intfs... {
public:
  int _AddRef() override { return ++FRefCount; }
  int _Release() override {
    const int r = --FRefCount;
    if (r == 0) delete this;
    return r;
  }
  int RefCount() const noexcept { return FRefCount; }

protected:
  TInterfacedImpl() = default;
  virtual ~TInterfacedImpl() = default;

  /// Answers `iid` with `self` seen as the first of `Answers...` whose IID matches.
  template <class... Answers, class Self>
  static HResult Answer(Self* self, const TGUID& iid, void** obj) {
    *obj = nullptr;
    (void)((iid == Answers::IID ? (*obj = static_cast<Answers*>(self), true) : false) || ...);
    if (!*obj) return E_NOINTERFACE;
    self->_AddRef();
    return S_OK;
  }

private:
  std::atomic<int> FRefCount{0};
};

} // namespace fw::detail
