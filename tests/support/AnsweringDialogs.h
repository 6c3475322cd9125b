#pragma once
// Stands in for the user at every message box while it lives: each question is answered with
// answer and kept as TITLE|TEXT; other messages are dropped, open dialogs cancelled. Whatever
// onQuestion does runs while a question waits for its answer.

#include "app/Dialogs.h"

#include <QStringList>
#include <functional>

class AnsweringDialogs : public Dialogs {
public:
    AnsweringDialogs();
    ~AnsweringDialogs() override;

    void Message(QWidget *parent, const QString &title, const QString &text) override;
    QString OpenFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    bool Question(QWidget *parent, const QString &title, const QString &text) override;

    bool answer = true;
    QStringList questions;
    std::function<void()> onQuestion;
};
