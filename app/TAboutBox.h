#pragma once
// TAboutBox: the small fixed dialog that names the program and its version.
// Created hidden at start-up, right after the main window, it lives for the
// whole run and is only shown (not modal) and hidden again; "OK", Enter,
// Escape and the window's close button all hide it.
//
// Threads: user-interface thread only.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kamsel::app {

class TAboutBox : public QDialog {
  public:
    static constexpr int kClientWidth = 329;
    static constexpr int kClientHeight = 223;

    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Attribution;
    QLabel* Comments;
    QPushButton* OKButton;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    void OKButtonClick();
    void SetCommentsWidth();
};

} // namespace kamsel::app
