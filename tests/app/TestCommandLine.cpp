#include "TestPaths.h"
#include "app/CommandLine.h"
#include "platform/VersionInfo.h"

#include <QProcess>
#include <QTest>

namespace {
const QString kKey = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo="; // an Ed25519 public key

// What a parse found, one "name=value" per set member, so that a table row names it in one text.
QString describe(const CommandLine& line)
{
    QStringList parts;
    const auto add = [&parts](const QString& name, const std::optional<QString>& value) {
        if (value)
            parts << name + "=" + *value;
    };
    if (line.demo)
        parts << "demo";
    add("site", line.site);
    add("update-url", line.updateUrl);
    add("update-key", line.updateKey);
    add("list", line.listFile);
    add("submit", line.submitList);
    add("permalink", line.permalink);
    for (const CommandLine::Field& field : line.fields)
        parts << "field[" + field.name + "]=" + field.value;
    if (line.resubmit)
        parts << "resubmit";
    if (line.help)
        parts << "help";
    if (line.version)
        parts << "version";
    return parts.join("; ");
}
} // namespace

class TestCommandLine final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed");

        QTest::newRow("nothing") << QStringList{} << "";
        QTest::newRow("demo") << QStringList{"--demo"} << "demo";
        QTest::newRow("site") << QStringList{"--site", "https://d.example.org"}
                              << "site=https://d.example.org";
        QTest::newRow("site=") << QStringList{"--site=http://127.0.0.1:8080"} << "site=http://127.0.0.1:8080";
        QTest::newRow("later site wins")
            << QStringList{"--site=http://a.example", "--site", "http://b.example"}
            << "site=http://b.example";
        QTest::newRow("update-url") << QStringList{"--update-url", "http://u.example/vorlix.inf"}
                                    << "update-url=http://u.example/vorlix.inf";
        QTest::newRow("update-url=") << QStringList{"--update-url=http://u.example/vorlix.inf"}
                                     << "update-url=http://u.example/vorlix.inf";
        QTest::newRow("update-key") << QStringList{"--update-key", kKey} << "update-key=" + kKey;
        QTest::newRow("update-key=") << QStringList{"--update-key=" + kKey} << "update-key=" + kKey;
        QTest::newRow("list") << QStringList{"/home/me/My Lists/Cars.bcl"}
                              << "list=/home/me/My Lists/Cars.bcl";
        QTest::newRow("list after --") << QStringList{"--", "--odd.bcl"} << "list=--odd.bcl";
        QTest::newRow("options around the list")
            << QStringList{"--demo", "Cars.bcl", "--site=http://a.example"}
            << "demo; site=http://a.example; list=Cars.bcl";
        QTest::newRow("submit") << QStringList{"--submit", "Cars.bcl", "--permalink",
                                               "http://me.example/post"}
                                << "submit=Cars.bcl; permalink=http://me.example/post";
        QTest::newRow("submit= with everything") << QStringList{"--submit=Cars.bcl",
                                                                "--permalink=http://me.example/post",
                                                                "--field",
                                                                "title=My Post",
                                                                "--field=email=me@example.org",
                                                                "--field",
                                                                "empty=",
                                                                "--resubmit",
                                                                "--site=http://a.example"}
                                                 << "site=http://a.example; submit=Cars.bcl; "
                                                    "permalink=http://me.example/post; field[title]=My Post; "
                                                    "field[email]=me@example.org; field[empty]=; resubmit";
        QTest::newRow("submit without permalink") << QStringList{"--submit", "Cars.bcl"} << "submit=Cars.bcl";
        QTest::newRow("help") << QStringList{"--help"} << "help";
        QTest::newRow("-h") << QStringList{"-h"} << "help";
        QTest::newRow("version") << QStringList{"--version"} << "version";
        QTest::newRow("-v") << QStringList{"-v"} << "version";
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, parsed);
        QString error;
        const CommandLine line = CommandLine::parse(QStringList{"vorlix-pro"} + arguments, &error);
        QCOMPARE(error, QString());
        QCOMPARE(describe(line), parsed);
    }

    void mistakes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");

        QTest::newRow("unknown option") << QStringList{"--bogus"} << "Unknown option 'bogus'.";
        QTest::newRow("site without value") << QStringList{"--site"} << "Missing value after '--site'.";
        QTest::newRow("site not a web address")
            << QStringList{"--site", "ftp://a.example"} << "--site needs an http:// or https:// address";
        QTest::newRow("site taking the next option")
            << QStringList{"--site", "--demo"} << "--site needs an http:// or https:// address";
        QTest::newRow("update-url not a web address")
            << QStringList{"--update-url=vorlix.inf"} << "--update-url needs an http:// or https:// address";
        QTest::newRow("update-key not base64") << QStringList{"--update-key=not a key!"} << "--update-key: ";
        QTest::newRow("update-key too short") << QStringList{"--update-key", "AAAA"} << "--update-key: ";
        QTest::newRow("field without =") << QStringList{"--submit", "a.bcl", "--field", "title"}
                                         << "--field needs NAME=VALUE, not \"title\"";
        QTest::newRow("field without name")
            << QStringList{"--submit", "a.bcl", "--field", "=x"} << "--field needs NAME=VALUE, not \"=x\"";
        QTest::newRow("empty field") << QStringList{"--submit", "a.bcl", "--field="}
                                     << "--field needs NAME=VALUE, not \"\"";
        QTest::newRow("two lists") << QStringList{"a.bcl", "b.bcl"}
                                   << "Only one list file can be opened at a time";
        QTest::newRow("submit and a list") << QStringList{"--submit", "a.bcl", "b.bcl"}
                                           << "--submit names the list; give no other list file";
        QTest::newRow("permalink without submit") << QStringList{"--permalink", "http://me.example/post"}
                                                  << "--permalink, --field and --resubmit go with --submit";
        QTest::newRow("field without submit")
            << QStringList{"--field", "a=b"} << "--permalink, --field and --resubmit go with --submit";
        QTest::newRow("resubmit without submit")
            << QStringList{"--resubmit"} << "--permalink, --field and --resubmit go with --submit";
    }

    void mistakes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QString found;
        CommandLine::parse(QStringList{"vorlix-pro"} + arguments, &found);
        QVERIFY2(found.startsWith(error), qPrintable(found));
    }

    void helpNamesEveryOption()
    {
        const QString help = CommandLine::helpText();
        for (const char* option :
             {"--demo", "--site <URL>", "--update-url <URL>", "--update-key <BASE64>", "--submit <LIST.bcl>",
              "--permalink <URL>", "--field <NAME=VALUE>", "--resubmit", "--help", "--version", "[LIST.bcl]"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }

    void asksForScriptRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("script");
        QTest::newRow("submit") << QStringList{"--field", "x", "--submit", "a.bcl"} << true;
        QTest::newRow("submit=") << QStringList{"--submit=a.bcl"} << true;
        QTest::newRow("window") << QStringList{"--site", "http://a.example", "a.bcl"} << false;
        QTest::newRow("a list so named") << QStringList{"--", "--submit"} << false;
        QTest::newRow("a longer option") << QStringList{"--submitter"} << false;
    }
    void asksForScriptRun()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, script);
        QCOMPARE(CommandLine::asksForScriptRun(QStringList{"vorlix-pro"} + arguments), script);
    }

    // These print and end without opening a window: they work where no display is.
    void programAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("error");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--update-key <BASE64>"
                              << "";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "Vorlix Pro " + GetAppVersion(TestPaths::kProgram) + "\n"
                                 << "";
        QTest::newRow("script mistake") << QStringList{"--submit", "a.bcl", "--field", "title"} << 2 << ""
                                        << "--field needs NAME=VALUE, not \"title\"\n";
    }
    void programAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QFETCH(QString, error);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(environment);
        program.start(TestPaths::kProgram, arguments);
        QVERIFY(program.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        QVERIFY2(out.contains(printed), qPrintable(out));
        QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), error);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
