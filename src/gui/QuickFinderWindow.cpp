#include "gui/QuickFinderWindow.h"

#include "search/QuickFinderController.h"
#include "search/QuickFinderControls.h"

#include <QAccessibleWidget>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int kFullStop = 46;

// A plain widget window reads as a bare panel to a screen reader; this one is a window of its own.
QAccessibleInterface* accessibleAsWindow(const QString&, QObject* object)
{
    if (auto* window = qobject_cast<QuickFinderWindow*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}
} // namespace

QuickFinderWindow::QuickFinderWindow(QuickFinderController& form,
                                     std::function<void(const std::function<void()>&)> run, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_form(form),
      m_run(std::move(run))
{
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleAsWindow), true);
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("quickFinderWindow"));
    setWindowTitle(QuickFinder::kWindowCaption);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(445, 527);
    move(0, 0);
    build();

    connect(&form.controls, &ControlStates::changed, this, &QuickFinderWindow::showControlState);
    for (const QString& control : form.controls.controls())
        showControlState(control);
    connect(&form, &QuickFinderController::hideRequested, this, &QWidget::hide);
    connect(&form.results, &CarnivalList::currentRowChanged, this, &QuickFinderWindow::followCurrentRow);
    const auto follow = [this] { followCurrentRow(m_form.results.currentRow()); };
    connect(&form.results, &QAbstractItemModel::modelReset, this, follow);
    connect(&form.results, &QAbstractItemModel::rowsRemoved, this, follow);
    connect(&form.results, &QAbstractItemModel::rowsInserted, this, follow);
}

void QuickFinderWindow::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    auto* box = new QGroupBox(QuickFinder::kGroupCaption, this);
    box->setObjectName(QuickFinder::GroupBox);
    layout->addWidget(box);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(12, 6, 12, 6);
    boxLayout->setSpacing(6);

    auto* searchRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Enter Keyword Here:"), box);
    label->setObjectName(QuickFinder::KeywordLabel);
    m_keyword = new QLineEdit(box);
    m_keyword->setObjectName(QuickFinder::Keyword);
    label->setBuddy(m_keyword); // names the field for screen readers
    auto* find = new QPushButton(QStringLiteral("Find"), box);
    find->setObjectName(QuickFinder::FindButton);
    find->setFixedWidth(51);
    searchRow->addWidget(label);
    searchRow->addWidget(m_keyword, 1);
    searchRow->addWidget(find);
    boxLayout->addLayout(searchRow);

    m_results = new QTableView(box);
    m_results->setObjectName(QuickFinder::Results);
    m_results->setModel(&m_form.results);
    m_results->setToolTip(QuickFinder::kResultsHint);
    m_results->setAccessibleName(QStringLiteral("Results"));
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_results->horizontalHeader()->hide();
    m_results->verticalHeader()->hide();
    m_results->horizontalHeader()->setDefaultSectionSize(425);
    m_results->verticalHeader()->setDefaultSectionSize(20);
    m_results->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_results->installEventFilter(this);
    boxLayout->addWidget(m_results, 1);
    connect(m_results->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QuickFinderWindow::takeUsersSelection);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const QString& name, const QString& text, std::function<void()> handler) {
        auto* button = new QPushButton(text, box);
        button->setObjectName(name);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, handler = std::move(handler)] { m_run(handler); });
    };
    addButton(QuickFinder::AddButton, QuickFinder::kAddToCurrentList,
              [this] { m_form.addSelectedResults(); });
    addButton(QuickFinder::DeleteRowButton, QStringLiteral("Delete Row"),
              [this] { m_form.deleteCurrentResult(); });
    addButton(QuickFinder::ClearAllButton, QStringLiteral("Clear All"), [this] { m_form.clearAllResults(); });
    addButton(QuickFinder::CloseButton, QStringLiteral("Close"), [this] { m_form.closeFinder(); });
    boxLayout->addLayout(buttons);

    auto* totals = new QHBoxLayout;
    auto* total = new QLabel(QStringLiteral("Total Results: "), box);
    total->setObjectName(QuickFinder::TotalLabel);
    auto* found = new QLabel(box);
    found->setObjectName(QuickFinder::FoundResults);
    found->setStyleSheet(QStringLiteral("color: #1b7a1b; font-weight: bold;"));
    totals->addWidget(total);
    totals->addWidget(found, 1);
    boxLayout->addLayout(totals);

    // Counted for Delete Row, never seen: it lies under the grid.
    auto* count = new QLabel(QStringLiteral("0"), box);
    count->setObjectName(QuickFinder::ResultCount);
    count->hide();

    connect(find, &QPushButton::clicked, this, [this] { m_run([this] { m_form.find(); }); });
    connect(m_keyword, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_run([this, text] { m_form.keywordEdited(text); }); });
    connect(m_keyword, &QLineEdit::returnPressed, this,
            [this] { m_run([this] { m_form.keywordKeyTyped(13); }); });
    setTabOrder(m_keyword, find);
    setTabOrder(find, m_results);
}

void QuickFinderWindow::showInFront()
{
    if (!isVisible())
        placeBesideOwner();
    // Shown again, the keyword is selected: typing replaces it.
    m_keyword->selectAll();
    show();
    raise();
    activateWindow();
}

QPoint QuickFinderWindow::placeBeside(const QRect& owner, const QSize& size, const QRect& screen)
{
    const int top = std::max(screen.top(), owner.top());
    if (owner.right() + size.width() <= screen.right())
        return {owner.right() + 1, top};
    if (owner.left() - size.width() >= screen.left())
        return {owner.left() - size.width(), top};
    return {screen.right() + 1 - size.width(), top};
}

void QuickFinderWindow::placeBesideOwner()
{
    const QWidget* owner = parentWidget();
    if (!owner || !owner->isVisible() || !owner->screen())
        return;
    move(placeBeside(owner->frameGeometry(), frameGeometry().size(), owner->screen()->availableGeometry()));
}

void QuickFinderWindow::showControlState(const QString& control)
{
    const ControlStates& states = m_form.controls;
    if (control == QuickFinder::Keyword) {
        if (m_keyword->text() != states.text(control)) {
            const int cursor = m_keyword->cursorPosition();
            m_keyword->setText(states.text(control));
            m_keyword->setCursorPosition(cursor);
        }
        return;
    }
    QWidget* widget = findChild<QWidget*>(control);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(states.text(control));
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(states.text(control));
}

void QuickFinderWindow::followCurrentRow(int row)
{
    if (m_takingSelection)
        return;
    const QModelIndex at = m_form.results.index(row, 0);
    m_results->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_results->scrollTo(at);
}

// The row where the user began the selection is the current row; the other end is the one that moves.
void QuickFinderWindow::takeUsersSelection()
{
    const QModelIndexList rows = m_results->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    int top = rows.first().row(), bottom = top;
    for (const QModelIndex& index : rows) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
    }
    const int moving = m_results->selectionModel()->currentIndex().row();
    const int anchor = moving == top ? bottom : top;
    m_takingSelection = true;
    m_form.results.setCurrentRow(anchor);
    m_form.setSelectionSpan(top, bottom);
    m_takingSelection = false;
}

bool QuickFinderWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_results && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->text() == QStringLiteral(".")) {
        m_run([this] { m_form.resultsKeyTyped(kFullStop); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool QuickFinderWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        m_run([this] { m_form.activated(); });
    return QWidget::event(event);
}
