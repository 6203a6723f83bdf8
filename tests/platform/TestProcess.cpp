#include "platform/Process.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs a loop until it ends; one that is still running after five seconds ends with 2.
int ExecWithLimit(const std::function<int()>& exec, const std::function<void()>& stop)
{
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, stop);
    limit.start(5000);
    return exec();
}

} // namespace

class TestProcess final : public QObject
{
    Q_OBJECT

private slots:
    // The updater gets its arguments as given, the folder asked for, a session of its own and none
    // of our descriptors beyond the standard three.
    void startDetached()
    {
        QTemporaryDir dir;
        int ours[2];
        QVERIFY(::pipe(ours) == 0); // inheritable, unlike Qt's own descriptors
        const QString out = dir.filePath("out");
        const QString script =
            QStringLiteral("exec > '%1.tmp'\n"
                           "pwd\n"
                           "printf '%s\\n' \"$#\" \"$@\"\n"
                           "[ \"$(cut -d' ' -f6 /proc/$$/stat)\" = $$ ] && echo own session\n"
                           "[ -e /proc/$$/fd/%2 ] && echo leaked || echo closed\n"
                           "mv '%1.tmp' '%1'\n")
                .arg(out)
                .arg(ours[1]);
        const bool started =
            StartProgramDetached("/bin/sh", {"-c", script, "sh", "a b", "\"quoted\" \\", ""}, dir.path());
        ::close(ours[0]);
        ::close(ours[1]);
        QVERIFY(started);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(out), 5000);
        QCOMPARE(ReadAll(out), (dir.path() + "\n3\na b\n\"quoted\" \\\n\nown session\nclosed\n").toUtf8());

        QVERIFY(!StartProgramDetached(dir.filePath("missing"), {}, dir.path()));
    }

    // Kept last: ending the application cannot be taken back in this process. Asked for while a
    // dialog's loop runs before the main loop has started (the update wizard at start-up), it ends
    // that loop, and the main loop that follows ends as soon as it would wait.
    void terminateEndsTheRunningAndTheNextMainLoop()
    {
        QEventLoop dialog;
        QTimer::singleShot(0, &dialog, [] { TerminateApplication(); });
        QVERIFY(ExecWithLimit([&dialog] { return dialog.exec(); }, [&dialog] { dialog.exit(2); }) != 2);

        QCOMPARE(ExecWithLimit(QCoreApplication::exec, [] { QCoreApplication::exit(2); }), 0);
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "TestProcess.moc"
