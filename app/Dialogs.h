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
    // leaves them to the program's own boxes.
    virtual bool Question(QWidget *parent, const QString &title, const QString &text);
    // A save-file dialog starting at path; the chosen path, or empty text when the user
    // cancelled. A replacement that does not answer it leaves it to the program's own dialog.
    virtual QString SaveFileName(QWidget *parent, const QString &title, const QString &path,
                                 const QString &filter);

    // The dialogs in use: a replacement, else the program's own boxes.
    static Dialogs &Current();
    // Installs replacement (not owned); nullptr goes back to the program's own boxes.
    static void Replace(Dialogs *replacement);
    // The program's own boxes (not owned, not null), which the window program installs at its
    // start. The procedures need no window system, so until then nobody answers: a message goes
    // unseen, a file dialog is cancelled, a question is answered No.
    static void SetOwnBoxes(Dialogs *boxes);
};
