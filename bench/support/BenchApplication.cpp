#include "BenchApplication.h"

#include "platform/system/FrameHeap.h"

#include <benchmark/benchmark.h>

namespace kamsel::bench {

namespace {

// Runs before the application object exists, which reads the platform name
// and allocates.
int& PrepareProcess(int& argc) {
    (void)system::KeepFrameSizedHeapBlocks();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

} // namespace

BenchApplication::BenchApplication(int& argc, char** argv) : app_(PrepareProcess(argc), argv) {
    benchmark::Initialize(&argc, argv);
}

} // namespace kamsel::bench
