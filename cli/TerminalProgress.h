#pragma once
// The update's progress bar on a terminal: one line on standard error, redrawn in place with a
// carriage return. Every line the command prints goes through here, so the bar is cleared
// before it and drawn again below it; output to a pipe or file gets the lines only.

#include <QString>

class TerminalProgress {
public:
    // drawn: whether a bar is drawn at all (standard output is a terminal).
    explicit TerminalProgress(bool drawn);

    // Moves the bar to percent (0 to 100, rounded to whole percents).
    void Show(float percent);
    // A line on standard output or standard error, above the bar.
    void PrintOut(const QString &line);
    void PrintErr(const QString &line);
    // Leaves the bar as it stands on a line of its own.
    void End();

    // percent rounded to a whole one from 0 to 100, as the bar shows it.
    static int WholePercent(float percent);

private:
    void Draw();
    void Clear();

    bool drawn_;
    int percent_ = NotShownYet;
    bool onScreen_ = false;

    static constexpr int NotShownYet = -1;
};
