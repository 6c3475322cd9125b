#pragma once
// The update page without a window: it records what the procedures show and answers with the
// options and numbers set here. Its number boxes start with the page's values.

#include "update/UpdateView.h"

#include <QList>
#include <QStringList>

class MemoryUpdateView : public UpdateView {
public:
    void AddInfoLine(const QString &line) override;
    void RemoveLastInfoLine() override;
    void ClearInfoLines() override;
    void SetInfoColour(const QColor &colour) override;
    void SetProgress(float percent) override;
    bool NoQuery() const override;
    bool Blind() const override;
    QString PreambleText() const override;
    QString TimingText() const override;
    void SetTimingText(const QString &text) override;
    QString TimingTargetText() const override;
    void SetButtonsEnabled(bool enabled) override;
    bool AskYesNo(const QString &title, const QString &text) override;
    void ShowInformation(const QString &title, const QString &text) override;
    void GoBack() override;

    // What the procedures showed.
    QStringList infoLines;     // as the list shows them now
    QStringList everyInfoLine; // every line added, removed ones too
    QList<QColor> colours;     // every colour set, in order; the last one is shown
    float progress = 0;
    QList<bool> buttonStates; // every enabling and disabling of the buttons, in order
    QStringList questions;    // TITLE|TEXT of each question asked
    QStringList informations; // TITLE|TEXT of each information box shown
    int wentBack = 0;

    // What the user set.
    bool noQuery = false;
    bool blind = false;
    QString preamble = StartValue::Preamble;
    QString timing = StartValue::Timing;
    QString timingTarget = StartValue::TimingTarget;
    // The answer to every question.
    bool answer = true;
};
