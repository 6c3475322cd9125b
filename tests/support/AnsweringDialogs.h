#pragma once
// Stands in for the user at every message box while it lives: each question is answered with
// answer and kept as TITLE|TEXT; other messages are kept in messages the same way, open dialogs
// cancelled, a save dialog answered with savePath (empty: cancelled). Whatever onQuestion does
// runs while a question waits for its answer.

#include "app/Dialogs.h"

#include <QStringList>
#include <functional>

class AnsweringDialogs : public Dialogs {
public:
    AnsweringDialogs() { Dialogs::Replace(this); }
    ~AnsweringDialogs() override { Dialogs::Replace(nullptr); }

    void Message(QWidget *, const QString &title, const QString &text) override
    {
        messages.append(title + QLatin1Char('|') + text);
    }
    QString OpenFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    bool Question(QWidget *, const QString &title, const QString &text) override
    {
        questions.append(title + QLatin1Char('|') + text);
        if (onQuestion)
            onQuestion();
        return answer;
    }
    QString SaveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return savePath;
    }

    bool answer = true;
    QStringList questions;
    QStringList messages;
    QString savePath;
    std::function<void()> onQuestion;
};
