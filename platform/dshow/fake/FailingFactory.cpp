#include "FailingFactory.h"

namespace kamsel::dshow::fake {

ClassFactory FailingFactory(HRESULT status) {
    return [status](REFIID, void** object) {
        if (object)
            *object = nullptr;
        return status;
    };
}

} // namespace kamsel::dshow::fake
