#include "directory/CarnivalCatalog.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int kMaxRefDigits = 18;

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

class TsvReader
{
public:
    explicit TsvReader(CarnivalCatalog& catalog) : m_catalog(catalog) {}

    void readLine(const QString& rawLine, int lineNumber)
    {
        m_lineNumber = lineNumber;
        QString line = rawLine;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            return;

        const QStringList columns = line.split(QLatin1Char('\t'));
        if (columns.size() < 2 || columns.size() > 4)
            fail(QStringLiteral("expected 2 to 4 tab-separated columns, found %1").arg(columns.size()));

        const qint64 ref = carnivalRef(columns[0]);
        const QString name = columns[1].trimmed();
        if (name.isEmpty())
            fail(QStringLiteral("carnival %1 has no name").arg(ref));

        Carnival carnival = carnivalFor(ref, name);
        const QString categoryRefText = columns.value(2).trimmed();
        const QString categoryName = columns.value(3).trimmed();
        addCategory(carnival, categoryRefText, categoryName);
        m_catalog.add(carnival);
    }

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw CatalogError(QStringLiteral("line %1: %2").arg(m_lineNumber).arg(what));
    }

    qint64 carnivalRef(const QString& text) const
    {
        qint64 ref = 0;
        if (!CarnivalCatalog::parseRef(text.trimmed(), &ref))
            fail(QStringLiteral("the carnival ref %1 is not a whole number").arg(quoted(text)));
        if (ref == 0)
            fail(QStringLiteral("the carnival ref must be greater than 0"));
        return ref;
    }

    Carnival carnivalFor(qint64 ref, const QString& name) const
    {
        const Carnival* known = m_catalog.find(ref);
        if (!known) {
            Carnival carnival;
            carnival.ref = ref;
            carnival.name = name;
            return carnival;
        }
        if (known->name != name)
            fail(QStringLiteral("carnival %1 is named %2 here but %3 before")
                     .arg(ref)
                     .arg(quoted(name), quoted(known->name)));
        return *known;
    }

    void addCategory(Carnival& carnival, const QString& refText, const QString& name) const
    {
        qint64 ref = 0;
        if (!refText.isEmpty() && !CarnivalCatalog::parseRef(refText, &ref))
            fail(QStringLiteral("the category ref %1 is not a whole number").arg(quoted(refText)));
        if (ref == 0) {
            if (!name.isEmpty())
                fail(QStringLiteral("the category %1 has no ref").arg(quoted(name)));
            return;
        }
        if (name.isEmpty())
            fail(QStringLiteral("category %1 has no name").arg(ref));
        for (const CarnivalCategory& category : carnival.categories) {
            if (category.ref == ref)
                fail(QStringLiteral("category %1 appears twice for carnival %2").arg(ref).arg(carnival.ref));
        }
        carnival.categories.append({ref, name});
    }

    CarnivalCatalog& m_catalog;
    int m_lineNumber = 0;
};

} // namespace

// Resources of a static library are registered only when asked for by name.
static void registerSampleResource()
{
    Q_INIT_RESOURCE(carnivals);
}

CarnivalCatalog CarnivalCatalog::sample()
{
    registerSampleResource();
    return fromFile(QStringLiteral(":/directory/carnivals.tsv"));
}

CarnivalCatalog CarnivalCatalog::fromTsv(const QByteArray& data)
{
    CarnivalCatalog catalog;
    TsvReader reader(catalog);
    const QStringList lines = QString::fromUtf8(data).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i)
        reader.readLine(lines[i], static_cast<int>(i + 1));
    return catalog;
}

CarnivalCatalog CarnivalCatalog::fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CatalogError(
            QStringLiteral("Cannot read the carnival data %1: %2").arg(quoted(path), file.errorString()));
    try {
        return fromTsv(file.readAll());
    } catch (const CatalogError& error) {
        throw CatalogError(QFileInfo(path).fileName() + QStringLiteral(", ") + error.text());
    }
}

void CarnivalCatalog::add(const Carnival& carnival)
{
    if (carnival.ref <= 0)
        throw CatalogError(QStringLiteral("the carnival ref must be greater than 0"));
    const auto known = m_indexByRef.constFind(carnival.ref);
    if (known != m_indexByRef.constEnd()) {
        m_carnivals[*known] = carnival;
        return;
    }
    m_indexByRef.insert(carnival.ref, m_carnivals.size());
    m_carnivals.append(carnival);
}

const Carnival* CarnivalCatalog::find(qint64 ref) const
{
    const auto known = m_indexByRef.constFind(ref);
    return known == m_indexByRef.constEnd() ? nullptr : &m_carnivals[*known];
}

const Carnival* CarnivalCatalog::findOffered(qint64 ref) const
{
    const Carnival* carnival = find(ref);
    return carnival && !carnival->expired ? carnival : nullptr;
}

QList<qint64> CarnivalCatalog::expire(const QList<qint64>& refs)
{
    QList<qint64> unknown;
    for (qint64 ref : refs) {
        const auto known = m_indexByRef.constFind(ref);
        if (known == m_indexByRef.constEnd())
            unknown.append(ref);
        else
            m_carnivals[*known].expired = true;
    }
    return unknown;
}

bool CarnivalCatalog::parseRef(const QString& text, qint64* ref)
{
    if (text.isEmpty() || text.size() > kMaxRefDigits)
        return false;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    *ref = value;
    return true;
}
