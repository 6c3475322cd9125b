#!/bin/bash
# The software file, the settings file, the online update, the texts, detection, the port map,
# the file page's choice and the start-up.
M="$(dirname "$0")/mutate.sh"
# decoder software file: both index layouts, the layout choice, the KT warning
$M software/IndexReader.cpp 'ConvertInto(Slice(bytes, 3, 7), entry.Start);' 'ConvertInto(Slice(bytes, 3, 6), entry.Start);' test_software_file
$M software/IndexReader.cpp 'if (first == ";")' 'if (first == ":")' test_software_file
$M software/IndexReader.cpp 'ConvertInto(field_.Text(), read.Start);' 'ConvertInto(field_.Text(), read.Length);' test_software_file
$M software/IndexReader.cpp 'if (field_.Text() != "F")' 'if (false)' test_software_file
$M software/IndexReader.cpp "while (lastSeparator_ == '\t')" "if (lastSeparator_ == '\t')" test_software_file
$M software/ReadToken.cpp 'if (length > room) {' 'if (length > room + 1) {' test_software_file
$M software/SoftwareIndexListing.cpp 'listing.HasKtEntry = true;' 'listing.HasKtEntry = false;' test_software_file
$M software/SoftwareFilePage.cpp 'view.ShowKtWarning();' ';' test_file_page
# settings file: profile reader and writer, the values kept between runs
$M app/mod_ini.cpp 'return Unquoted(raw).left(MaxValueLength);' 'return raw.left(MaxValueLength);' test_settings
$M app/mod_ini.h 'constexpr int MaxValueLength = 749;' 'constexpr int MaxValueLength = 750;' test_settings
$M app/mod_ini.cpp 'if (range.header >= 0) {' 'if (false) {' test_settings
$M app/mod_ini.cpp "const QString entry = key.toUpper() + QLatin1Char('=') + value;" "const QString entry = key + QLatin1Char('=') + value;" test_settings
$M app/mod_config.cpp 'const QString FoldersSection = QStringLiteral("LastFolders");' 'const QString FoldersSection = QStringLiteral("LastFolder");' test_settings
# version list reader
$M online/VersionList.cpp 'QStringLiteral("d M yyyy")' 'QStringLiteral("M d yyyy")' test_online_update
$M online/VersionList.cpp 'if (name == QLatin1String("Decodersw"))' 'if (true)' test_online_update
$M online/VersionList.cpp 'return text.startsWith(mark) ? text.mid(mark.size()) : text;' 'return text;' test_online_update
# download checks: length, chunked refusal, commit only when finished
$M online/HttpExchange.cpp 'if (*head.Length > limits_.MaxBodyBytes) {' 'if (*head.Length > limits_.MaxBodyBytes + 1) {' test_online_update
$M online/HttpExchange.cpp 'else if (!BodyWhole())' 'else if (false)' test_online_update
$M online/HttpExchange.cpp 'if (head.TransferEncoded) {' 'if (false) {' test_online_update
$M online/mod_URLDownload.cpp 'if (const QString failure = Fetch(address, SizeLimit(payload), body); !failure.isEmpty())
        return failure;' 'if (const QString failure = Fetch(address, SizeLimit(payload), body); !failure.isEmpty())
        return Store(localPath, body), failure;' test_online_update
$M app/LanguageTexts.cpp 'if (*language - 1 != state.LanguageIndex)' 'if (*language != state.LanguageIndex)' test_language
$M app/LanguageTexts.cpp 'return number - 1;' 'return number;' test_startup
# programmer detection: the box status, the adapter
$M port/PortDetection.cpp 'return !ByteBits[0] && ByteBits[6];' 'return ByteBits[6];' test_detection
$M port/PortDetection.cpp 'if (answer.contains(Protocol::AdapterOkReply, Qt::CaseInsensitive)) {' 'if (answer.contains(QLatin1String("OK"), Qt::CaseInsensitive)) {' test_detection
$M port/PortDetection.cpp 'if (state.AdapterActive)
        return;' ';' test_detection
$M port/PortDetection.cpp 'if (!PortPageState::IsBluetooth(MSComm2->description()))' 'if (true)' test_detection
# port map and pins
$M port/PortMap.cpp 'closed_ = qEnvironmentVariableIsSet(EnvironmentPins);' 'closed_ = false;' test_port_map
$M port/PortMap.cpp 'if (NumberOf(port.path) != 0)
        return;' ';' test_port_map
$M port/PortList.cpp 'if (state.AdapterActive && kind != PortKinds::Adapter)' 'if (false)' test_port_page
$M port/PortList.cpp 'if (clickProbe_)
        return;' ';' test_port_page
$M port/frm_Du_Com.cpp 'ports_->Detection().AdapterOff();' ';' test_port_page
# the file page's choice of the newest file
$M software/FindNewestSoftwareFile.cpp 'if (entry.isFile() && time > best' 'if (entry.isFile() && time >= best' test_file_page
$M software/FindNewestSoftwareFile.cpp 'if (entry.isFile() && time > best' 'if (time > best' test_file_page
$M software/FindNewestSoftwareFile.cpp '(starts("DS") && ends("VUP"))' '(starts("DS") && ends("DAT"))' test_file_page
# start-up and close-down
$M app/Mod_Getfolder.cpp 'if (name.endsWith(QLatin1String("vup")))' 'if (name.endsWith(QLatin1String("vup"), Qt::CaseInsensitive))' test_startup
$M app/Mod_Getfolder.cpp 'written.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);' ';' test_startup
$M port/frm_Du_Com.cpp 'mod_config::SaveConfig();' ';' test_startup
$M app/Startup.cpp 'if (!mod_config::LoadConfig())' 'mod_config::LoadConfig();' test_startup
$M app/Startup.cpp 'SaveFileLeftovers::RemoveStale(state.SoftwareFolder, IsSoftwareFileName);' ';' test_error_explanations
# added while listing: the read limits and the chunked index input
$M software/IndexReader.cpp 'index_.Consumed() >= MaxIndexLength' 'index_.Consumed() < 0' test_software_file
$M software/ReadToken.cpp 'inPieces = true;' 'inPieces = false;' test_software_file
$M app/SmallTextFile.cpp 'if (bytes.size() > MaxSize) {' 'if (false) {' test_online_update
$M online/UpdateServer.cpp 'IsPlainHttp(url) && IsPlainHttp(configured) && IsLoopbackHost(configured.host())' 'IsPlainHttp(url) && IsPlainHttp(configured)' test_online_update
