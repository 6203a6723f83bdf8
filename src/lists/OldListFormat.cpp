#include "lists/OldListFormat.h"

#include "lists/CarnivalEntry.h"

namespace OldListFormat {

bool isOldFormatLine(const QString& line)
{
    return line.contains(u'@') && !line.contains(u'\t');
}

QString convertLine(const QString& line)
{
    CarnivalEntry entry;
    const qsizetype ref = line.indexOf(u'@');
    entry.carnivalRef = line.left(ref); // the whole line when there is no separator
    if (ref >= 0) {
        const qsizetype name = line.indexOf(u"@@", ref + 1);
        entry.categoryRef = line.mid(ref + 1, name < 0 ? -1 : name - ref - 1);
        if (name >= 0) {
            const qsizetype category = line.indexOf(u"@@@", name + 2);
            entry.carnival = line.mid(name + 2, category < 0 ? -1 : category - name - 2);
            if (category >= 0)
                entry.category = line.mid(category + 3);
        }
    }
    const QChar tab = u'\t';
    return entry.carnival + tab + entry.category + tab + entry.carnivalRef + tab + entry.categoryRef + tab;
}

} // namespace OldListFormat
