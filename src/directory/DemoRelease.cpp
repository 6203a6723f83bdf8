#include "directory/DemoRelease.h"

#include "directory/CarnivalDirectory.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <sodium.h>

namespace {
const QByteArray kNotes = "Signed demo update\n\n"
                          "- Puts signed-update.txt into the demo folder.\n"
                          "- Its control file is signed with the build's demo key and names the SHA-256 "
                          "digest of every file, so nothing of it is installed or run unless it is "
                          "exactly what was signed.\n";
const QByteArray kInstalledText =
    "This file came with a signed update of the Vorlix Pro demo.\n\n"
    "The update's control file was signed with the build's demo key (demo-key/demo.key) and gives this "
    "file's SHA-256 digest; the program checked both before it put the file here.\n";

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

QByteArray sha256Hex(const QByteArray& bytes)
{
    QByteArray digest(crypto_hash_sha256_BYTES, '\0');
    crypto_hash_sha256(reinterpret_cast<unsigned char*>(digest.data()),
                       reinterpret_cast<const unsigned char*>(bytes.constData()), quint64(bytes.size()));
    return digest.toHex();
}

// The control file's "newchecksum": -1 plus every byte, as a signed 32-bit value.
qint32 byteSum(const QByteArray& bytes)
{
    quint32 sum = 0xFFFFFFFFu;
    for (char c : bytes)
        sum += quint8(c);
    return qint32(sum);
}

// The base64 of the detached signature, or empty when the secret key file is not one.
QByteArray signatureOf(const QByteArray& data, const QByteArray& secretKeyFileText)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(secretKeyFileText.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != crypto_sign_SECRETKEYBYTES)
        return {};
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(data.constData()), quint64(data.size()),
                         reinterpret_cast<const unsigned char*>(decoded.decoded.constData()));
    return signature.toBase64();
}

QByteArray controlFile(const QByteArray& at)
{
    const QByteArray installed = DemoRelease::kInstalledFile.toUtf8();
    return "[update]\n"
           "descr=A signed update of the demo: release notes and one file for the demo folder.\n"
           "localversion={APP}/" +
           installed + "\nnewchecksum=" + QByteArray::number(byteSum(kInstalledText)) +
           "\n[whatsnew]\nfile=" + at + "demo-whatsnew.txt\nsha256=" + sha256Hex(kNotes) +
           "\n[files]\ncount=1\n[file1]\nurl=" + at + installed + "\ndescr=About signed updates" +
           "\ntargetdir={APP}\nsha256=" + sha256Hex(kInstalledText) + "\n";
}
} // namespace

DemoRelease::Published DemoRelease::publish(CarnivalDirectory& directory, const QString& folder,
                                            const QString& keyFolder)
{
    if (sodium_init() < 0)
        return {{}, {}, QStringLiteral("the signature library could not be started")};
    const QDir keys(keyFolder);
    const QByteArray publicKey = readFile(keys.filePath(QStringLiteral("demo.pub"))).trimmed();
    const QString secretPath = keys.filePath(QStringLiteral("demo.key"));
    if (publicKey.isEmpty() || !QFile::exists(secretPath))
        return {{}, {}, QStringLiteral("no demo key in %1 (the build makes it)").arg(keyFolder)};

    const QString at = directory.baseUrl() + QStringLiteral("/21214/updates/");
    const QByteArray control = controlFile(at.toUtf8());
    const QByteArray signature = signatureOf(control, readFile(secretPath));
    if (signature.isEmpty())
        return {{}, {}, secretPath + QStringLiteral(" is not a secret key")};

    const QDir release(folder);
    const bool written = QDir().mkpath(folder) &&
                         writeFile(release.filePath(QStringLiteral("demo-whatsnew.txt")), kNotes) &&
                         writeFile(release.filePath(kInstalledFile), kInstalledText) &&
                         writeFile(release.filePath(QStringLiteral("vorlix.inf")), control) &&
                         writeFile(release.filePath(QStringLiteral("vorlix.inf.sig")), signature + '\n');
    if (!written)
        return {{}, {}, QStringLiteral("the release could not be written into ") + folder};
    directory.setUpdatesFolder(folder);
    return {at + QStringLiteral("vorlix.inf"), QString::fromLatin1(publicKey), {}};
}
