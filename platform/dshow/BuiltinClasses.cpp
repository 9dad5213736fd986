#include "ClassRegistry.h"

namespace kamsel::dshow {

std::vector<std::pair<CLSID, ClassFactory>> BuiltinClasses() {
    return {};
}

} // namespace kamsel::dshow
