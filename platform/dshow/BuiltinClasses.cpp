#include "ClassRegistry.h"
#include "SystemDeviceEnum.h"
#include "Uuids.h"

namespace kamsel::dshow {

std::vector<std::pair<CLSID, ClassFactory>> BuiltinClasses() {
    return {
        {CLSID_SystemDeviceEnum, FactoryOf<SystemDeviceEnum>()},
    };
}

} // namespace kamsel::dshow
