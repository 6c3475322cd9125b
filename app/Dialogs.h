#pragma once
// Every message box and file dialog of the program goes through this one object, so that tests
// and the command-line tool can answer in place of a user.

#include <QString>

class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A box with one OK button.
    virtual void Message(QWidget *parent, const QString &title, const QString &text) = 0;
    // An open-file dialog; the chosen path, or empty text when the user cancelled.
    virtual QString OpenFileName(QWidget *parent, const QString &title, const QString &folder,
                                 const QString &filter) = 0;
    // A box with Yes and No buttons; true for Yes. A replacement that does not answer questions
    // leaves them to the real box.
    virtual bool Question(QWidget *parent, const QString &title, const QString &text);

    // The dialogs in use: the real widgets unless Replace installed others.
    static Dialogs &Current();
    // Installs replacement (not owned); nullptr goes back to the real widgets.
    static void Replace(Dialogs *replacement);
};
