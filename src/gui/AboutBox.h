#pragma once

#include <QDialog>

#include <functional>

class QLabel;

/// TAboutBox: the product, its version (read again on every showing) and its notices. Closing only
/// hides it.
class AboutBox final : public QDialog
{
    Q_OBJECT

public:
    /// versionText gives "Version " and the program's version.
    explicit AboutBox(std::function<QString()> versionText, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* addLabel(QWidget* panel, const QString& name, const QString& text, QPoint at);

    std::function<QString()> m_versionText;
    QLabel* m_version = nullptr;
};
