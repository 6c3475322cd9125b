#!/bin/bash
# The update history: one record per ending with the right result, and a file that survives kills.
M="$(dirname "$0")/mutate.sh"
# results: a declined question, the program ending, a stop on request, the alternative's stop
$M update/AttemptRecorder.cpp '    if (ended == AttemptResult::Failed && declined_)' '    if (false)' test_update_procedure
$M update/AttemptRecorder.cpp 'state.EndAfterUpdate ? AttemptResult::Interrupted : AttemptResult::Declined' 'AttemptResult::Declined' test_wizard
$M update/AttemptRecorder.cpp '    else if (ended == AttemptResult::Failed && state.StopUpdate)' '    else if (false)' test_update_cli
$M update/UpdateProcedure.cpp '        return AttemptResult::Unconfirmed;' '        return AttemptResult::Finished;' test_update_procedure
# what the record knows: acknowledged blocks (main, blind, alternative), the question's No, the decoder
$M update/BlockTransfer.cpp '    return highestAcknowledged_ + 1;' '    return highestAcknowledged_;' test_update_procedure
$M update/UpdateProcedure.cpp 'view_.Blind() ? 0 : transfer_.BlocksAcknowledged()' 'transfer_.BlocksAcknowledged()' test_update_procedure
$M update/AlternativeUpdate.cpp '    attempt_->BlocksAcknowledged(0);' '' test_alternative_update
$M update/AlternativeUpdate.cpp '        attempt_->QuestionDeclined();' '' test_alternative_update
$M update/AttemptRecorder.cpp '    if (!record_.blind)' '    if (true)' test_update_procedure
$M update/AttemptRecorder.cpp '    record_.version = entry.Version;' '' test_update_procedure
# the file: a torn last line closed first, a bad line skipped rather than ending the read, CSV quoting
$M history/UpdateHistory.cpp '    if (EndsTorn(file))' '    if (false)' test_update_history
$M history/UpdateHistory.cpp '            records.push_back(*record);' '            break;' test_update_history
$M history/UpdateHistory.cpp '    quoted.replace(QLatin1Char('"'"'"'"'"'), QStringLiteral("\"\""));' '' test_update_history
$M history/UpdateRecord.cpp '        {Key::Time, time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate)},' '        {Key::Time, time.toString(Qt::ISODate)},' test_update_history
