// How the plug-in calls into the host, with the convention and the prototype in the
// type of every entry, so a call with a wrong argument does not compile.
//
// The host executable is built with the platform's usual 32-bit Windows compiler. Its
// plain functions and script-table slots are cdecl (the caller pops the arguments);
// its member functions and virtual slots are thiscall (`this` in ECX, the callee
// pops). The address of every entry is loaded through a volatile read at the call: a
// call to a constant address can be miscompiled into a PC-relative call in
// position-independent code.
//
// An entry a build lacks holds 0. Calling it calls nothing and gives a HostResult
// that says so; the result is [[nodiscard]], so a caller cannot forget the case.
#pragma once

#include <cstdint>
#include <type_traits>

#if !defined(__i386__)
#error "Quillon is a 32-bit x86 plug-in: build it for i386 (-m32 or mingw-w64 i686)"
#endif

#define HOST_CDECL __attribute__((cdecl))
#define HOST_THISCALL __attribute__((thiscall))

namespace host {

// A host address: code or data in the host process, 32 bits wide.
using Address = std::uint32_t;

template <typename T>
T* Address_To_Pointer(Address address) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}

template <typename T>
Address Address_Of(T* pointer) {
  return static_cast<Address>(reinterpret_cast<std::uintptr_t>(pointer));
}

// What a call through an entry that may be missing gave: the result, if it was made.
template <typename Result>
class [[nodiscard]] HostResult {
 public:
  static HostResult Missing() { return HostResult(); }
  static HostResult Of(Result value) { return HostResult(value); }
  bool Called() const { return called_; }
  Result Or(Result fallback) const { return called_ ? value_ : fallback; }

 private:
  HostResult() = default;
  explicit HostResult(Result value) : called_(true), value_(value) {}
  bool called_ = false;
  Result value_{};
};

template <>
class [[nodiscard]] HostResult<void> {
 public:
  static HostResult Missing() { return HostResult(false); }
  static HostResult Done() { return HostResult(true); }
  bool Called() const { return called_; }

 private:
  explicit HostResult(bool called) : called_(called) {}
  bool called_;
};

namespace detail {

inline Address Load(const Address& entry) { return *static_cast<const volatile Address*>(&entry); }

// Makes `call` and wraps what it returns. The call comes as a lambda, not as a function
// pointer and its arguments: clang takes a cdecl and a thiscall pointer of the same
// prototype for one template argument, and one instantiation would call both alike.
template <typename Result, typename Call>
HostResult<Result> Wrapped(Call call) {
  if constexpr (std::is_void_v<Result>) {
    call();
    return HostResult<void>::Done();
  } else {
    return HostResult<Result>::Of(call());
  }
}

}  // namespace detail

// An entry the host may or may not have, by its address.
class Entry {
 public:
  constexpr Entry() = default;
  // From an address: the per-build tables, and tests that bind their own functions.
  // cppcheck-suppress noExplicitConstructor ; the tables list plain addresses
  constexpr Entry(Address address) : address_(address) {}  // NOLINT: tables list addresses
  constexpr Address Where() const { return address_; }
  bool Present() const { return detail::Load(address_) != 0; }
  friend constexpr bool operator==(const Entry& a, const Entry& b) {
    return a.address_ == b.address_;
  }

 protected:
  Address address_ = 0;
};

template <typename Signature>
class Cdecl;
template <typename Signature>
class CdeclVariadic;
template <typename Signature>
class Thiscall;

// A plain host function: cdecl, every argument on the stack.
template <typename Result, typename... Args>
class Cdecl<Result(Args...)> : public Entry {
 public:
  using Entry::Entry;
  HostResult<Result> operator()(Args... args) const {
    const Address at = detail::Load(address_);
    if (at == 0) return HostResult<Result>::Missing();
    const auto function = reinterpret_cast<Result(HOST_CDECL*)(Args...)>(at);
    return detail::Wrapped<Result>([&] { return function(args...); });
  }
};

// A plain variadic host function (the console print): its fixed arguments, then any.
template <typename Result, typename... Fixed>
class CdeclVariadic<Result(Fixed...)> : public Entry {
 public:
  using Entry::Entry;
  template <typename... More>
  HostResult<Result> operator()(Fixed... fixed, More... more) const {
    const Address at = detail::Load(address_);
    if (at == 0) return HostResult<Result>::Missing();
    using Function = Result(HOST_CDECL*)(Fixed..., ...);
    const auto function = reinterpret_cast<Function>(at);
    return detail::Wrapped<Result>([&] { return function(fixed..., more...); });
  }
};

// A host member function at a fixed address: `self` in ECX, the callee pops the rest.
template <typename Result, typename Self, typename... Args>
class Thiscall<Result(Self*, Args...)> : public Entry {
 public:
  using Entry::Entry;
  HostResult<Result> operator()(Self* self, Args... args) const {
    const Address at = detail::Load(address_);
    if (at == 0) return HostResult<Result>::Missing();
    using Function = Result(HOST_THISCALL*)(Self*, Args...);
    const auto function = reinterpret_cast<Function>(at);
    return detail::Wrapped<Result>([&] { return function(self, args...); });
  }
};

// A byte of host data at an address; reading a missing one gives the fallback.
template <typename T>
class Data : public Entry {
 public:
  using Entry::Entry;
  T Read_Or(T fallback) const {
    const Address at = detail::Load(address_);
    return at == 0 ? fallback : *Address_To_Pointer<const volatile T>(at);
  }
};

// Virtual slot `Slot` of a host object of type `Self`: thiscall through the table
// whose address is the object's first word. Host objects always have their slots.
template <typename Self, unsigned Slot, typename Signature>
struct Virtual;

template <typename Self, unsigned Slot, typename Result, typename... Args>
struct Virtual<Self, Slot, Result(Args...)> {
  static Result Call(Self* self, Args... args) {
    using Function = Result(HOST_THISCALL*)(Self*, Args...);
    const Address* table = *reinterpret_cast<const Address* const*>(self);
    return reinterpret_cast<Function>(detail::Load(table[Slot]))(self, args...);
  }
};

// A data member of a host record: its byte offset and its type. Host records need not
// align their members, so reads go byte by byte.
template <typename Record, typename T>
struct Member {
  unsigned offset;

  T Read(const Record* record) const {
    T value;
    __builtin_memcpy(&value, reinterpret_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
  }
  // The member itself, for members the plug-in writes in place.
  T* In(Record* record) const {
    return reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(record) + offset);
  }
};

}  // namespace host
