// TFunctionRef: a non-owning reference to a callable, for callbacks that are only called during
// the call that receives them (GetChildren, DefineProperty). Two words, no allocation.
//
//   void TBox::GetChildren(const TGetChildProc& proc, TComponent* root) {
//     for (TComponent* c : FItems) proc(c);
//   }
//   box->GetChildren([&](TComponent* c) { found.push_back(c); }, root); // fine: lives for the call
//   TGetChildProc proc = [&](TComponent* c) { ... };                    // dangles: name the lambda
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace fw {

template <class Sig> class TFunctionRef;

namespace detail {

template <class T> struct IsFunctionRefOrFunction : std::false_type {};
template <class S> struct IsFunctionRefOrFunction<TFunctionRef<S>> : std::true_type {};
template <class S> struct IsFunctionRefOrFunction<std::function<S>> : std::true_type {};

/// A function type callable as R(Args...).
template <class F, class R, class... Args>
concept FunctionOf = std::is_function_v<F> && std::is_invocable_r_v<R, F*, Args...>;

/// A callable object (not a pointer, not a function, not the reference type itself) callable as
/// an lvalue with R(Args...).
template <class F, class Ref, class R, class... Args>
concept ReferableCallable =
    !std::is_same_v<std::remove_cvref_t<F>, Ref> && !std::is_pointer_v<std::remove_cvref_t<F>> &&
    !std::is_function_v<std::remove_reference_t<F>> &&
    std::is_invocable_r_v<R, std::remove_reference_t<F>&, Args...>;

} // namespace detail

/// Refers to a callable without owning it: the callable must outlive every call made through the
/// reference, so store a TFunctionRef only where the referenced callable is known to live longer
/// (a named local, a member); a temporary lambda dies at the end of the full expression.
/// A plain function or function pointer is held by value and never dangles. An empty
/// std::function or a null function pointer makes an empty reference; calling an empty one is
/// undefined, so test it first where a caller may pass nullptr.
template <class R, class... Args> class TFunctionRef<R(Args...)> {
public:
  constexpr TFunctionRef() noexcept = default;
  constexpr TFunctionRef(std::nullptr_t) noexcept {}

  /// A function or function pointer: kept by value.
  template <detail::FunctionOf<R, Args...> F> TFunctionRef(F* fn) noexcept {
    if (!fn) return;
    FTarget.Fn = reinterpret_cast<void (*)()>(fn);
    FCall = [](TTarget t, Args... args) -> R {
      return static_cast<R>(std::invoke(reinterpret_cast<F*>(t.Fn), std::forward<Args>(args)...));
    };
  }

  /// Any other callable: referred to.
  template <detail::ReferableCallable<TFunctionRef, R, Args...> F> TFunctionRef(F&& fn) noexcept {
    using T = std::remove_reference_t<F>;
    if constexpr (detail::IsFunctionRefOrFunction<std::remove_cv_t<T>>::value)
      if (!fn) return;
    FTarget.Obj = const_cast<void*>(static_cast<const volatile void*>(std::addressof(fn)));
    FCall = [](TTarget t, Args... args) -> R {
      return static_cast<R>(std::invoke(*static_cast<T*>(t.Obj), std::forward<Args>(args)...));
    };
  }

  R operator()(Args... args) const { return FCall(FTarget, std::forward<Args>(args)...); }
  explicit operator bool() const noexcept { return FCall != nullptr; }
  friend bool operator==(const TFunctionRef& f, std::nullptr_t) noexcept { return !f; }

private:
  union TTarget {
    void* Obj;
    void (*Fn)();
  };
  TTarget FTarget{nullptr};
  R (*FCall)(TTarget, Args...) = nullptr;
};

} // namespace fw
