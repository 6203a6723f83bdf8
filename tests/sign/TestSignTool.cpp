#include "update/UpdateSignature.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}
} // namespace

// The publisher's vorlix-sign program: what it writes must be what the update engine accepts.
class TestSignTool final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList filesInFolder() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    // Runs in the case's folder, so that relative names land there too.
    Run run(const QStringList& arguments) const
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral(VORLIX_SIGN_PROGRAM), arguments);
        Run result;
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // A fresh key pair in its own folder; the public key as printed.
    QString makeKey(const QString& keyFile)
    {
        const Run keygen = run({QStringLiteral("keygen"), keyFile});
        if (keygen.exitCode != 0)
            return {};
        return QString::fromLatin1(keygen.out).trimmed();
    }

private slots:
    void init()
    {
        // Every case starts in an empty folder of its own.
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void keygenWritesAPrivateKeyFileAndPrintsItsPublicKey()
    {
        const QString keyFile = path(QStringLiteral("publisher.key"));
        const Run keygen = run({QStringLiteral("keygen"), keyFile});
        QCOMPARE(keygen.exitCode, 0);
        QVERIFY2(keygen.err.isEmpty(), keygen.err.constData());
        QVERIFY(keygen.out.endsWith('\n'));
        QCOMPARE(keygen.out.count('\n'), 1);
        const UpdateSignature::PublicKey key =
            UpdateSignature::ParsePublicKey(QString::fromLatin1(keygen.out));
        QVERIFY2(key.isValid(), qPrintable(key.error));

        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(keyFile).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0600));
        // Written in one step: nothing but the key file is left in the folder.
        QCOMPARE(filesInFolder(), QStringList{"publisher.key"});

        const Run publicKey = run({QStringLiteral("public"), keyFile});
        QCOMPARE(publicKey.exitCode, 0);
        QCOMPARE(publicKey.out, keygen.out);
    }

    void aSignedFileVerifiesWithThePrintedKeyAndOnlyUnchanged()
    {
        const QString keyFile = path(QStringLiteral("publisher.key"));
        const UpdateSignature::PublicKey key = UpdateSignature::ParsePublicKey(makeKey(keyFile));
        QVERIFY(key.isValid());
        const QString control = path(QStringLiteral("vorlix.inf"));
        const QByteArray first = "[update]\r\nnewversion=3.2.0.29\r\n";
        write(control, first);

        const Run sign = run({QStringLiteral("sign"), keyFile, control});
        QCOMPARE(sign.exitCode, 0);
        QVERIFY2(sign.err.isEmpty(), sign.err.constData());
        const QByteArray signature = contentOf(control + ".sig");
        QCOMPARE(signature.size(), 89); // 64 bytes in base64 and a line end
        QVERIFY(UpdateSignature::VerifySignature(key, first, signature));
        QVERIFY(!UpdateSignature::VerifySignature(key, first + "\r\n", signature));

        // Signing again after a change replaces the old signature.
        const QByteArray second = "[update]\r\nnewversion=3.2.0.30\r\n";
        write(control, second);
        QCOMPARE(run({QStringLiteral("sign"), keyFile, control}).exitCode, 0);
        const QByteArray resigned = contentOf(control + ".sig");
        QVERIFY(UpdateSignature::VerifySignature(key, second, resigned));
        QVERIFY(!UpdateSignature::VerifySignature(key, first, resigned));

        const UpdateSignature::PublicKey otherKey =
            UpdateSignature::ParsePublicKey(makeKey(path(QStringLiteral("other.key"))));
        QVERIFY(otherKey.isValid());
        QVERIFY(!UpdateSignature::VerifySignature(otherKey, second, resigned));
    }

    void keygenNeverReplacesAnExistingFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a key file") << "key";
        QTest::newRow("some other file") << "file";
        QTest::newRow("a link to nowhere") << "link";
    }

    void keygenNeverReplacesAnExistingFile()
    {
        QFETCH(QString, kind);
        const QString keyFile = path(QStringLiteral("publisher.key"));
        if (kind == QLatin1String("key"))
            QVERIFY(!makeKey(keyFile).isEmpty());
        else if (kind == QLatin1String("file"))
            write(keyFile, "my notes\n");
        else
            QVERIFY(QFile::link(path(QStringLiteral("nowhere")), keyFile));
        const QByteArray before = contentOf(keyFile);
        const QStringList entries = filesInFolder();

        const Run keygen = run({QStringLiteral("keygen"), keyFile});
        QCOMPARE(keygen.exitCode, 1);
        QVERIFY(keygen.out.isEmpty());
        QVERIFY2(keygen.err.contains("not overwritten"), keygen.err.constData());
        QCOMPARE(contentOf(keyFile), before);
        QCOMPARE(filesInFolder(), entries);
    }

    void aKeyFileThatCannotBeWrittenIsSaid()
    {
        const Run keygen =
            run({QStringLiteral("keygen"), path(QStringLiteral("no/such/folder/publisher.key"))});
        QCOMPARE(keygen.exitCode, 1);
        QVERIFY(keygen.out.isEmpty());
        QVERIFY2(keygen.err.contains("cannot write"), keygen.err.constData());
    }

    void signingFailuresWriteNoSignature_data()
    {
        QTest::addColumn<QString>("keyKind");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("missing key file") << "missing" << true << QByteArray("cannot read");
        QTest::newRow("not a key file") << "text" << true << QByteArray("not a vorlix-sign secret key");
        QTest::newRow("a public key given") << "public" << true << QByteArray("not a vorlix-sign secret key");
        QTest::newRow("damaged key file") << "damaged" << true << QByteArray("damaged");
        QTest::newRow("missing file to sign") << "good" << false << QByteArray("cannot read");
    }

    void signingFailuresWriteNoSignature()
    {
        QFETCH(QString, keyKind);
        QFETCH(bool, fileExists);
        QFETCH(QByteArray, said);
        const QString keyFile = path(QStringLiteral("publisher.key"));
        if (keyKind != QLatin1String("missing")) {
            const QString publicKey = makeKey(keyFile);
            QVERIFY(!publicKey.isEmpty());
            QByteArray secret = QByteArray::fromBase64(contentOf(keyFile).trimmed());
            QCOMPARE(secret.size(), 64);
            secret[40] = char(secret[40] ^ 1); // in the public half
            if (keyKind == QLatin1String("text"))
                write(keyFile, "[update]\n");
            else if (keyKind == QLatin1String("public"))
                write(keyFile, publicKey.toLatin1() + "\n");
            else if (keyKind == QLatin1String("damaged"))
                write(keyFile, secret.toBase64() + "\n");
        }
        const QString control = path(QStringLiteral("vorlix.inf"));
        if (fileExists)
            write(control, "[update]\r\n");

        const Run sign = run({QStringLiteral("sign"), keyFile, control});
        QCOMPARE(sign.exitCode, 1);
        QVERIFY2(sign.err.contains(said), sign.err.constData());
        QVERIFY(!QFile::exists(control + ".sig"));
    }

    void aKeyFileOthersCanReadStillSignsButIsWarnedAbout()
    {
        const QString keyFile = path(QStringLiteral("publisher.key"));
        QVERIFY(!makeKey(keyFile).isEmpty());
        QVERIFY(QFile::setPermissions(keyFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                   QFile::ReadOther));
        const QString control = path(QStringLiteral("vorlix.inf"));
        write(control, "[update]\r\n");
        const Run sign = run({QStringLiteral("sign"), keyFile, control});
        QCOMPARE(sign.exitCode, 0);
        QVERIFY2(sign.err.contains("warning") && sign.err.contains("0600"), sign.err.constData());
        QVERIFY(QFile::exists(control + ".sig"));
    }

    void aFailedSigningKeepsTheOldSignature()
    {
        const QString keyFile = path(QStringLiteral("publisher.key"));
        QVERIFY(!makeKey(keyFile).isEmpty());
        const QString control = path(QStringLiteral("vorlix.inf"));
        write(control, "[update]\r\n");
        QCOMPARE(run({QStringLiteral("sign"), keyFile, control}).exitCode, 0);
        const QByteArray signature = contentOf(control + ".sig");

        QCOMPARE(run({QStringLiteral("sign"), path(QStringLiteral("missing.key")), control}).exitCode, 1);
        QCOMPARE(contentOf(control + ".sig"), signature);
    }

    void digestPrintsTheFilesSha256InLowerCaseHex()
    {
        const QString file = path(QStringLiteral("notes.txt"));
        write(file, "abc");
        const Run digest = run({QStringLiteral("digest"), file});
        QCOMPARE(digest.exitCode, 0);
        QCOMPARE(digest.out,
                 QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\n"));
        QVERIFY(UpdateSignature::FileMatchesDigest(file, QString::fromLatin1(digest.out)));

        const Run missing = run({QStringLiteral("digest"), path(QStringLiteral("missing.txt"))});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.out.isEmpty());
        QVERIFY2(missing.err.contains("missing.txt"), missing.err.constData());
    }

    void wrongUsageIsExplained_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("nothing") << QStringList() << QByteArray("no command");
        QTest::newRow("unknown command") << QStringList{"verify", "a", "b"} << QByteArray("unknown command");
        QTest::newRow("keygen without a file") << QStringList{"keygen"} << QByteArray("wrong number");
        QTest::newRow("sign without a file") << QStringList{"sign", "a.key"} << QByteArray("wrong number");
        QTest::newRow("digest of two files") << QStringList{"digest", "a", "b"} << QByteArray("wrong number");
        QTest::newRow("empty file name") << QStringList{"keygen", ""} << QByteArray("empty file name");
    }

    void wrongUsageIsExplained()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        const Run wrong = run(arguments);
        QCOMPARE(wrong.exitCode, 2);
        QVERIFY(wrong.out.isEmpty());
        QVERIFY2(wrong.err.contains(said), wrong.err.constData());
        QVERIFY2(wrong.err.contains("usage: vorlix-sign keygen KEYFILE"), wrong.err.constData());
        QCOMPARE(filesInFolder(), QStringList());
    }

    void helpGoesToStandardOutput()
    {
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("vorlix-sign sign KEYFILE FILE"));
        QVERIFY(help.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSignTool)
#include "TestSignTool.moc"
