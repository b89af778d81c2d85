// IInterfaceList / TInterfaceList: a list of counted interface references.
#pragma once

#include "basert/object.h"

#include <mutex>
#include <vector>

namespace fw {

struct IInterfaceList : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{285DEA8A-B865-11D1-AAA7-00C04FB17A72}");
  /// Raises EListError for an index out of range.
  virtual IPtr<IInterface> Get(Integer index) = 0;
  virtual void Put(Integer index, const IPtr<IInterface>& item) = 0;
  virtual Integer GetCount() = 0;
  virtual void Clear() = 0;
  virtual void Delete(Integer index) = 0;
  virtual void Exchange(Integer index1, Integer index2) = 0;
  virtual IPtr<IInterface> First() = 0;
  /// Position of the interface (compared as IInterface identity), or -1.
  virtual Integer IndexOf(const IPtr<IInterface>& item) = 0;
  virtual Integer Add(const IPtr<IInterface>& item) = 0;
  virtual void Insert(Integer index, const IPtr<IInterface>& item) = 0;
  virtual IPtr<IInterface> Last() = 0;
  /// Removes the first occurrence; answers its former index or -1.
  virtual Integer Remove(const IPtr<IInterface>& item) = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class TInterfaceList : public TInterfacedObject, public IInterfaceList {
  FW_CLASS(TInterfaceList)
public:
  IPtr<IInterface> Get(Integer index) override;
  void Put(Integer index, const IPtr<IInterface>& item) override;
  Integer GetCount() override { return static_cast<Integer>(FList.size()); }
  void Clear() override { FList.clear(); }
  void Delete(Integer index) override;
  void Exchange(Integer index1, Integer index2) override;
  IPtr<IInterface> First() override { return Get(0); }
  Integer IndexOf(const IPtr<IInterface>& item) override;
  Integer Add(const IPtr<IInterface>& item) override;
  void Insert(Integer index, const IPtr<IInterface>& item) override;
  IPtr<IInterface> Last() override { return Get(GetCount() - 1); }
  Integer Remove(const IPtr<IInterface>& item) override;
  void Lock() override { FLock.lock(); }
  void Unlock() override { FLock.unlock(); }

private:
  void Check(Integer index, Integer limit) const;
  std::vector<IPtr<IInterface>> FList;
  std::recursive_mutex FLock;
};

} // namespace fw
