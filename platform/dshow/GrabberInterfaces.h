#pragma once
// The sample grabber's interfaces (published names, identifiers and the used
// methods in their published relative order).

#include "FilterInterfaces.h"

namespace kamsel::dshow {

// Implemented by the grabber's client. Called on the streaming thread, once
// per sample; the buffer is valid only during the call. The status returned is
// not examined.
struct ISampleGrabberCB : IUnknown {
    static constexpr IID Iid = {0x0579154A, 0x2B53, 0x4994, {0xB0, 0xD0, 0xE7, 0x73, 0x14, 0x8E, 0xFF, 0x85}};
    // Mode 0: the sample itself.
    virtual HRESULT SampleCB(double sampleTime, IMediaSample* sample) = 0;
    // Mode 1: the sample's data (its valid bytes).
    virtual HRESULT BufferCB(double sampleTime, BYTE* buffer, LONG length) = 0;

  protected:
    ~ISampleGrabberCB() = default;
};

struct ISampleGrabber : IUnknown {
    static constexpr IID Iid = {0x6B652FFF, 0x11FE, 0x4FCE, {0x92, 0xAD, 0x02, 0x66, 0xB5, 0xD7, 0xC7, 0x8F}};
    // The (partial) type the grabber's input accepts from the next connection
    // on; null accepts any.
    virtual HRESULT SetMediaType(const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* type) = 0;
    // FALSE: no copies kept. Keeping copies is not offered (E_NOTIMPL).
    virtual HRESULT SetBufferSamples(BOOL buffer) = 0;
    // Registers the callback (a counted reference is kept until it is replaced
    // or cleared with null) and the method to call: 0 SampleCB, 1 BufferCB.
    virtual HRESULT SetCallback(ISampleGrabberCB* callback, LONG whichMethod) = 0;

  protected:
    ~ISampleGrabber() = default;
};

inline constexpr const IID& IID_ISampleGrabberCB = ISampleGrabberCB::Iid;
inline constexpr const IID& IID_ISampleGrabber = ISampleGrabber::Iid;

} // namespace kamsel::dshow
