#!/bin/bash
# The first user's safety (nothing invented to a real decoder, nothing
# sent where no programmer answered, IDs checked first, devices by name, the empty folder).
M="$(dirname "$0")/mutate.sh"
$M update/UpdateProcedure.cpp 'if (!InventedImage::HeldBackFrom(image, com))' 'if (true)' test_update_procedure test_update_cli
$M update/AlternativeUpdate.cpp 'if (!InventedImage::HeldBackFrom(image, com))' 'if (true)' test_alternative_update test_update_cli
$M cli/cmd_update.cpp '    if (!request.force) {
        ReportNoProgrammer(request, ports);' '    if (false) {
        ReportNoProgrammer(request, ports);' test_update_cli
$M cli/cmd_update.cpp '    if (ProgrammerAnswered(ports))
        return true;' '    return true;' test_update_cli
$M cli/cmd_update.cpp '    if (!missing.isEmpty())
        return UsageError' '    if (false)
        return UsageError' test_update_cli
$M port/PortMap.cpp 'if (other != com && settings.Value(SettingsSection, key, QString()) == device)' 'if (false)' test_port_map test_update_cli
$M software/SoftwareFilePage.cpp '    if (Module_DU::State().SoftwareFilePath.isEmpty())
        OnlineUpdateSequence();' '' test_file_page
$M software/SoftwareFilePage.cpp '    if (state.SoftwareFilePath.isEmpty())
        OpenDialog();' '' test_file_page
$M software/SoftwareFilePage.cpp '    view_.RunOnlineUpdate();
    // The close-down may have begun while the window was open: nothing more is loaded or asked.
    if (state.Exiting)
        return;' '    view_.RunOnlineUpdate();' test_file_page
