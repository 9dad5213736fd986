#include "platform/virtualcam/VirtualCameraSource.h"

#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kamsel::virtualcam {
namespace {

using Source = VirtualCameraDeclaration::Source;

TEST(VirtualCameraDeclaration, NamesAreKeptAsWrittenAndPatternIsTheDefault) {
    using D = VirtualCameraDeclaration;
    EXPECT_EQ(D::Parse("Cam A;Cam B=pattern"),
              (std::vector<D>{{"Cam A", Source::Pattern, ""}, {"Cam B", Source::Pattern, ""}}));
    EXPECT_EQ(D::Parse(" Cam A ; Cam\tB =  pattern ;C="), (std::vector<D>{{" Cam A ", Source::Pattern, ""},
                                                                          {" Cam\tB ", Source::Pattern, ""},
                                                                          {"C", Source::Pattern, ""}}));
    // Only entries with nothing in them are skipped; a blank is a name.
    EXPECT_EQ(D::Parse(";;Cam A;;; ;"),
              (std::vector<D>{{"Cam A", Source::Pattern, ""}, {" ", Source::Pattern, ""}}));
    // The keyword in any letter case; only the whole word.
    EXPECT_EQ(D::Parse("A=Pattern;B= PATTERN ;C=pAtTeRn;D=patterns"),
              (std::vector<D>{{"A", Source::Pattern, ""},
                              {"B", Source::Pattern, ""},
                              {"C", Source::Pattern, ""},
                              {"D", Source::OtherFile, "patterns"}}));
    EXPECT_TRUE(D::Parse("").empty());
    EXPECT_TRUE(D::Parse(";;").empty());
    // Bytes that are not valid text pass through untouched.
    EXPECT_EQ(D::Parse("\xff\xfe"
                       "Cam")[0]
                  .name,
              "\xff\xfe"
              "Cam");
}

TEST(VirtualCameraDeclaration, FileSourcesAreToldApartByTheirEnding) {
    const auto parsed = VirtualCameraDeclaration::Parse(
        "Clip=/tmp/a.y4m;Movie= /tmp/b.MJPEG ;Old=/x/c.mjpg;Film=/x/d.avi;Odd=/x/e=f.Y4M");
    ASSERT_EQ(parsed.size(), 5u);
    EXPECT_EQ(parsed[0], (VirtualCameraDeclaration{"Clip", Source::Y4mFile, "/tmp/a.y4m"}));
    EXPECT_EQ(parsed[1], (VirtualCameraDeclaration{"Movie", Source::MjpegFile, "/tmp/b.MJPEG"}));
    EXPECT_EQ(parsed[2], (VirtualCameraDeclaration{"Old", Source::MjpegFile, "/x/c.mjpg"}));
    EXPECT_EQ(parsed[3], (VirtualCameraDeclaration{"Film", Source::OtherFile, "/x/d.avi"}));
    EXPECT_EQ(parsed[4], (VirtualCameraDeclaration{"Odd", Source::Y4mFile, "/x/e=f.Y4M"}));
}

TEST(VirtualCameraDeclaration, PatternRateIsTakenInRangeAndAnythingElseFailsToStartSayingWhy) {
    const auto parsed = VirtualCameraDeclaration::Parse(
        "A=pattern@1;B= Pattern@1000 ;C=pattern@0;D=pattern@1001;E=pattern@12x;"
        "F=pattern@;G=pattern@-5");
    ASSERT_EQ(parsed.size(), 7u);
    EXPECT_EQ(parsed[0], (VirtualCameraDeclaration{"A", Source::Pattern, "", 1}));
    EXPECT_EQ(parsed[1], (VirtualCameraDeclaration{"B", Source::Pattern, "", 1000}));
    for (std::size_t i = 2; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].source, Source::BadPatternRate) << parsed[i].path;
        EXPECT_EQ(parsed[i].framesPerSecond, 30) << parsed[i].path;
    }
    const auto devices = VirtualCameraSource("C=pattern@0").Enumerate();
    ASSERT_EQ(devices.size(), 1u);
    const media::DeviceStatus status = devices[0]->Open();
    EXPECT_FALSE(status.Ok());
    EXPECT_NE(status.message.find("pattern@0"), std::string::npos) << status.message;
    EXPECT_NE(status.message.find("must be 1 to 1000"), std::string::npos) << status.message;
}

TEST(VirtualCameraSource, EnumeratesNewUnopenedDevicesInDeclarationOrder) {
    VirtualCameraSource source("Cam A;Clip=/nowhere/clip.y4m;Cam B=pattern@200");
    for (int round = 0; round < 2; ++round) {
        const auto devices = source.Enumerate();
        ASSERT_EQ(devices.size(), 3u);
        EXPECT_EQ(devices[0]->FriendlyName(), "Cam A");
        EXPECT_EQ(devices[0]->Location(), "pattern");
        EXPECT_EQ(devices[1]->FriendlyName(), "Clip");
        EXPECT_EQ(devices[1]->Location(), "/nowhere/clip.y4m");
        EXPECT_EQ(devices[2]->FriendlyName(), "Cam B");
        EXPECT_TRUE(devices[0]->Modes().empty());
        ASSERT_TRUE(devices[0]->Open().Ok());
        EXPECT_EQ(devices[0]->Modes().size(), 11u);
        EXPECT_EQ(devices[0]->CurrentMode().frameInterval, 333'333);
        // The declared rate reaches the device: 200 frames per second.
        ASSERT_TRUE(devices[2]->Open().Ok());
        for (const media::VideoMode& mode : devices[2]->Modes())
            EXPECT_EQ(std::make_tuple(mode.frameInterval, mode.minFrameInterval, mode.maxFrameInterval),
                      std::make_tuple(50'000, 50'000, 50'000));
    }
}

using test::ScopedEnvironment;

TEST(VirtualCameraSource, ReadsTheEnvironment) {
    {
        ScopedEnvironment declared(VirtualCameraSource::kEnvironmentVariable, "Cam A;Cam B=pattern");
        const auto devices = VirtualCameraSource::FromEnvironment()->Enumerate();
        ASSERT_EQ(devices.size(), 2u);
        EXPECT_EQ(devices[0]->FriendlyName(), "Cam A");
        EXPECT_EQ(devices[1]->FriendlyName(), "Cam B");
    }
    ScopedEnvironment unset(VirtualCameraSource::kEnvironmentVariable, nullptr);
    EXPECT_TRUE(VirtualCameraSource::FromEnvironment()->Enumerate().empty());
}

} // namespace
} // namespace kamsel::virtualcam
