#include "CaptureGraphBuilder.h"
#include "ClassRegistry.h"
#include "FilterGraph.h"
#include "NullRenderer.h"
#include "SampleGrabber.h"
#include "SystemDeviceEnum.h"
#include "Uuids.h"
#include "VideoRenderer.h"

namespace kamsel::dshow {

std::vector<std::pair<CLSID, ClassFactory>> BuiltinClasses() {
    return {
        {CLSID_SystemDeviceEnum, FactoryOf<SystemDeviceEnum>()},
        {CLSID_FilterGraph, FactoryOf<FilterGraph>()},
        {CLSID_CaptureGraphBuilder2, FactoryOf<CaptureGraphBuilder>()},
        {CLSID_SampleGrabber, FactoryOf<SampleGrabber>()},
        {CLSID_NullRenderer, FactoryOf<NullRenderer>()},
        {CLSID_VideoRenderer, FactoryOf<VideoRenderer>()},
    };
}

} // namespace kamsel::dshow
