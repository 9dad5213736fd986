#include "BenchApplication.h"

#include "platform/system/FrameHeap.h"

#include <benchmark/benchmark.h>

namespace kamsel::bench {

int& PrepareBenchProcess(int& argc) {
    (void)system::KeepFrameSizedHeapBlocks();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

BenchApplication::BenchApplication(int& argc, char** argv) : app_(PrepareBenchProcess(argc), argv) {
    benchmark::Initialize(&argc, argv);
}

} // namespace kamsel::bench
