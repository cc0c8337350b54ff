#pragma once

#include <cstdint>
#include <cstring>
#include <set>

// Signals with two arguments: an ordered set of bound member-function
// callbacks, emitted synchronously on the calling thread.
//
//   Gallant::Signal2<int, int> noteOn;
//   noteOn.Connect(&effect, &Kolvane::onNoteOn);
//   noteOn(60, 100); // calls effect.onNoteOn(60, 100)
//
// Connecting the same object and function twice keeps one entry; there is
// no disconnect, and destroying the signal drops every delegate.
namespace Gallant
{

// What identifies a bound callback: the object's address and the bytes of
// the member-function pointer. Two mementos are equal when both match.
class DelegateMemento
{
public:
  DelegateMemento() = default;

  template <class X, class MemFn> DelegateMemento(X* object, MemFn function) : mObject(object)
  {
    static_assert(sizeof(MemFn) <= sizeof(mFunction), "member-function pointer too large");
    std::memcpy(mFunction, &function, sizeof(MemFn));
  }

  // Orders by object address (as an unsigned number), then by the
  // member-function pointer's bytes.
  bool IsLess(const DelegateMemento& other) const
  {
    uintptr_t a = reinterpret_cast<uintptr_t>(mObject);
    uintptr_t b = reinterpret_cast<uintptr_t>(other.mObject);
    if (a != b)
    {
      return a < b;
    }
    return std::memcmp(mFunction, other.mFunction, sizeof(mFunction)) < 0;
  }

  void* Object() const { return mObject; }

  template <class MemFn> MemFn Function() const
  {
    MemFn function;
    std::memcpy(&function, mFunction, sizeof(MemFn));
    return function;
  }

private:
  void* mObject = nullptr;
  // Large enough for any single- or multiple-inheritance member-function
  // pointer of the compilers we build with; unused bytes stay zero.
  unsigned char mFunction[2 * sizeof(void*)] = {};
};

// One object bound to one of its member functions taking (P1, P2).
// Virtual member functions dispatch as usual.
template <class P1, class P2, class R = void> class Delegate2
{
public:
  template <class X, class Y>
  Delegate2(Y* object, R (X::*function)(P1, P2))
      : mMemento(static_cast<X*>(object), function), mInvoke(&Invoke<X>)
  {
  }

  R operator()(P1 a, P2 b) const { return mInvoke(mMemento, a, b); }

  const DelegateMemento& GetMemento() const { return mMemento; }

  bool operator<(const Delegate2& other) const { return mMemento.IsLess(other.mMemento); }

private:
  // GCC cannot tell that a member-function pointer read back from memory is
  // not virtual, and for a class without a vtable it warns that the virtual
  // branch of the call would read a vtable pointer past or before the
  // object's data. That branch is never taken for such a class.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
  template <class X> static R Invoke(const DelegateMemento& memento, P1 a, P2 b)
  {
    X* object = static_cast<X*>(memento.Object());
    auto function = memento.Function<R (X::*)(P1, P2)>();
    return (object->*function)(a, b);
  }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

  DelegateMemento mMemento;
  R (*mInvoke)(const DelegateMemento&, P1, P2);
};

template <class X, class Y, class P1, class P2, class R>
Delegate2<P1, P2, R> MakeDelegate(Y* object, R (X::*function)(P1, P2))
{
  return Delegate2<P1, P2, R>(object, function);
}

template <class P1, class P2> class Signal2
{
public:
  using DelegateType = Delegate2<P1, P2, void>;

  template <class X, class Y> void Connect(Y* object, void (X::*function)(P1, P2))
  {
    mDelegates.insert(MakeDelegate(object, function));
  }

  // Calls every delegate in set order. The iterator moves on before each
  // call, so a callback never sees it pointing at its own entry.
  void Emit(P1 a, P2 b) const
  {
    for (auto it = mDelegates.begin(); it != mDelegates.end();)
    {
      auto current = it++;
      (*current)(a, b);
    }
  }

  void operator()(P1 a, P2 b) const { Emit(a, b); }

  size_t Size() const { return mDelegates.size(); }

private:
  std::set<DelegateType> mDelegates;
};

} // namespace Gallant
