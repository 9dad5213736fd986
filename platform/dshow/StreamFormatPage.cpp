#include "StreamFormatPage.h"

#include "platform/media/FourCC.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace kamsel::dshow {

namespace {

constexpr double kUnitsPerSecond = 1e7;

void SetFrameInterval(AM_MEDIA_TYPE& type, REFERENCE_TIME interval) {
    if (!BitmapHeader(type))
        return;
    if (type.formattype == FORMAT_VideoInfo2)
        reinterpret_cast<VIDEOINFOHEADER2*>(type.pbFormat)->AvgTimePerFrame = interval;
    else
        reinterpret_cast<VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame = interval;
}

bool SameSize(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    const BITMAPINFOHEADER* x = BitmapHeader(a);
    const BITMAPINFOHEADER* y = BitmapHeader(b);
    return x && y && x->biWidth == y->biWidth && x->biHeight == y->biHeight;
}

} // namespace

QString SubtypeName(const GUID& subtype) {
    if (subtype == MEDIASUBTYPE_RGB24)
        return QStringLiteral("RGB24");
    if (!IsFourCCSubtype(subtype))
        return QStringLiteral("?");
    return QString::fromStdString(media::FourCCText(subtype.Data1));
}

StreamFormatPage::StreamFormatPage(com::ComPtr<IAMStreamConfig> config)
    : config_(std::move(config)), format_(new QComboBox(this)), size_(new QComboBox(this)),
      rate_(new QComboBox(this)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("StreamFormatPage"));
    format_->setObjectName(QStringLiteral("Format"));
    size_->setObjectName(QStringLiteral("Size"));
    rate_->setObjectName(QStringLiteral("Rate"));
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Pixel format"), format_);
    layout->addRow(tr("Frame size"), size_);
    layout->addRow(tr("Frame rate"), rate_);
    layout->addRow(status_);

    ReadCapabilities();
    AM_MEDIA_TYPE* currentType = nullptr;
    config_->GetFormat(&currentType);
    const MediaTypePtr current(currentType);
    FillFormats(current.get());
    FillSizes(current.get());
    FillRates(current.get());
    connect(format_, &QComboBox::currentIndexChanged, this, [this] {
        FillSizes(nullptr);
        FillRates(nullptr);
    });
    connect(size_, &QComboBox::currentIndexChanged, this, [this] { FillRates(nullptr); });
}

void StreamFormatPage::ReadCapabilities() {
    int count = 0;
    int size = 0;
    if (FAILED(config_->GetNumberOfCapabilities(&count, &size)) ||
        size < static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)))
        return;
    for (int index = 0; index < count; ++index) {
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        if (config_->GetStreamCaps(index, &type, reinterpret_cast<BYTE*>(&caps)) != S_OK)
            continue;
        const MediaTypePtr owned(type);
        if (BitmapHeader(*owned))
            capabilities_.push_back({MediaType(*owned), caps});
    }
}

void StreamFormatPage::FillFormats(const AM_MEDIA_TYPE* current) {
    for (const Capability& capability : capabilities_)
        if (std::find(subtypes_.begin(), subtypes_.end(), capability.type->subtype) == subtypes_.end()) {
            subtypes_.push_back(capability.type->subtype);
            format_->addItem(SubtypeName(capability.type->subtype));
            if (current && current->subtype == capability.type->subtype)
                format_->setCurrentIndex(format_->count() - 1);
        }
}

void StreamFormatPage::FillSizes(const AM_MEDIA_TYPE* current) {
    const QSignalBlocker quiet(size_);
    size_->clear();
    const int chosen = format_->currentIndex();
    if (chosen < 0)
        return;
    for (std::size_t i = 0; i < capabilities_.size(); ++i) {
        const AM_MEDIA_TYPE& type = capabilities_[i].type.Get();
        if (type.subtype != subtypes_[static_cast<std::size_t>(chosen)])
            continue;
        const SIZE size = capabilities_[i].caps.InputSize;
        size_->addItem(QStringLiteral("%1 x %2").arg(size.cx).arg(size.cy), static_cast<qulonglong>(i));
        if (current && current->subtype == type.subtype && SameSize(*current, type))
            size_->setCurrentIndex(size_->count() - 1);
    }
}

void StreamFormatPage::FillRates(const AM_MEDIA_TYPE* current) {
    rate_->clear();
    if (size_->currentIndex() < 0)
        return;
    const Capability& capability = capabilities_[size_->currentData().toULongLong()];
    const LONGLONG fastest = capability.caps.MinFrameInterval;
    const LONGLONG slowest = capability.caps.MaxFrameInterval;
    std::vector<LONGLONG> intervals{FrameIntervalOf(capability.type.Get())};
    for (const double rate : {60.0, 30.0, 25.0, 24.0, 20.0, 15.0, 10.0, 5.0}) {
        const auto interval = static_cast<LONGLONG>(std::llround(kUnitsPerSecond / rate));
        if (interval >= fastest && interval <= slowest)
            intervals.push_back(interval);
    }
    if (current && FrameIntervalOf(*current) > 0)
        intervals.push_back(FrameIntervalOf(*current));
    std::sort(intervals.begin(), intervals.end());
    intervals.erase(std::unique(intervals.begin(), intervals.end()), intervals.end());
    for (const LONGLONG interval : intervals) {
        if (interval <= 0)
            continue;
        rate_->addItem(
            QStringLiteral("%1 fps").arg(kUnitsPerSecond / static_cast<double>(interval), 0, 'f', 2),
            static_cast<qlonglong>(interval));
        const LONGLONG wanted = current ? FrameIntervalOf(*current) : FrameIntervalOf(capability.type.Get());
        if (interval == wanted)
            rate_->setCurrentIndex(rate_->count() - 1);
    }
}

HRESULT StreamFormatPage::Apply() {
    if (size_->currentIndex() < 0)
        return S_FALSE;
    MediaType type = capabilities_[size_->currentData().toULongLong()].type;
    if (rate_->currentIndex() >= 0)
        SetFrameInterval(type.Get(), rate_->currentData().toLongLong());
    const HRESULT hr = config_->SetFormat(&type.Get());
    status_->setText(SUCCEEDED(hr) ? QString()
                                   : tr("The device did not take this format (error 0x%1)")
                                         .arg(QString::number(static_cast<quint32>(hr), 16).toUpper()));
    return hr;
}

} // namespace kamsel::dshow
