#include "TVideoFormat.h"

#include <QByteArray>

#include <algorithm>

namespace kamsel::capture {

QString TVideoFormat::Text() const {
    QByteArray letters;
    for (int i = 0; i < 4; ++i) {
        const char letter = static_cast<char>((FourCC >> (8 * i)) & 0xFFu);
        if (letter == '\0')
            break;
        letters += letter;
    }
    return QStringLiteral("%1*%2  (%3)")
        .arg(QString::number(Width), QString::number(Height), QString::fromLatin1(letters));
}

std::uint32_t FourCCOfSubtype(const com::GUID& subtype) {
    constexpr std::uint32_t kRgbBlank = 'R' | 'G' << 8 | 'B' << 16 | ' ' << 24;
    return subtype == dshow::MEDIASUBTYPE_RGB24 ? kRgbBlank : subtype.Data1;
}

void SortVideoFormats(std::vector<TVideoFormat>& formats) {
    std::stable_sort(formats.begin(), formats.end(), [](const TVideoFormat& a, const TVideoFormat& b) {
        return a.Width != b.Width ? a.Width < b.Width : a.Height < b.Height;
    });
}

} // namespace kamsel::capture
