#pragma once
// What the layer's own filters (sample grabber, renderers) share: their class
// identity, their state, the graph they belong to and their name in it.
// Stop, Pause and Run only record the state: these filters do their work when
// a sample arrives, whatever the state. User-interface thread.

#include "ComApi.h"
#include "FilterInterfaces.h"
#include "LiveObject.h"
#include "PinEnumerator.h"

#include "platform/com/ComObject.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kamsel::dshow {

template <class... Extra>
class FilterBase : public com::ComObject<IBaseFilter, Extra...>, private LiveObject {
  public:
    explicit FilterBase(const CLSID& clsid) : clsid_(clsid) {}

    HRESULT GetClassID(CLSID* classId) override {
        if (!classId)
            return E_POINTER;
        *classId = clsid_;
        return S_OK;
    }
    HRESULT Stop() override {
        state_ = State_Stopped;
        return S_OK;
    }
    HRESULT Pause() override {
        state_ = State_Paused;
        return S_OK;
    }
    HRESULT Run(REFERENCE_TIME) override {
        state_ = State_Running;
        return S_OK;
    }
    HRESULT GetState(DWORD, FILTER_STATE* state) override {
        if (!state)
            return E_POINTER;
        *state = state_;
        return S_OK;
    }
    HRESULT EnumPins(IEnumPins** pins) override { return PinEnumerator::Create(Pins(), pins); }
    HRESULT QueryFilterInfo(FILTER_INFO* info) override {
        if (!info)
            return E_POINTER;
        const std::size_t length = std::min<std::size_t>(name_.size(), MAX_FILTER_NAME - 1);
        std::copy_n(name_.begin(), length, info->achName);
        info->achName[length] = 0;
        info->pGraph = graph_;
        if (graph_)
            graph_->AddRef();
        return S_OK;
    }
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
        graph_ = graph;
        name_ = graph && name ? std::u16string(name) : std::u16string();
        return S_OK;
    }

    FILTER_STATE State() const { return state_; }
    IFilterGraph* Graph() const { return graph_; }

  protected:
    ~FilterBase() override = default;
    virtual std::vector<com::ComPtr<IPin>> Pins() = 0;

  private:
    const CLSID clsid_;
    FILTER_STATE state_ = State_Stopped;
    IFilterGraph* graph_ = nullptr; // not counted: the graph holds the filter
    std::u16string name_;
};

} // namespace kamsel::dshow
