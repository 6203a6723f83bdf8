#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QTableView;
class QuickFinderController;

/// QuickFinderController, the Quick Finder window: shows the logic's results grid and control states, and
/// forwards the keyword, the selection span and every button to the logic. Modeless; Close hides it.
class QuickFinderWindow final : public QWidget
{
    Q_OBJECT

public:
    /// run passes a handler through the main window's general error report.
    QuickFinderWindow(QuickFinderController& form, std::function<void(const std::function<void()>&)> run,
                      QWidget* parent);

    /// Shows the window at the front (both Quick Finder buttons of the main window).
    void showInFront();
    /// Where the window stands when shown: beside the owner window, not over its list; right of
    /// it, else left of it, else at the screen's right edge.
    static QPoint placeBeside(const QRect& owner, const QSize& size, const QRect& screen);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void placeBesideOwner();
    void showControlState(const QString& control);
    void followCurrentRow(int row);
    void takeUsersSelection();

    QuickFinderController& m_form;
    std::function<void(const std::function<void()>&)> m_run;
    QLineEdit* m_keyword = nullptr;
    QTableView* m_results = nullptr;
    bool m_takingSelection = false;
};
