#include <QApplication>
#include <QLabel>
#include <QMainWindow>

// Start-up. For now the window is a placeholder; the camera panes come with
// the pane and main-window work.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KamselDemo"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KamselDemo"));
    auto* label = new QLabel(QStringLiteral("KamselDemo: camera panes are not built yet."), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(800, 480);
    window.show();
    return QApplication::exec();
}
