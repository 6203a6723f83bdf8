#include "updater/FolderMacros.h"

#include <QTest>

using namespace updater;

class TestFolderMacros final : public QObject
{
    Q_OBJECT

private slots:
    void expand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("application folder") << "{APP}/fonts"
                                            << "/opt/app/./fonts";
        QTest::newRow("any letter case") << "{tmp}"
                                         << "/tmp/x/.";
        QTest::newRow("no Windows folder on Linux stays") << "{WIN}/Fonts"
                                                          << "{WIN}/Fonts";
        QTest::newRow("unknown name stays") << "{XYZ}/a{APP}"
                                            << "{XYZ}/a/opt/app/.";
        QTest::newRow("brace inside a candidate is text") << "{a{APP}b"
                                                          << "{a{APP}b";
        QTest::newRow("unclosed") << "{APP"
                                  << "{APP";
        QTest::newRow("an empty folder names none") << "{PF}/x"
                                                    << "{PF}/x";
        QTest::newRow("a folder holding a macro is not expanded again") << "{SYS}"
                                                                        << "/s/{SYS}/.";
    }

    void expand()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        FolderMacros folders;
        folders.current = "/opt/app";
        folders.temp = "/tmp/x/";
        folders.system = "/s/{SYS}";
        QCOMPARE(QString::fromStdString(folders.ExpandFolderMacros(text.toStdString())), expected);
    }
};

QTEST_GUILESS_MAIN(TestFolderMacros)
#include "TestFolderMacros.moc"
