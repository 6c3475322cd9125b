#pragma once
// The serial devices the system lists. Asking costs a few thousand file reads on Linux (about
// 15 ms of CPU), which once a second would keep the idle program at 1.5 % of a core. Device
// nodes come and go in /dev, so the system is asked again only after /dev has changed, and for
// a few scans after that, while udev is still filling in product and maker names. Where /dev
// cannot be watched, every call asks.

#include "port/PortMap.h"

#include <QList>

namespace SystemPortList {

QList<ListedPort> Current();

} // namespace SystemPortList
