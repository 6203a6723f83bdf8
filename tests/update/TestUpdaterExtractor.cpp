#include "TestPaths.h"
#include "update/UpdaterExtractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestUpdaterExtractor final : public QObject
{
    Q_OBJECT

private slots:
    // The embedded updater comes out whole as an executable "wusetup.exe"; "wusetup.ex_" is gone
    // and an earlier "wusetup.exe" is replaced.
    void extractsTheEmbeddedUpdater()
    {
        QTemporaryDir dir;
        QFile old(dir.filePath(QStringLiteral("wusetup.exe")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older updater");
        old.close();

        const QString path = UpdaterExtractor::ExtractUpdater(dir.path());
        QCOMPARE(path, dir.filePath(QStringLiteral("wusetup.exe")));
        QCOMPARE(ReadAll(path), ReadAll(QString::fromUtf8(TestPaths::kUpdater)));
        QVERIFY(QFileInfo(path).isExecutable());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wusetup.exe"});

        // It runs: a process id that is no number is its one early error.
        QProcess updater;
        updater.start(path, {QStringLiteral("nope")});
        QVERIFY(updater.waitForFinished(5000));
        QCOMPARE(updater.exitCode(), 1);
    }

    void unwritableFolderIsAnError()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/folder"));
        QVERIFY_THROWS_EXCEPTION(UpdaterExtractError, UpdaterExtractor::ExtractUpdater(missing));
    }

    // A damaged resource fails and leaves neither file behind, nor touches an earlier updater.
    void damagedResourceIsAnError_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not compressed") << QByteArray("MZ plain bytes");
        QTest::newRow("truncated") << QByteArray("SZDD\x88\xF0\x27\x33"
                                                 "Ae\x00\x10\x00\x00\xff"
                                                 "abcdefgh",
                                                 23);
    }

    void damagedResourceIsAnError()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString resource = dir.filePath(QStringLiteral("UPD"));
        QFile file(resource);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const QString out = dir.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        QFile old(out + QStringLiteral("/wusetup.exe"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QVERIFY_THROWS_EXCEPTION(UpdaterExtractError, UpdaterExtractor::ExtractUpdater(out, resource));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"wusetup.exe"});
        QCOMPARE(ReadAll(out + QStringLiteral("/wusetup.exe")), QByteArray("old"));
    }

    void missingResourceIsAnError()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(UpdaterExtractError,
                                 UpdaterExtractor::ExtractUpdater(dir.path(), QStringLiteral(":/NO_SUCH")));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterExtractor)
#include "TestUpdaterExtractor.moc"
