#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>

/// Writes a stand-in executable holding a fixed file-version record a.b.c.d after some filler,
/// as the build embeds one into our programs.
inline bool WriteVersionedFile(const QString& path, std::array<std::uint16_t, 4> version)
{
    const auto dword = [](std::uint32_t value) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    QByteArray content(32, 'x'); // 4-byte aligned filler
    content += dword(0xFEEF04BDu) + dword(0x00010000u);
    content += dword(std::uint32_t(version[0]) << 16 | version[1]) +
               dword(std::uint32_t(version[2]) << 16 | version[3]);
    content += QByteArray(9 * 4, '\0');
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}
