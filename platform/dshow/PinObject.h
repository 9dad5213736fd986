#pragma once
// Base of pins: a pin is part of its filter, so its reference count is the
// filter's (a reference to a pin keeps the filter alive) and the filter owns
// the pin. QueryInterface answers for the listed interfaces and their bases.

#include "platform/com/ComObject.h"

namespace kamsel::dshow {

template <class First, class... Rest>
class PinObject : public First, public Rest... {
  public:
    explicit PinObject(com::IUnknown& owner) : owner_(owner) {}
    PinObject(const PinObject&) = delete;
    PinObject& operator=(const PinObject&) = delete;

    com::HRESULT QueryInterface(com::REFIID riid, void** object) override {
        if (!object)
            return com::E_POINTER;
        *object = nullptr;
        if (riid == com::IUnknown::Iid)
            *object = static_cast<com::IUnknown*>(static_cast<First*>(this));
        else
            Find<First, Rest...>(riid, object);
        if (!*object)
            return com::E_NOINTERFACE;
        AddRef();
        return com::S_OK;
    }
    com::ULONG AddRef() override { return owner_.AddRef(); }
    com::ULONG Release() override { return owner_.Release(); }

  protected:
    ~PinObject() = default;
    com::IUnknown& Owner() const { return owner_; }

  private:
    template <class I, class... More>
    void Find(com::REFIID riid, void** object) {
        if (com::detail::InChain<I>(riid)) {
            *object = static_cast<I*>(this);
            return;
        }
        if constexpr (sizeof...(More) > 0)
            Find<More...>(riid, object);
    }

    com::IUnknown& owner_;
};

} // namespace kamsel::dshow
