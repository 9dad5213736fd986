#pragma once
// Media type records and the video format blocks they carry, with the
// framework's layouts, and the helpers that own them.
//
// Ownership: a media type handed out through an out parameter
// (AM_MEDIA_TYPE**) is task memory with its format block in task memory too;
// the receiver frees both with DeleteMediaType. A record filled in place
// (AM_MEDIA_TYPE&) owns its format block; FreeMediaType frees that.

#include "Uuids.h"
#include "WinTypes.h"

#include <memory>

namespace kamsel::dshow {

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    com::IUnknown* pUnk; // unused, always null here
    ULONG cbFormat;
    BYTE* pbFormat; // cbFormat bytes of task memory, or null
};

// Compression value of uncompressed RGB.
constexpr DWORD BI_RGB = 0;

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; // positive: rows bottom-up; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression; // BI_RGB or the FourCC
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88);

struct VIDEOINFOHEADER2 {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    DWORD dwInterlaceFlags;
    DWORD dwCopyProtectFlags;
    DWORD dwPictAspectRatioX;
    DWORD dwPictAspectRatioY;
    DWORD dwControlFlags;
    DWORD dwReserved2;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER2) == 112);

struct VIDEO_STREAM_CONFIG_CAPS {
    GUID guid; // format type
    ULONG VideoStandard;
    SIZE InputSize;
    SIZE MinCroppingSize;
    SIZE MaxCroppingSize;
    int CropGranularityX;
    int CropGranularityY;
    int CropAlignX;
    int CropAlignY;
    SIZE MinOutputSize;
    SIZE MaxOutputSize;
    int OutputGranularityX;
    int OutputGranularityY;
    int StretchTapsX;
    int StretchTapsY;
    int ShrinkTapsX;
    int ShrinkTapsY;
    LONGLONG MinFrameInterval;
    LONGLONG MaxFrameInterval;
    LONG MinBitsPerSecond;
    LONG MaxBitsPerSecond;
};
static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == 128);

// Frees the format block (and the pUnk reference) and zeroes them; the record
// itself stays.
void FreeMediaType(AM_MEDIA_TYPE& type);
// FreeMediaType, then frees the record; null does nothing.
void DeleteMediaType(AM_MEDIA_TYPE* type);
// Deep copy of source into target (target's own block is not freed first).
// E_OUTOFMEMORY leaves target without a format block.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
// A task-memory deep copy of source, for an out parameter; null when out of memory.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);

struct MediaTypeDeleter {
    void operator()(AM_MEDIA_TYPE* type) const { DeleteMediaType(type); }
};
// A media type received through an out parameter, freed when it goes.
using MediaTypePtr = std::unique_ptr<AM_MEDIA_TYPE, MediaTypeDeleter>;

// The format block as a video header when the type carries FORMAT_VideoInfo
// with a block of at least sizeof(VIDEOINFOHEADER) bytes; otherwise null.
const VIDEOINFOHEADER* VideoInfo(const AM_MEDIA_TYPE& type);
// The bitmap header of a FORMAT_VideoInfo or FORMAT_VideoInfo2 type with a
// block large enough; otherwise null.
const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type);
// The frame interval (AvgTimePerFrame) of a FORMAT_VideoInfo or
// FORMAT_VideoInfo2 type with a block large enough; otherwise 0.
REFERENCE_TIME FrameIntervalOf(const AM_MEDIA_TYPE& type);
// The number of rows a header's biHeight stands for, whichever way they run;
// the most negative value, which has no magnitude, gives the largest.
LONG HeightMagnitude(LONG biHeight);

// Whether offered matches the pattern: every GUID of pattern that is not
// GUID_NULL must be equal (a partial type leaves fields GUID_NULL).
bool MatchesPartialType(const AM_MEDIA_TYPE& offered, const AM_MEDIA_TYPE& pattern);

} // namespace kamsel::dshow
