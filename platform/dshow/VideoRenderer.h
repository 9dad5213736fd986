#pragma once
// The default video renderer (CLSID_VideoRenderer), which the capture graph
// builder puts at the end of a stream that has no sink: it shows the frames
// in a window of its own, controlled through IVideoWindow. With an owner and
// the WS_CHILD style the window is a child of the owner's window; otherwise it
// is a window of its own, owned by the owner.
//
// Threads: IVideoWindow and the widget on the user-interface thread. Samples
// arrive on the streaming thread, are turned into pictures there and are
// handed to the user-interface thread through relay_, a helper object that
// lives as long as the renderer (which outlives its stream: the stream's pins
// hold it), so a picture never reaches a renderer that has gone.

#include "FilterBase.h"
#include "GraphInterfaces.h"
#include "InputPin.h"
#include "VideoRendererWidget.h"
#include "platform/system/QueuedHandOff.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace kamsel::dshow {

class VideoRenderer final : public FilterBase<IVideoWindow>, private InputPinOwner {
  public:
    VideoRenderer();

    HRESULT put_WindowStyle(LONG style) override;
    HRESULT get_WindowStyle(LONG* style) override;
    HRESULT put_Visible(LONG visible) override;
    HRESULT get_Visible(LONG* visible) override;
    HRESULT put_Owner(OAHWND owner) override;
    HRESULT get_Owner(OAHWND* owner) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;

    // The window (made again if its owner took it down with itself).
    VideoRendererWidget& Window();

  private:
    ~VideoRenderer() override;

    std::vector<com::ComPtr<IPin>> Pins() override { return {com::ComPtr<IPin>(&input_)}; }
    HRESULT CheckInputType(const AM_MEDIA_TYPE& type) override;
    HRESULT ReceiveSample(IMediaSample& sample) override;
    bool Stopped() const override { return State() == State_Stopped; }
    void PlaceWindow();

    InputPin input_;
    std::unique_ptr<QObject> relay_;
    // Orders each picture's making on the streaming thread before its showing
    // on the user-interface thread, for the race detector.
    system::QueuedHandOff handOff_;
    QPointer<VideoRendererWidget> window_;
    OAHWND owner_;
    LONG style_ = 0;
};

} // namespace kamsel::dshow
