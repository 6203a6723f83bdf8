#pragma once

#include <QByteArray>
#include <QString>

// Checks that a release comes from its publisher: an Ed25519 signature over the control file's
// exact bytes and a SHA-256 digest per file, both through libsodium.
namespace UpdateSignature {

inline constexpr qsizetype kPublicKeyBytes = 32;
inline constexpr qsizetype kSignatureBytes = 64;

/// A publisher's public key as read from its base64 text.
struct PublicKey
{
    QByteArray bytes; // the raw key; empty when the text is not a key
    QString error;    // why the text is not a key; empty when it is one

    bool isValid() const { return error.isEmpty() && bytes.size() == kPublicKeyBytes; }
};

/// Reads the standard base64 of a 32-byte Ed25519 public key; blanks and line ends around it are
/// ignored. Empty text, bad base64, a wrong length or a point that is no usable key give an
/// invalid key with the reason.
PublicKey ParsePublicKey(const QString& base64);

/// Whether signatureBase64 (the standard base64 of a 64-byte detached signature, blanks and line
/// ends around it ignored) is the key's signature of exactly these bytes. False for an invalid
/// key and for a signature that cannot be read.
bool VerifySignature(const PublicKey& key, const QByteArray& data, const QByteArray& signatureBase64);

/// The SHA-256 digest of the bytes in lower-case hex.
QString Sha256Hex(const QByteArray& bytes);
/// The SHA-256 digest of the file in lower-case hex, read in blocks; empty when it cannot be read.
QString FileSha256Hex(const QString& path);

/// Whether a digest as written by a publisher (blanks around it ignored, any letter case) names
/// the computed digest. A missing or malformed digest never matches.
bool DigestMatches(const QString& expected, const QString& actual);
/// Whether the file can be read and its digest is the expected one.
bool FileMatchesDigest(const QString& path, const QString& expected);

} // namespace UpdateSignature
