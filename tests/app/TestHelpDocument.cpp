#include "app/HelpDocument.h"
#include "mock/FakeFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestHelpDocument final : public QObject
{
    Q_OBJECT

private slots:
    // The places, relative to an installation prefix, that hold a copy of the document, and the one
    // found: the working folder first, then the program's, then the installed documentation.
    void findsTheFirstPlaceThatHoldsTheDocument_data()
    {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QString>("found");
        const QString work = "work", program = "bin", doc = "share/doc/vorlix-pro";
        QTest::newRow("working folder") << QStringList{work} << work;
        QTest::newRow("next to the program") << QStringList{program} << program;
        QTest::newRow("installed documentation") << QStringList{doc} << doc;
        QTest::newRow("working folder before the rest") << QStringList{doc, program, work} << work;
        QTest::newRow("program before documentation") << QStringList{doc, program} << program;
        QTest::newRow("nowhere") << QStringList{} << "";
    }
    void findsTheFirstPlaceThatHoldsTheDocument()
    {
        QFETCH(QStringList, copies);
        QFETCH(QString, found);
        QTemporaryDir prefix;
        const QDir root(prefix.path());
        for (const char* folder : {"work", "bin", "share/doc/vorlix-pro"})
            root.mkpath(folder);
        for (const QString& folder : copies) {
            QFile file(root.filePath(folder + "/VorlixPro_Help.pdf"));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        FakeFolders folders;
        folders.currentFolder = root.filePath("work");
        folders.programFolder = root.filePath("bin");
        const QString expected = found.isEmpty() ? QString() : root.filePath(found + "/VorlixPro_Help.pdf");
        QCOMPARE(HelpDocument::find(folders), expected);
    }

    void aFolderNamedLikeTheDocumentIsNotIt()
    {
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkpath("bin/VorlixPro_Help.pdf"));
        FakeFolders folders;
        folders.currentFolder = work.path();
        folders.programFolder = work.filePath("bin");
        QCOMPARE(HelpDocument::find(folders), QString());
    }
};

QTEST_GUILESS_MAIN(TestHelpDocument)
#include "TestHelpDocument.moc"
