// A file changed on disk by someone else (a sync tool, the program on another
// computer) is never replaced unseen: every way such a tool changes a file is
// seen, and a write given the version the program read fails, keeping the
// other's bytes. Lists take one change of the user's to what the file holds
// now.

#include "store/files.h"
#include "support/synctool.h"
#include "support/testfolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace store;

namespace {

class Versions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.makeProgramFolder();
        folder.makeLibrary(u"Zoo"_qs, {u"Slon"_qs, u"Opice"_qs}, 1);
    }
    QByteArray list() const { return folder.read(u"DataBase/Zoo/Vtipy.sez"_qs); }

    TestFolder folder;
    SyncTool sync{folder.path()};
};

TEST_F(Versions, EveryWayAToolChangesAFileIsSeenAndItsBytesStay)
{
    const DbPath path = DbPath::jokeList(u"Zoo"_qs);
    const QByteArray ours = ansi(u"Slon⏎Opice⏎"_qs);
    // The other computer's version is as long as ours, and each tool may
    // give it the old file's time.
    const QByteArray theirs = ansi(u"Opice⏎Slon⏎"_qs);
    const std::pair<const char *, std::function<void()>> changes[] = {
        {"renamed over, times kept",
         [&] { sync.replace(u"DataBase/Zoo/Vtipy.sez"_qs, theirs, true); }},
        {"overwritten in place, times kept",
         [&] { sync.overwrite(u"DataBase/Zoo/Vtipy.sez"_qs, theirs, true); }},
        {"renamed over", [&] { sync.replace(u"DataBase/Zoo/Vtipy.sez"_qs, theirs); }},
        {"deleted", [&] { sync.remove(u"DataBase/Zoo/Vtipy.sez"_qs); }},
    };
    for (const auto &[how, change] : changes) {
        SCOPED_TRACE(how);
        folder.write(u"DataBase/Zoo/Vtipy.sez"_qs, ours);
        FileVersion seen;
        ASSERT_TRUE(readList(path, nullptr, &seen));
        EXPECT_FALSE(changedSince(path, seen));
        change();
        const QByteArray onDisk = list();
        EXPECT_TRUE(changedSince(path, seen));
        QString error;
        EXPECT_FALSE(writeList(path, {u"Slon"_qs, u"Opice"_qs, u"Žirafa"_qs}, &error, &seen));
        EXPECT_TRUE(error.contains(u"mezitím změnil"_qs)) << error.toStdString();
        EXPECT_EQ(list(), onDisk);
        EXPECT_FALSE(deleteFile(path, nullptr, &seen));
        EXPECT_EQ(list(), onDisk);
    }

    // The same bytes written again (a sync tool's touch, a chmod) are no
    // other version; a file that came where none was is.
    folder.write(u"DataBase/Zoo/Vtipy.sez"_qs, ours);
    FileVersion seen;
    ASSERT_TRUE(readList(path, nullptr, &seen));
    sync.replace(u"DataBase/Zoo/Vtipy.sez"_qs, ours);
    ::chmod(QFile::encodeName(folder.absolute(u"DataBase/Zoo/Vtipy.sez"_qs)).constData(), 0600);
    EXPECT_FALSE(changedSince(path, seen));
    EXPECT_TRUE(writeList(path, {u"Slon"_qs}, nullptr, &seen));
    EXPECT_FALSE(changedSince(path, seen)) << "what the program wrote is the version it holds";

    const DbPath joke = DbPath::jokeFile(u"Zoo"_qs, u"Opice"_qs);
    FileVersion none;
    EXPECT_FALSE(readBytes(joke, kJokeLimit, nullptr, &none));
    EXPECT_EQ(none.state(), FileVersion::State::Missing);
    sync.add(u"DataBase/Zoo/opice.vti"_qs, "{\\rtf1 z druheho pocitace}");
    EXPECT_TRUE(changedSince(joke, none));
    EXPECT_FALSE(writeBytes(joke, "{\\rtf1 muj}", nullptr, &none));
    EXPECT_EQ(folder.read(u"DataBase/Zoo/opice.vti"_qs), QByteArray("{\\rtf1 z druheho pocitace}"));
}

// What could not be read is never written over, and a read-only file is
// neither replaced nor deleted (a rename would not ask).
TEST_F(Versions, ReadOnlyAndUnreadableFilesAreNeverWritten)
{
    const QString big = folder.absolute(u"DataBase/Zoo/Opice.vti"_qs);
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(70) << 20)); // sparse: 70 MB on no disk
    }
    const DbPath joke = DbPath::jokeFile(u"Zoo"_qs, u"Opice"_qs);
    FileVersion seen;
    QString error;
    EXPECT_FALSE(readBytes(joke, kJokeLimit, &error, &seen));
    EXPECT_TRUE(seen.isUnreadable());
    EXPECT_FALSE(writeBytes(joke, "{\\rtf1 nic}", &error, &seen));
    EXPECT_TRUE(error.contains(u"nepodařilo přečíst"_qs)) << error.toStdString();
    EXPECT_EQ(QFileInfo(big).size(), qint64(70) << 20);

    const QString listFile = folder.absolute(u"DataBase/seznam.dat"_qs);
    const QByteArray before = folder.read(u"DataBase/seznam.dat"_qs);
    ASSERT_EQ(::chmod(QFile::encodeName(listFile).constData(), 0444), 0);
    EXPECT_FALSE(writeList(DbPath::listFile(), {u"Jiný"_qs}, &error));
    EXPECT_TRUE(error.contains(u"jen pro čtení"_qs)) << error.toStdString();
    EXPECT_FALSE(deleteFile(DbPath::listFile()));
    EXPECT_EQ(folder.read(u"DataBase/seznam.dat"_qs), before);
    EXPECT_EQ(QFileInfo(listFile).permissions() & QFile::WriteOwner, 0);
}

// A list command changes the list as the file holds it now: what was added
// or removed from outside stays, a change whose entry is gone writes
// nothing, and a list deleted from outside is written anew from the copy.
TEST_F(Versions, ListsTakeTheUsersChangeOnTopOfWhatCameFromOutside)
{
    const DbPath path = DbPath::jokeList(u"Zoo"_qs);
    ListCopy copy;
    ASSERT_TRUE(readList(path, copy));
    const auto moveUp = [](const QString &name) {
        return [name](QStringList &entries) {
            const int at = int(entries.indexOf(name));
            if (at <= 0)
                return false;
            entries.move(at, at - 1);
            return true;
        };
    };
    sync.replace(u"DataBase/Zoo/Vtipy.sez"_qs, ansi(u"Slon⏎Opice⏎Sport⏎"_qs));
    bool reread = false;
    EXPECT_EQ(editList(path, copy, moveUp(u"Opice"_qs), nullptr, &reread), ListEdit::Written);
    EXPECT_TRUE(reread);
    EXPECT_EQ(list(), ansi(u"Opice⏎Slon⏎Sport⏎"_qs));
    EXPECT_EQ(copy.entries, (QStringList{u"Opice"_qs, u"Slon"_qs, u"Sport"_qs}));

    sync.overwrite(u"DataBase/Zoo/Vtipy.sez"_qs, ansi(u"Slon⏎Sport⏎"_qs));
    EXPECT_EQ(editList(path, copy, moveUp(u"Opice"_qs)), ListEdit::NotApplied);
    EXPECT_EQ(list(), ansi(u"Slon⏎Sport⏎"_qs));
    EXPECT_EQ(copy.entries, (QStringList{u"Slon"_qs, u"Sport"_qs}));

    sync.remove(u"DataBase/Zoo/Vtipy.sez"_qs);
    EXPECT_EQ(editList(path, copy, moveUp(u"Sport"_qs)), ListEdit::Written);
    EXPECT_EQ(list(), ansi(u"Sport⏎Slon⏎"_qs));
}

} // namespace
