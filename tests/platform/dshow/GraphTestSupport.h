#pragma once
// Helpers for the capture layer's tests: binding a test camera's capture
// filter, building the capture graph, and a sample callback that records.

#include "platform/com/ComObject.h"
#include "platform/dshow/DShow.h"
#include "platform/dshow/LiveObject.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace kamsel::dshow::test {

using com::ComPtr;

// The capture filter of the device at position (1 is the first).
inline ComPtr<IBaseFilter> BindDevice(int position) {
    ComPtr<ICreateDevEnum> devices;
    ComPtr<IEnumMoniker> monikers;
    ComPtr<IMoniker> moniker;
    ComPtr<IBaseFilter> filter;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC, IID_ICreateDevEnum,
                                devices.ReleaseAndGetVoidAddress())) ||
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.ReleaseAndGetAddressOf(),
                                       0) != S_OK)
        return nullptr;
    for (int i = 0; i < position; ++i)
        if (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) != S_OK)
            return nullptr;
    moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.ReleaseAndGetVoidAddress());
    return filter;
}

template <class T>
ComPtr<T> Create(const CLSID& clsid) {
    ComPtr<T> object;
    EXPECT_EQ(
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::Iid, object.ReleaseAndGetVoidAddress()),
        S_OK);
    return object;
}

// The graph a capture object builds: capture filter, sample grabber and null
// renderer (or, without one, the default video renderer), connected.
struct CaptureGraph {
    ComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
    ComPtr<ICaptureGraphBuilder2> builder = Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
    ComPtr<IBaseFilter> grabberFilter = Create<IBaseFilter>(CLSID_SampleGrabber);
    ComPtr<IBaseFilter> nullRenderer = Create<IBaseFilter>(CLSID_NullRenderer);
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IMediaControl> control;
    ComPtr<IBaseFilter> capture;

    // Adds and connects capture (through the grabber to the null renderer, or
    // to a new video renderer when preview is set); the status of RenderStream.
    HRESULT Build(ComPtr<IBaseFilter> captureFilter, bool preview = false) {
        capture = std::move(captureFilter);
        EXPECT_EQ(grabberFilter.As(grabber), S_OK);
        EXPECT_EQ(graph.As(control), S_OK);
        EXPECT_EQ(builder->SetFiltergraph(graph.Get()), S_OK);
        EXPECT_EQ(graph->AddFilter(capture.Get(), u"Video Capture"), S_OK);
        EXPECT_EQ(graph->AddFilter(grabberFilter.Get(), u"Sample Grabber"), S_OK);
        if (!preview) {
            EXPECT_EQ(graph->AddFilter(nullRenderer.Get(), u"Null Renderer"), S_OK);
        }
        return builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture.Get(),
                                     grabberFilter.Get(), preview ? nullptr : nullRenderer.Get());
    }

    ComPtr<IAMStreamConfig> StreamConfig() {
        ComPtr<IAMStreamConfig> config;
        builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture.Get(), IID_IAMStreamConfig,
                               config.ReleaseAndGetVoidAddress());
        return config;
    }
};

// The pin connected to the filter's first pin of that direction, or null.
inline ComPtr<IPin> FirstPin(IBaseFilter& filter, PIN_DIRECTION direction) {
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> pin;
    if (FAILED(filter.EnumPins(pins.ReleaseAndGetAddressOf())))
        return nullptr;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION found = PINDIR_INPUT;
        if (SUCCEEDED(pin->QueryDirection(&found)) && found == direction)
            return pin;
    }
    return nullptr;
}

// Records the samples a grabber hands over, as SampleCB or BufferCB.
class RecordingCallback final : public com::ComObject<ISampleGrabberCB> {
  public:
    struct Call {
        bool viaSample = false;
        long size = 0;   // GetSize, or BufferCB's length
        long actual = 0; // GetActualDataLength (SampleCB only)
        std::vector<BYTE> bytes;
    };

    HRESULT SampleCB(double, IMediaSample* sample) override {
        BYTE* data = nullptr;
        Call call{true, sample->GetSize(), sample->GetActualDataLength(), {}};
        if (SUCCEEDED(sample->GetPointer(&data)))
            call.bytes.assign(data, data + call.size);
        Record(std::move(call));
        return S_OK;
    }
    HRESULT BufferCB(double, BYTE* buffer, LONG length) override {
        Record({false, length, 0, std::vector<BYTE>(buffer, buffer + length)});
        return S_OK;
    }

    // Waits for at least count calls; false when they do not come in a long while.
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(20), [&] { return calls_.size() >= count; });
    }
    std::vector<Call> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }

  private:
    void Record(Call call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        arrived_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Call> calls_;
};

// Checks that a test leaves no object of the layer and no task memory behind.
class LeakCheck {
  public:
    ~LeakCheck() {
        EXPECT_EQ(LiveObjectCount(), objects_);
        EXPECT_EQ(LiveTaskMemBlocks(), blocks_);
    }

  private:
    const long objects_ = LiveObjectCount();
    const long blocks_ = LiveTaskMemBlocks();
};

} // namespace kamsel::dshow::test
