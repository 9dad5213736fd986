#pragma once
// Object creation and task memory, as the platform offers them, and the
// framework status codes the capture layer returns.
//
// CoCreateInstance creates the classes of this layer (filter graph, capture
// graph builder, system device enumerator, sample grabber, null renderer,
// video renderer) from the process-wide class registry (ClassRegistry).
// Task memory is what the platform hands out through out parameters (media
// types, page lists, wide strings); the receiver frees it with CoTaskMemFree.

#include "WinTypes.h"

#include <cstddef>

namespace kamsel::dshow {

using com::IID;
using com::IUnknown;
using com::REFCLSID;
using com::REFIID;

using com::CLASS_E_NOAGGREGATION;
using com::E_ABORT;
using com::E_ACCESSDENIED;
using com::E_FAIL;
using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_NOTIMPL;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::E_UNEXPECTED;
using com::FAILED;
using com::REGDB_E_CLASSNOTREG;
using com::S_FALSE;
using com::S_OK;
using com::SUCCEEDED;

// Framework statuses (published values).
constexpr HRESULT VFW_E_INVALIDMEDIATYPE = com::MakeHresult(0x80040200u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = com::MakeHresult(0x80040204u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = com::MakeHresult(0x80040207u);
constexpr HRESULT VFW_E_INVALID_DIRECTION = com::MakeHresult(0x80040208u);
constexpr HRESULT VFW_E_NOT_CONNECTED = com::MakeHresult(0x80040209u);
constexpr HRESULT VFW_E_NOT_FOUND = com::MakeHresult(0x80040216u);
constexpr HRESULT VFW_E_NOT_STOPPED = com::MakeHresult(0x80040224u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = com::MakeHresult(0x8004022Au);
constexpr HRESULT VFW_E_DUPLICATE_NAME = com::MakeHresult(0x8004022Du);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = com::MakeHresult(0x8004025Fu);
constexpr HRESULT MK_E_UNAVAILABLE = com::MakeHresult(0x800401E3u);
constexpr HRESULT E_PROP_ID_UNSUPPORTED = com::MakeHresult(0x80070490u);
constexpr HRESULT E_PROP_SET_UNSUPPORTED = com::MakeHresult(0x80070492u);

// Creation contexts; only in-process servers exist here.
enum CLSCTX : DWORD {
    CLSCTX_INPROC_SERVER = 0x1,
    CLSCTX_INPROC_HANDLER = 0x2,
    CLSCTX_LOCAL_SERVER = 0x4,
    CLSCTX_REMOTE_SERVER = 0x10,
};
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

// Creates an object of class clsid and returns its riid interface in *object.
// outer must be null (no aggregation: CLASS_E_NOAGGREGATION); a context
// without CLSCTX_INPROC_SERVER or an unknown class gives REGDB_E_CLASSNOTREG.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);

// Task memory. CoTaskMemAlloc(0) returns a valid block; CoTaskMemFree(nullptr)
// does nothing.
void* CoTaskMemAlloc(std::size_t bytes);
void CoTaskMemFree(void* block);

// Number of task-memory blocks allocated and not yet freed in this process;
// tests compare it before and after an operation to find leaks.
long LiveTaskMemBlocks();

} // namespace kamsel::dshow
