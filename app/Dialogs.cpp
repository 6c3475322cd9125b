#include "app/Dialogs.h"

namespace {
// Stands in for a user who cannot be asked: without a window nothing may go ahead on a guess.
class Unanswered : public Dialogs {
public:
    void Message(QWidget *, const QString &, const QString &) override {}

    QString OpenFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }

    bool Question(QWidget *, const QString &, const QString &) override { return false; }

    QString SaveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
};

Dialogs *&Replacement()
{
    static Dialogs *replacement = nullptr;
    return replacement;
}

Dialogs *&OwnBoxes()
{
    static Unanswered unanswered;
    static Dialogs *own = &unanswered;
    return own;
}
} // namespace

bool Dialogs::Question(QWidget *parent, const QString &title, const QString &text)
{
    return OwnBoxes()->Question(parent, title, text);
}

QString Dialogs::SaveFileName(QWidget *parent, const QString &title, const QString &path,
                              const QString &filter)
{
    return OwnBoxes()->SaveFileName(parent, title, path, filter);
}

Dialogs &Dialogs::Current()
{
    return Replacement() ? *Replacement() : *OwnBoxes();
}

void Dialogs::Replace(Dialogs *replacement)
{
    Replacement() = replacement;
}

void Dialogs::SetOwnBoxes(Dialogs *boxes)
{
    OwnBoxes() = boxes;
}
