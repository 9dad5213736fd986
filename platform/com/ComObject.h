#pragma once
// Base for our reference-counted objects. An object implements the interfaces
// listed as template arguments; QueryInterface answers for each of them and for
// the interfaces they derive from (named by a nested `using Base = ...;`).
// The count starts at 0: whoever creates the object takes the first reference,
// usually through ComPtr. The count is atomic because the streaming thread of a
// capture graph holds references too.

#include "ComPtr.h"

#include <atomic>
#include <concepts>

namespace kamsel::com {

namespace detail {
template <class I>
concept HasBase = requires {
    typename I::Base;
};

template <class I>
constexpr bool InChain(REFIID riid) {
    if (riid == I::Iid)
        return true;
    if constexpr (HasBase<I>)
        return InChain<typename I::Base>(riid);
    else
        return false;
}
} // namespace detail

template <class First, class... Rest>
class ComObject : public First, public Rest... {
  public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IUnknown::Iid)
            *object = static_cast<IUnknown*>(static_cast<First*>(this));
        else
            FindInterface<First, Rest...>(riid, object);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        const ULONG left = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    virtual ~ComObject() = default;

  private:
    template <class I, class... More>
    void FindInterface(REFIID riid, void** object) {
        if (detail::InChain<I>(riid)) {
            *object = static_cast<I*>(this);
            return;
        }
        if constexpr (sizeof...(More) > 0)
            FindInterface<More...>(riid, object);
    }

    std::atomic<ULONG> refCount_{0};
};

// Creates an object and hands back its first reference.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace kamsel::com
