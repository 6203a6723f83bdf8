#include "platform/ControlStates.h"

#include <stdexcept>

ControlStates::ControlStates(const QStringList& knownControls, QObject* parent) : QObject(parent)
{
    for (const QString& control : knownControls)
        m_states.insert(control, State{});
}

ControlStates::State& ControlStates::stateOf(const QString& control)
{
    const auto found = m_states.find(control);
    if (found == m_states.end())
        throw std::logic_error("No control named \"" + control.toStdString() + "\"");
    return *found;
}

const ControlStates::State& ControlStates::stateOf(const QString& control) const
{
    return const_cast<ControlStates*>(this)->stateOf(control);
}

QString ControlStates::text(const QString& control) const
{
    return stateOf(control).text;
}

bool ControlStates::hasText(const QString& control) const
{
    return stateOf(control).hasText;
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
    return stateOf(control).enabled;
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
    return stateOf(control).visible;
}

void ControlStates::setVisible(const QString& control, bool visible)
{
    State& state = stateOf(control);
    if (state.visible == visible)
        return;
    state.visible = visible;
    emit changed(control);
}
