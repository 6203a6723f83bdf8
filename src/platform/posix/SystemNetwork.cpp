#include "platform/Network.h"

#include <QUrl>

#include <ifaddrs.h>
#include <net/if.h>

namespace {
bool isLoopbackHost(const QString& address)
{
    const QString host = QUrl::fromUserInput(address).host().toLower();
    return host == "localhost" || host.startsWith("127.") || host == "::1" || host == "[::1]";
}

bool anyInterfaceUp()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool up = false;
    for (ifaddrs* it = list; it && !up; it = it->ifa_next)
        up = it->ifa_addr && (it->ifa_flags & IFF_UP) && (it->ifa_flags & IFF_RUNNING) &&
             !(it->ifa_flags & IFF_LOOPBACK);
    freeifaddrs(list);
    return up;
}
} // namespace

bool SystemNetwork::isOnline(const QString& address) const
{
    return isLoopbackHost(address) || anyInterfaceUp();
}
