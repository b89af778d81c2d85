// The small builder that declares a class record next to its class: name, parent, published
// properties, published methods, interfaces and virtual constructors.
//
//   TClass TButton::StaticClass() {
//     static const TClass cls = TClassBuilder<TButton, TControl>("TButton", "StdCtrls")
//         .Property("Caption", &TButton::GetCaption, &TButton::SetCaption)
//         .Property("Tag", &TButton::FTag).Default(0)
//         .Build();
//     return cls;
//   }
#pragma once

#include "basert/exceptions.h"
#include "basert/object.h"
#include "basert/typinfo.h"

#include <functional>
#include <memory>
#include <tuple>
#include <type_traits>

namespace fw {

struct TMethod;

namespace detail {

template <class V> struct IsTSet : std::false_type {};
template <class E> struct IsTSet<TSet<E>> : std::true_type {};
template <class V> struct IsIPtr : std::false_type {};
template <class I> struct IsIPtr<IPtr<I>> : std::true_type {};

/// The value class a C++ member type travels as.
template <class V> constexpr TPropValueClass ValueClassOf() {
  if constexpr (std::is_same_v<V, bool> || std::is_integral_v<V> || std::is_enum_v<V> ||
                IsTSet<V>::value)
    return TPropValueClass::Ordinal;
  else if constexpr (std::is_floating_point_v<V> || std::is_same_v<V, Currency>)
    return TPropValueClass::Float;
  else if constexpr (std::is_same_v<V, String>)
    return TPropValueClass::String;
  else if constexpr (std::is_same_v<V, WideString>)
    return TPropValueClass::Wide;
  else if constexpr (std::is_same_v<V, Variant>)
    return TPropValueClass::Variant;
  else if constexpr (std::is_base_of_v<TMethod, V>)
    return TPropValueClass::Method;
  else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TObject, std::remove_pointer_t<V>>)
    return TPropValueClass::Object;
  else if constexpr (IsIPtr<V>::value)
    return TPropValueClass::Interface;
  else
    static_assert(sizeof(V) == 0, "this C++ type cannot be a published property");
}

/// Puts a member value into the accessor slot of its value class.
template <class V> void Store(const V& v, void* out) {
  constexpr auto cls = ValueClassOf<V>();
  if constexpr (cls == TPropValueClass::Ordinal) {
    if constexpr (IsTSet<V>::value)
      *static_cast<Int64*>(out) = static_cast<Int64>(v.Mask());
    else if constexpr (std::is_enum_v<V>)
      *static_cast<Int64*>(out) = static_cast<Int64>(static_cast<std::underlying_type_t<V>>(v));
    else if constexpr (std::is_same_v<V, char>)
      *static_cast<Int64*>(out) = static_cast<unsigned char>(v); // AnsiChar runs 0..255
    else
      *static_cast<Int64*>(out) = static_cast<Int64>(v);
  } else if constexpr (cls == TPropValueClass::Float) {
    if constexpr (std::is_same_v<V, Currency>)
      *static_cast<Extended*>(out) = v.ToExtended();
    else
      *static_cast<Extended*>(out) = static_cast<Extended>(v);
  } else if constexpr (cls == TPropValueClass::Method) {
    *static_cast<TMethod*>(out) = static_cast<const TMethod&>(v);
  } else if constexpr (cls == TPropValueClass::Object) {
    *static_cast<TObject**>(out) = v;
  } else if constexpr (cls == TPropValueClass::Interface) {
    *static_cast<IPtr<IInterface>*>(out) = IPtr<IInterface>(v.get());
  } else {
    *static_cast<V*>(out) = v;
  }
}

/// Takes a member value out of the accessor slot of its value class.
template <class V> V Load(const void* in) {
  constexpr auto cls = ValueClassOf<V>();
  if constexpr (cls == TPropValueClass::Ordinal) {
    const Int64 x = *static_cast<const Int64*>(in);
    if constexpr (IsTSet<V>::value)
      return V::FromMask(static_cast<std::uint64_t>(x));
    else if constexpr (std::is_enum_v<V>)
      return static_cast<V>(static_cast<std::underlying_type_t<V>>(x));
    else
      return static_cast<V>(x);
  } else if constexpr (cls == TPropValueClass::Float) {
    const Extended x = *static_cast<const Extended*>(in);
    if constexpr (std::is_same_v<V, Currency>)
      return Currency::FromExtended(x);
    else
      return static_cast<V>(x);
  } else if constexpr (cls == TPropValueClass::Method) {
    V r{};
    static_cast<TMethod&>(r) = *static_cast<const TMethod*>(in);
    return r;
  } else if constexpr (cls == TPropValueClass::Object) {
    return static_cast<V>(*static_cast<TObject* const*>(in));
  } else if constexpr (cls == TPropValueClass::Interface) {
    using I = typename std::remove_reference_t<decltype(*std::declval<V>())>;
    return QueryIntf<I>(*static_cast<const IPtr<IInterface>*>(in));
  } else {
    return *static_cast<const V*>(in);
  }
}

template <class V> PTypeInfo DeducedType() { return TypeInfo<V>(); }

template <class MP, MP M> struct TMethodThunk;
template <class C, class R, class... A, R (C::*M)(A...)> struct TMethodThunk<R (C::*)(A...), M> {
  static R Call(void* self, A... a) {
    return (static_cast<C*>(static_cast<TObject*>(self))->*M)(a...);
  }
};

template <class T, class Tuple> struct ConstructibleFrom;
template <class T, class... A>
struct ConstructibleFrom<T, std::tuple<A...>> : std::is_constructible<T, A...> {};

template <class T, class... A> TObject* Construct(A... a) { return new T(a...); }

TClassRec* KeepClassRecord(std::unique_ptr<TClassRec> rec);

} // namespace detail

template <class T, class Base = void> class TClassBuilder {
  static_assert(detail::DeclaresOwnClass<T>, "the class lacks FW_CLASS(T) in its body");

public:
  explicit TClassBuilder(String name, std::string_view unitName = {})
      : FRec(std::make_unique<TClassRec>()), FType(std::make_unique<TTypeInfo>()) {
    FRec->ClassName = std::move(name);
    FRec->UnitName = String(unitName);
    FFactories = std::make_shared<std::vector<TFactory>>();
  }

  /// A property read and written through members of T (member functions or data members);
  /// its type is the C++ member type's type information.
  template <class G, class S> TClassBuilder& Property(String name, G getter, S setter) {
    using V = GetterValue<G>;
    return Property(std::move(name), &detail::DeducedType<V>, getter, setter);
  }
  /// The same with an explicit type (for types sharing a C++ representation).
  template <class G, class S>
  TClassBuilder& Property(String name, TTypeRef type, G getter, S setter) {
    using V = GetterValue<G>;
    Add<V>(std::move(name), type, MakeGetter<V>(getter), MakeSetter<V>(setter));
    FLast->SameValue = MakeSameValue<V>(getter);
    return *this;
  }
  template <class G> TClassBuilder& ReadOnly(String name, G getter) {
    using V = GetterValue<G>;
    return ReadOnly(std::move(name), &detail::DeducedType<V>, getter);
  }
  template <class G> TClassBuilder& ReadOnly(String name, TTypeRef type, G getter) {
    using V = GetterValue<G>;
    Add<V>(std::move(name), type, MakeGetter<V>(getter), {});
    FLast->SameValue = MakeSameValue<V>(getter);
    return *this;
  }
  /// A property without read access; V is the value type of the setter.
  template <class V, class S> TClassBuilder& WriteOnly(String name, S setter) {
    return Add<V>(std::move(name), &detail::DeducedType<V>, {}, MakeSetter<V>(setter));
  }
  /// A property with an index specifier: getter(index), setter(index, value).
  template <class G, class S>
  TClassBuilder& Indexed(String name, Integer index, G getter, S setter) {
    using V = std::decay_t<std::invoke_result_t<G, T*, Integer>>;
    return Indexed(std::move(name), &detail::DeducedType<V>, index, getter, setter);
  }
  template <class G, class S>
  TClassBuilder& Indexed(String name, TTypeRef type, Integer index, G getter, S setter) {
    using V = std::decay_t<std::invoke_result_t<G, T*, Integer>>;
    TPropReader get = [getter, index](TObject* o, void* out) {
      detail::Store<V>(std::invoke(getter, static_cast<T*>(o), index), out);
    };
    TPropWriter set;
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      set = [setter, index](TObject* o, const void* in) {
        std::invoke(setter, static_cast<T*>(o), index, detail::Load<V>(in));
      };
    Add<V>(std::move(name), type, std::move(get), std::move(set));
    FLast->Index = index;
    return *this;
  }

  /// Default value of the property declared last (ordinal properties).
  TClassBuilder& Default(Integer value) {
    FLast->Default = value;
    return *this;
  }
  TClassBuilder& NoDefault() { return Default(fw::NoDefault); }
  /// Stored specifier of the property declared last: a constant or a test of T.
  TClassBuilder& Stored(bool stored) {
    FLast->StoredConst = stored;
    FLast->StoredTest = {};
    return *this;
  }
  TClassBuilder& Stored(bool (T::*test)() const) {
    FLast->StoredTest = [test](TObject* o) { return (static_cast<T*>(o)->*test)(); };
    return *this;
  }

  /// A published method; its code calls M on the bound object.
  template <auto M> TClassBuilder& Method(String name) {
    void* code = reinterpret_cast<void*>(&detail::TMethodThunk<decltype(M), M>::Call);
    FRec->Methods.Add(std::move(name), code);
    return *this;
  }

  /// Interfaces that instances of T answer in GetInterface.
  template <class... Is> TClassBuilder& Implements() {
    (FRec->Interfaces.push_back(TInterfaceEntry{Is::IID,
                                                [](TObject* o) -> void* {
                                                  Is* p = static_cast<T*>(o);
                                                  p->_AddRef();
                                                  return p;
                                                }}),
     ...);
    return *this;
  }

  /// A virtual constructor with the given argument types (besides the class's usual one).
  template <class... A> TClassBuilder& Constructor() {
    FFactories->push_back(TFactory{&typeid(TObject * (*)(A...)),
                                   reinterpret_cast<void (*)()>(&detail::Construct<T, A...>)});
    return *this;
  }

  /// Makes the record; call once, from T::StaticClass().
  TClass Build() {
    TClassRec* rec = FRec.get();
    TClass parent = nullptr;
    if constexpr (!std::is_void_v<Base>) parent = Base::StaticClass();
    rec->Parent = parent;
    rec->LayoutClass = rec;
    if constexpr (requires { typename T::TVirtualCtorArgs; }) {
      if constexpr (!std::is_abstract_v<T> &&
                    detail::ConstructibleFrom<T, typename T::TVirtualCtorArgs>::value)
        AddUsualConstructor(static_cast<typename T::TVirtualCtorArgs*>(nullptr));
    } else if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>) {
      Constructor<>();
    }
    rec->Factories = FFactories;
    rec->WantsNotification = parent && parent->WantsNotification;
    if constexpr (requires { &T::Notification; }) {
      using NP = decltype(&T::Notification);
      if constexpr (!std::is_same_v<NP, void (TComponent::*)(TComponent*, TOperation)>)
        rec->WantsNotification = true;
    }

    TTypeInfo* type = FType.get();
    type->Kind = kindClass;
    type->Name = rec->ClassName;
    type->Data.ClassType = rec;
    type->Data.ParentInfo = parent ? parent->TypeInfo : nullptr;
    type->Data.UnitName = rec->UnitName;
    Integer count = parent ? parent->TypeInfo->Data.PropCount : 0;
    for (auto& p : FProps) {
      PPropInfo inherited = parent ? GetPropInfo(parent->TypeInfo, p->Name) : nullptr;
      p->NameIndex = inherited ? inherited->NameIndex : count++;
      p->DeclaringClass = rec;
      type->Data.OwnProps.push_back(std::move(p));
    }
    type->Data.PropCount = count;
    rec->TypeInfo = KeepType(std::move(FType));
    return detail::KeepClassRecord(std::move(FRec));
  }

private:
  template <class G> using GetterValue = std::decay_t<std::invoke_result_t<G, T*>>;

  template <class V, class G> static TPropReader MakeGetter(G getter) {
    if constexpr (std::is_same_v<G, std::nullptr_t>)
      return {};
    else
      return [getter](TObject* o, void* out) {
        detail::Store<V>(std::invoke(getter, static_cast<T*>(o)), out);
      };
  }
  template <class V, class G> static TPropSameValue MakeSameValue(G getter) {
    constexpr auto cls = detail::ValueClassOf<V>();
    if constexpr (std::is_same_v<G, std::nullptr_t>) {
      return {};
    } else if constexpr (cls == TPropValueClass::String || cls == TPropValueClass::Wide) {
      // A data member or a getter returning a reference is compared where it lies.
      return [getter](TObject* a, TObject* b) {
        return std::invoke(getter, static_cast<T*>(a)) == std::invoke(getter, static_cast<T*>(b));
      };
    } else if constexpr (cls == TPropValueClass::Ordinal || cls == TPropValueClass::Method ||
                         cls == TPropValueClass::Object) {
      return [getter](TObject* a, TObject* b) {
        using TSlot = std::conditional_t<
            cls == TPropValueClass::Ordinal, Int64,
            std::conditional_t<cls == TPropValueClass::Method, TMethod, TObject*>>;
        TSlot x{}, y{};
        detail::Store<V>(std::invoke(getter, static_cast<T*>(a)), &x);
        detail::Store<V>(std::invoke(getter, static_cast<T*>(b)), &y);
        return x == y;
      };
    } else if constexpr (cls == TPropValueClass::Float) {
      return [getter](TObject* a, TObject* b) {
        Extended x = 0, y = 0;
        detail::Store<V>(std::invoke(getter, static_cast<T*>(a)), &x);
        detail::Store<V>(std::invoke(getter, static_cast<T*>(b)), &y);
        return !(x < y) && !(x > y);
      };
    } else {
      return {};
    }
  }
  template <class V, class S> static TPropWriter MakeSetter(S setter) {
    if constexpr (std::is_same_v<S, std::nullptr_t>)
      return {};
    else if constexpr (std::is_member_object_pointer_v<S>)
      return [setter](TObject* o, const void* in) {
        static_cast<T*>(o)->*setter = detail::Load<V>(in);
      };
    else
      return [setter](TObject* o, const void* in) {
        std::invoke(setter, static_cast<T*>(o), detail::Load<V>(in));
      };
  }

  template <class V>
  TClassBuilder& Add(String name, TTypeRef type, TPropReader get, TPropWriter set) {
    auto p = std::make_unique<TPropInfo>();
    p->Name = std::move(name);
    p->TypeRef = type;
    p->Get = std::move(get);
    p->Set = std::move(set);
    p->ValueClass = detail::ValueClassOf<V>();
    FLast = p.get();
    FProps.push_back(std::move(p));
    return *this;
  }

  template <class... A> void AddUsualConstructor(std::tuple<A...>*) { Constructor<A...>(); }

  std::unique_ptr<TClassRec> FRec;
  std::unique_ptr<TTypeInfo> FType;
  std::shared_ptr<std::vector<TFactory>> FFactories;
  std::vector<std::unique_ptr<TPropInfo>> FProps;
  TPropInfo* FLast = nullptr;
};

} // namespace fw
