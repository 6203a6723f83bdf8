#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

/// The window state that the logic owns (label texts, captions, enabled and visible flags), keyed by
/// the controls' object names. The windows show it and follow every change.
class ControlStates final : public QObject
{
    Q_OBJECT

public:
    /// knownControls are the only names the states accept: a misspelt name throws, never goes
    /// unseen.
    explicit ControlStates(const QStringList& knownControls, QObject* parent = nullptr);

    QString text(const QString& control) const;
    /// The logic has set the control's text; until then the window keeps the control's own caption.
    bool hasText(const QString& control) const;
    void setText(const QString& control, const QString& text);
    bool isEnabled(const QString& control) const;
    void setEnabled(const QString& control, bool enabled);
    bool isVisible(const QString& control) const;
    void setVisible(const QString& control, bool visible);
    /// Every control these states describe.
    QList<QString> controls() const { return m_states.keys(); }

signals:
    void changed(const QString& control);

private:
    struct State
    {
        QString text;
        bool hasText = false;
        bool enabled = true;
        bool visible = true;
    };
    State& stateOf(const QString& control);
    const State& stateOf(const QString& control) const;

    QHash<QString, State> m_states;
};
