#pragma once

#include "platform/Network.h"

#include <QQueue>
#include <QStringList>

/// A connection state the test sets; records every address asked about. Scripted answers are
/// given first, one per question, then `online`.
class FakeNetwork final : public Network
{
public:
    bool isOnline(const QString& address) const override
    {
        asked.append(address);
        return answers.isEmpty() ? online : answers.dequeue();
    }

    bool online = true;
    mutable QQueue<bool> answers;
    mutable QStringList asked;
};
