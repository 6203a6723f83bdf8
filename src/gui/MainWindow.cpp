#include "gui/MainWindow.h"

#include "app/MainController.h"
#include "gui/CarnivalGridView.h"
#include "gui/GroupStretcher.h"
#include "platform/ControlNames.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kEnter = 13;

bool isEnterKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}
} // namespace

MainWindow::MainWindow(MainController& form, QWidget* view1, QWidget* view2, QWidget* parent)
    : QMainWindow(parent), m_form(form)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Vorlix Pro 3"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    buildMenus();
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("tabs"));
    // The page names its fields; the view itself is what the focus lands on first.
    view1->setAccessibleName(QStringLiteral("Carnival submission form"));
    view2->setAccessibleName(QStringLiteral("Carnival form for the new list"));
    m_pages->addTab(buildSubmitTab(view1), QStringLiteral("Submit to Blog Carnivals"));
    m_pages->addTab(buildNewListTab(view2), QStringLiteral("Create a New List"));
    setCentralWidget(m_pages);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("statusBar"));
    status->setSizeGripEnabled(true);
    status->setFixedHeight(20);
    auto* statusText = new QLabel(status);
    statusText->setObjectName(QStringLiteral("statusPanel"));
    status->addWidget(statusText, 1);
    auto* progress = new QProgressBar(status);
    progress->setObjectName(Controls::SubmitProgress);
    progress->setFixedWidth(160);
    progress->setTextVisible(true);
    progress->setFormat(QStringLiteral("%v of %m"));
    progress->setAccessibleName(QStringLiteral("Submission progress"));
    status->addPermanentWidget(progress);
    setStatusBar(status);
    resize(672, 22 + 2 + 523 + 20);

    connectButtons();
    connect(this, &MainWindow::gridSelectionChangedByUser, this, [this](int grid) {
        run([this, grid] {
            grid == 1 ? m_form.selectionChanged(Tab::CurrentList) : m_form.selectionChanged(Tab::NewList);
        });
    });

    connect(m_pages, &QTabWidget::currentChanged, this,
            [this](int tab) { run([this, tab] { m_form.tabChanged(tab); }); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const bool wasInside = old && m_pages->isAncestorOf(old);
        if (now && m_pages->isAncestorOf(now) && !wasInside)
            run([this] { m_form.tabsFocused(); });
    });
    connect(&m_form.listFiles.currentListChanges(), &UnsavedChanges::changed, this,
            &MainWindow::showUnsavedChanges);
    connect(&m_form.listFiles.newListChanges(), &UnsavedChanges::changed, this,
            &MainWindow::showUnsavedChanges);
    connect(&m_form.controls, &ControlStates::changed, this, &MainWindow::showControlState);
    for (const QString& control : m_form.controls.controls())
        showControlState(control);
    qApp->installEventFilter(this);
}

// Hiding the window while it is destroyed moves the focus: stop listening before the members go.
MainWindow::~MainWindow()
{
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    qApp->removeEventFilter(this);
}

void MainWindow::connectButtons()
{
    const std::pair<const char*, std::function<void()>> handlers[] = {
        {"openListButton", [this] { m_form.openList(); }},
        {"addItemButton", [this] { m_form.addChosenCarnival(Tab::CurrentList); }},
        {"deleteItemButton", [this] { m_form.deleteRow(Tab::CurrentList); }},
        {"saveButton", [this] { m_form.saveCurrentList(); }},
        {"clearListButton", [this] { m_form.clearList(Tab::CurrentList); }},
        {"quickFindButton", [this] { m_form.showQuickFinder(); }},
        {"checkInactivesButton", [this] { m_form.checkInactives(); }},
        {"changeCategoryButton", [this] { m_form.changeCategory(Tab::CurrentList); }},
        {"manualSubmitButton", [this] { m_form.manualSubmit(); }},
        {"autoSubmitButton", [this] { m_form.autoSubmit(); }},
        {"refreshButton", [this] { m_form.refreshPage(Tab::CurrentList); }},
        {"resetPageButton", [this] { m_form.resetPage(Tab::CurrentList); }},
        {"newListQuickFindButton", [this] { m_form.showQuickFinder(); }},
        {"addNewButton", [this] { m_form.addChosenCarnival(Tab::NewList); }},
        {"deleteNewItemButton", [this] { m_form.deleteRow(Tab::NewList); }},
        {"saveNewListButton", [this] { m_form.saveNewList(); }},
        {"clearNewListButton", [this] { m_form.clearList(Tab::NewList); }},
        {"changeNewCategoryButton", [this] { m_form.changeCategory(Tab::NewList); }},
        {"newListRefreshButton", [this] { m_form.refreshPage(Tab::NewList); }},
        {"newListResetPageButton", [this] { m_form.resetPage(Tab::NewList); }},
    };
    for (const auto& [control, handler] : handlers)
        onClick(QString::fromLatin1(control), handler);
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    const auto fileItem = [this, file](const QString& name, const QString& text, const QKeySequence& keys,
                                       std::function<void()> handler) {
        QAction* action = file->addAction(text);
        action->setObjectName(name);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
    };
    fileItem(QStringLiteral("openListAction"), QStringLiteral("&Open List..."),
             QKeySequence(Qt::CTRL | Qt::Key_O), [this] { m_form.openList(); });
    fileItem(QStringLiteral("saveAction"), QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
             [this] { m_form.saveActiveList(); });
    fileItem(QStringLiteral("saveAsAction"), QStringLiteral("Save &As..."),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { m_form.saveActiveListAs(); });
    QAction* history = file->addAction(QStringLiteral("Submission &History..."));
    history->setObjectName(QStringLiteral("submissionHistoryAction"));
    connect(history, &QAction::triggered, this, [this] { run([this] { m_form.showHistory(); }); });
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("Exit1"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Keys without a menu item of their own.
    const auto windowKey = [this](const QString& name, const QKeySequence& keys,
                                  std::function<void()> handler) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(keys);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
    };
    windowKey(QStringLiteral("quickFinderAction"), QKeySequence(Qt::CTRL | Qt::Key_F),
              [this] { m_form.showQuickFinder(); });
    windowKey(QStringLiteral("refreshAction"), QKeySequence(Qt::Key_F5),
              [this] { m_form.refreshPage(m_form.activeTab() == 0 ? Tab::CurrentList : Tab::NewList); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    const auto item = [this, help](const QString& name, const QString& text, std::function<void()> handler) {
        QAction* action = help->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
    };
    item(QStringLiteral("helpAction"), QStringLiteral("&Help"), [this] { m_form.openHelp(); });
    item(QStringLiteral("faqsAction"), QStringLiteral("&FAQs"), [this] { m_form.openFaqs(); });
    item(QStringLiteral("videoTutorialAction"), QStringLiteral("Using &Vorlix Pro Video Tutorial"),
         [this] { m_form.openVideoTutorial(); });
    item(QStringLiteral("checkForUpdatesAction"), QStringLiteral("Manually Check for &Updates"),
         [this] { m_form.checkForUpdates(); });
    item(QStringLiteral("testimonialAction"), QStringLiteral("Leave a &Testimonial"),
         [this] { m_form.openTestimonialPage(); });
    item(QStringLiteral("blogAction"), QStringLiteral("&Internet Business Blog"),
         [this] { m_form.openBlog(); });
    item(QStringLiteral("About1"), QStringLiteral("&About"), [this] { emit m_form.showAboutRequested(); });
}

QWidget* MainWindow::tabWithGroup(const QString& tabName, const QString& groupName, const QString& caption,
                                  const QString& panelName, QWidget* view, QWidget** group)
{
    auto* tab = new QWidget;
    tab->setObjectName(tabName);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(3, 3, 2, 3);
    layout->setSpacing(0);

    auto* box = new QGroupBox(caption, tab);
    box->setObjectName(groupName);
    box->setFixedSize(662, 236); // grows with the window (GroupStretcher)
    layout->addWidget(box, 0, Qt::AlignLeft);

    auto* panel = new QWidget(tab);
    panel->setObjectName(panelName);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    if (view) {
        view->setParent(panel);
        panelLayout->addWidget(view);
    }
    m_browserPanels.append(panel);
    layout->addWidget(panel, 1);
    *group = box;
    return tab;
}

QWidget* MainWindow::buildSubmitTab(QWidget* view)
{
    QWidget* box = nullptr;
    QWidget* tab = tabWithGroup(QStringLiteral("submitTab"), QStringLiteral("GroupBoxCurrentList"),
                                QStringLiteral("Current List"), QStringLiteral("submitPanel"), view, &box);
    addButton(box, QStringLiteral("openListButton"), QStringLiteral("Open List"), {23, 38, 75, 18});
    addButton(box, QStringLiteral("addItemButton"), QStringLiteral("Add Item"), {23, 69, 75, 18});
    addButton(box, QStringLiteral("deleteItemButton"), QStringLiteral("Delete Item"), {23, 100, 75, 18});
    addButton(box, QStringLiteral("saveButton"), QStringLiteral("Save"), {23, 131, 75, 18});
    addButton(box, QStringLiteral("clearListButton"), QStringLiteral("Clear List"), {23, 162, 75, 18});
    addLabel(box, QStringLiteral("HeadingCarnivals1"), QStringLiteral("Blog Carnivals"), {124, 20});
    addLabel(box, QStringLiteral("HeadingCategory1"), QStringLiteral("Category"), {382, 20});
    m_grid1 = new CarnivalGridView(m_form.currentList, QStringLiteral("currentListGrid"), box);
    m_grid1->setGeometry(119, 36, 427, 152);
    m_grid1->setAccessibleName(
        QStringLiteral("Current List")); // a grid has no text a screen reader could read
    connect(m_grid1, &CarnivalGridView::selectionChangedByUser, this,
            [this] { emit gridSelectionChangedByUser(1); });
    addButton(box, QStringLiteral("quickFindButton"), QStringLiteral("Quick Finder"), {558, 49, 92, 18},
              QStringLiteral("Quickly find carnivals related to your keyword"));
    addButton(box, QStringLiteral("checkInactivesButton"), QStringLiteral("Check Inactives"),
              {558, 83, 92, 18}, QStringLiteral("Check for expired carnivals in your list"));
    addButton(box, QStringLiteral("manualSubmitButton"), QStringLiteral("Manual Submit"), {558, 117, 92, 18},
              QStringLiteral("Submit one selected carnival at a time"));
    addButton(box, QStringLiteral("autoSubmitButton"), QStringLiteral("Auto Submit"), {558, 151, 92, 20},
              QStringLiteral("Automatically submit, starting from any point in your list"));
    addLabel(box, QStringLiteral("currentListCaption"), QStringLiteral("Current List:"), {136, 191});
    addLabel(box, Controls::ListName, QString(), {202, 191});
    addButton(box, QStringLiteral("changeCategoryButton"), QStringLiteral("Change Category"),
              {436, 192, 110, 18});
    addLabel(box, QStringLiteral("listSizeCaption"), QStringLiteral("List Size:"), {574, 197});
    addLabel(box, Controls::ListTotal, QStringLiteral("0"), {622, 197});
    addLabel(box, Controls::Submitting, QStringLiteral("Auto Submitting"), {314, 196});
    addLabel(box, Controls::Submitting2, QStringLiteral("(Press Esc to Abort)"), {327, 216});
    addPageButtons(box, QString());

    keepApart(box, QStringLiteral("currentListCaption"), Controls::ListName);
    keepApart(box, QStringLiteral("listSizeCaption"), Controls::ListTotal);
    auto* name = box->findChild<QLabel*>(Controls::ListName);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* submitting = box->findChild<QLabel*>(Controls::Submitting);
    QFont big = submitting->font();
    big.setBold(true);
    big.setPixelSize(16);
    submitting->setFont(big);
    submitting->setStyleSheet(QStringLiteral("color: #d01010;"));
    submitting->setFixedHeight(20);
    // The caption stands left of "Change Category": a smaller size rather than running under it.
    const int room =
        box->findChild<QWidget*>(QStringLiteral("changeCategoryButton"))->x() - 4 - submitting->x();
    while (submitting->sizeHint().width() > room && big.pixelSize() > 11) {
        big.setPixelSize(big.pixelSize() - 1);
        submitting->setFont(big);
    }
    submitting->adjustSize();
    new GroupStretcher(box, m_grid1, this);
    return tab;
}

QWidget* MainWindow::buildNewListTab(QWidget* view)
{
    QWidget* box = nullptr;
    QWidget* tab = tabWithGroup(QStringLiteral("newListTab"), QStringLiteral("GroupBoxNewList"),
                                QStringLiteral("Create a New List"), QStringLiteral("Panel2"), view, &box);
    addLabel(box, QStringLiteral("HeadingCarnivals2"), QStringLiteral("Blog Carnival"), {56, 20});
    addLabel(box, QStringLiteral("HeadingCategory2"), QStringLiteral("Category"), {319, 20});
    m_grid2 = new CarnivalGridView(m_form.newList, QStringLiteral("newListGrid"), box);
    m_grid2->setGeometry(56, 36, 433, 151);
    m_grid2->setAccessibleName(QStringLiteral("Create a New List"));
    connect(m_grid2, &CarnivalGridView::selectionChangedByUser, this,
            [this] { emit gridSelectionChangedByUser(2); });
    addButton(box, QStringLiteral("newListQuickFindButton"), QStringLiteral("Quick Finder"),
              {527, 31, 82, 20}, QStringLiteral("Quickly find carnivals related to your keyword"));
    addButton(box, QStringLiteral("addNewButton"), QStringLiteral("Add"), {527, 64, 82, 20});
    addButton(box, QStringLiteral("deleteNewItemButton"), QStringLiteral("Delete Item"), {527, 97, 82, 20});
    addButton(box, QStringLiteral("saveNewListButton"), QStringLiteral("Save List"), {527, 130, 82, 20});
    addButton(box, QStringLiteral("clearNewListButton"), QStringLiteral("Clear List"), {527, 163, 82, 18});
    addLabel(box, QStringLiteral("totalAddedCaption"), QStringLiteral("Total Added:"), {259, 190});
    addLabel(box, Controls::NewListTotal, QStringLiteral("0"), {324, 190});
    keepApart(box, QStringLiteral("totalAddedCaption"), Controls::NewListTotal);
    addButton(box, QStringLiteral("changeNewCategoryButton"), QStringLiteral("Change Category"),
              {390, 193, 99, 20});
    addPageButtons(box, QStringLiteral("newList"));
    new GroupStretcher(box, m_grid2, this);
    return tab;
}

QPushButton* MainWindow::addButton(QWidget* parent, const QString& name, const QString& text, QRect at,
                                   const QString& hint)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(at);
    button->setAutoDefault(false);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

// The browser buttons under a tab's view; the second tab's names carry the prefix "newList".
void MainWindow::addPageButtons(QWidget* box, const QString& namePrefix)
{
    const auto name = [&namePrefix](const QString& base) {
        return namePrefix.isEmpty() ? base : namePrefix + base.at(0).toUpper() + base.mid(1);
    };
    // Read aloud, "<<" and ">>" say nothing.
    addButton(box, name(QStringLiteral("backButton")), QStringLiteral("<<"), {16, 210, 25, 20},
              QStringLiteral("Back"))
        ->setAccessibleName(QStringLiteral("Back"));
    addButton(box, name(QStringLiteral("forwardButton")), QStringLiteral(">>"), {50, 210, 25, 20},
              QStringLiteral("Forward"))
        ->setAccessibleName(QStringLiteral("Forward"));
    addButton(box, name(QStringLiteral("refreshButton")), QStringLiteral("Refresh"), {106, 210, 75, 20});
    addButton(box, name(QStringLiteral("resetPageButton")), QStringLiteral("Reset Page"), {213, 210, 75, 20});
}

void MainWindow::addLabel(QWidget* parent, const QString& name, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
}

// A caption and the value beside it must not run into each other whatever the font's width.
void MainWindow::keepApart(QWidget* parent, const QString& caption, const QString& value)
{
    const auto* left = parent->findChild<QLabel*>(caption);
    auto* right = parent->findChild<QLabel*>(value);
    const int x = left->geometry().right() + 4;
    if (right->x() < x)
        right->move(x, right->y());
}

void MainWindow::onClick(const QString& control, std::function<void()> handler)
{
    auto* button = findChild<QAbstractButton*>(control);
    Q_ASSERT(button);
    connect(button, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] { run(handler); });
}

void MainWindow::run(const std::function<void()>& handler)
{
    m_form.dispatch(handler);
}

void MainWindow::showControlState(const QString& control)
{
    const ControlStates& states = m_form.controls;
    if (control == Controls::StatusBar) {
        if (auto* panel = findChild<QLabel*>(QStringLiteral("statusPanel")))
            panel->setText(states.text(control));
        return;
    }
    auto* widget = findChild<QWidget*>(control);
    if (!widget)
        return;
    if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
        // "done/total"
        const QStringList parts = states.text(control).split(QLatin1Char('/'));
        if (parts.size() == 2) {
            bar->setRange(0, std::max(1, parts[1].toInt()));
            bar->setValue(parts[0].toInt());
        }
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        // A label whose text the logic never set (only shown or hidden) keeps its caption.
        if (states.hasText(control)) {
            label->setText(states.text(control));
            label->adjustSize();
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (!states.text(control).isEmpty())
            button->setText(states.text(control));
    }
    widget->setEnabled(states.isEnabled(control));
    widget->setVisible(states.isVisible(control));
}

bool MainWindow::isInsideBrowser(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    for (QWidget* panel : m_browserPanels) {
        if (widget && panel->isAncestorOf(widget))
            return true;
    }
    return false;
}

// The window sees typed keys before the focused control (key preview); keys inside a page are the page's.
bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || isInsideBrowser(widget))
        return QMainWindow::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F1) {
        run([this] { m_form.helpKeyPressed(); });
        return true;
    }
    if (isEnterKey(key) && widget == QApplication::focusWidget()) {
        // The focused control handles Enter first (a focused button is pressed), then the window does.
        QTimer::singleShot(0, this, [this] { handleEnter(); });
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::handleEnter()
{
    run([this] { m_form.keyTyped(kEnter); });
}

void MainWindow::showUnsavedChanges()
{
    setWindowTitle(m_form.listFiles.hasUnsavedChanges() ? QStringLiteral("Vorlix Pro 3*")
                                                        : QStringLiteral("Vorlix Pro 3"));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_form.confirmClose()) {
        event->ignore();
        return;
    }
    m_form.close();
    event->accept();
}
