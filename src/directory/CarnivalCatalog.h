#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <stdexcept>

/// One category of a carnival: its ref is the category drop-down's option value.
struct CarnivalCategory
{
    qint64 ref = 0;
    QString name;
};

/// One carnival of the directory: its ref is the carnival drop-down's option value.
struct Carnival
{
    qint64 ref = 0;
    QString name;
    QList<CarnivalCategory> categories;
    bool expired = false;
};

/// Raised when a catalog's data cannot be read; the text names the line and what is wrong.
class CatalogError : public std::runtime_error
{
public:
    explicit CatalogError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

/// The carnivals the directory knows, in the order the form offers them.
///
/// The data form is UTF-8 text, one line per category: carnival ref, carnival name, category ref,
/// category name, separated by tabs. A carnival without categories has one line with the category
/// columns empty (or a category ref of 0). Blank lines and lines starting with "#" are skipped.
/// Refs are whole numbers written in digits; carnival refs are greater than 0.
class CarnivalCatalog
{
public:
    /// The sample catalog built into the program (a few hundred carnivals).
    static CarnivalCatalog sample();
    /// Reads a catalog from data in the form above. Throws CatalogError.
    static CarnivalCatalog fromTsv(const QByteArray& data);
    /// Reads a catalog from a file. Throws CatalogError, naming the file.
    static CarnivalCatalog fromFile(const QString& path);

    /// Adds a carnival at the end; replaces one with the same ref in place. Throws CatalogError
    /// for a ref that is not greater than 0.
    void add(const Carnival& carnival);

    const QList<Carnival>& carnivals() const { return m_carnivals; }
    int size() const { return static_cast<int>(m_carnivals.size()); }
    bool isEmpty() const { return m_carnivals.isEmpty(); }

    /// The carnival with the ref, expired or not; nullptr when there is none.
    const Carnival* find(qint64 ref) const;
    /// The carnival with the ref when the form offers it (known and not expired); else nullptr.
    const Carnival* findOffered(qint64 ref) const;

    /// Marks the carnivals expired: the form no longer offers them. Returns the refs it does not know.
    QList<qint64> expire(const QList<qint64>& refs);

    /// Parses a ref: digits only, at most 18 of them. False for anything else, sign and blanks included.
    static bool parseRef(const QString& text, qint64* ref);

private:
    QList<Carnival> m_carnivals;
    QHash<qint64, qsizetype> m_indexByRef;
};
