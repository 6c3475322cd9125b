#include "port/EventWait.h"

#include <QCoreApplication>

void RunEventsUntil(const std::function<bool()> &done)
{
    for (;;) {
        QCoreApplication::processEvents();
        if (done())
            return;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
