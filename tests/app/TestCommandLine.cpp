#include "app/CommandLine.h"

#include <QTest>

namespace {
// A usable public key, as vorlix-sign prints it.
const QString kKey = QStringLiteral("gyClGXfYw4yopJJ8Zw31gh5El2GUXhXp77JqFQnSMOo=");
} // namespace

class TestCommandLine final : public QObject
{
    Q_OBJECT

private slots:
    // A key the program cannot use stops it with a message; it never runs as if none was given.
    void updateKey_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("error");
        const QString needs = "--update-key needs the publisher's public key in base64: ";
        QTest::newRow("none") << QStringList{"--demo"} << "<none>"
                              << "";
        QTest::newRow("a key") << QStringList{"--update-key", kKey} << kKey << "";
        QTest::newRow("as printed, with its line end")
            << QStringList{"--update-key", kKey + "\n"} << kKey << "";
        QTest::newRow("beside the address")
            << QStringList{"--update-url", "http://127.0.0.1:8080/21214/updates/vorlix.inf", "--update-key",
                           kKey}
            << kKey << "";
        QTest::newRow("missing") << QStringList{"--update-key"} << "<none>"
                                 << needs + "the update key is empty";
        QTest::newRow("empty") << QStringList{"--update-key", ""} << "<none>"
                               << needs + "the update key is empty";
        QTest::newRow("not base64") << QStringList{"--update-key", "not a key"} << "<none>"
                                    << needs + "the update key is not valid base64";
        QTest::newRow("too short") << QStringList{"--update-key", "AAAA"} << "<none>"
                                   << needs + "the update key holds 3 bytes, a public key holds 32";
    }

    void updateKey()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, key);
        QFETCH(QString, error);
        QString message;
        const CommandLine line = CommandLine::parse(QStringList{"vorlix-pro"} + arguments, &message);
        QCOMPARE(message, error);
        QCOMPARE(line.updateKey.value_or("<none>"), key);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
