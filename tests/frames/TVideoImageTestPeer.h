#pragma once
// The one way tests (and the benchmarks and fuzzers, which drive the decoder
// directly) reach the facade's internals: the ring, the decoded bitmap, the
// colour tables and the windows. Everything else goes through the facade's
// own interface.

#include "frames/TVideoImage.h"

namespace kamsel::frames {

class TVideoImageTestPeer {
  public:
    static Bitmap24& FrameBitmap(TVideoImage& image) { return image.FrameBitmap; }
    static const Bitmap24& FrameBitmap(const TVideoImage& image) { return image.FrameBitmap; }
    static bool& FrameDecoded(TVideoImage& image) { return image.FrameDecoded; }
    static bool FrameDecoded(const TVideoImage& image) { return image.FrameDecoded; }
    static bool FrameBusy(const TVideoImage& image) { return image.FrameBusy; }
    static std::int32_t FrameCount(const TVideoImage& image) { return image.FrameCount.load(); }
    static const MemoryStream& JpegStream(const TVideoImage& image) { return image.JpegStream; }

    static bool TablesReady(const TVideoImage& image) { return image.TablesReady; }
    static std::array<std::int32_t, 256>& TableY(TVideoImage& image) { return image.TableY; }
    static std::array<std::int32_t, 256>& TableUG(TVideoImage& image) { return image.TableUG; }
    static std::array<std::int32_t, 256>& TableUB(TVideoImage& image) { return image.TableUB; }
    static std::array<std::int32_t, 256>& TableVR(TVideoImage& image) { return image.TableVR; }
    static std::array<std::int32_t, 256>& TableVG(TVideoImage& image) { return image.TableVG; }
    static std::array<std::uint8_t, 2047>& ClipTable(TVideoImage& image) { return image.ClipTable; }

    // Read these only while no sample can arrive.
    static std::int32_t CurrentSlot(const TVideoImage& image) { return image.CurrentSlot.load(); }
    static const std::uint8_t* SlotBuffer(const TVideoImage& image, std::size_t slot) {
        return image.SlotBuffer[slot].get();
    }
    static std::int32_t SlotSize(const TVideoImage& image, std::size_t slot) { return image.SlotSize[slot]; }

    static FrameMessageWindow& MessageWindow(TVideoImage& image) { return *image.MessageWindow; }
    static IdleNotifier& IdleEvents(TVideoImage& image) { return *image.IdleEvents; }
    // The running capture object; null while stopped.
    static capture::TVideoSample* VideoSample(TVideoImage& image) { return image.VideoSample.get(); }
};

} // namespace kamsel::frames
