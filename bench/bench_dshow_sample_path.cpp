// Cost of one sample through the sample grabber (callback reference taken
// under its lock, SampleCB, hand-over to the null renderer), against the anchor
// of calling the same callback directly. Prints the ratio of the two.

#include "platform/com/ComObject.h"
#include "platform/dshow/DShow.h"
#include "platform/dshow/SampleView.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include "support/TimeCollector.h"
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace kamsel::dshow;
using kamsel::com::ComPtr;

class CountingCallback final : public kamsel::com::ComObject<ISampleGrabberCB> {
  public:
    HRESULT SampleCB(double, IMediaSample* sample) override {
        bytes_ += sample->GetSize();
        return S_OK;
    }
    HRESULT BufferCB(double, BYTE*, LONG length) override {
        bytes_ += length;
        return S_OK;
    }
    long long bytes_ = 0;
};

std::vector<BYTE> Frame() {
    return std::vector<BYTE>(640 * 480 * 2, 0x80);
}

void BM_AnchorDirectCallback(benchmark::State& state) {
    std::vector<BYTE> frame = Frame();
    auto callback = kamsel::com::MakeComObject<CountingCallback>();
    ISampleGrabberCB* target = callback.Get();
    for (auto _ : state) {
        // Through the interface, as the grabber calls it.
        benchmark::DoNotOptimize(target);
        SampleView sample(frame.data(), static_cast<LONG>(frame.size()), static_cast<LONG>(frame.size()));
        target->SampleCB(0.0, &sample);
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(callback->bytes_);
}
BENCHMARK(BM_AnchorDirectCallback);

template <class T>
ComPtr<T> Create(const CLSID& clsid) {
    ComPtr<T> object;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::Iid, object.ReleaseAndGetVoidAddress());
    return object;
}

void BM_GrabberAndNullRenderer(benchmark::State& state) {
    fake::FakeDeviceRegistry devices;
    devices.AddCamera("Bench Camera");
    auto graph = Create<IGraphBuilder>(CLSID_FilterGraph);
    auto builder = Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
    auto grabberFilter = Create<IBaseFilter>(CLSID_SampleGrabber);
    auto renderer = Create<IBaseFilter>(CLSID_NullRenderer);
    ComPtr<ICreateDevEnum> enumerator = Create<ICreateDevEnum>(CLSID_SystemDeviceEnum);
    ComPtr<IEnumMoniker> monikers;
    ComPtr<IMoniker> moniker;
    ComPtr<IBaseFilter> capture;
    ComPtr<ISampleGrabber> grabber;
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> input;
    ComPtr<IMemInputPin> receive;
    if (!graph || !builder || !grabberFilter || !renderer || !enumerator ||
        enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.ReleaseAndGetAddressOf(),
                                          0) != S_OK ||
        monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) != S_OK ||
        FAILED(
            moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, capture.ReleaseAndGetVoidAddress())) ||
        FAILED(builder->SetFiltergraph(graph.Get())) ||
        FAILED(graph->AddFilter(capture.Get(), u"Video Capture")) ||
        FAILED(graph->AddFilter(grabberFilter.Get(), u"Sample Grabber")) ||
        FAILED(graph->AddFilter(renderer.Get(), u"Null Renderer")) ||
        FAILED(builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, capture.Get(),
                                     grabberFilter.Get(), renderer.Get())) ||
        FAILED(grabberFilter.As(grabber)) || FAILED(grabberFilter->EnumPins(pins.ReleaseAndGetAddressOf())) ||
        pins->Next(1, input.ReleaseAndGetAddressOf(), nullptr) != S_OK || FAILED(input.As(receive))) {
        state.SkipWithError("the capture graph could not be built");
        return;
    }
    auto callback = kamsel::com::MakeComObject<CountingCallback>();
    grabber->SetCallback(callback.Get(), 0);
    std::vector<BYTE> frame = Frame();
    for (auto _ : state) {
        SampleView sample(frame.data(), static_cast<LONG>(frame.size()), static_cast<LONG>(frame.size()));
        receive->Receive(&sample);
    }
    benchmark::DoNotOptimize(callback->bytes_);
    grabber->SetCallback(nullptr, 0);
}
BENCHMARK(BM_GrabberAndNullRenderer);

} // namespace

int main(int argc, char** argv) {
    // The layer's windows need an application object, though none is shown here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Real);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const std::optional<double> ratio =
            reporter.Ratio("BM_GrabberAndNullRenderer", "BM_AnchorDirectCallback"))
        std::printf("grabber and null renderer / direct callback: %.2f\n", *ratio);
    benchmark::Shutdown();
    return 0;
}
