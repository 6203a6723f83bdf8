#include "site/TextSearch.h"

int instr(int start, const QString& text, const QString& pattern)
{
    if (start <= 0 || start > text.size() || pattern.isEmpty())
        return 0;
    const QStringView slice = QStringView(text).mid(start - 1, text.size() - start);
    const qsizetype found = slice.indexOf(pattern);
    if (found < 0)
        return 0;
    return start + static_cast<int>(found) + 1;
}

QString decodeOptionText(const QString& markup)
{
    static const struct
    {
        QLatin1String entity;
        QChar character;
    } kEntities[] = {
        {QLatin1String("&amp;"), '&'}, {QLatin1String("&lt;"), '<'}, {QLatin1String("&gt;"), '>'}};
    QString text;
    text.reserve(markup.size());
    for (qsizetype i = 0; i < markup.size();) {
        bool decoded = false;
        if (markup[i] == '&') {
            for (const auto& [entity, character] : kEntities) {
                if (QStringView(markup).mid(i).startsWith(entity)) {
                    text += character;
                    i += entity.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded)
            text += markup[i++];
    }
    return text;
}
