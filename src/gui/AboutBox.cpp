#include "gui/AboutBox.h"

#include "gui/ProductPicture.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

AboutBox::AboutBox(std::function<QString()> versionText, QWidget* parent)
    : QDialog(parent), m_versionText(std::move(versionText))
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(298, 213);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("submitPanel"));
    panel->setGeometry(8, 8, 281, 161);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 12, 98, 137);
    icon->setPixmap(ProductPicture::render(icon->size()));
    icon->setScaledContents(true);

    QLabel* product = addLabel(panel, QStringLiteral("ProductName"),
                               QStringLiteral("Vorlix Pro Blog Carnival Submitter"), {112, 12});
    product->setWordWrap(true);
    product->setGeometry(112, 12, 162, 34);
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    m_version = addLabel(panel, QStringLiteral("Version"), QStringLiteral("Version "), {112, 52});
    addLabel(panel, QStringLiteral("Copyright"), QStringLiteral("Copyright (c) Vorlix Software"), {112, 92});
    addLabel(panel, QStringLiteral("Comments"), QStringLiteral("All rights reserved."), {112, 106});
    addLabel(panel, QStringLiteral("Credit"), QStringLiteral("By the Vorlix Pro team"), {112, 136});

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(111, 180, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);
}

QLabel* AboutBox::addLabel(QWidget* panel, const QString& name, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, panel);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

void AboutBox::showEvent(QShowEvent* event)
{
    m_version->setText(m_versionText());
    m_version->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}
