#pragma once
// Turns one video sample into a picture for the preview window: YUY2, I420,
// RGB24 (bottom-up or top-down) and MJPG. Nothing is read past the sample's
// used bytes: a sample too short for its format gives no picture.

#include "MediaTypes.h"

#include <QImage>

namespace kamsel::dshow {

// Whether FrameImage can show samples of this type.
bool CanShowFrames(const AM_MEDIA_TYPE& type);

// A null image when the sample cannot be shown.
QImage FrameImage(const AM_MEDIA_TYPE& type, const BYTE* data, LONG used);

} // namespace kamsel::dshow
