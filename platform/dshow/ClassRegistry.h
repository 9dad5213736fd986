#pragma once
// The process-wide registry of creatable classes behind CoCreateInstance, as
// the platform keeps one. It starts with this layer's classes (BuiltinClasses);
// tests replace a class for a while with ScopedClassOverride, for example to
// make its creation fail. Thread-safe.

#include "ComApi.h"
#include "platform/system/ThreadAnnotations.h"

#include <functional>
#include <utility>
#include <vector>

namespace kamsel::dshow {

using com::CLSID;

// Creates a new object and returns its riid interface in *object.
using ClassFactory = std::function<HRESULT(REFIID riid, void** object)>;

class ClassRegistry {
  public:
    static ClassRegistry& Instance();

    // REGDB_E_CLASSNOTREG for a class without a factory.
    HRESULT Create(REFCLSID clsid, REFIID riid, void** object) const;
    // Installs factory for clsid (an empty one removes the class) and returns
    // the factory it replaces (empty when there was none).
    ClassFactory Exchange(REFCLSID clsid, ClassFactory factory);

  private:
    ClassRegistry();

    mutable system::Mutex mutex_;
    std::vector<std::pair<CLSID, ClassFactory>> classes_ GUARDED_BY(mutex_);
};

// The classes of this layer, in BuiltinClasses.cpp.
std::vector<std::pair<CLSID, ClassFactory>> BuiltinClasses();

// A factory that creates a T (a ComObject) and queries it for riid.
template <class T>
ClassFactory FactoryOf() {
    return [](REFIID riid, void** object) -> HRESULT {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        T* created = new (std::nothrow) T();
        if (!created)
            return E_OUTOFMEMORY;
        created->AddRef();
        const HRESULT hr = created->QueryInterface(riid, object);
        created->Release();
        return hr;
    };
}

// Replaces the factory of one class while it lives, then restores the old one.
class ScopedClassOverride {
  public:
    ScopedClassOverride(REFCLSID clsid, ClassFactory factory);
    ~ScopedClassOverride();
    ScopedClassOverride(const ScopedClassOverride&) = delete;
    ScopedClassOverride& operator=(const ScopedClassOverride&) = delete;

  private:
    CLSID clsid_;
    ClassFactory previous_;
};

} // namespace kamsel::dshow
