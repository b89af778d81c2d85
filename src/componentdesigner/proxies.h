// Designed-class proxies: classes made at run time for designed modules, carrying named but
// code-less methods, that live instances are switched to in place.
#pragma once

#include "basert/object.h"
#include "basert/runtimeclass.h"
#include "basert/types.h"

#include <vector>

namespace fw {

// ---- resource strings
inline constexpr std::string_view sProxyNeedsInstance =
    "A designed class needs an instance and a parent class";
inline constexpr std::string_view sProxyLayoutMismatch =
    "Cannot make an instance of %s an instance of %s: their instance layouts differ";
inline constexpr std::string_view sProxyTooManyMethods =
    "Class %s cannot hold more than %d methods";

/// The most entries a proxy's method table can hold (its count is 16 bits wide).
inline constexpr std::size_t MaxProxyMethods = 0xFFFF;

/// Makes a proxy class named `className` in unit `unitName`, derived from `parent`, and switches
/// `instance` to it; the instance keeps all its data and its current class becomes the proxy's
/// previous class. Names longer than 255 bytes are cut at a character boundary. The proxy has
/// no virtual constructors: instances are made of a compiled class and switched with
/// ChangeToProxyClass, which takes the reference their destruction gives back (switching an
/// instance with TObject::ChangeClass instead would upset the count). Raises
/// EInvalidOperation when `instance` or `parent` is nil or their instance layouts differ.
TClass CreateSubClass(TObject* instance, const String& className, const String& unitName,
                      TClass parent);
TClass CreateSubClass(TObject* instance, const String& className, TClass parent);

/// Switches `instance` to `proxyClass` and counts the reference, when `proxyClass` is a live
/// proxy that inherits from the instance's class and has its layout; false and no change
/// otherwise.
bool ChangeToProxyClass(TObject* instance, TClass proxyClass);

/// Switches `instance` back to its proxy's previous class and releases the proxy: at the last
/// reference its code numbers are freed, its parent proxy is released and the class is gone.
/// Freeing an instance of a proxy does this first. Nothing happens for an ordinary class.
void DestroySubClass(TObject* instance);

/// Renames the instance's proxy class (class and type-information name); an empty `unitName`
/// keeps the unit. Nothing happens for an ordinary class.
void RenameSubClass(TObject* instance, const String& className, const String& unitName = {});

/// The address of method `name` of the instance's class or an ancestor (ignoring case); for a
/// proxy without one, a new entry with a fresh code number is appended. Null for an ordinary
/// class without such a method. Raises EInvalidOperation when the table is full.
void* CreateSubClassMethod(TObject* instance, const String& name);

/// Renames the proxy's entry with that address, moving it to the end of the table. An address
/// the instance's own class does not hold changes nothing.
void RenameSubClassMethod(TObject* instance, void* address, const String& name);
/// RenameSubClassMethod for each (address, name) in order, in one pass over the table.
void RenameSubClassMethods(TObject* instance, const std::vector<std::pair<void*, String>>& renames);

/// Removes the proxy's entry with that address; its code number stays taken until the class is
/// released, so a stale reference never names another handler meanwhile. An unknown address
/// changes nothing.
void DestroySubClassMethod(TObject* instance, void* address);

/// True for a live proxy class.
bool IsProxyClass(TClass cls);

/// The proxy's published-method table in its byte layout: a 16-bit entry count, then per entry
/// a 16-bit entry size (name length + 7), a 32-bit code number and the name as short string
/// (length byte, bytes); little-endian, entries in creation order. Empty for an ordinary class.
std::vector<Byte> ProxyMethodTable(TClass cls);

/// Number of live proxy classes.
std::size_t ProxyClassCount() noexcept;

/// The code numbers of proxy methods (those of every run-time class).
TCodeNumberSet& ProxyCodeNumbers();

/// Package start-up and shut-down of the unit: make and drop the code-number set and fill and
/// empty the hook that tells the ancestor walk a class is a proxy. Proxies still alive at
/// shut-down keep working; their numbers are forgotten.
void ProxiesStartup();
void ProxiesShutdown();

} // namespace fw
