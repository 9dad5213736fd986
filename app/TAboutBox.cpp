#include "TAboutBox.h"

#include "ProgramIcons.h"
#include "ProgramInfo.h"
#include "pane/DesignFont.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace kamsel::app {

namespace {

QLabel* MakeLabel(const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QString CommentText() {
    return QStringLiteral("How to use Kamsel to access video sources like Web-Cams via DirectShow. "
                          "Based on Microsoft DirectX samples. "
                          "On Linux the DirectShow calls are answered by a capture layer over V4L2 "
                          "and virtual cameras.");
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
    setFont(pane::DesignFont());
    // The box belongs to the run, not to a window the user closes: closing
    // the main window must end the program even while the box is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 313, 169);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, 65, 57);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(QPixmap::fromImage(ProgramIcons::AboutIcon()));

    ProductName = MakeLabel(QString::fromLatin1(kProgramName), Panel1, 88, 16);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont nameFont(QStringLiteral("Arial"));
    nameFont.setPixelSize(19);
    ProductName->setFont(nameFont);
    ProductName->adjustSize();

    Version = MakeLabel(QStringLiteral("Version ") + QString::fromLatin1(kShortVersion), Panel1, 88, 48);
    Version->setObjectName(QStringLiteral("Version"));
    Attribution = MakeLabel(QStringLiteral("Written by the KamselDemo developers"), Panel1, 8, 72);
    Attribution->setObjectName(QStringLiteral("Attribution"));
    Comments = MakeLabel(QString(), Panel1, 8, 96);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(127, 188, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });

    FormCreate();
}

void TAboutBox::FormCreate() {
    // The width is set before the text, so the label wraps within the panel
    // from the start, and again after it, as setting a text may resize a label.
    SetCommentsWidth();
    Comments->setText(CommentText());
    SetCommentsWidth();
}

void TAboutBox::SetCommentsWidth() {
    const int width = Panel1->width() - 2 * Comments->x();
    Comments->resize(width, Comments->heightForWidth(width));
}

void TAboutBox::OKButtonClick() {
    hide();
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
    QDialog::showEvent(event);
}

} // namespace kamsel::app
