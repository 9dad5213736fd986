#pragma once
// The preview window of the video renderer: shows the newest frame scaled to
// the window. User-interface thread.

#include <QImage>
#include <QWidget>

namespace kamsel::dshow {

class VideoRendererWidget final : public QWidget {
  public:
    VideoRendererWidget();

    void ShowFrame(QImage frame);
    const QImage& Frame() const { return frame_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage frame_;
};

} // namespace kamsel::dshow
