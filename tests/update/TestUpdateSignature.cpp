#include "SigningKeyPair.h"
#include "update/UpdateSignature.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sodium.h>

using namespace UpdateSignature;

namespace {
QByteArray hexToBase64(const char* hex)
{
    return QByteArray::fromHex(hex).toBase64();
}

const QByteArray kControlFile =
    "[update]\r\nnewversion=3.2.0.29\r\ndescr=Faster lists\r\n"
    "[files]\r\ncount=1\r\n[file1]\r\nurl=http://127.0.0.1/21214/updates/vorlix-pro\r\n"
    "sha256=ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\r\n";
} // namespace

// Keys, detached signatures and digests of update files.
class TestUpdateSignature final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SigningKeyPair m_publisher;
    SigningKeyPair m_stranger;

private slots:
    void initTestCase()
    {
        QVERIFY(sodium_init() >= 0);
        QVERIFY(m_dir.isValid());
        m_publisher = SigningKeyPair::fromSeed('p');
        m_stranger = SigningKeyPair::fromSeed('s');
    }

    void publicKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("key"); // empty when the text is refused
        const QByteArray key = m_publisher.publicKey;
        const QString base64 = QString::fromLatin1(key.toBase64());
        QTest::newRow("base64 of the key") << base64 << key;
        QTest::newRow("blanks and line end around it") << " \t" + base64 + "\r\n" << key;
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("only blanks") << " \n" << QByteArray();
        QTest::newRow("not base64") << "this is no key!" << QByteArray();
        QTest::newRow("padding left off") << base64.chopped(1) << QByteArray();
        QTest::newRow("blank inside") << base64.left(20) + " " + base64.mid(20) << QByteArray();
        QTest::newRow("url-safe alphabet")
            << QString(base64).replace(u'+', u'-').replace(u'/', u'_') + "-_" << QByteArray();
        QTest::newRow("31 bytes") << QString::fromLatin1(key.left(31).toBase64()) << QByteArray();
        QTest::newRow("33 bytes") << QString::fromLatin1((key + 'x').toBase64()) << QByteArray();
        QTest::newRow("the secret key instead")
            << QString::fromLatin1(m_publisher.secretKey.toBase64()) << QByteArray();
        QTest::newRow("32 zero bytes, no usable key")
            << QString::fromLatin1(QByteArray(32, '\0').toBase64()) << QByteArray();
    }

    void publicKeys()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, key);
        const PublicKey parsed = ParsePublicKey(text);
        QCOMPARE(parsed.isValid(), !key.isEmpty());
        QCOMPARE(parsed.bytes, key);
        QCOMPARE(parsed.error.isEmpty(), !key.isEmpty());
    }

    void aSecretKeyGivenAsPublicKeyIsNamedInTheReason()
    {
        const PublicKey parsed = ParsePublicKey(QString::fromLatin1(m_publisher.secretKey.toBase64()));
        QVERIFY2(parsed.error.contains(QLatin1String("secret key")), qPrintable(parsed.error));
    }

    // RFC 8032, section 7.1, tests 1 and 2: signatures made by another Ed25519 implementation.
    void knownAnswerSignatures_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<bool>("verifies");
        const QByteArray key1 =
            hexToBase64("d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a");
        const QByteArray signature1 = hexToBase64(
            "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e3970"
            "1cf9b46bd25bf5f0595bbe24655141438e7a100b");
        const QByteArray key2 =
            hexToBase64("3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c");
        const QByteArray signature2 = hexToBase64(
            "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613"
            "d0f11d8c387b2eaeb4302aeeb00d291612bb0c00");
        QTest::newRow("test 1, empty message") << key1 << QByteArray() << signature1 << true;
        QTest::newRow("test 2, one byte") << key2 << QByteArray("\x72") << signature2 << true;
        QTest::newRow("test 2's signature under test 1's key")
            << key1 << QByteArray("\x72") << signature2 << false;
        QTest::newRow("test 2 with another byte") << key2 << QByteArray("\x73") << signature2 << false;
    }

    void knownAnswerSignatures()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, signature);
        QFETCH(bool, verifies);
        const PublicKey publicKey = ParsePublicKey(QString::fromLatin1(key));
        QVERIFY2(publicKey.isValid(), qPrintable(publicKey.error));
        QCOMPARE(VerifySignature(publicKey, message, signature), verifies);
    }

    void signatures_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<bool>("verifies");
        const QByteArray signature = m_publisher.signatureBase64(kControlFile);
        QByteArray changed = kControlFile;
        changed[changed.indexOf("29")] = '3';
        QByteArray badSignatureByte = QByteArray::fromBase64(signature);
        badSignatureByte[10] = char(badSignatureByte[10] ^ 1);
        QByteArray lineFeeds = kControlFile;
        lineFeeds.replace("\r\n", "\n");

        QTest::newRow("the exact bytes") << kControlFile << signature << true;
        QTest::newRow("signature file with line end") << kControlFile << signature + "\n" << true;
        QTest::newRow("signature with blanks and CRLF") << kControlFile << "  " + signature + " \r\n" << true;
        QTest::newRow("one byte changed") << changed << signature << false;
        QTest::newRow("a line end appended") << kControlFile + "\r\n" << signature << false;
        QTest::newRow("last byte cut off") << kControlFile.chopped(1) << signature << false;
        QTest::newRow("line ends rewritten") << lineFeeds << signature << false;
        QTest::newRow("signed by another key")
            << kControlFile << m_stranger.signatureBase64(kControlFile) << false;
        QTest::newRow("signature of other bytes")
            << kControlFile << m_publisher.signatureBase64(changed) << false;
        QTest::newRow("one signature bit flipped") << kControlFile << badSignatureByte.toBase64() << false;
        QTest::newRow("no signature") << kControlFile << QByteArray() << false;
        QTest::newRow("blank signature file") << kControlFile << QByteArray(" \n") << false;
        QTest::newRow("not base64") << kControlFile << QByteArray("<html>404 Not Found</html>") << false;
        QTest::newRow("hex instead of base64")
            << kControlFile << QByteArray::fromBase64(signature).toHex() << false;
        QTest::newRow("63 bytes") << kControlFile << QByteArray::fromBase64(signature).chopped(1).toBase64()
                                  << false;
        QTest::newRow("65 bytes") << kControlFile << (QByteArray::fromBase64(signature) + 'x').toBase64()
                                  << false;
        QTest::newRow("two signatures") << kControlFile << signature + "\n" + signature << false;
    }

    void signatures()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, signature);
        QFETCH(bool, verifies);
        const PublicKey key = ParsePublicKey(QString::fromLatin1(m_publisher.publicKey.toBase64()));
        QVERIFY(key.isValid());
        QCOMPARE(VerifySignature(key, data, signature), verifies);
    }

    void aRefusedKeyVerifiesNothing()
    {
        const QByteArray signature = m_publisher.signatureBase64(kControlFile);
        QVERIFY(!VerifySignature(ParsePublicKey(QString()), kControlFile, signature));
        PublicKey forged{m_publisher.publicKey, QStringLiteral("refused")};
        QVERIFY(!VerifySignature(forged, kControlFile, signature));
    }

    // FIPS 180-2 examples; the million bytes cross many read blocks of the file digest.
    void digests_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << QByteArray()
                               << "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
        QTest::newRow("abc") << QByteArray("abc")
                             << "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
        QTest::newRow("two blocks") << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
                                    << "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";
        QTest::newRow("a million a") << QByteArray(1000000, 'a')
                                     << "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
    }

    void digests()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, digest);
        QCOMPARE(Sha256Hex(bytes), digest);

        const QString path = m_dir.filePath(QStringLiteral("release.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        QCOMPARE(FileSha256Hex(path), digest);
        QVERIFY(FileMatchesDigest(path, digest));
    }

    void aFileThatCannotBeReadHasNoDigest()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing.bin"));
        QCOMPARE(FileSha256Hex(missing), QString());
        QVERIFY(!FileMatchesDigest(missing, QString()));
        QVERIFY(!FileMatchesDigest(missing, Sha256Hex(QByteArray())));
        QCOMPARE(FileSha256Hex(m_dir.path()), QString());
    }

    void aChangedFileNoLongerMatches()
    {
        const QString path = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("abc");
        file.close();
        const QString digest = FileSha256Hex(path);
        QVERIFY(FileMatchesDigest(path, digest));
        QVERIFY(file.open(QIODevice::Append));
        file.write("\n");
        file.close();
        QVERIFY(!FileMatchesDigest(path, digest));
    }

    void digestComparison_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("matches");
        const QString abc =
            QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        QTest::newRow("same digest") << abc << true;
        QTest::newRow("upper case") << abc.toUpper() << true;
        QTest::newRow("blanks and line end around it") << " " + abc + "\r\n" << true;
        QTest::newRow("missing") << QString() << false;
        QTest::newRow("blank") << QStringLiteral("  ") << false;
        QTest::newRow("last digit changed") << abc.chopped(1) + "e" << false;
        QTest::newRow("prefix only") << abc.left(32) << false;
        QTest::newRow("one digit short") << abc.chopped(1) << false;
        QTest::newRow("one digit more") << abc + "0" << false;
        QTest::newRow("blank inside") << abc.left(32) + " " + abc.mid(32) << false;
        QTest::newRow("sha256 of another file")
            << QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855") << false;
        QTest::newRow("base64 instead of hex")
            << QString::fromLatin1(QByteArray::fromHex(abc.toLatin1()).toBase64()) << false;
    }

    void digestComparison()
    {
        QFETCH(QString, written);
        QFETCH(bool, matches);
        QCOMPARE(DigestMatches(written, Sha256Hex("abc")), matches);
    }
};

QTEST_GUILESS_MAIN(TestUpdateSignature)
#include "TestUpdateSignature.moc"
