#!/bin/bash
# The number boxes, the simulator, the soak's judge and pool, and the line settings.
M="$(dirname "$0")/mutate.sh"
$M update/TextNumber.cpp 'const double whole = std::nearbyint(value);' 'const double whole = std::floor(value);' test_update_procedure
$M update/TextNumber.cpp 'return end > digits ? end : at;' 'return end;' test_update_procedure
$M sim/SimDecoder.cpp '    if (!ChecksumHolds(frame)) {' '    if (false) {' test_sim_decoder
$M sim/SimDecoder.cpp 'else if (++preamblePairs_ >= MinPreamblePairs)' 'else if (++preamblePairs_ >= MinPreamblePairs - 1)' test_sim_decoder
$M sim/SimDecoder.cpp '    } else if (expectedBlock_ > 0 && number == ((expectedBlock_ - 1) & Protocol::BlockNumberMask)) {' '    } else if (expectedBlock_ > 0) {' test_sim_decoder
$M sim/SimDecoder.cpp '        if (expectedBlock_ == settings_.refuseBlock) {' '        if (false) {' test_sim_decoder
$M bench/support/SoakJudge.cpp '    if (run.flash.size() < qsizetype(*confirmedBlocks) * run.blockBytes || !HoldsOnlyTheImage(run))' '    if (!HoldsOnlyTheImage(run))' test_soak
$M bench/support/SoakJudge.cpp '    if (!HoldsOnlyTheImage(run))
        return Wrong(QStringLiteral("failed' '    if (false)
        return Wrong(QStringLiteral("failed' test_soak
$M bench/support/SoakJudge.cpp '    if (run.portOpen)' '    if (false)' test_soak
$M bench/support/SoakPool.cpp '                         GiveUp(worker, status == QProcess::CrashExit' '                         if (status == QProcess::CrashExit) return;
                         GiveUp(worker, status == QProcess::CrashExit' test_soak
$M port/LineSettings.cpp '    if (trimmed == QLatin1String("2"))
        return QSerialPort::TwoStop;' '    if (trimmed == QLatin1String("2"))
        return QSerialPort::OneStop;' test_serial_component
