#pragma once

#include "platform/Network.h"

#include <QStringList>

/// A connection state the test sets; records every address asked about.
class FakeNetwork final : public Network
{
public:
    bool IsOnline(const QString& address) const override
    {
        asked.append(address);
        return online;
    }

    bool online = true;
    mutable QStringList asked;
};
