#include "lists/ListText.h"

#include <QStringDecoder>

#include <array>

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < static_cast<qsizetype>(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char byte : mark) {
        if (static_cast<unsigned char>(bytes[i++]) != byte)
            return false;
    }
    return true;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// 0x80-0x9F of Windows-1252; the five unassigned bytes keep their C1 control code point, as
// Windows itself maps them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString ListText::decode(const QByteArray& bytes)
{
    if (startsWith(bytes, {0xFF, 0xFE}))
        return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (startsWith(bytes, {0xFE, 0xFF}))
        return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    return decodeAnsi(bytes);
}

QString ListText::decodeAnsi(const QByteArray& bytes)
{
    // Keep a leading U+FEFF as text: a marked file never reaches here through decode().
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    return decodeWindows1252(bytes);
}

QString ListText::decodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
    }
    return text;
}

QStringList ListText::splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype size = text.size();
    const QChar* data = text.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}
