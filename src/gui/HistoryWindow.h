#pragma once

#include "site/SubmissionHistory.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QList>

#include <functional>

class Desktop;
class QLabel;
class QLineEdit;
class QTableView;

/// The submission history as a table, newest first, read a page at a time as the view scrolls, so
/// that a long history opens and filters at once.
class HistoryModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int kPageRows = 200;
    enum Column
    {
        Time,
        Carnival,
        Category,
        Outcome,
        Reason,
        HttpStatus,
        Permalink,
        Title,
        CarnivalRef,
        CategoryRef,
        ListFile,
        ColumnCount
    };

    explicit HistoryModel(SubmissionHistory& history, QObject* parent = nullptr);

    /// Shows the attempts whose permalink, carnival or title holds filter; empty shows all.
    void setFilter(const QString& filter);
    QString filter() const { return m_filter; }
    /// Reads the history again from its newest attempt.
    void reload();
    const SubmissionAttempt& attempt(int row) const { return m_rows[row]; }

    /// The text of a cell, as shown and exported.
    static QString cellText(const SubmissionAttempt& attempt, int column);
    static QString header(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    SubmissionHistory& m_history;
    QString m_filter;
    QList<SubmissionAttempt> m_rows;
    bool m_atEnd = false;
};

/// File > Submission History...: the table, a filter box and "Export CSV...".
class HistoryWindow final : public QDialog
{
    Q_OBJECT

public:
    HistoryWindow(SubmissionHistory& history, Desktop& desktop, QWidget* parent = nullptr);

    /// Reads the history again and shows the window in front.
    void showInFront();
    /// Writes every attempt the filter shows (not only those read so far) to path as CSV (UTF-8,
    /// a header line, RFC 4180 quoting); false with the reason when it could not.
    bool exportCsv(const QString& path, QString* error = nullptr);

    HistoryModel& model() { return *m_model; }
    QLineEdit* filterBox() const { return m_filter; }
    QTableView* table() const { return m_table; }

private:
    void exportAsked();
    void showCount();

    SubmissionHistory& m_history;
    Desktop& m_desktop;
    HistoryModel* m_model = nullptr;
    QLineEdit* m_filter = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_count = nullptr;
};
