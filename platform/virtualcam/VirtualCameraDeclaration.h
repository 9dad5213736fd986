#pragma once
// One virtual camera as declared in KAMSEL_VIRTUAL_CAMERAS, and the parsing of
// that text: entries separated by ";", each "NAME" or "NAME=SOURCE". NAME is
// the friendly name exactly as written, blanks and all, up to the first "=";
// SOURCE, without surrounding blanks, is "pattern" in any letter case (also
// when empty or left out), "pattern@RATE" for a pattern at RATE frames per
// second (1 to 1000; benchmarks ask for more than a camera's 30), or the path
// of a video file, told apart by its ending (.y4m, .mjpeg, .mjpg, in any
// letter case). A rate that is not a number in range makes the entry a camera
// that fails to start, saying what the rate must be. Empty entries are
// skipped.

#include <string>
#include <string_view>
#include <vector>

namespace kamsel::virtualcam {

struct VirtualCameraDeclaration {
    enum class Source {
        Pattern,
        Y4mFile,
        MjpegFile,
        OtherFile,      // listed, but fails to start: no reader for it
        BadPatternRate, // "pattern@RATE" with no rate in range: listed, fails to start
    };

    std::string name;
    Source source = Source::Pattern;
    std::string path;                   // empty for the pattern
    int framesPerSecond = kPatternRate; // the pattern's rate

    static constexpr int kPatternRate = 30;
    static constexpr int kMaxPatternRate = 1000;

    // The declarations in the order written.
    static std::vector<VirtualCameraDeclaration> Parse(std::string_view text);

    friend bool operator==(const VirtualCameraDeclaration&, const VirtualCameraDeclaration&) = default;
};

} // namespace kamsel::virtualcam
