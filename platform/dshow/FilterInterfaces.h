#pragma once
// Filters, pins, samples and the filter graph. Each interface keeps its
// published name and identifier and declares the published methods that the
// capture code and this layer use, in their published relative order.
//
// Threads: everything runs on the user-interface thread except
// IMemInputPin::Receive and the IMediaSample calls, which run on the streaming
// thread of the source filter. Connections change only while the filters are
// stopped.

#include "MediaTypes.h"

namespace kamsel::dshow {

using com::CLSID;
using com::IID;
using com::IUnknown;
using com::REFGUID;
using com::REFIID;

enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };
enum PIN_DIRECTION { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

struct IFilterGraph;
struct IBaseFilter;
struct IPin;

constexpr int MAX_FILTER_NAME = 128;
constexpr int MAX_PIN_NAME = 128;

// pGraph is a counted reference (or null) that the receiver releases.
struct FILTER_INFO {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph;
};

// pFilter is a counted reference that the receiver releases.
struct PIN_INFO {
    IBaseFilter* pFilter;
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
};

struct IPersist : IUnknown {
    static constexpr IID Iid = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT GetClassID(CLSID* classId) = 0;

  protected:
    ~IPersist() = default;
};

struct IMediaFilter : IPersist {
    static constexpr IID Iid = {0x56A86899, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    using Base = IPersist;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run(REFERENCE_TIME start) = 0;
    virtual HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) = 0;

  protected:
    ~IMediaFilter() = default;
};

struct IEnumPins : IUnknown {
    static constexpr IID Iid = {0x56A86892, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    // Up to count pins (counted references); S_FALSE when fewer were left.
    virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;

  protected:
    ~IEnumPins() = default;
};

struct IBaseFilter : IMediaFilter {
    static constexpr IID Iid = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    using Base = IMediaFilter;
    virtual HRESULT EnumPins(IEnumPins** pins) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
    // Called by the graph when the filter is added (graph and name) or removed
    // (null, null). The filter keeps the graph without a counted reference.
    virtual HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) = 0;

  protected:
    ~IBaseFilter() = default;
};

struct IPin : IUnknown {
    static constexpr IID Iid = {0x56A86891, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    // Output pins: connect to receiver, with a type matching the (possibly
    // partial, possibly null) type given.
    virtual HRESULT Connect(IPin* receiver, const AM_MEDIA_TYPE* type) = 0;
    // Input pins: accept a connection from connector with a complete type.
    virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) = 0;
    // Breaks this side of the connection; S_FALSE when not connected.
    virtual HRESULT Disconnect() = 0;
    virtual HRESULT ConnectedTo(IPin** peer) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
    // S_OK when the pin would accept the type now, S_FALSE when not.
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* type) = 0;

  protected:
    ~IPin() = default;
};

// One sample: a buffer of the source, valid only during the call that hands it over.
struct IMediaSample : IUnknown {
    static constexpr IID Iid = {0x56A8689A, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    virtual HRESULT GetPointer(BYTE** buffer) = 0;
    // The buffer's capacity in bytes.
    virtual LONG GetSize() = 0;
    // The bytes of the buffer that hold data.
    virtual LONG GetActualDataLength() = 0;

  protected:
    ~IMediaSample() = default;
};

struct IMemInputPin : IUnknown {
    static constexpr IID Iid = {0x56A8689D, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    // Delivers one sample, on the upstream filter's streaming thread.
    virtual HRESULT Receive(IMediaSample* sample) = 0;

  protected:
    ~IMemInputPin() = default;
};

struct IFilterGraph : IUnknown {
    static constexpr IID Iid = {0x56A8689F, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    // Adds a filter under a name unique in the graph (VFW_E_DUPLICATE_NAME).
    virtual HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    // Disconnects the filter's pins and removes it.
    virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
    virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) = 0;
    // Breaks a connection and makes it again with the output pin's current
    // preferred type (after a format change). Only while stopped.
    virtual HRESULT Reconnect(IPin* pin) = 0;
    // Breaks one side of a connection: callers disconnect both pins.
    virtual HRESULT Disconnect(IPin* pin) = 0;

  protected:
    ~IFilterGraph() = default;
};

struct IGraphBuilder : IFilterGraph {
    static constexpr IID Iid = {0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    using Base = IFilterGraph;
    // Connects two pins. This graph inserts no converting filters, so this is
    // a direct connection with any type both pins agree on.
    virtual HRESULT Connect(IPin* output, IPin* input) = 0;

  protected:
    ~IGraphBuilder() = default;
};

inline constexpr const IID& IID_IPersist = IPersist::Iid;
inline constexpr const IID& IID_IMediaFilter = IMediaFilter::Iid;
inline constexpr const IID& IID_IBaseFilter = IBaseFilter::Iid;
inline constexpr const IID& IID_IEnumPins = IEnumPins::Iid;
inline constexpr const IID& IID_IPin = IPin::Iid;
inline constexpr const IID& IID_IMediaSample = IMediaSample::Iid;
inline constexpr const IID& IID_IMemInputPin = IMemInputPin::Iid;
inline constexpr const IID& IID_IFilterGraph = IFilterGraph::Iid;
inline constexpr const IID& IID_IGraphBuilder = IGraphBuilder::Iid;

} // namespace kamsel::dshow
