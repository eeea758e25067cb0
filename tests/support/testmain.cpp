#include "browser/Program.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Every test runs headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Caches (the search index), the text kept for recovery, the trash and
    // the user's word list go to folders of the run's own.
    // (A test that runs a test of this program in a process of its own gives
    // it its own folders.)
    QTemporaryDir cache;
    if (!qEnvironmentVariableIsSet("CHICHOTEK_TEST_CHILD")) {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path() + QStringLiteral("/cache")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(cache.path() + QStringLiteral("/state")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(cache.path() + QStringLiteral("/data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(cache.path() + QStringLiteral("/config")));
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    setupApplication(app);
    return RUN_ALL_TESTS();
}
