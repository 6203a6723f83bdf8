#include "gui/MainWindow.h"

#include "app/TForm1.h"
#include "gui/CarnivalGridView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
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

MainWindow::MainWindow(TForm1& form, QWidget* view1, QWidget* view2, QWidget* parent)
    : QMainWindow(parent), m_form(form)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Vorlix Pro 3"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    buildMenus();
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("spSkinPageControl1"));
    m_pages->addTab(buildSubmitTab(view1), QStringLiteral("Submit to Blog Carnivals"));
    m_pages->addTab(buildNewListTab(view2), QStringLiteral("Create a New List"));
    setCentralWidget(m_pages);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(true);
    status->setFixedHeight(20);
    auto* statusText = new QLabel(status);
    statusText->setObjectName(QStringLiteral("StatusBar1Panel"));
    status->addWidget(statusText, 1);
    setStatusBar(status);
    resize(672, 22 + 2 + 523 + 20);

    connectButtons();
    connect(this, &MainWindow::gridSelectionChangedByUser, this, [this](int grid) {
        run([this, grid] {
            grid == 1 ? m_form.AdvStringGrid1SelectionChanged() : m_form.AdvStringGrid2SelectionChanged();
        });
    });

    connect(m_pages, &QTabWidget::currentChanged, this,
            [this](int tab) { run([this, tab] { m_form.spSkinPageControl1Change(tab); }); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const bool wasInside = old && m_pages->isAncestorOf(old);
        if (now && m_pages->isAncestorOf(now) && !wasInside)
            run([this] { m_form.spSkinPageControl1Enter(); });
    });
    connect(&m_form.controls, &ControlStates::changed, this, &MainWindow::showControlState);
    for (const QString& control : m_form.controls.controls())
        showControlState(control);
    qApp->installEventFilter(this);
}

void MainWindow::connectButtons()
{
    const std::pair<const char*, void (TForm1::*)()> handlers[] = {
        {"btnOpenList", &TForm1::btnOpenListClick},
        {"btnAddItem", &TForm1::btnAddItemClick},
        {"btnDeleteItem", &TForm1::btnDeleteItemClick},
        {"btnSave", &TForm1::btnSaveClick},
        {"btnClearList", &TForm1::btnClearListClick},
        {"btnQuickFind", &TForm1::btnQuickFindClick},
        {"btnShowInactives", &TForm1::btnShowInactivesClick},
        {"btnChangeCat", &TForm1::btnChangeCatClick},
        {"btnManualSubmit", &TForm1::btnManualSubmitClick},
        {"btnAutoSubmit", &TForm1::btnAutoSubmitClick},
        {"btnRefresh1", &TForm1::btnRefresh1Click},
        {"btnReset1", &TForm1::btnReset1Click},
        {"spSkinButton1", &TForm1::btnQuickFindClick},
        {"btnAddNew", &TForm1::btnAddNewClick},
        {"btnDeleteNewItem", &TForm1::btnDeleteNewItemClick},
        {"btnSaveNewList", &TForm1::btnSaveNewListClick},
        {"btnClearNewList", &TForm1::btnClearNewListClick},
        {"btnChangeNewCat", &TForm1::btnChangeNewCatClick},
        {"btnRefresh2", &TForm1::btnRefresh2Click},
        {"btnReset2", &TForm1::btnReset2Click},
    };
    for (const auto& [control, handler] : handlers)
        onClick(QString::fromLatin1(control), [this, handler] { (m_form.*handler)(); });
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("Exit1"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    const auto item = [this, help](const QString& name, const QString& text, std::function<void()> handler) {
        QAction* action = help->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { run(handler); });
    };
    item(QStringLiteral("Help2"), QStringLiteral("&Help"), [this] { m_form.Help2Click(); });
    item(QStringLiteral("FAQs1"), QStringLiteral("&FAQs"), [this] { m_form.FAQs1Click(); });
    item(QStringLiteral("UsingVorlixProVideoTutorial1"), QStringLiteral("Using &Vorlix Pro Video Tutorial"),
         [this] { m_form.UsingVorlixProVideoTutorial1Click(); });
    item(QStringLiteral("ManuallyCheckforUpdates1"), QStringLiteral("Manually Check for &Updates"),
         [this] { m_form.ManuallyCheckforUpdates1Click(); });
    item(QStringLiteral("LeaveaTestimonial1"), QStringLiteral("Leave a &Testimonial"),
         [this] { m_form.LeaveaTestimonial1Click(); });
    item(QStringLiteral("InternetBusinessBlog1"), QStringLiteral("&Internet Business Blog"),
         [this] { m_form.InternetBusinessBlog1Click(); });
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
    box->setFixedSize(662, 236);
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
    QWidget* tab = tabWithGroup(QStringLiteral("spSkinTabSheet1"), QStringLiteral("GroupBoxCurrentList"),
                                QStringLiteral("Current List"), QStringLiteral("Panel1"), view, &box);
    addButton(box, QStringLiteral("btnOpenList"), QStringLiteral("Open List"), {23, 38, 75, 18});
    addButton(box, QStringLiteral("btnAddItem"), QStringLiteral("Add Item"), {23, 69, 75, 18});
    addButton(box, QStringLiteral("btnDeleteItem"), QStringLiteral("Delete Item"), {23, 100, 75, 18});
    addButton(box, QStringLiteral("btnSave"), QStringLiteral("Save"), {23, 131, 75, 18});
    addButton(box, QStringLiteral("btnClearList"), QStringLiteral("Clear List"), {23, 162, 75, 18});
    addLabel(box, QStringLiteral("HeadingCarnivals1"), QStringLiteral("Blog Carnivals"), {124, 20});
    addLabel(box, QStringLiteral("HeadingCategory1"), QStringLiteral("Category"), {382, 20});
    m_grid1 = new CarnivalGridView(m_form.AdvStringGrid1, QStringLiteral("AdvStringGrid1"), box);
    m_grid1->setGeometry(119, 36, 427, 152);
    connect(m_grid1, &CarnivalGridView::selectionChangedByUser, this,
            [this] { emit gridSelectionChangedByUser(1); });
    addButton(box, QStringLiteral("btnQuickFind"), QStringLiteral("Quick Finder"), {558, 49, 92, 18},
              QStringLiteral("Quickly find carnivals related to your keyword"));
    addButton(box, QStringLiteral("btnShowInactives"), QStringLiteral("Check Inactives"), {558, 83, 92, 18},
              QStringLiteral("Check for expired carnivals in your list"));
    addButton(box, QStringLiteral("btnManualSubmit"), QStringLiteral("Manual Submit"), {558, 117, 92, 18},
              QStringLiteral("Submit one selected carnival at a time"));
    addButton(box, QStringLiteral("btnAutoSubmit"), QStringLiteral("Auto Submit"), {558, 151, 92, 20},
              QStringLiteral("Automatically submit, starting from any point in your list"));
    addLabel(box, QStringLiteral("LabelCurrentList"), QStringLiteral("Current List:"), {136, 191});
    addLabel(box, Controls::ListName, QString(), {202, 191});
    addButton(box, QStringLiteral("btnChangeCat"), QStringLiteral("Change Category"), {436, 192, 110, 18});
    addLabel(box, QStringLiteral("TextLabelListSize"), QStringLiteral("List Size:"), {574, 197});
    addLabel(box, Controls::ListTotal, QStringLiteral("0"), {622, 197});
    addLabel(box, Controls::Submitting, QStringLiteral("Auto Submitting"), {314, 196});
    addLabel(box, Controls::Submitting2, QStringLiteral("(Press Esc to Abort)"), {327, 216});
    addButton(box, QStringLiteral("btnBack1"), QStringLiteral("<<"), {16, 210, 25, 20});
    addButton(box, QStringLiteral("btnForward1"), QStringLiteral(">>"), {50, 210, 25, 20});
    addButton(box, QStringLiteral("btnRefresh1"), QStringLiteral("Refresh"), {106, 210, 75, 20});
    addButton(box, QStringLiteral("btnReset1"), QStringLiteral("Reset Page"), {213, 210, 75, 20});

    keepApart(box, QStringLiteral("LabelCurrentList"), Controls::ListName);
    keepApart(box, QStringLiteral("TextLabelListSize"), Controls::ListTotal);
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
    const int room = box->findChild<QWidget*>(QStringLiteral("btnChangeCat"))->x() - 4 - submitting->x();
    while (submitting->sizeHint().width() > room && big.pixelSize() > 11) {
        big.setPixelSize(big.pixelSize() - 1);
        submitting->setFont(big);
    }
    submitting->adjustSize();
    return tab;
}

QWidget* MainWindow::buildNewListTab(QWidget* view)
{
    QWidget* box = nullptr;
    QWidget* tab = tabWithGroup(QStringLiteral("spSkinTabSheet2"), QStringLiteral("GroupBoxNewList"),
                                QStringLiteral("Create a New List"), QStringLiteral("Panel2"), view, &box);
    addLabel(box, QStringLiteral("HeadingCarnivals2"), QStringLiteral("Blog Carnival"), {56, 20});
    addLabel(box, QStringLiteral("HeadingCategory2"), QStringLiteral("Category"), {319, 20});
    m_grid2 = new CarnivalGridView(m_form.AdvStringGrid2, QStringLiteral("AdvStringGrid2"), box);
    m_grid2->setGeometry(56, 36, 433, 151);
    connect(m_grid2, &CarnivalGridView::selectionChangedByUser, this,
            [this] { emit gridSelectionChangedByUser(2); });
    addButton(box, QStringLiteral("spSkinButton1"), QStringLiteral("Quick Finder"), {527, 31, 82, 20},
              QStringLiteral("Quickly find carnivals related to your keyword"));
    addButton(box, QStringLiteral("btnAddNew"), QStringLiteral("Add"), {527, 64, 82, 20});
    addButton(box, QStringLiteral("btnDeleteNewItem"), QStringLiteral("Delete Item"), {527, 97, 82, 20});
    addButton(box, QStringLiteral("btnSaveNewList"), QStringLiteral("Save List"), {527, 130, 82, 20});
    addButton(box, QStringLiteral("btnClearNewList"), QStringLiteral("Clear List"), {527, 163, 82, 18});
    addLabel(box, QStringLiteral("LabelTotalAdded"), QStringLiteral("Total Added:"), {259, 190});
    addLabel(box, Controls::NewListTotal, QStringLiteral("0"), {324, 190});
    keepApart(box, QStringLiteral("LabelTotalAdded"), Controls::NewListTotal);
    addButton(box, QStringLiteral("btnChangeNewCat"), QStringLiteral("Change Category"), {390, 193, 99, 20});
    addButton(box, QStringLiteral("btnback2"), QStringLiteral("<<"), {16, 210, 25, 20});
    addButton(box, QStringLiteral("btnForward2"), QStringLiteral(">>"), {50, 210, 25, 20});
    addButton(box, QStringLiteral("btnRefresh2"), QStringLiteral("Refresh"), {106, 210, 75, 20});
    addButton(box, QStringLiteral("btnReset2"), QStringLiteral("Reset Page"), {213, 210, 75, 20});
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
        if (auto* panel = findChild<QLabel*>(QStringLiteral("StatusBar1Panel")))
            panel->setText(states.text(control));
        return;
    }
    auto* widget = findChild<QWidget*>(control);
    if (!widget)
        return;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
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
        run([this] { m_form.FormHelpKey(); });
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
    run([this] { m_form.FormKeyPress(kEnter); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_form.FormClose();
    event->accept();
}
