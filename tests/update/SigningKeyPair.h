#pragma once

// A publisher's key pair for tests, made with libsodium as vorlix-sign makes one.

#include <QByteArray>
#include <QString>

#include <sodium.h>

/// The 32-byte public key and the 64-byte secret key (seed, then public key).
struct SigningKeyPair
{
    QByteArray publicKey;
    QByteArray secretKey;

    static SigningKeyPair fromSeed(char fill)
    {
        SigningKeyPair pair;
        pair.publicKey.resize(crypto_sign_PUBLICKEYBYTES);
        pair.secretKey.resize(crypto_sign_SECRETKEYBYTES);
        const QByteArray seed(crypto_sign_SEEDBYTES, fill);
        crypto_sign_seed_keypair(reinterpret_cast<unsigned char*>(pair.publicKey.data()),
                                 reinterpret_cast<unsigned char*>(pair.secretKey.data()),
                                 reinterpret_cast<const unsigned char*>(seed.constData()));
        return pair;
    }

    QString publicKeyBase64() const { return QString::fromLatin1(publicKey.toBase64()); }

    QByteArray signatureBase64(const QByteArray& data) const
    {
        QByteArray signature(crypto_sign_BYTES, '\0');
        crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                             reinterpret_cast<const unsigned char*>(data.constData()), quint64(data.size()),
                             reinterpret_cast<const unsigned char*>(secretKey.constData()));
        return signature.toBase64();
    }
};
