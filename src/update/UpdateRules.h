#pragma once

#include <QDateTime>
#include <QString>

/// A version as two 32-bit words: a.b.c.d is high = a*65536+b, low = c*65536+d. A word with
/// every bit set marks the version as not valid.
struct TVersion
{
    qint32 high = -1;
    qint32 low = -1;

    bool isValid() const { return high != -1 && low != -1; }
    /// "a.b.c.d".
    QString text() const;
    /// Newer when the high words (then the low words) compare greater as signed integers.
    bool isNewerThan(const TVersion& other) const;
};

/// Parts separated by "," when the text holds one, else by "."; at most four decimal parts, each
/// cut to 16 bits. A text with more parts or with a part that is not a number is not valid.
TVersion ParseVersionText(const QString& text);
/// The version record of the file; not valid when it has none or cannot be read.
TVersion LocalFileVersion(const QString& path);

/// The local name of a fetched file: the text after the last "/", then after the last "\",
/// then after the last "?".
QString FileNameFromURL(const QString& address);

/// A 32-bit sum that starts at -1 and adds every byte unsigned, wrapping; -1 also when the file
/// cannot be read.
qint32 FileByteSum(const QString& path);

/// Whether the file at localPath should be fetched, by checksum, else size, else version (in that
/// order of precedence). After a version comparison both in-out texts hold the versions as a.b.c.d.
bool NeedsUpdate(QString& newVersion, QString& localPath, qint32 newSize, qint32 newCheckSum);

/// 1 January 1980, 00:00 local time: the date of anything unknown.
QDateTime UnknownDate();
/// A "dd/mm/yyyy" date plus an optional "hh:nn[:ss]" time, whatever the user's regional settings.
/// An unreadable date gives UnknownDate(); an unreadable time adds nothing.
QDateTime ParseControlDate(const QString& date, const QString& time);
/// The file's last-write time in local time; UnknownDate() for an empty path or a missing file.
QDateTime LocalFileDate(const QString& path);
