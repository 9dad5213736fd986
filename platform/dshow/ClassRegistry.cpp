#include "ClassRegistry.h"

#include <algorithm>

namespace kamsel::dshow {

ClassRegistry& ClassRegistry::Instance() {
    static ClassRegistry registry;
    return registry;
}

ClassRegistry::ClassRegistry() : classes_(BuiltinClasses()) {}

HRESULT ClassRegistry::Create(REFCLSID clsid, REFIID riid, void** object) const {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    ClassFactory factory;
    {
        const system::MutexLock lock(mutex_);
        const auto found = std::find_if(classes_.begin(), classes_.end(),
                                        [&](const auto& entry) { return entry.first == clsid; });
        if (found == classes_.end())
            return REGDB_E_CLASSNOTREG;
        factory = found->second;
    }
    // Called without the lock: a class may create others while it is built.
    return factory(riid, object);
}

ClassFactory ClassRegistry::Exchange(REFCLSID clsid, ClassFactory factory) {
    const system::MutexLock lock(mutex_);
    const auto found = std::find_if(classes_.begin(), classes_.end(),
                                    [&](const auto& entry) { return entry.first == clsid; });
    ClassFactory previous;
    if (found != classes_.end()) {
        previous = std::move(found->second);
        if (factory)
            found->second = std::move(factory);
        else
            classes_.erase(found);
    } else if (factory) {
        classes_.emplace_back(clsid, std::move(factory));
    }
    return previous;
}

ScopedClassOverride::ScopedClassOverride(REFCLSID clsid, ClassFactory factory)
    : clsid_(clsid), previous_(ClassRegistry::Instance().Exchange(clsid, std::move(factory))) {}

ScopedClassOverride::~ScopedClassOverride() {
    ClassRegistry::Instance().Exchange(clsid_, std::move(previous_));
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if ((context & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;
    return ClassRegistry::Instance().Create(clsid, riid, object);
}

} // namespace kamsel::dshow
