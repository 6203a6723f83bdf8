#include "gui/HistoryWindow.h"

#include "platform/Desktop.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

namespace {
QString csvField(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

HistoryModel::HistoryModel(SubmissionHistory& history, QObject* parent)
    : QAbstractTableModel(parent), m_history(history)
{}

void HistoryModel::setFilter(const QString& filter)
{
    m_filter = filter;
    reload();
}

void HistoryModel::reload()
{
    beginResetModel();
    m_rows = m_history.attempts(m_filter, 0, kPageRows);
    m_atEnd = m_rows.size() < kPageRows;
    endResetModel();
}

QString HistoryModel::header(int column)
{
    switch (column) {
    case Time:
        return QStringLiteral("Time (UTC)");
    case Carnival:
        return QStringLiteral("Carnival");
    case Category:
        return QStringLiteral("Category");
    case Outcome:
        return QStringLiteral("Outcome");
    case Reason:
        return QStringLiteral("Reason");
    case HttpStatus:
        return QStringLiteral("HTTP status");
    case Permalink:
        return QStringLiteral("Permalink");
    case Title:
        return QStringLiteral("Post title");
    case CarnivalRef:
        return QStringLiteral("Carnival ref");
    case CategoryRef:
        return QStringLiteral("Category ref");
    case ListFile:
        return QStringLiteral("List file");
    default:
        return {};
    }
}

QString HistoryModel::cellText(const SubmissionAttempt& a, int column)
{
    switch (column) {
    case Time:
        return a.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Permalink:
        return a.permalink;
    case Title:
        return a.postTitle;
    case Carnival:
        return a.carnivalName;
    case CarnivalRef:
        return a.carnivalRef;
    case Category:
        return a.categoryName;
    case CategoryRef:
        return a.categoryRef;
    case Outcome:
        return SubmissionAttempt::outcomeText(a.outcome);
    case Reason:
        return a.reason;
    case HttpStatus:
        return a.httpStatus > 0 ? QString::number(a.httpStatus) : QString();
    case ListFile:
        return a.listFile;
    default:
        return {};
    }
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cellText(m_rows[index.row()], index.column());
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? QVariant(header(section)) : QVariant();
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_atEnd;
}

void HistoryModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || m_atEnd || m_rows.isEmpty())
        return;
    const QList<SubmissionAttempt> more = m_history.attempts(m_filter, m_rows.last().id, kPageRows);
    m_atEnd = more.size() < kPageRows;
    if (more.isEmpty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
    m_rows.append(more);
    endInsertRows();
}

HistoryWindow::HistoryWindow(SubmissionHistory& history, Desktop& desktop, QWidget* parent)
    : QDialog(parent), m_history(history), m_desktop(desktop)
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(QStringLiteral("Submission History"));
    resize(980, 420);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Filter:"), this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("historyFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Permalink, carnival or post title"));
    m_filter->setClearButtonEnabled(true);
    caption->setBuddy(m_filter);
    auto* exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportButton->setObjectName(QStringLiteral("exportCsvButton"));
    exportButton->setAutoDefault(false);
    top->addWidget(caption);
    top->addWidget(m_filter, 1);
    top->addWidget(exportButton);
    layout->addLayout(top);

    m_model = new HistoryModel(history, this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setAccessibleName(QStringLiteral("Submission attempts"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing measures the rows' contents, however many.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {135, 150, 100, 110, 90, 75, 230, 160, 80, 85};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_table->setColumnWidth(column, widths[column]);
    layout->addWidget(m_table, 1);

    auto* bottom = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("historyCount"));
    bottom->addWidget(m_count, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_model->setFilter(text.trimmed());
        showCount();
    });
    connect(exportButton, &QPushButton::clicked, this, &HistoryWindow::exportAsked);
}

void HistoryWindow::showInFront()
{
    m_model->reload();
    showCount();
    show();
    raise();
    activateWindow();
}

void HistoryWindow::showCount()
{
    if (!m_history.isOpen()) {
        m_count->setText(m_history.problem().isEmpty()
                             ? QStringLiteral("The submission history is not available.")
                             : m_history.problem());
        return;
    }
    const int shown = m_model->rowCount();
    m_count->setText(m_model->canFetchMore({})
                         ? QStringLiteral("%1+ attempts").arg(shown)
                         : QStringLiteral("%1 attempt%2").arg(shown).arg(shown == 1 ? "" : "s"));
}

void HistoryWindow::exportAsked()
{
    const QString path =
        m_desktop.saveFileName(QStringLiteral("Export Submission History"),
                               {{QStringLiteral("CSV files"), QStringLiteral("*.csv")}}, QString());
    if (path.isEmpty())
        return;
    QString error;
    if (!exportCsv(path, &error))
        m_desktop.showMessage(QStringLiteral("The history could not be exported: ") + error);
}

bool HistoryWindow::exportCsv(const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QStringList headers;
    for (int column = 0; column < HistoryModel::ColumnCount; ++column)
        headers.append(csvField(HistoryModel::header(column)));
    file.write((headers.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8());
    qint64 before = 0;
    for (;;) {
        const QList<SubmissionAttempt> page = m_history.attempts(m_model->filter(), before, 1000);
        for (const SubmissionAttempt& attempt : page) {
            QStringList fields;
            for (int column = 0; column < HistoryModel::ColumnCount; ++column)
                fields.append(csvField(HistoryModel::cellText(attempt, column)));
            file.write((fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8());
        }
        if (page.size() < 1000)
            break;
        before = page.last().id;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
