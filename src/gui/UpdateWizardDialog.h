#pragma once

#include "update/WizardView.h"

#include <QDialog>

class QStackedWidget;
class QListWidget;
class UpdateWizardController;

/// UpdateWizardController's window: seven pages without tabs beside the side picture, each page with its
/// button at the same place. Shows what the wizard's logic sets and forwards every click to it.
class UpdateWizardDialog final : public QDialog, public WizardView
{
    Q_OBJECT

public:
    UpdateWizardDialog(UpdateWizardController& wizard, QWidget* parent = nullptr);
    ~UpdateWizardDialog() override;

    using QDialog::setEnabled;
    using QDialog::setFocus;
    using QDialog::setFont;

    void showPage(WizardPage page) override;
    WizardPage currentPage() const override;
    void setText(const QString& control, const QString& text) override;
    QString text(const QString& control) const override;
    void setEnabled(const QString& control, bool enabled) override;
    bool isEnabled(const QString& control) const override;
    void setFocus(const QString& control) override;
    void setWidth(const QString& control, int width) override;
    void fitButton(const QString& button) override;
    void setBusy(bool busy) override;
    void setLines(const QString& memo, const QStringList& lines) override;
    QStringList lines(const QString& memo) const override;
    bool isChecked(const QString& radioButton) const override;
    void clearComponents() override;
    void addComponent(const QString& text, bool ticked, bool changeable) override;
    int componentCount() const override;
    bool isComponentTicked(int item) const override;
    void setProgress(const QString& bar, qint64 maximum, qint64 position) override;
    void setTitle(const QString& title) override;
    void setFont(const QString& family, int pointSize, bool bold) override;
    void runModal() override;
    void closeDialog() override;

    /// The close box and Esc: the logic decides whether the dialog closes now.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    QWidget* addPage(const QString& name);
    void addButton(QWidget* page, const QString& name, void (UpdateWizardController::*handler)());
    void addMemo(QWidget* page, const QString& name, const QString& action,
                 void (UpdateWizardController::*handler)());
    void run(void (UpdateWizardController::*handler)());
    QWidget* control(const QString& name) const;

    UpdateWizardController& m_wizard;
    QStackedWidget* m_pages = nullptr;
    QListWidget* m_components = nullptr;
    bool m_busy = false;
    bool m_closing = false;
    bool m_activationQueued = false;
};
