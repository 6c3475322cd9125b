#pragma once
// When a page may be deleted. A page's procedures wait in nested event loops (dialogs, downloads,
// the waits of an update), where the close-down may unload the page; the page is deleted only
// once the last of them has returned.

#include <QObject>

class PageLifetime : public QObject {
    Q_OBJECT
public:
    explicit PageLifetime(QObject &page);

    // Marks one of the page's procedures as running for its own lifetime.
    class Running {
    public:
        explicit Running(PageLifetime &lifetime);
        ~Running();
        Running(const Running &) = delete;
        Running &operator=(const Running &) = delete;

    private:
        PageLifetime &lifetime_;
    };

    // A procedure of the page is running.
    bool Busy() const;

    // The close-down's unload: the page is deleted once no procedure of it runs any more.
    void Unload();

signals:
    // The last running procedure has returned.
    void Idle();

private:
    void DeleteOnceIdle();

    QObject &page_;
    int running_ = 0;
    bool unloaded_ = false;
};
