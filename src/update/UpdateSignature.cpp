#include "update/UpdateSignature.h"

#include <QFile>

#include <optional>

#include <sodium.h>

namespace UpdateSignature {

namespace {
constexpr qint64 kBlockBytes = 64 * 1024;
constexpr qsizetype kDigestHexChars = 2 * crypto_hash_sha256_BYTES;

// libsodium wants one initialisation before first use; when it cannot start, nothing verifies.
bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Standard base64 with padding, nothing but blanks and line ends around it; nullopt when it is not.
std::optional<QByteArray> decodeBase64(QByteArray text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return QByteArray();
    QByteArray bytes(text.size(), '\0');
    size_t length = 0;
    if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), size_t(bytes.size()),
                          text.constData(), size_t(text.size()), nullptr, &length, nullptr,
                          sodium_base64_VARIANT_ORIGINAL) != 0)
        return std::nullopt;
    bytes.truncate(qsizetype(length));
    return bytes;
}

QString hex(const unsigned char* bytes, size_t size)
{
    QByteArray text(qsizetype(2 * size + 1), '\0');
    sodium_bin2hex(text.data(), size_t(text.size()), bytes, size);
    text.chop(1);
    return QString::fromLatin1(text);
}

bool isLowerHexDigest(const QString& text)
{
    if (text.size() != kDigestHexChars)
        return false;
    for (QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}
} // namespace

PublicKey ParsePublicKey(const QString& base64)
{
    if (!sodiumReady())
        return {{}, QStringLiteral("the signature library could not be started")};
    const auto bytes = decodeBase64(base64.toUtf8());
    if (!bytes)
        return {{}, QStringLiteral("the update key is not valid base64")};
    if (bytes->isEmpty())
        return {{}, QStringLiteral("the update key is empty")};
    if (bytes->size() == crypto_sign_SECRETKEYBYTES)
        return {{},
                QStringLiteral("the update key holds %1 bytes: that is a secret key, the public key holds %2")
                    .arg(bytes->size())
                    .arg(kPublicKeyBytes)};
    if (bytes->size() != kPublicKeyBytes)
        return {{},
                QStringLiteral("the update key holds %1 bytes, a public key holds %2")
                    .arg(bytes->size())
                    .arg(kPublicKeyBytes)};
    if (crypto_core_ed25519_is_valid_point(reinterpret_cast<const unsigned char*>(bytes->constData())) != 1)
        return {{}, QStringLiteral("the update key is not a usable Ed25519 public key")};
    return {*bytes, {}};
}

bool VerifySignature(const PublicKey& key, const QByteArray& data, const QByteArray& signatureBase64)
{
    if (!key.isValid() || !sodiumReady())
        return false;
    const auto signature = decodeBase64(signatureBase64);
    if (!signature || signature->size() != kSignatureBytes)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature->constData()),
                                       reinterpret_cast<const unsigned char*>(data.constData()),
                                       quint64(data.size()),
                                       reinterpret_cast<const unsigned char*>(key.bytes.constData())) == 0;
}

QString Sha256Hex(const QByteArray& bytes)
{
    if (!sodiumReady())
        return {};
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(bytes.constData()),
                       quint64(bytes.size()));
    return hex(digest, sizeof digest);
}

QString FileSha256Hex(const QString& path)
{
    QFile file(path);
    if (!sodiumReady() || !file.open(QIODevice::ReadOnly))
        return {};
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    QByteArray block(kBlockBytes, '\0');
    for (;;) {
        const qint64 read = file.read(block.data(), kBlockBytes);
        if (read < 0)
            return {};
        if (read == 0)
            break;
        crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(block.constData()),
                                  quint64(read));
    }
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state, digest);
    return hex(digest, sizeof digest);
}

bool DigestMatches(const QString& expected, const QString& actual)
{
    const QString written = expected.trimmed().toLower();
    return isLowerHexDigest(written) && written == actual;
}

bool FileMatchesDigest(const QString& path, const QString& expected)
{
    const QString actual = FileSha256Hex(path);
    return !actual.isEmpty() && DigestMatches(expected, actual);
}

} // namespace UpdateSignature
