#include "lists/FileLocations.h"
#include "mock/FakeFolders.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A program folder, a working folder, a documents folder and a configuration folder (not made
// yet, as on a first run), each a real folder under one temporary one.
struct Places
{
    QTemporaryDir root;
    FakeFolders folders;

    explicit Places(bool installed)
    {
        for (const char* name : {"bin", "work", "Documents", "elsewhere"})
            QDir(root.path()).mkdir(name);
        folders.programFolder = path("bin");
        folders.currentFolder = path("work");
        folders.documentsFolder = path("Documents");
        folders.configurationFolder = path("config/vorlix");
        if (installed)
            folders.readOnlyFolders << folders.programFolder;
    }
    QString path(const QString& name) const { return root.filePath(name); }
};
} // namespace

class TestFileLocations final : public QObject
{
    Q_OBJECT

private slots:
    void programFolderDecidesWhereTheStateFileLives()
    {
        const Places portable(false);
        QVERIFY(!FileLocations(portable.folders).installed());
        QCOMPARE(FileLocations(portable.folders).stateFolder(), portable.path("work"));

        const Places installed(true);
        QVERIFY(FileLocations(installed.folders).installed());
        QCOMPARE(FileLocations(installed.folders).stateFolder(), installed.path("config/vorlix"));
    }

    void portableDialogsStartInTheCurrentFolderAndRememberNothing()
    {
        Places places(false);
        FileLocations locations(places.folders);
        locations.rememberDialogFolder(places.path("elsewhere/a.bcl"));
        QCOMPARE(locations.dialogFolder(), places.path("work"));
        places.folders.currentFolder = places.path("elsewhere"); // the folder of the moment
        QCOMPARE(locations.dialogFolder(), places.path("elsewhere"));
        QVERIFY(!QFileInfo::exists(places.path("config")));
    }

    void installedDialogsStartInTheDocumentsThenInTheFolderLastUsed()
    {
        Places places(true);
        QCOMPARE(FileLocations(places.folders).dialogFolder(), places.path("Documents"));
        FileLocations(places.folders).rememberDialogFolder(places.path("elsewhere/a.bcl"));
        // A later dialog, and the next run, start there.
        QCOMPARE(FileLocations(places.folders).dialogFolder(), places.path("elsewhere"));
        // A folder gone since is no place to start.
        QVERIFY(QDir(places.path("elsewhere")).removeRecursively());
        QCOMPARE(FileLocations(places.folders).dialogFolder(), places.path("Documents"));
    }
};

QTEST_GUILESS_MAIN(TestFileLocations)
#include "TestFileLocations.moc"
