#pragma once

#include <QString>

/// The machine's connection state.
class Network
{
public:
    virtual ~Network() = default;
    /// True when address can be reached: it lies on loopback, or a network interface other than
    /// loopback is up. A failing query counts as offline.
    virtual bool isOnline(const QString& address) const = 0;
};

/// The operating system's view of the connection.
class SystemNetwork final : public Network
{
public:
    bool isOnline(const QString& address) const override;
};
