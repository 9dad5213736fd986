#pragma once
// The capture graph builder (CLSID_CaptureGraphBuilder2): finds a filter's
// pins by category (their IKsPropertySet pin category) and connects a capture
// stream through the graph it was given. User-interface thread.

#include "GraphInterfaces.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

namespace kamsel::dshow {

class CaptureGraphBuilder final : public com::ComObject<ICaptureGraphBuilder2>, private LiveObject {
  public:
    // A graph once given stays: another one gives E_UNEXPECTED.
    HRESULT SetFiltergraph(IGraphBuilder* graph) override;
    HRESULT GetFiltergraph(IGraphBuilder** graph) override;
    HRESULT FindInterface(const GUID* category, const GUID* type, IBaseFilter* filter, REFIID riid,
                          void** object) override;
    HRESULT RenderStream(const GUID* category, const GUID* type, IUnknown* source, IBaseFilter* intermediate,
                         IBaseFilter* sink) override;

  private:
    // The output of the stream's source: a pin given as source, or the
    // source filter's unconnected output pin of that category and type.
    HRESULT SourcePin(const GUID* category, const GUID* type, IUnknown& source, com::ComPtr<IPin>& pin);
    HRESULT ConnectTo(IPin& output, IBaseFilter& downstream, const AM_MEDIA_TYPE* type,
                      com::ComPtr<IPin>& nextOutput);
    HRESULT ConnectToNewRenderer(IPin& output, const AM_MEDIA_TYPE* type);

    com::ComPtr<IGraphBuilder> graph_;
};

} // namespace kamsel::dshow
