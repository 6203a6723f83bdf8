#include "gui/CarnivalGridView.h"

#include "lists/CarnivalList.h"

#include <QHeaderView>

#include <algorithm>
#include <utility>

namespace {
constexpr int kColumnWidth = 260;
constexpr int kVisibleColumns = 2; // carnival and category names
} // namespace

CarnivalGridView::CarnivalGridView(CarnivalList& list, const QString& name, QWidget* parent)
    : QTableView(parent), m_list(list)
{
    setObjectName(name);
    setModel(&list);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setWordWrap(false);
    // Tab leaves the grid for the next control; the arrows move between rows.
    setTabKeyNavigation(false);
    // The ref columns are never shown; the category column takes what the grid's width leaves.
    showNameColumnsOnly();
    connect(&list, &QAbstractItemModel::modelReset, this, &CarnivalGridView::showNameColumnsOnly);
    connect(&list, &QAbstractItemModel::columnsInserted, this, &CarnivalGridView::showNameColumnsOnly);

    connect(&list, &CarnivalList::currentRowChanged, this, &CarnivalGridView::followCurrentRow);
    // Rows that come and go move the view's index by themselves; the list's current row decides.
    const auto follow = [this] { followCurrentRow(m_list.currentRow()); };
    connect(&list, &QAbstractItemModel::modelReset, this, follow);
    connect(&list, &QAbstractItemModel::rowsInserted, this, follow);
    connect(&list, &QAbstractItemModel::rowsRemoved, this, follow);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CarnivalGridView::takeUsersRow);
    followCurrentRow(list.currentRow());
}

// Only the names are the user's to see: refs (and any column a file added) stay hidden, and the
// two name columns fill the grid's width exactly, so that nothing scrolls sideways.
void CarnivalGridView::showNameColumnsOnly()
{
    for (int column = kVisibleColumns; column < model()->columnCount(); ++column)
        setColumnHidden(column, true);
    fitNameColumns();
}

void CarnivalGridView::fitNameColumns()
{
    horizontalHeader()->resizeSection(0, kColumnWidth);
    horizontalHeader()->resizeSection(1, std::max(kColumnWidth / 2, viewport()->width() - kColumnWidth));
}

void CarnivalGridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitNameColumns();
}

void CarnivalGridView::followCurrentRow(int row)
{
    const bool userInput = std::exchange(m_userInput, false);
    const QModelIndex at = model()->index(row, 0);
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at);
    m_userInput = userInput;
}

// Only a change that the user's own key or click made runs the selection handler.
void CarnivalGridView::takeUsersRow(const QModelIndex& current)
{
    if (!m_userInput || !current.isValid() || current.row() == m_list.currentRow())
        return;
    m_list.setCurrentRow(current.row());
    emit selectionChangedByUser();
}

void CarnivalGridView::keyPressEvent(QKeyEvent* event)
{
    m_userInput = true;
    QTableView::keyPressEvent(event);
    m_userInput = false;
}

void CarnivalGridView::mousePressEvent(QMouseEvent* event)
{
    m_userInput = true;
    QTableView::mousePressEvent(event);
    m_userInput = false;
}

void CarnivalGridView::mouseMoveEvent(QMouseEvent* event)
{
    m_userInput = true;
    QTableView::mouseMoveEvent(event);
    m_userInput = false;
}
