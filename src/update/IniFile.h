#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

/// A text file in Windows INI form, read once: "[section]" lines open sections, "key=value"
/// lines give values. Section and key names ignore letter case; a value is the text after the
/// first "=", trimmed, with one pair of enclosing quotes removed. The first occurrence of a key
/// wins, also across repeated sections of one name.
class IniFile final
{
public:
    IniFile() = default;
    /// Reads the file; a missing or unreadable file reads as empty.
    explicit IniFile(const QString& path);
    static IniFile fromText(const QString& text);
    /// The bytes of a file, decoded as the file constructor decodes them.
    static IniFile fromBytes(const QByteArray& bytes);

    bool SectionExists(const QString& section) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    /// An optional "-" and decimal digits, or "$", "0x" or "0X" and hexadecimal digits (no sign), as
    /// the updater reads them; anything that is not a 32-bit integer gives the default.
    qint32 ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    /// On only when the integer value is 1.
    bool ReadFlag(const QString& section, const QString& key, bool defaultValue = false) const;

    static std::optional<qint32> parseInteger(const QString& text);

private:
    void parse(const QString& text);
    std::optional<QString> find(const QString& section, const QString& key) const;

    QHash<QString, QHash<QString, QString>> m_sections; // lower-case names
};
