#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

/// Turns the bytes of a list file or the state file into text and lines.
class ListText final
{
public:
    /// Decides by the first bytes: FF FE is UTF-16 LE, FE FF UTF-16 BE, EF BB BF UTF-8 (the mark
    /// is skipped); anything else is read as the ANSI code page (see decodeAnsi).
    static QString decode(const QByteArray& bytes);
    /// UTF-8 when the bytes are valid UTF-8, otherwise Windows-1252, in which lists of earlier
    /// versions were written.
    static QString decodeAnsi(const QByteArray& bytes);
    static QString decodeWindows1252(const QByteArray& bytes);
    /// CR LF, a lone LF and a lone CR each end a line; a break after the last line adds no line.
    static QStringList splitLines(const QString& text);
};
