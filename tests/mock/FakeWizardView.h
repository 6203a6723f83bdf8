#pragma once

#include "update/WizardView.h"

#include <QHash>
#include <QList>
#include <QQueue>
#include <QSet>
#include <QStringList>

#include <functional>

class UpdateWizardController;

/// The update wizard's dialog as a test drives it: keeps every caption, state and page the logic
/// sets, and plays the user from a queue of steps while the dialog is open. A click on a control
/// that is disabled or not on the current page is recorded as a fault instead of being run.
class FakeWizardView final : public WizardView
{
public:
    explicit FakeWizardView(UpdateWizardController& wizard) : m_wizard(wizard) {}

    struct Item
    {
        QString text;
        bool ticked;
        bool changeable;
    };

    struct Progress
    {
        qint64 maximum = 0;
        qint64 position = 0;
    };

    using Step = std::function<void(FakeWizardView&)>;

    // What the user does.
    /// Runs the control's handler as a click would.
    void click(const QString& control);
    /// Selects a radio button and runs its handler.
    void choose(const QString& radioButton);
    void tick(int item, bool ticked);
    /// The close box.
    void closeBox();

    /// Played one after the other once the dialog has been activated, while it is open.
    QQueue<Step> steps;

    // WizardView
    void showPage(WizardPage shown) override;
    WizardPage currentPage() const override { return page; }
    void setText(const QString& control, const QString& text) override { texts[control] = text; }
    QString text(const QString& control) const override { return texts.value(control); }
    void setEnabled(const QString& control, bool enabled) override;
    bool isEnabled(const QString& control) const override { return !disabled.contains(control); }
    void setFocus(const QString& control) override { focus = control; }
    void setWidth(const QString& control, int width) override { widths[control] = width; }
    void fitButton(const QString& button) override { fitted.append(button); }
    void setBusy(bool busy) override { this->busy = busy; }
    void setLines(const QString& memo, const QStringList& lines) override { memos[memo] = lines; }
    QStringList lines(const QString& memo) const override { return memos.value(memo); }
    bool isChecked(const QString& radioButton) const override { return checked == radioButton; }
    void clearComponents() override { items.clear(); }
    void addComponent(const QString& text, bool ticked, bool changeable) override;
    int componentCount() const override { return int(items.size()); }
    bool isComponentTicked(int item) const override { return items.value(item).ticked; }
    void setProgress(const QString& bar, qint64 maximum, qint64 position) override;
    void setTitle(const QString& title) override { this->title = title; }
    void setFont(const QString& family, int pointSize, bool bold) override;
    void runModal() override;
    void closeDialog() override { closed = true; }

    WizardPage page = WizardPage::Start;
    /// Every page shown, in order, a page shown again not repeated.
    QList<WizardPage> pages;
    QHash<QString, QString> texts;
    QSet<QString> disabled;
    QString focus;
    QHash<QString, int> widths;
    QStringList fitted;
    bool busy = false;
    QHash<QString, QStringList> memos;
    QString checked;
    QList<Item> items;
    QHash<QString, Progress> progress;
    /// Every position the total bar was given.
    QList<qint64> totalPositions;
    QString title;
    QString font;
    bool shown = false;
    bool closed = false;
    /// Clicks the dialog would not have let through.
    QStringList faults;

private:
    UpdateWizardController& m_wizard;
};
