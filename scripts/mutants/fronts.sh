#!/bin/bash
# The window and tobrik-cli: behaviour a user sees that the procedure tests do not reach.
M="$(dirname "$0")/mutate.sh"
# a signal while the update asks its question: the question is answered No, the program ends after the update
$M gui/Wizard.cpp '        updatePage_->CancelOpenDialogs();' '' test_wizard
# a close-down during an update deletes the update page only once the update has returned
$M app/PageLifetime.cpp 'if (unloaded_ && running_ == 0)' 'if (unloaded_)' test_wizard
# a close request while an update runs does nothing
$M update/frm_update.cpp 'if (!Command3->isEnabled()) {' 'if (false) {' test_wizard
# a stray key during the update cannot tick an option the update reads
$M update/frm_update.cpp 'option->setEnabled(enabled && optionsOffered_);' 'option->setEnabled(optionsOffered_);' test_update_page
# side windows: one help page for all pages
$M gui/Wizard.cpp '    if (!helpPage_) {' '    {' test_wizard
# the log window's copy ends every line with a carriage return
$M app/frm_log.cpp "text += lst_deb->item(row)->text() + QLatin1Char('\r');" "text += lst_deb->item(row)->text() + QLatin1Char('\n');" test_log_window
# CLI: a second signal stops the transfer
$M cli/cmd_update.cpp '            Module_DU::State().StopUpdate = true;' '' test_update_cli
# the windows' icon: none set, drawn blank, the SVG left out of the program
$M gui/Wizard.cpp '    QApplication::setWindowIcon(ProgramIcon());' '' test_wizard
$M gui/ProgramIcon.cpp '        renderer.render(&painter);' '' test_wizard
# CLI history: oldest start first, whatever order the attempts ended in
$M cli/cmd_history.cpp '    std::stable_sort(records.begin()' '    if (false) std::stable_sort(records.begin()' test_update_cli
# CLI history: --decoder keeps only that decoder's records
$M cli/cmd_history.cpp '    if (!ids.isEmpty())' '    if (false)' test_update_cli
# CLI history: the table's columns line up
$M cli/cmd_history.cpp 'RightAlignedColumns.contains(column) ? widths[column] : -widths[column]' '0' test_update_cli
# CLI update --json: one progress object per whole percent
$M cli/JsonUpdateEvents.cpp '    if (percent_ == whole)
        return;' '' test_update_cli
# CLI update --json: the question is told with its answer
$M cli/TerminalUpdateView.cpp '        events_->Question(title, text, answer);' '' test_update_cli
# CLI update --json: the result carries the record the run wrote, and --note is in it
$M cli/cmd_update.cpp '        events->Recorded(end.record);' '        events->Recorded(std::nullopt);' test_update_cli
$M cli/TerminalUpdateView.cpp '    return options_.note;' '    return {};' test_update_cli
# CLI update --json: the last object is the result, also when the update page never ran
$M cli/cmd_update.cpp '        events->End(status);' '' test_update_cli
$M cli/main.cpp '        command.refused(parser, status);' '' test_update_cli
# the History window: newest first (the later of one moment in front), the decoder filter, the
# name a decoder last had
$M history/HistoryListing.cpp '    std::reverse(records.begin(), records.end());' '' test_history_window
$M history/HistoryListing.cpp 'return record.decoderId == decoderFilter_;' 'return true;' test_history_window
$M history/HistoryListing.cpp 'names.try_emplace(' 'names.insert_or_assign(' test_history_window
# the result's colour: amber for unconfirmed, none for declined, and shown in the table
$M history/HistoryListing.cpp '        return InfoColour::Unconfirmed;' '        return InfoColour::Finished;' test_history_window
$M history/frm_history.cpp '            result->setBackground(*colour);' '' test_history_window
# the CSV export: what the window lists, nothing when cancelled, a message when not written
$M history/frm_history.cpp 'UpdateHistory::ToCsv(listing_.Listed())' 'UpdateHistory::ToCsv(UpdateHistory::Read(historyPath_))' test_history_window
$M history/frm_history.cpp '    if (path.isEmpty())' '    if (false)' test_history_window
$M history/frm_history.cpp '    if (!written)' '    if (false)' test_history_window
# one History window for every page
$M gui/Wizard.cpp '    if (!historyWindow_) {' '    {' test_wizard
# the update page's note: locked while an update runs, kept for the next run and start
$M update/frm_update.cpp 'txt_pream, txt_timing_soll, txt_note};' 'txt_pream, txt_timing_soll};' test_update_page
$M update/frm_update.cpp '[](const QString &note) { Module_DU::State().UpdateNote = note; }' '[](const QString &) {}' test_update_page
$M app/mod_config.cpp '    state.UpdateNote = settings.Value(UpdateSection, NoteKey, QString());' '' test_settings
