#pragma once

#include <QHash>
#include <QMainWindow>

#include <functional>

class CarnivalGridView;
class QPushButton;
class QTabWidget;
class MainController;

/// The main window "Vorlix Pro 3": two tabs, each a list grid with its buttons above a browser view.
/// It shows the state MainController owns and forwards every user event to MainController's handlers.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    /// view1 and view2 are the widgets of the two browser views; the window places them.
    MainWindow(MainController& form, QWidget* view1, QWidget* view2, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Connects a control's click to a handler, run through the general error report.
    void onClick(const QString& control, std::function<void()> handler);
    /// Runs a handler through the general error report.
    void run(const std::function<void()>& handler);
    CarnivalGridView* grid1() const { return m_grid1; }
    CarnivalGridView* grid2() const { return m_grid2; }
    QTabWidget* pageControl() const { return m_pages; }

signals:
    void gridSelectionChangedByUser(int grid);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildSubmitTab(QWidget* view);
    QWidget* buildNewListTab(QWidget* view);
    QWidget* tabWithGroup(const QString& tabName, const QString& groupName, const QString& caption,
                          const QString& panelName, QWidget* view, QWidget** group);
    QPushButton* addButton(QWidget* parent, const QString& name, const QString& text, QRect at,
                           const QString& hint = {});
    void addPageButtons(QWidget* box, const QString& namePrefix);
    void addLabel(QWidget* parent, const QString& name, const QString& text, QPoint at);
    void keepApart(QWidget* parent, const QString& caption, const QString& value);
    void buildMenus();
    void connectButtons();
    void showControlState(const QString& control);
    void showUnsavedChanges();
    bool isInsideBrowser(QObject* object) const;
    void handleEnter();

    MainController& m_form;
    QTabWidget* m_pages = nullptr;
    CarnivalGridView* m_grid1 = nullptr;
    CarnivalGridView* m_grid2 = nullptr;
    QList<QWidget*> m_browserPanels;
};
