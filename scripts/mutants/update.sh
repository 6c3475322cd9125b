#!/bin/bash
# The update: the transfer, the search, the calibration, the options and the alternative method.
M="$(dirname "$0")/mutate.sh"

# acknowledge test
$M update/UpdateLink.cpp 'return !ByteBits[0] && ByteBits[3] && !ByteBits[6];' 'return ByteBits[3];' test_update_procedure
$M update/UpdateLink.cpp 'return !ByteBits[0] && ByteBits[3] && !ByteBits[6];' 'return !ByteBits[0] && ByteBits[3];' test_update_procedure
# checksum
$M update/BlockFrame.cpp 'checksum ^= static_cast<uint8_t>(byte);' 'checksum += static_cast<uint8_t>(byte);' test_update_procedure test_alternative_update
$M update/BlockFrame.cpp '    for (const char byte : payload)' '    checksum = 0;
    for (const char byte : payload)' test_update_procedure test_alternative_update
# block numbers and positions
$M port/Protocol.h 'constexpr int32_t BlockNumberMask = 0xFF;' 'constexpr int32_t BlockNumberMask = 0x7F;' test_update_procedure
$M update/BlockTransfer.cpp 'position_ = start_ + 1 + int64_t{blockNumber_} * blockSize_;' 'position_ = start_ + int64_t{blockNumber_} * blockSize_;' test_update_procedure
# retry and probe pattern
$M port/Protocol.h 'constexpr int32_t RefusalRetries = 30;' 'constexpr int32_t RefusalRetries = 8;' test_update_procedure
$M port/Protocol.h 'constexpr int32_t TimeoutRetries = 8;' 'constexpr int32_t TimeoutRetries = 30;' test_update_procedure
$M port/Protocol.h 'ProbeOffsets{-3, 1, 0, 1, 0, -1, 2, -2, 3};' 'ProbeOffsets{-3, 0, 1, 1, 0, -1, 2, -2, 3};' test_update_procedure
$M update/BlockTransfer.cpp 'if (position_ > lastPosition_)' 'if (position_ >= lastPosition_)' test_update_procedure
$M update/UpdateLink.cpp '    MSComm2->setPortopen(false);
    return true;' '    return true;' test_update_procedure test_alternative_update
$M port/PortDetection.cpp '            MSComm2->output(Protocol::AdapterOffCommand + Protocol::CommandEnd);' '' test_update_cli test_wizard test_detection
# calibration arithmetic
$M update/Calibration.cpp 'constexpr double UpperLimitFactor = 1.5;' 'constexpr double UpperLimitFactor = 2;' test_update_procedure
$M update/Calibration.cpp 'return static_cast<double>(measuredMs) < half ? TextNumber::WholeNumber(half) : measuredMs;' 'return measuredMs;' test_update_procedure
$M update/UpdateProcedure.cpp 'if (view_.NoQuery() || view_.Blind())' 'if (view_.Blind())' test_update_procedure
$M update/BlockTransfer.cpp '    if (view_.Blind())
        return Reply::Accepted;' '' test_update_procedure
$M update/UpdateLink.cpp 'for (int32_t pair = 0; pair < pairs; ++pair) {' 'for (int32_t pair = 0; pair <= pairs; ++pair) {' test_update_procedure
$M update/UpdateProcedure.cpp 'const double target = TextNumber::LeadingNumber(view_.TimingTargetText());' 'const double target = TextNumber::LeadingNumber(view_.TimingText());' test_update_procedure
# decoder search
$M update/UpdateProcedure.cpp 'if (index < Module_DU::State().ChosenDecoders.size()) {' 'if (false) {' test_update_procedure
$M update/UpdateProcedure.cpp '    if (link_.Acknowledged())
        return true;
    view_.AddInfoLine(Text(TextId::CorruptAck));' '    view_.AddInfoLine(Text(TextId::CorruptAck));' test_update_procedure
# alternative method: frame, pause, checks
$M update/AlternativeUpdate.cpp 'SendFrame(BlockFrame(blockNumber, payload), full);' 'SendFrame(BlockFrame(blockNumber + 1, payload), full);' test_alternative_update
$M update/AlternativeUpdate.cpp 'blockNumber = (blockNumber + 1) & Protocol::BlockNumberMask' 'blockNumber = blockNumber & Protocol::BlockNumberMask' test_alternative_update
$M update/AlternativeUpdate.cpp '        link_.wait(BlockPauseTicks);' '' test_alternative_update
$M update/AlternativeUpdate.cpp 'if (imageId == probeId_)' 'if (imageId >= 0)' test_alternative_update
$M update/BlockTransfer.cpp 'view_.SetInfoColour(InfoColour::Unconfirmed);' 'view_.SetInfoColour(InfoColour::Finished);' test_update_procedure
$M update/UpdateProcedure.cpp '    case TransferEnd::FinishedUnconfirmed:
        return UpdateOutcome::FinishedUnconfirmed;' '    case TransferEnd::FinishedUnconfirmed:
        return UpdateOutcome::Finished;' test_update_procedure test_update_cli
$M cli/cmd_update.cpp 'constexpr int UnconfirmedStatus = 3;' 'constexpr int UnconfirmedStatus = 1;' test_update_cli
$M cli/cmd_update.cpp '    case UpdateOutcome::Failed:
    case UpdateOutcome::EndedBeforeTransfer:' '    case UpdateOutcome::Failed:
        return UnconfirmedStatus;
    case UpdateOutcome::EndedBeforeTransfer:' test_update_cli
$M cli/cmd_update.cpp 'return outcome == AlternativeOutcome::Completed ? CliStatus::Success : CliStatus::Failure;' 'return CliStatus::Success;' test_update_cli test_alternative_update
# --- the guards of the truthful result: stale bytes, late replies, carried retries, whole blocks ---
$M update/UpdateProcedure.cpp 'Guarded([this] { link_.DropWaiting(); });
        link_.DataReceived = false;' 'link_.DataReceived = false;' test_update_procedure
$M update/UpdateProcedure.cpp 'if (!link_.DataReceived)
            Guarded' 'if (false)
            Guarded' test_update_procedure
$M update/BlockTransfer.cpp '    link_.DropWaiting();
    link_.Comm().output' '    link_.Comm().output' test_update_procedure
$M update/BlockTransfer.cpp 'if (reply == Reply::TimedOut)
                Guarded' 'if (false)
                Guarded' test_update_procedure
$M update/BlockTransfer.cpp '    if (late == 0)
        return;' '    return;' test_update_procedure
$M update/BlockTransfer.cpp '        Guarded([this] { link_.DropWaiting(); });
        Guarded([&] { link_.send(byte); });' '        Guarded([&] { link_.send(byte); });' test_update_procedure
$M update/BlockTransfer.cpp 'carried == carriedRetries_.end() ? 0 : carried->second' '0' test_update_procedure test_update_end_to_end test_update_cli
$M update/UpdateProcedure.cpp '    if (image_.WholeBlocks(*BlockTransfer::BlockSizeOf(entry_.Type)) > 0)
        return true;' '    return true;' test_update_procedure test_update_end_to_end
$M update/AlternativeUpdate.cpp '    if (image_.WholeBlocks(BlockSizeOf(entry_.Type)) == 0) {' '    if (false) {' test_alternative_update
$M update/AlternativeUpdate.cpp '    if (image_.Complete())
        return true;' '    return true;' test_alternative_update
$M update/UpdateImage.cpp 'return std::max(length_, HeadBytes);' 'return length_;' test_update_procedure test_update_end_to_end
$M software/IndexEntry.h 'int64_t Length = 0;' 'int32_t Length = 0;' test_update_procedure test_update_end_to_end
$M update/BlockTransfer.cpp 'unconfirmedBlocks > 1 ||' 'unconfirmedBlocks > 2 ||' test_update_procedure
$M update/BlockTransfer.cpp 'if (unconfirmedBlocks == 0 && tailBytes_ == 0) {' 'if (unconfirmedBlocks == 0) {' test_update_procedure
$M update/BlockTransfer.cpp '(unconfirmedBlocks == 1 && lastReply_ == Reply::Refused)' 'false' test_update_procedure
$M update/BlockTransfer.cpp '    if (tailBytes_ > 0)
        view_.AddInfoLine' '    if (false)
        view_.AddInfoLine' test_update_procedure
$M update/BlockTransfer.cpp '    if (firstUnconfirmed < wholeBlocks_)' '    if (false)' test_update_procedure
$M update/BlockTransfer.cpp 'highestAcknowledged_ = blockNumber_;' 'highestAcknowledged_ = std::max<int64_t>(highestAcknowledged_, blockNumber_);' test_update_procedure test_update_end_to_end
$M update/BlockTransfer.cpp '            if (Module_DU::State().StopUpdate)
                return Stop();' '' test_update_procedure test_update_cli
$M update/AlternativeUpdate.cpp '        if (Module_DU::State().StopUpdate)
            return false;' '' test_alternative_update test_update_cli
$M update/UpdateProcedure.cpp '    file_.Close();
    Guarded([this] { link_.LineOff(); });' '    file_.Close();' test_update_procedure
$M update/UpdateImage.cpp '    return bytes_.size() == BytesToRead();' '    return true;' test_update_procedure test_update_end_to_end
