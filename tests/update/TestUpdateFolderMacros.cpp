#include "mock/FakeFolders.h"
#include "update/FolderMacros.h"

#include <QTest>

class TestUpdateFolderMacros final : public QObject
{
    Q_OBJECT

private:
    FakeFolders m_folders;

private slots:
    void initTestCase()
    {
        m_folders.currentFolder = "/";
        m_folders.tempFolder = "/tmp/user";
        m_folders.documentsFolder = "/home/user/Documents/";
    }

    void normalize_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("root") << "/"
                              << "/.";
        QTest::newRow("plain") << "/home/user"
                               << "/home/user/.";
        QTest::newRow("trailing separator") << "/home/user/"
                                            << "/home/user/.";
        QTest::newRow("drive folder") << "C:/Program Files/"
                                      << "C:/Program Files";
        QTest::newRow("drive root") << "C:/"
                                    << "C:/.";
    }

    void normalize()
    {
        QFETCH(QString, folder);
        QFETCH(QString, normalized);
        QCOMPARE(NormalizeFolder(folder), normalized);
    }

    void folderForMacro_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("APP") << "APP"
                             << "/.";
        QTest::newRow("TMP") << "TMP"
                             << "/tmp/user/.";
        QTest::newRow("DOC") << "DOC"
                             << "/home/user/Documents/.";
        QTest::newRow("WIN names no folder here") << "WIN"
                                                  << "";
        QTest::newRow("SYS") << "SYS"
                             << "";
        QTest::newRow("PF") << "PF"
                            << "";
        QTest::newRow("unknown") << "XYZ"
                                 << "";
    }

    void folderForMacro()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QCOMPARE(FolderForMacro(name, m_folders), folder);
    }

    void expand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("APP on a root folder") << "{APP}/file.exe"
                                              << "/./file.exe";
        QTest::newRow("lower case name") << "{tmp}/a"
                                         << "/tmp/user/./a";
        QTest::newRow("two macros") << "{TMP}|{DOC}"
                                    << "/tmp/user/.|/home/user/Documents/.";
        QTest::newRow("unknown macro stays") << "{XYZ}/a"
                                             << "{XYZ}/a";
        QTest::newRow("unknown then known") << "{XYZ}{TMP}"
                                            << "{XYZ}/tmp/user/.";
        QTest::newRow("no folder stays") << "{WIN}/a"
                                         << "{WIN}/a";
        QTest::newRow("nested braces") << "{{TMP}}"
                                       << "{{TMP}}";
        QTest::newRow("brace in name") << "{X{TMP}"
                                       << "{X{TMP}";
        QTest::newRow("unclosed") << "a{TMP"
                                  << "a{TMP";
        QTest::newRow("stray close") << "a}{TMP}"
                                     << "a}/tmp/user/.";
        QTest::newRow("no macro") << "http://h/x.inf"
                                  << "http://h/x.inf";
    }

    void expand()
    {
        QFETCH(QString, text);
        QFETCH(QString, expanded);
        QCOMPARE(ExpandFolderMacros(text, m_folders), expanded);
    }

    void folderNameIsNeverExpandedAgain()
    {
        // A folder whose own name holds a macro is literal text: no second expansion, no endless loop.
        FakeFolders odd;
        odd.tempFolder = "/tmp/{TMP}";
        QCOMPARE(ExpandFolderMacros("{TMP}/x", odd), QStringLiteral("/tmp/{TMP}/./x"));
    }
};

QTEST_GUILESS_MAIN(TestUpdateFolderMacros)
#include "TestUpdateFolderMacros.moc"
