#include "TAboutBox.h"
#include "ProgramIcons.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace kamsel::app {
namespace {

TEST(TAboutBoxTest, FixedDialogWithItsTextsAndWrappedCommentsInsideThePanel) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(box.minimumSize(), QSize(329, 223));
    EXPECT_EQ(box.maximumSize(), QSize(329, 223));
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.ProductName->text(), QStringLiteral("KamselDemo"));
    EXPECT_EQ(box.ProductName->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(box.ProductName->font().pixelSize(), 19);
    EXPECT_EQ(box.Version->text(), QStringLiteral("Version 3.1"));
    EXPECT_TRUE(box.OKButton->isDefault());

    const QString comments = box.Comments->text();
    EXPECT_TRUE(comments.startsWith(QStringLiteral("How to use Kamsel to access video sources like Web-Cams "
                                                   "via DirectShow. Based on Microsoft DirectX samples.")));
    EXPECT_TRUE(box.Comments->wordWrap());
    EXPECT_EQ(box.Comments->width(), 313 - 2 * 8);
    // Every line fits: the label is as tall as its wrapped text needs, and
    // stays inside the panel.
    EXPECT_GE(box.Comments->height(), box.Comments->heightForWidth(297));
    EXPECT_TRUE(box.Panel1->contentsRect().contains(box.Comments->geometry()));
    EXPECT_TRUE(box.Panel1->contentsRect().contains(box.Attribution->geometry()));
}

TEST(ProgramIconsTest, TwoDifferentOpaque48PixelPictures) {
    const QImage main = ProgramIcons::MainIcon();
    const QImage about = ProgramIcons::AboutIcon();
    for (const QImage& icon : {main, about}) {
        EXPECT_EQ(icon.size(), QSize(48, 48));
        EXPECT_EQ(icon.depth(), 24);
        EXPECT_FALSE(icon.hasAlphaChannel());
    }
    EXPECT_NE(main, about);
}

} // namespace
} // namespace kamsel::app
