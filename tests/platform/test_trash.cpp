// Deleting to the desktop's trash is all or nothing: each file goes with its
// record (which file managers restore it from), and when one cannot go (a
// full disk), those moved before come back.

#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

namespace {

// A folder of files to delete and a data folder (with the trash) of its own.
class Trash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldData = qgetenv("XDG_DATA_HOME");
        root = m_dir.path();
    }
    void TearDown() override
    {
        platform::testing::failTrashRecordsAfter(-1);
        qputenv("XDG_DATA_HOME", m_oldData);
        if (m_mounted)
            ::umount2(QFile::encodeName(root).constData(), MNT_DETACH);
    }
    // The library's files, each holding its own name.
    QStringList makeFiles(int count) const
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + u"/data"_qs));
        QDir().mkpath(root + u"/DataBase/Zoo"_qs);
        QStringList files;
        for (int i = 0; i < count; ++i) {
            const QString file = root + QStringLiteral("/DataBase/Zoo/Vtip %1.vti").arg(i);
            QFile f(file);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QFile::encodeName(file));
            files << file;
        }
        return files;
    }
    QStringList inTrash(const char *part) const
    {
        return QDir(root + u"/data/Trash/"_qs + QLatin1String(part))
            .entryList(QDir::Files | QDir::Hidden);
    }
    static QByteArray bytesOf(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool mountSmallDisk()
    {
        m_mounted = ::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(root).constData(),
                                                "tmpfs", 0, "size=256k") == 0;
        return m_mounted;
    }

    QTemporaryDir m_dir;
    QString root;
    QByteArray m_oldData;
    bool m_mounted = false;
};

TEST_F(Trash, EveryFileGoesWithItsRecordOrNoneDoes)
{
    const QStringList files = makeFiles(8);
    // The disk takes seven records, not the eighth.
    platform::testing::failTrashRecordsAfter(7);
    QString error;
    EXPECT_FALSE(platform::moveToTrash(files, &error));
    EXPECT_TRUE(error.contains(u"Vtip 7.vti"_qs) && error.contains(u"koše"_qs))
        << error.toStdString();
    for (const QString &file : files)
        EXPECT_EQ(bytesOf(file), QFile::encodeName(file)) << file.toStdString();
    EXPECT_TRUE(inTrash("files").isEmpty());
    EXPECT_TRUE(inTrash("info").isEmpty());

    // With room, each goes, and its record says where it came from.
    platform::testing::failTrashRecordsAfter(-1);
    ASSERT_TRUE(platform::moveToTrash(files, &error)) << error.toStdString();
    for (const QString &file : files) {
        EXPECT_FALSE(QFileInfo::exists(file));
        const QString name = QFileInfo(file).fileName();
        EXPECT_EQ(bytesOf(root + u"/data/Trash/files/"_qs + name), QFile::encodeName(file));
        const QByteArray record = bytesOf(root + u"/data/Trash/info/"_qs + name + u".trashinfo"_qs);
        EXPECT_TRUE(record.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(file, "/") +
                                      "\nDeletionDate=20"))
            << record.data();
    }
    // A name the trash has already gets another.
    makeFiles(1);
    ASSERT_TRUE(platform::moveToTrash({files[0]}));
    EXPECT_TRUE(inTrash("files").contains(u"Vtip 0.vti.2"_qs));
}

// A really full disk: the records cannot be written, so nothing moves.
TEST_F(Trash, AFullDiskMovesNothingAndLeavesNoEmptyRecord)
{
    if (!mountSmallDisk())
        GTEST_SKIP() << "no small file system can be mounted here";
    const QStringList files = makeFiles(8);
    QDir().mkpath(root + u"/data/Trash/files"_qs);
    QDir().mkpath(root + u"/data/Trash/info"_qs);
    QFile filler(root + u"/filler"_qs);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
    QString error;
    EXPECT_FALSE(platform::moveToTrash(files, &error));
    for (const QString &file : files)
        EXPECT_EQ(bytesOf(file), QFile::encodeName(file)) << file.toStdString();
    EXPECT_TRUE(inTrash("files").isEmpty());
    EXPECT_TRUE(inTrash("info").isEmpty()) << inTrash("info").join(u' ').toStdString();
}

} // namespace
