#include "app/ControlStates.h"

QString ControlStates::text(const QString& control) const
{
    return m_states.value(control).text;
}

bool ControlStates::hasText(const QString& control) const
{
    return m_states.value(control).hasText;
}

void ControlStates::setText(const QString& control, const QString& text)
{
    State& state = stateOf(control);
    if (state.hasText && state.text == text)
        return;
    state.text = text;
    state.hasText = true;
    emit changed(control);
}

bool ControlStates::isEnabled(const QString& control) const
{
    return m_states.value(control).enabled;
}

void ControlStates::setEnabled(const QString& control, bool enabled)
{
    State& state = stateOf(control);
    if (state.enabled == enabled)
        return;
    state.enabled = enabled;
    emit changed(control);
}

bool ControlStates::isVisible(const QString& control) const
{
    return m_states.value(control).visible;
}

void ControlStates::setVisible(const QString& control, bool visible)
{
    State& state = stateOf(control);
    if (state.visible == visible)
        return;
    state.visible = visible;
    emit changed(control);
}
