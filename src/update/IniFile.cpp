#include "update/IniFile.h"

#include "updater/IntegerText.h"

#include <QFile>
#include <QStringDecoder>

namespace {
QString decode(const QByteArray& bytes)
{
    // A byte-order mark decides; otherwise UTF-8 when it is valid, else Latin-1, so no byte is lost.
    if (auto encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*encoding);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString unquote(const QString& value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

IniFile::IniFile(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        parse(decode(file.readAll()));
}

IniFile IniFile::fromBytes(const QByteArray& bytes)
{
    return fromText(decode(bytes));
}

IniFile IniFile::fromText(const QString& text)
{
    IniFile ini;
    ini.parse(text);
    return ini;
}

void IniFile::parse(const QString& text)
{
    QHash<QString, QString>* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = close < 0 ? line.mid(1) : line.mid(1, close - 1);
            current = &m_sections[name.trimmed().toString().toLower()];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toString().toLower();
        if (!current->contains(key))
            current->insert(key, unquote(line.mid(equals + 1).trimmed().toString()));
    }
}

std::optional<QString> IniFile::find(const QString& section, const QString& key) const
{
    const auto s = m_sections.constFind(section.toLower());
    if (s == m_sections.constEnd())
        return std::nullopt;
    const auto k = s->constFind(key.toLower());
    if (k == s->constEnd())
        return std::nullopt;
    return *k;
}

bool IniFile::SectionExists(const QString& section) const
{
    return m_sections.contains(section.toLower());
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return find(section, key).value_or(defaultValue);
}

qint32 IniFile::ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const
{
    const auto value = find(section, key);
    return value ? parseInteger(*value).value_or(defaultValue) : defaultValue;
}

bool IniFile::ReadFlag(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) == 1;
}

std::optional<qint32> IniFile::parseInteger(const QString& text)
{
    // The updater's rule, so that both read the same file alike.
    return updater::parseIntText(QStringView(text).trimmed().toUtf8().toStdString());
}
