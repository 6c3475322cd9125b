#include "app/PageLifetime.h"

PageLifetime::PageLifetime(QObject &page) : QObject(&page), page_(page) {}

PageLifetime::Running::Running(PageLifetime &lifetime) : lifetime_(lifetime)
{
    ++lifetime_.running_;
}

PageLifetime::Running::~Running()
{
    if (--lifetime_.running_ > 0)
        return;
    emit lifetime_.Idle();
    lifetime_.DeleteOnceIdle();
}

bool PageLifetime::Busy() const
{
    return running_ > 0;
}

void PageLifetime::Unload()
{
    unloaded_ = true;
    DeleteOnceIdle();
}

// Deleted later even when idle: the close-down may run from inside one of the page's own
// handlers, such as its close event.
void PageLifetime::DeleteOnceIdle()
{
    if (unloaded_ && running_ == 0)
        page_.deleteLater();
}
