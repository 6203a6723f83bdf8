#pragma once

// What a screen reader meets in a window: every control it can reach says what it is, and the
// window reads as a window.

#include <QAccessible>
#include <QProgressBar>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace AccessibleNames {

/// A name a screen reader can speak: "<<" or "" says nothing.
inline bool speaks(const QString& name)
{
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            return true;
    }
    return false;
}

/// The controls under root that the keyboard reaches, and the progress bars shown or not, whose
/// accessible name says nothing. The pages inside browser views name themselves.
inline QStringList unnamedControls(QWidget& root)
{
    QStringList unnamed;
    for (QWidget* widget : root.findChildren<QWidget*>()) {
        const bool progress = qobject_cast<QProgressBar*>(widget) != nullptr;
        // A widget with a focus proxy hands the keyboard to it (the tabs to their tab bar).
        const bool reached =
            widget->focusPolicy() != Qt::NoFocus && !widget->focusProxy() && widget->isVisibleTo(&root);
        if (!progress && !reached)
            continue;
        bool inPage = false;
        for (QWidget* up = widget; up && !inPage; up = up->parentWidget())
            inPage = up->inherits("QWebEngineView");
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!inPage && (!accessible || !speaks(accessible->text(QAccessible::Name))))
            unnamed.append(widget->objectName() + u':' +
                           QString::fromLatin1(widget->metaObject()->className()));
    }
    return unnamed;
}

/// Whether a top-level window reads as a window or dialog with its title, not as a bare panel.
inline bool readsAsWindow(QWidget& window)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window);
    return accessible &&
           (accessible->role() == QAccessible::Window || accessible->role() == QAccessible::Dialog) &&
           accessible->text(QAccessible::Name) == window.windowTitle();
}

} // namespace AccessibleNames
