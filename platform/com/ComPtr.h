#pragma once
// Owning smart pointer for reference-counted interfaces: one reference per
// pointer that holds one, released when the pointer goes.

#include "ComTypes.h"

#include <utility>

namespace kamsel::com {

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : ptr_(p) {
        if (ptr_)
            ptr_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.ptr_) {}
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    // Adopts a reference the caller already owns (no AddRef).
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.ptr_ = p;
        return result;
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(ptr_, nullptr); }

    void Reset() {
        if (T* p = std::exchange(ptr_, nullptr))
            p->Release();
    }
    // Releases what is held and returns the address for an out parameter.
    T** ReleaseAndGetAddressOf() {
        Reset();
        return &ptr_;
    }
    void** ReleaseAndGetVoidAddress() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    T& operator*() const { return *ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // QueryInterface for U::Iid into target.
    template <class U>
    HRESULT As(ComPtr<U>& target) const {
        if (!ptr_)
            return E_POINTER;
        return ptr_->QueryInterface(U::Iid, target.ReleaseAndGetVoidAddress());
    }

    void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.ptr_ == b.ptr_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.ptr_ == nullptr; }

  private:
    T* ptr_ = nullptr;
};

} // namespace kamsel::com
