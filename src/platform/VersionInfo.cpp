#include "platform/VersionInfo.h"

#include <QFile>

#include <cstring>

namespace {
constexpr std::uint32_t kSignature = 0xFEEF04BDu;
constexpr std::uint32_t kStructVersion = 0x00010000u;
constexpr int kRecordSize = 13 * 4;

std::uint32_t readLittleEndian(const char* at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(at);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}
} // namespace

std::optional<FileVersion> ReadFileVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    // The record is 4-byte aligned; its structure version after the signature tells it from a
    // stray occurrence of the four signature bytes.
    for (qsizetype at = 0; at + kRecordSize <= bytes.size(); at += 4) {
        const char* p = bytes.constData() + at;
        if (readLittleEndian(p) != kSignature || readLittleEndian(p + 4) != kStructVersion)
            continue;
        const std::uint32_t ms = readLittleEndian(p + 8);
        const std::uint32_t ls = readLittleEndian(p + 12);
        return FileVersion{std::uint16_t(ms >> 16), std::uint16_t(ms & 0xFFFF), std::uint16_t(ls >> 16),
                           std::uint16_t(ls & 0xFFFF)};
    }
    return std::nullopt;
}

QString FileVersionText(const FileVersion& version)
{
    return QStringLiteral("%1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]);
}

QString GetAppVersion(const QString& executable)
{
    const auto version = ReadFileVersion(executable);
    return version ? FileVersionText(*version) : QString();
}
