// Named values and collections that code generators hand to the template filter.
#pragma once

#include "basert/interfaces.h"
#include "basert/object.h"
#include "basert/sysutils.h"
#include "basert/types.h"
#include "basert/variants.h"

#include <string_view>
#include <unordered_map>
#include <vector>

namespace fw {

struct ICollectionProperty;

/// The collection a value holds (as an interface), or null when it holds anything else.
IPtr<ICollectionProperty> VarToCollection(const Variant& v);
/// The text of a value as the filter inserts it: VarToStr, except that a collection gives "".
String PropertyValueText(const Variant& v);

/// A bag of named values; names match ignoring case, in insertion order.
struct IPropertyValues : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{7FF4D587-67A9-4A0D-8153-80A3FA0FEC09}");
  /// Replaces the value (and the stored spelling of the name) or appends a new one.
  virtual void SetProperty(std::string_view name, const Variant& value) = 0;
  virtual void SetCollectionProperty(std::string_view name, IPtr<ICollectionProperty> value) = 0;
  virtual Integer GetPropertyCount() = 0;
  /// Raises EListError for an index outside 0..count-1.
  virtual Variant GetProperty(Integer index) = 0;
  /// "Coll.Rest" reads Rest from the current item of collection Coll when there is one;
  /// otherwise the whole name is looked up. A missing name gives an unassigned value.
  virtual Variant GetProperty(std::string_view name) = 0;
  /// Raises EListError for an index outside 0..count-1.
  virtual String GetPropertyKey(Integer index) = 0;
  virtual void ClearProperties() = 0;

protected:
  ~IPropertyValues() = default;
};

/// A list of property bags that a foreach block iterates.
struct ICollectionProperty : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{4EB343E9-CA18-461C-9BA6-FE5581CE499F}");
  virtual void AddItem(IPtr<IPropertyValues> item) = 0;
  /// Raises EListError for an index outside 0..count-1.
  virtual IPtr<IPropertyValues> GetItem(Integer index) = 0;
  virtual Integer GetItemCount() = 0;
  /// The item of the iteration in progress, or null outside a foreach over this collection.
  virtual IPtr<IPropertyValues> GetCurrentItem() = 0;

protected:
  ~ICollectionProperty() = default;
};

/// Reports the iteration a foreach block is in: 0 for the first pass, -1 for none.
struct IIterationCounter : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3C1F0A52-8E4B-4D1D-9B0E-5A7F2C6D8E11}");
  virtual Integer GetCurrentIteration() = 0;

protected:
  ~IIterationCounter() = default;
};

/// Implemented by collections that learn their current item from the enclosing foreach.
struct IIterationTarget : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3C1F0A52-8E4B-4D1D-9B0E-5A7F2C6D8E12}");
  /// Links the collection to a counter (null unlinks) and answers the previous link.
  virtual IPtr<IIterationCounter> SetIterationCounter(IPtr<IIterationCounter> counter) = 0;

protected:
  ~IIterationTarget() = default;
};

class TPropertyValues final : public TInterfacedObject, public IPropertyValues {
  FW_CLASS(TPropertyValues)
public:
  void SetProperty(std::string_view name, const Variant& value) override;
  void SetCollectionProperty(std::string_view name, IPtr<ICollectionProperty> value) override;
  Integer GetPropertyCount() override { return static_cast<Integer>(FValues.size()); }
  Variant GetProperty(Integer index) override;
  Variant GetProperty(std::string_view name) override;
  String GetPropertyKey(Integer index) override;
  void ClearProperties() override {
    FValues.clear();
    FIndex.clear();
  }

  /// The value stored under exactly this name (ignoring case), without dotted look-up.
  const Variant* FindOwn(std::string_view name) const;
  /// Removes the name; answers whether it was there.
  bool RemoveProperty(std::string_view name);

private:
  struct PropValue {
    String Name;
    Variant Value;
  };
  std::vector<PropValue> FValues;
  std::unordered_map<String, std::size_t, TextHash, TextEqual> FIndex; // name -> position
};

class TCollectionProperty final : public TInterfacedObject,
                                  public ICollectionProperty,
                                  public IIterationTarget {
  FW_CLASS(TCollectionProperty)
public:
  void AddItem(IPtr<IPropertyValues> item) override { FItems.push_back(std::move(item)); }
  IPtr<IPropertyValues> GetItem(Integer index) override;
  Integer GetItemCount() override { return static_cast<Integer>(FItems.size()); }
  IPtr<IPropertyValues> GetCurrentItem() override;
  IPtr<IIterationCounter> SetIterationCounter(IPtr<IIterationCounter> counter) override;

private:
  std::vector<IPtr<IPropertyValues>> FItems;
  IPtr<IIterationCounter> FCounter;
};

struct CoPropertyValues {
  static IPtr<IPropertyValues> Create();
};
struct CoCollectionProperty {
  static IPtr<ICollectionProperty> Create();
};

/// Text of every value, one "name=value" per line (CR LF between), two spaces of indentation
/// per level; a collection lists each item as "<index>" followed by the item's values one
/// level deeper. A collection met again inside itself is listed as empty.
String DumpPropertyValues(const IPtr<IPropertyValues>& values);

} // namespace fw
