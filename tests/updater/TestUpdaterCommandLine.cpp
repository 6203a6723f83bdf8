#include "updater/UpdaterCommandLine.h"

#include <QStringList>
#include <QTest>

using namespace updater;

namespace {

QStringList ToList(const std::vector<std::string>& parameters)
{
    QStringList list;
    for (const std::string& parameter : parameters)
        list << QString::fromStdString(parameter);
    return list;
}

} // namespace

class TestUpdaterCommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void split_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("parameters");
        QTest::newRow("the handoff's example")
            << "1234 X C:\\App\\app.exe \" \" \"C:\\Temp\\\" app.exe"
            << QStringList{"1234", "X", "C:\\App\\app.exe", " ", "C:\\Temp\\", "app.exe"};
        QTest::newRow("quoted application path and parameters")
            << "77 L \"C:\\Program Files\\App\\app.exe\" -auto \"/tmp/\" a.exe b.dll"
            << QStringList{"77", "L", "C:\\Program Files\\App\\app.exe", "-auto", "/tmp/", "a.exe", "b.dll"};
        QTest::newRow("quotes inside a word are removed") << "a\"b c\"d e" << QStringList{"ab cd", "e"};
        QTest::newRow("runs of blanks") << "  1   2  " << QStringList{"1", "2"};
        QTest::newRow("empty quotes give an empty parameter") << "1 \"\" 3" << QStringList{"1", "", "3"};
        QTest::newRow("backslash before a closing quote") << "\"a\\\" b" << QStringList{"a\\", "b"};
        QTest::newRow("unclosed quote runs to the end") << "1 \"two three" << QStringList{"1", "two three"};
        QTest::newRow("nothing") << "" << QStringList{};
    }

    void split()
    {
        QFETCH(QString, commandLine);
        QFETCH(QStringList, parameters);
        QCOMPARE(ToList(UpdaterCommandLine::Split(commandLine.toStdString())), parameters);
    }

    void positions()
    {
        const auto line = UpdaterCommandLine::FromParameters(
            UpdaterCommandLine::Split("1234 X /app/app \" \" \"/tmp/\" app data.dll"));
        QCOMPARE(line.processId, std::string("1234"));
        QCOMPARE(line.logFlag, std::string("X"));
        QCOMPARE(line.applicationPath, std::string("/app/app"));
        QCOMPARE(line.applicationParameters, std::string(" "));
        QCOMPARE(line.sourceFolder, std::string("/tmp/"));
        QCOMPARE(line.components, (std::vector<std::string>{"app", "data.dll"}));

        const auto shortLine = UpdaterCommandLine::FromParameters({"5"});
        QCOMPARE(shortLine.processId, std::string("5"));
        QVERIFY(shortLine.applicationPath.empty());
        QVERIFY(shortLine.components.empty());
    }
};

QTEST_GUILESS_MAIN(TestUpdaterCommandLine)
#include "TestUpdaterCommandLine.moc"
