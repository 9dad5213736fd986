#include "VideoRenderer.h"

#include "FrameImage.h"

namespace kamsel::dshow {

VideoRenderer::VideoRenderer()
    : FilterBase(CLSID_VideoRenderer), input_(*this, *this, u"Input"), relay_(std::make_unique<QObject>()) {}

VideoRenderer::~VideoRenderer() {
    delete window_.data();
}

VideoRendererWidget& VideoRenderer::Window() {
    if (!window_) {
        window_ = new VideoRendererWidget();
        PlaceWindow();
    }
    return *window_;
}

void VideoRenderer::PlaceWindow() {
    VideoRendererWidget& window = Window();
    const bool shown = !window.isHidden();
    const bool child = owner_ && (style_ & WS_CHILD) != 0;
    window.setParent(owner_.Widget(), child ? Qt::Widget : Qt::Window);
    if (shown)
        window.show();
}

HRESULT VideoRenderer::put_WindowStyle(LONG style) {
    style_ = style;
    PlaceWindow();
    return S_OK;
}

HRESULT VideoRenderer::get_WindowStyle(LONG* style) {
    if (!style)
        return E_POINTER;
    *style = style_;
    return S_OK;
}

HRESULT VideoRenderer::put_Visible(LONG visible) {
    if (visible != OATRUE && visible != OAFALSE)
        return E_INVALIDARG;
    Window().setVisible(visible == OATRUE);
    return S_OK;
}

HRESULT VideoRenderer::get_Visible(LONG* visible) {
    if (!visible)
        return E_POINTER;
    *visible = Window().isHidden() ? OAFALSE : OATRUE;
    return S_OK;
}

HRESULT VideoRenderer::put_Owner(OAHWND owner) {
    owner_ = owner;
    PlaceWindow();
    return S_OK;
}

HRESULT VideoRenderer::get_Owner(OAHWND* owner) {
    if (!owner)
        return E_POINTER;
    *owner = owner_;
    return S_OK;
}

HRESULT VideoRenderer::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    if (width < 0 || height < 0)
        return E_INVALIDARG;
    Window().setGeometry(left, top, width, height);
    return S_OK;
}

HRESULT VideoRenderer::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    const QRect geometry = Window().geometry();
    *left = geometry.left();
    *top = geometry.top();
    *width = geometry.width();
    *height = geometry.height();
    return S_OK;
}

HRESULT VideoRenderer::CheckInputType(const AM_MEDIA_TYPE& type) {
    return CanShowFrames(type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT VideoRenderer::ReceiveSample(IMediaSample& sample) {
    BYTE* data = nullptr;
    if (FAILED(sample.GetPointer(&data)))
        return S_OK;
    // The connection's type cannot change while samples flow.
    QImage picture = FrameImage(input_.ConnectedType().Get(), data, sample.GetActualDataLength());
    if (picture.isNull())
        return S_OK;
    handOff_.Publish();
    QMetaObject::invokeMethod(
        relay_.get(),
        [this, picture = std::move(picture)]() mutable {
            handOff_.Receive();
            if (window_)
                window_->ShowFrame(std::move(picture));
        },
        Qt::QueuedConnection);
    return S_OK;
}

} // namespace kamsel::dshow
