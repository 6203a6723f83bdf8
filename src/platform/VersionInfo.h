#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

/// The four 16-bit parts of a file version, as in 3.2.0.28.
using FileVersion = std::array<std::uint16_t, 4>;

/// The fixed file-version record of an executable: the record the build puts into our programs
/// (signature 0xFEEF04BD). None when the file cannot be read or holds no record.
std::optional<FileVersion> ReadFileVersion(const QString& path);
/// "a.b.c.d".
QString FileVersionText(const FileVersion& version);
/// The program's own version as text; empty when its executable holds no version record.
QString GetAppVersion(const QString& executable);
