#pragma once
// What the online update's exchange shows: one line per step, and the moment it is over. The
// online update window shows it with its list and close button; tests keep it in memory.

#include <QString>

class OnlineUpdateView {
public:
    virtual ~OnlineUpdateView() = default;

    virtual void AddLine(const QString &line) = 0;
    // The exchange is over: from now on the user may close the window.
    virtual void EnableClose() = 0;
};
