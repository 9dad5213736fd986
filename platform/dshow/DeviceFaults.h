#pragma once
// Where a test device makes the layer fail. Real devices have no faults; a test
// device (see platform/dshow/fake) answers chosen steps with a status of its
// choice. Each object of the layer that works for a device asks at the start
// of such a step and, when the answer is not S_OK, returns that answer without
// doing the step.

#include "Uuids.h"

#include "platform/com/ComTypes.h"

#include <memory>

namespace kamsel::dshow {

enum class FaultPoint {
    EnumNext,                // IEnumMoniker::Next reaching the device
    BindToStorage,           // IMoniker::BindToStorage
    ReadProperty,            // IPropertyBag::Read
    BindToObject,            // IMoniker::BindToObject
    FilterRun,               // IMediaFilter::Run of the capture filter
    FilterPause,             // IMediaFilter::Pause
    FilterStop,              // IMediaFilter::Stop
    QueryFilterInfo,         // IBaseFilter::QueryFilterInfo
    JoinFilterGraph,         // joining a graph (IFilterGraph::AddFilter fails with it)
    PinConnect,              // the capture pin's IPin::Connect
    QueryStreamConfig,       // query of the capture pin for IAMStreamConfig
    GetNumberOfCapabilities, // IAMStreamConfig::GetNumberOfCapabilities
    GetStreamCaps,           // IAMStreamConfig::GetStreamCaps, by capability index
    GetFormat,               // IAMStreamConfig::GetFormat
    SetFormat,               // IAMStreamConfig::SetFormat
    QueryVideoProcAmp,       // query of the filter for IAMVideoProcAmp
    QueryKsPropertySet,      // query of the filter for IKsPropertySet
    QueryPropertyPages,      // query of the filter or the pin for ISpecifyPropertyPages
    ProcAmpGetRange,         // IAMVideoProcAmp::GetRange, by property
    ProcAmpGet,              // IAMVideoProcAmp::Get, by property
    ProcAmpSet,              // IAMVideoProcAmp::Set, by property
    FilterGetPages,          // ISpecifyPropertyPages::GetPages of the filter
    StreamGetPages,          // ISpecifyPropertyPages::GetPages of the capture pin
};

class DeviceFaults {
  public:
    virtual ~DeviceFaults() = default;
    // S_OK to do the step; anything else is returned in its place. index is the
    // capability index or property number where the step has one, else 0.
    virtual com::HRESULT StatusAt(FaultPoint point, int index) const = 0;
    // The format block type in which the capture pin describes its formats:
    // FORMAT_VideoInfo, or FORMAT_VideoInfo2 as some drivers do.
    virtual com::GUID FormatType() const { return FORMAT_VideoInfo; }
};

// A device's faults, or none.
class FaultHook {
  public:
    FaultHook() = default;
    explicit FaultHook(std::shared_ptr<const DeviceFaults> faults) : faults_(std::move(faults)) {}

    com::HRESULT At(FaultPoint point, int index = 0) const {
        return faults_ ? faults_->StatusAt(point, index) : com::S_OK;
    }
    com::GUID FormatType() const { return faults_ ? faults_->FormatType() : FORMAT_VideoInfo; }

  private:
    std::shared_ptr<const DeviceFaults> faults_;
};

} // namespace kamsel::dshow
