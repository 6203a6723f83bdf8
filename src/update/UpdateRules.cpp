#include "update/UpdateRules.h"

#include "platform/VersionInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
constexpr qint32 kInvalid = -1;

qint32 words(quint32 upper, quint32 lower)
{
    return qint32(((upper & 0xFFFFu) << 16) | (lower & 0xFFFFu));
}

std::optional<quint32> parsePart(QStringView part)
{
    part = part.trimmed();
    if (part.isEmpty())
        return std::nullopt;
    for (QChar c : part)
        if (!c.isDigit() || c.unicode() > 0x7F)
            return std::nullopt;
    bool ok = false;
    const qulonglong value = part.toULongLong(&ok);
    return ok && value <= 0xFFFFFFFFull ? std::optional<quint32>(quint32(value)) : std::nullopt;
}
} // namespace

QString TVersion::text() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(quint32(high) >> 16)
        .arg(quint32(high) & 0xFFFFu)
        .arg(quint32(low) >> 16)
        .arg(quint32(low) & 0xFFFFu);
}

bool TVersion::isNewerThan(const TVersion& other) const
{
    return high > other.high || (high == other.high && low > other.low);
}

TVersion ParseVersionText(const QString& text)
{
    const QChar separator = text.contains(u',') ? u',' : u'.';
    const QList<QStringView> texts = QStringView(text).split(separator);
    if (texts.size() > 4)
        return {};
    quint32 parts[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const auto part = parsePart(texts[i]);
        if (!part)
            return {};
        parts[i] = *part;
    }
    return {words(parts[0], parts[1]), words(parts[2], parts[3])};
}

TVersion LocalFileVersion(const QString& path)
{
    const auto version = ReadFileVersion(path);
    if (!version)
        return {};
    return {words((*version)[0], (*version)[1]), words((*version)[2], (*version)[3])};
}

QString FileNameFromURL(const QString& address)
{
    QString name = address;
    for (QChar delimiter : {u'/', u'\\', u'?'})
        name = name.mid(name.lastIndexOf(delimiter) + 1);
    return name;
}

qint32 FileByteSum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kInvalid;
    quint32 sum = 0xFFFFFFFFu;
    char block[65536];
    qint64 count = 0;
    while ((count = file.read(block, sizeof block)) > 0)
        for (qint64 i = 0; i < count; ++i)
            sum += static_cast<unsigned char>(block[i]);
    return qint32(sum);
}

bool NeedsUpdate(QString& newVersion, QString& localPath, qint32 newSize, qint32 newCheckSum)
{
    if (newVersion.isEmpty() && newSize == 0 && newCheckSum == kInvalid)
        return true;
    if (localPath.isEmpty())
        return true;
    if (newCheckSum != kInvalid)
        return FileByteSum(localPath) != newCheckSum;
    if (newSize > 0) {
        // A missing or empty local file is not fetched by size.
        const QFileInfo local(localPath);
        const qint64 localSize = local.exists() ? local.size() : -1;
        return localSize != newSize && localSize > 0;
    }
    const TVersion offered = ParseVersionText(newVersion);
    const TVersion installed = LocalFileVersion(localPath);
    if (!offered.isValid() || !installed.isValid())
        return false;
    newVersion = offered.text();
    localPath = installed.text();
    return offered.isNewerThan(installed);
}

QDateTime UnknownDate()
{
    return QDateTime(QDate(1980, 1, 1), QTime(0, 0));
}

namespace {
std::optional<QDate> parseDate(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})\\s*$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(3).toInt();
    if (match.capturedLength(3) == 2)
        year += year < 50 ? 2000 : 1900; // two-digit years: 00-49 this century, 50-99 the last
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

std::optional<QTime> parseTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QTime time(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}
} // namespace

QDateTime ParseControlDate(const QString& date, const QString& time)
{
    const QDate day = parseDate(date).value_or(UnknownDate().date());
    const auto clock = time.isEmpty() ? std::nullopt : parseTime(time);
    return QDateTime(day, clock.value_or(QTime(0, 0)));
}

QDateTime LocalFileDate(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return UnknownDate();
    return info.lastModified();
}
