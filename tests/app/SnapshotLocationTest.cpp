#include "SnapshotLocation.h"
#include "support/ScopedEnvironment.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kamsel::app {
namespace {

TEST(SnapshotLocationTest, BesideTheProgramWhereTheUserMayWriteElseInThePicturesFolder) {
    QTemporaryDir programFolder;
    ASSERT_TRUE(programFolder.isValid());
    EXPECT_EQ(SnapshotLocation::AppFolder(programFolder.path()), programFolder.path() + QLatin1Char('/'));
    EXPECT_EQ(SnapshotLocation::AppFolder(programFolder.path() + QLatin1Char('/')),
              programFolder.path() + QLatin1Char('/'));

    // A folder nobody can create files in (here: one that does not exist).
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_FALSE(pictures.isEmpty());
    EXPECT_EQ(SnapshotLocation::AppFolder(programFolder.path() + QStringLiteral("/missing")),
              pictures + QStringLiteral("/KamselDemo/"));

    // Without a home folder there is no pictures folder: not "/Pictures".
    const test::ScopedEnvironment noHome("HOME", nullptr);
    const test::ScopedEnvironment noConfig("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(SnapshotLocation::AppFolder(programFolder.path() + QStringLiteral("/missing")), QString());
}

} // namespace
} // namespace kamsel::app
