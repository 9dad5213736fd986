// File > "Open snapshot folder" without a desktop: the folder is made and its
// address handed on; each failure is told with the folder and the reason.

#include "SnapshotFolderOpener.h"
#include "TForm_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace kamsel::app {
namespace {

TEST(SnapshotFolderOpenerTest, MakesTheSpyFolderAndHandsItsAddressToTheDesktop) {
    const QTemporaryDir app;
    QList<QUrl> opened;
    const SnapshotFolderOpener opener(app.path() + QLatin1Char('/'), [&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    EXPECT_EQ(opener.Open(), QString());
    EXPECT_TRUE(QDir(app.filePath(QStringLiteral("Spy"))).exists());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.front(), QUrl::fromLocalFile(app.path() + QStringLiteral("/Spy/")));
    // A second time the folder is there already.
    EXPECT_EQ(opener.Open(), QString());
    EXPECT_EQ(opened.size(), 2);
}

TEST(SnapshotFolderOpenerTest, FailuresNameTheFolderAndTheReason) {
    const QTemporaryDir app;
    const QString folder = app.path() + QStringLiteral("/Spy/");
    bool asked = false;
    auto nothingOpens = [&](const QUrl&) { return asked = true, false; };
    QString failure = SnapshotFolderOpener(app.path() + QLatin1Char('/'), nothingOpens).Open();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(failure.contains(folder)) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("no program"))) << failure.toStdString();

    // A file where the program's folder should be: the folder cannot be made,
    // and the desktop is not asked.
    QFile file(app.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    asked = false;
    failure = SnapshotFolderOpener(file.fileName() + QLatin1Char('/'), nothingOpens).Open();
    EXPECT_FALSE(asked);
    EXPECT_TRUE(failure.contains(file.fileName() + QStringLiteral("/Spy/"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("Not a directory"))) << failure.toStdString();

    EXPECT_FALSE(SnapshotFolderOpener(QString(), nothingOpens).Open().isEmpty());
    EXPECT_FALSE(asked);
}

TEST(SnapshotFolderOpenerTest, TheFileMenuOffersItBeforeQuit) {
    TForm_Main form;
    const QList<QAction*> actions = form.File1->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0], form.OpenSnapshotFolder1);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Open snapshot folder"));
    EXPECT_EQ(actions[1], form.Quit1);
}

} // namespace
} // namespace kamsel::app
