#pragma once
// The connection logic every pin shares. A connection is made by the output
// pin (Connect), which offers its preferred types in turn to the input pin
// (ReceiveConnection); both keep a counted reference to the other and the
// type agreed on until each is disconnected. Connections change only while
// the pin's filter is stopped.
//
// Threads: user-interface thread. The peer and type are read by the streaming
// thread only while the filter runs, when they cannot change; starting and
// stopping the streaming thread orders those reads after the writes.

#include "ComApi.h"
#include "FilterInterfaces.h"
#include "MediaType.h"
#include "PinObject.h"

#include "platform/com/ComPtr.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kamsel::dshow {

template <class... Extra>
class PinBase : public PinObject<IPin, Extra...> {
  public:
    PinBase(IBaseFilter& filter, PIN_DIRECTION direction, std::u16string name)
        : PinObject<IPin, Extra...>(filter), filter_(filter), direction_(direction), name_(std::move(name)) {}

    HRESULT Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override {
        if (direction_ != PINDIR_OUTPUT)
            return E_UNEXPECTED;
        if (!receiver)
            return E_POINTER;
        if (peer_)
            return VFW_E_ALREADY_CONNECTED;
        if (!FilterStopped())
            return VFW_E_NOT_STOPPED;
        PIN_DIRECTION other = PINDIR_OUTPUT;
        if (FAILED(receiver->QueryDirection(&other)) || other != PINDIR_INPUT)
            return VFW_E_INVALID_DIRECTION;
        HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
        for (const MediaType& candidate : PreferredTypes()) {
            if (type && !MatchesPartialType(candidate.Get(), *type))
                continue;
            if (FAILED(CheckMediaType(candidate.Get())))
                continue;
            last = receiver->ReceiveConnection(this, &candidate.Get());
            if (FAILED(last))
                continue;
            peer_ = com::ComPtr<IPin>(receiver);
            type_ = candidate;
            if (const HRESULT hr = OnConnected(); FAILED(hr)) {
                receiver->Disconnect();
                Forget();
                return hr;
            }
            return S_OK;
        }
        return last;
    }

    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override {
        if (direction_ != PINDIR_INPUT)
            return E_UNEXPECTED;
        if (!connector || !type)
            return E_POINTER;
        if (peer_)
            return VFW_E_ALREADY_CONNECTED;
        if (!FilterStopped())
            return VFW_E_NOT_STOPPED;
        if (FAILED(CheckMediaType(*type)))
            return VFW_E_TYPE_NOT_ACCEPTED;
        peer_ = com::ComPtr<IPin>(connector);
        type_ = MediaType(*type);
        if (const HRESULT hr = OnConnected(); FAILED(hr)) {
            Forget();
            return hr;
        }
        return S_OK;
    }

    HRESULT Disconnect() override {
        if (!FilterStopped())
            return VFW_E_NOT_STOPPED;
        if (!peer_)
            return S_FALSE;
        Forget();
        return S_OK;
    }

    HRESULT ConnectedTo(IPin** peer) override {
        if (!peer)
            return E_POINTER;
        *peer = nullptr;
        if (!peer_)
            return VFW_E_NOT_CONNECTED;
        *peer = peer_.Get();
        (*peer)->AddRef();
        return S_OK;
    }

    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override {
        if (!type)
            return E_POINTER;
        *type = AM_MEDIA_TYPE{};
        if (!peer_)
            return VFW_E_NOT_CONNECTED;
        return type_.CopyTo(type);
    }

    HRESULT QueryPinInfo(PIN_INFO* info) override {
        if (!info)
            return E_POINTER;
        info->pFilter = &filter_;
        filter_.AddRef();
        info->dir = direction_;
        const std::size_t length = std::min<std::size_t>(name_.size(), MAX_PIN_NAME - 1);
        std::copy_n(name_.begin(), length, info->achName);
        info->achName[length] = 0;
        return S_OK;
    }

    HRESULT QueryDirection(PIN_DIRECTION* direction) override {
        if (!direction)
            return E_POINTER;
        *direction = direction_;
        return S_OK;
    }

    HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override {
        if (!type)
            return E_POINTER;
        return SUCCEEDED(CheckMediaType(*type)) ? S_OK : S_FALSE;
    }

    bool IsConnected() const { return static_cast<bool>(peer_); }
    const com::ComPtr<IPin>& Peer() const { return peer_; }
    const MediaType& ConnectedType() const { return type_; }

  protected:
    ~PinBase() = default;

    // Whether the pin takes or gives this (complete) type now.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) = 0;
    // Output pins: the types offered when connecting, best first.
    virtual std::vector<MediaType> PreferredTypes() { return {}; }
    // After a connection is made; a failure undoes it.
    virtual HRESULT OnConnected() { return S_OK; }
    // After the connection is gone.
    virtual void OnDisconnected() {}
    virtual bool FilterStopped() const = 0;

    IBaseFilter& Filter() const { return filter_; }

  private:
    void Forget() {
        peer_ = nullptr;
        type_ = MediaType();
        OnDisconnected();
    }

    IBaseFilter& filter_;
    const PIN_DIRECTION direction_;
    const std::u16string name_;
    com::ComPtr<IPin> peer_;
    MediaType type_;
};

} // namespace kamsel::dshow
