#include "FrameImage.h"

#include "platform/media/StandardYuvTables.h"
#include "platform/media/YuvConverter.h"

#include <cstring>

namespace kamsel::dshow {

namespace {

constexpr LONG kMaxSide = 16384;

struct Geometry {
    LONG width = 0;
    LONG height = 0;
    bool bottomUp = false;
};

bool GeometryOf(const AM_MEDIA_TYPE& type, Geometry& geometry) {
    const BITMAPINFOHEADER* header = BitmapHeader(type);
    if (type.majortype != MEDIATYPE_Video || !header)
        return false;
    const LONG magnitude = HeightMagnitude(header->biHeight);
    geometry.width = header->biWidth;
    geometry.bottomUp = header->biHeight > 0;
    if (geometry.width <= 0 || geometry.width > kMaxSide || magnitude <= 0 || magnitude > kMaxSide)
        return false;
    geometry.height = magnitude;
    return true;
}

// The frame decoder's conversion, so that the preview shows the colours the
// program's panes show.
const media::YuvConverter& Converter() {
    static const media::YuvConverter converter(media::StandardYuvTables::Shared().View());
    return converter;
}

// YUY2 rows of 2 * width bytes. With an odd width the last pixel has a luma
// and a U byte but no V of its own; it borrows the V of the pair before it
// (neutral for a one-pixel row) instead of reading into the next row.
QImage FromYuy2(const Geometry& g, const BYTE* data, LONG used) {
    const qint64 stride = qint64{g.width} * 2;
    if (stride * g.height > used)
        return {};
    QImage image(g.width, g.height, QImage::Format_BGR888);
    const int pairs = g.width / 2;
    for (LONG row = 0; row < g.height; ++row) {
        const BYTE* line = data + stride * row;
        std::uint8_t* out = image.scanLine(row);
        Converter().PackedRow(line, pairs, out);
        if (g.width % 2 != 0) {
            const BYTE* last = line + 4 * pairs;
            Converter().Pixel(last[0], last[1], pairs > 0 ? last[-1] : 128, out + 6 * pairs);
        }
    }
    return image;
}

// Planes of width x height luma and ((width + 1) / 2) x ((height + 1) / 2)
// chroma; rows 2k and 2k + 1 share chroma row k.
QImage FromI420(const Geometry& g, const BYTE* data, LONG used) {
    const qint64 luma = qint64{g.width} * g.height;
    const qint64 chromaWidth = (g.width + 1) / 2;
    const qint64 chroma = chromaWidth * ((g.height + 1) / 2);
    if (luma + 2 * chroma > used)
        return {};
    QImage image(g.width, g.height, QImage::Format_BGR888);
    const BYTE* planeU = data + luma;
    const BYTE* planeV = planeU + chroma;
    const int pairs = g.width / 2;
    for (LONG row = 0; row < g.height; row += 2) {
        const bool two = row + 1 < g.height;
        const BYTE* y0 = data + qint64{row} * g.width;
        const BYTE* y1 = two ? y0 + g.width : nullptr;
        const BYTE* u = planeU + (row / 2) * chromaWidth;
        const BYTE* v = planeV + (row / 2) * chromaWidth;
        std::uint8_t* out0 = image.scanLine(row);
        std::uint8_t* out1 = two ? image.scanLine(row + 1) : nullptr;
        Converter().PlanarRows(y0, y1, u, v, pairs, out0, out1);
        if (g.width % 2 != 0) {
            Converter().Pixel(y0[2 * pairs], u[pairs], v[pairs], out0 + 6 * pairs);
            if (two)
                Converter().Pixel(y1[2 * pairs], u[pairs], v[pairs], out1 + 6 * pairs);
        }
    }
    return image;
}

QImage FromRgb24(const Geometry& g, const BYTE* data, LONG used) {
    const qint64 stride = (qint64{g.width} * 3 + 3) & ~qint64{3};
    if (stride * g.height > used)
        return {};
    QImage image(g.width, g.height, QImage::Format_BGR888);
    for (LONG row = 0; row < g.height; ++row) {
        const LONG source = g.bottomUp ? g.height - 1 - row : row;
        std::memcpy(image.scanLine(row), data + stride * source, static_cast<std::size_t>(g.width) * 3);
    }
    return image;
}

} // namespace

bool CanShowFrames(const AM_MEDIA_TYPE& type) {
    Geometry geometry;
    if (!GeometryOf(type, geometry))
        return false;
    return type.subtype == MEDIASUBTYPE_YUY2 || type.subtype == MEDIASUBTYPE_I420 ||
           type.subtype == MEDIASUBTYPE_IYUV || type.subtype == MEDIASUBTYPE_RGB24 ||
           type.subtype == MEDIASUBTYPE_MJPG;
}

QImage FrameImage(const AM_MEDIA_TYPE& type, const BYTE* data, LONG used) {
    Geometry geometry;
    if (!data || used <= 0 || !GeometryOf(type, geometry))
        return {};
    if (type.subtype == MEDIASUBTYPE_YUY2)
        return FromYuy2(geometry, data, used);
    if (type.subtype == MEDIASUBTYPE_I420 || type.subtype == MEDIASUBTYPE_IYUV)
        return FromI420(geometry, data, used);
    if (type.subtype == MEDIASUBTYPE_RGB24)
        return FromRgb24(geometry, data, used);
    if (type.subtype == MEDIASUBTYPE_MJPG)
        return QImage::fromData(data, static_cast<int>(used), "JPG");
    return {};
}

} // namespace kamsel::dshow
