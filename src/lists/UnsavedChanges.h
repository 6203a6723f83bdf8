#pragma once

#include <QObject>

class CarnivalList;

/// Whether a list changed since it was loaded or saved: every change of its rows or cells counts,
/// moving its current row does not.
class UnsavedChanges final : public QObject
{
    Q_OBJECT

public:
    explicit UnsavedChanges(CarnivalList& list, QObject* parent = nullptr);

    bool isModified() const { return m_modified; }
    /// The list now matches its file (or was just loaded): nothing to lose.
    void markSaved();

signals:
    /// After every change of the list and after markSaved.
    void changed();

private:
    void markModified();

    bool m_modified = false;
};
