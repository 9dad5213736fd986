#include "FrameImage.h"

#include <algorithm>
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
    const long long height = header->biHeight; // widened: the most negative value has no magnitude
    const long long magnitude = height < 0 ? -height : height;
    geometry.width = header->biWidth;
    geometry.bottomUp = height > 0;
    if (geometry.width <= 0 || geometry.width > kMaxSide || magnitude <= 0 || magnitude > kMaxSide)
        return false;
    geometry.height = static_cast<LONG>(magnitude);
    return true;
}

int Clamp(int value) {
    return std::clamp(value, 0, 255);
}

QRgb YuvToRgb(int y, int u, int v) {
    const int c = (y - 16) * 298;
    const int d = u - 128;
    const int e = v - 128;
    return qRgb(Clamp((c + 409 * e + 128) >> 8), Clamp((c - 100 * d - 208 * e + 128) >> 8),
                Clamp((c + 516 * d + 128) >> 8));
}

QImage FromYuy2(const Geometry& g, const BYTE* data, LONG used) {
    const qint64 stride = qint64{g.width} * 2;
    if (stride * g.height > used)
        return {};
    QImage image(g.width, g.height, QImage::Format_RGB32);
    for (LONG row = 0; row < g.height; ++row) {
        const BYTE* line = data + stride * row;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (LONG x = 0; x < g.width; ++x) {
            const BYTE* pair = line + (x / 2) * 4;
            out[x] = YuvToRgb(line[x * 2], pair[1], pair[3]);
        }
    }
    return image;
}

QImage FromI420(const Geometry& g, const BYTE* data, LONG used) {
    const qint64 luma = qint64{g.width} * g.height;
    const qint64 chromaWidth = (g.width + 1) / 2;
    const qint64 chroma = chromaWidth * ((g.height + 1) / 2);
    if (luma + 2 * chroma > used)
        return {};
    QImage image(g.width, g.height, QImage::Format_RGB32);
    const BYTE* planeU = data + luma;
    const BYTE* planeV = planeU + chroma;
    for (LONG row = 0; row < g.height; ++row) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (LONG x = 0; x < g.width; ++x) {
            const qint64 c = (row / 2) * chromaWidth + x / 2;
            out[x] = YuvToRgb(data[qint64{row} * g.width + x], planeU[c], planeV[c]);
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
