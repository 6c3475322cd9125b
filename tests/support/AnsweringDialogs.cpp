#include "support/AnsweringDialogs.h"

AnsweringDialogs::AnsweringDialogs()
{
    Dialogs::Replace(this);
}

AnsweringDialogs::~AnsweringDialogs()
{
    Dialogs::Replace(nullptr);
}

void AnsweringDialogs::Message(QWidget *, const QString &, const QString &) {}

QString AnsweringDialogs::OpenFileName(QWidget *, const QString &, const QString &,
                                       const QString &)
{
    return {};
}

bool AnsweringDialogs::Question(QWidget *, const QString &title, const QString &text)
{
    questions.append(title + QLatin1Char('|') + text);
    if (onQuestion)
        onQuestion();
    return answer;
}
