// tobrik-cli update: what a user does in the wizard, without a window. The file page's loading
// of a decoder software file, the port page's start-up scan and detection (and a click on a
// port), and one run of the update page with its options, or of its alternative method. The
// file comes first so that a wrong call opens no port at all.
#include "cli/CliCommand.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/Startup.h"
#include "app/TerminationSignals.h"
#include "cli/JsonUpdateEvents.h"
#include "cli/PortScans.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalUpdateView.h"
#include "port/MemoryPortView.h"
#include "port/PortDetection.h"
#include "port/PortList.h"
#include "port/PortMap.h"
#include "software/KtWarning.h"
#include "software/SoftwareFilePage.h"
#include "update/AlternativeUpdate.h"
#include "update/UpdateProcedure.h"

#include <algorithm>
#include <optional>

namespace {
const char Usage[] = "[--port PORT [--force]] --file FILE (--decoder ID [--decoder ID ...] "
                     "[--no-query] [--blind] [--pream N] [--timing-soll MS] | --alternative) "
                     "[--yes] [--note TEXT] [--json] [--log]";

const char Description[] = R"(
Runs one decoder update as the wizard does: FILE loaded as the file page loads it, the port
page's first scan with its programmer detection (then, with --port, a click on that port's
entry), and one run of the update page for the decoder types given, tried in that order. With
--alternative the page's alternative method runs instead: it probes the decoder IDs 200 to 209,
needs a fixed-width index, always asks, and streams the image without waiting for answers
("Übertragung beendet" ... is printed on standard error at its end).

PORT is a COM number (3 or COM3) or a device path (/dev/ttyUSB0, /dev/serial/by-id/...,
a pseudo-terminal); a path not pinned to a number gets the lowest free one for this run.
Nothing is sent for the update unless a programmer answered: with no programmer found the run
ends with "no programmer found" and the ports probed, and so does --port on a port where none
answered, unless --force is given. A --decoder ID that FILE holds no image for is a usage
error naming the IDs FILE holds; FILE is read before any port is opened.

Each line the page adds to its list is printed on standard output as it is added; lines that
the retries take out of the list again stay printed. On a terminal a progress bar is drawn on
standard error. After the update the last line on standard error is the list's colour.

Every run of the update page adds one record to the update history (tobrik-cli history);
--note TEXT goes into it. With --json, standard output carries JSON lines only, one object a
line as it happens: {"type":"line","text":...} for each list line, {"type":"progress",
"percent":N} for each whole percent reached, {"type":"question","title":...,"text":...,
"answer":true|false} once the question is answered (on standard input as without --json,
unless --yes), and last {"type":"result","result":"finished|unconfirmed|failed|declined|
interrupted","exit_status":N,"record":{...}} with the run's history record, null when the
update page did not run. Everything else goes to standard error.

--pream takes 4 to 10000 (not read with --blind), --timing-soll 0 to 1000; a value outside
ends the run before the port is opened, with the page's line naming the range.

SIGTERM, SIGINT or SIGHUP during the run: the first says "finishing the update; signal again
to stop now" on standard error, answers the question No and lets the transfer finish; a second
stops the transfer at once. Either way the port is closed and an adapter switched off, and the
exit status is the run's.

Exit status: 0 finished: every block was acknowledged by the decoder (--blind: every block was
sent, none confirmed; --alternative: the stream ended with "Übertragung abgeschlossen");
3 finished, unconfirmed: at most the last block lacks its acknowledgement, or a tail shorter
than a block was not sent; 1 failed: any other block lacks its acknowledgement, the update was
stopped or ended before the transfer (a number out of range, among others), no programmer
answered, or FILE cannot be used; 64 usage error.
)";

const QCommandLineOption PortOption(QStringLiteral("port"),
                                   QStringLiteral("click this port's entry in the port list after "
                                                  "the first scan: a COM number or a device path"),
                                   QStringLiteral("PORT"));
const QCommandLineOption ForceOption(QStringLiteral("force"),
                                    QStringLiteral("update over --port although no programmer "
                                                   "answered there"));
const QCommandLineOption FileOption(QStringLiteral("file"),
                                   QStringLiteral("the decoder software file"),
                                   QStringLiteral("FILE"));
const QCommandLineOption DecoderOption(QStringLiteral("decoder"),
                                      QStringLiteral("a decoder type chosen on the file page; "
                                                     "repeat for several"),
                                      QStringLiteral("ID"));
const QCommandLineOption NoQueryOption(QStringLiteral("no-query"),
                                      QStringLiteral("\"Keine Rückfrage\": no question before "
                                                     "the transfer (one --decoder only)"));
const QCommandLineOption BlindOption(QStringLiteral("blind"),
                                    QStringLiteral("\"Blind Programmieren\": no reply awaited "
                                                   "(one --decoder only)"));
const QCommandLineOption YesOption(QStringLiteral("yes"),
                                  QStringLiteral("answer the question \"... found, would you "
                                                 "like to update?\" with Yes; otherwise it is "
                                                 "asked on standard input (y/N, the end of input "
                                                 "is No)"));
const QCommandLineOption PreambleOption(QStringLiteral("pream"),
                                       QStringLiteral("the box Preamble Bits, as typed (%1)")
                                           .arg(StartValue::Preamble),
                                       QStringLiteral("N"), StartValue::Preamble);
const QCommandLineOption TimingOption(QStringLiteral("timing-soll"),
                                     QStringLiteral("the box Timing [ms], as typed (%1)")
                                         .arg(StartValue::TimingTarget),
                                     QStringLiteral("MS"), StartValue::TimingTarget);
const QCommandLineOption AlternativeOption(QStringLiteral("alternative"),
                                          QStringLiteral("the page's alternative method instead "
                                                         "of the update"));
const QCommandLineOption NoteOption(QStringLiteral("note"),
                                   QStringLiteral("the user's name for the locomotive, written "
                                                  "into the attempt's history record"),
                                   QStringLiteral("TEXT"));
const QCommandLineOption JsonOption(QStringLiteral("json"),
                                   QStringLiteral("JSON lines on standard output for another "
                                                  "program, all text for people on standard "
                                                  "error"));
const QCommandLineOption LogOption(QStringLiteral("log"),
                                  QStringLiteral("the log window's lines on standard error"));

constexpr int UnconfirmedStatus = 3;

constexpr int HighestDecoderId = 255; // an ID travels as one byte
constexpr int FirstScan = 1;

// What the alternative method does without.
const QList<QCommandLineOption> NotWithAlternative{DecoderOption, NoQueryOption, BlindOption,
                                                   PreambleOption, TimingOption};

struct UpdateRequest {
    bool alternative = false; // the page's alternative method
    std::optional<int> port;  // none: the port the detection chose
    QString portDevice;       // a device path given for --port, numbered once the map is read
    bool force = false;       // update over --port even where no programmer answered
    QString file;
    QStringList decoders; // decimal, in the order given
    UpdateOptions options;
    bool log = false;
};

// A whole number from lowest to highest, or nothing.
std::optional<int> NumberIn(const QString &text, int lowest, int highest)
{
    bool valid = false;
    const int number = text.toInt(&valid);
    if (!valid || number < lowest || number > highest)
        return std::nullopt;
    return number;
}

bool IsDevicePath(const QString &text)
{
    return text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
}

// Fills request from the parsed call; the reason when it is not a valid one.
QString ReadRequest(const QCommandLineParser &parsed, UpdateRequest &request)
{
    request.alternative = parsed.isSet(AlternativeOption);
    for (const QCommandLineOption &option : NotWithAlternative)
        if (request.alternative && parsed.isSet(option))
            return QStringLiteral("--%1 does not go with --alternative").arg(option.names().first());
    request.log = parsed.isSet(LogOption);
    request.options.noQuery = parsed.isSet(NoQueryOption);
    request.options.blind = parsed.isSet(BlindOption);
    request.options.answerYes = parsed.isSet(YesOption);
    request.options.preamble = parsed.value(PreambleOption);
    request.options.timingTarget = parsed.value(TimingOption);
    request.options.note = parsed.value(NoteOption);
    request.file = parsed.value(FileOption);
    for (const QString &id : parsed.values(DecoderOption)) {
        const auto decoder = NumberIn(id, 0, HighestDecoderId);
        if (!decoder)
            return QStringLiteral("--decoder takes an ID from 0 to %1, not %2")
                .arg(HighestDecoderId)
                .arg(id);
        request.decoders.append(QString::number(*decoder));
    }
    if (parsed.isSet(PortOption)) {
        const QString port = parsed.value(PortOption).trimmed();
        if (const int number = PortMap::ComNumber(port))
            request.port = number;
        else if (IsDevicePath(port))
            request.portDevice = port;
        else
            return QStringLiteral("--port takes a COM number from 1 to %1 (3 or COM3) or a "
                                  "device path, not %2")
                .arg(PortMap::PortCount)
                .arg(port);
    }
    request.force = parsed.isSet(ForceOption);
    if (request.force && !parsed.isSet(PortOption))
        return QStringLiteral("--force needs --port: it names the port to update over");
    if (request.file.isEmpty())
        return QStringLiteral("--file is missing");
    if (request.decoders.isEmpty() && !request.alternative)
        return QStringLiteral("--decoder is missing");
    // The page offers the two options only while exactly one decoder type is chosen.
    if ((request.options.noQuery || request.options.blind) && request.decoders.size() != 1)
        return QStringLiteral("--no-query and --blind need exactly one --decoder");
    return {};
}

// The decoder IDs of the file's index, each once, in ascending order.
QList<int> HeldIds(const SoftwareIndexListing &listing)
{
    QList<int> ids;
    for (const IndexEntry &entry : listing.Entries)
        if (!ids.contains(entry.Id))
            ids.append(entry.Id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// FILE as the file page loads it, and the decoder IDs it holds; nothing, with the reason on
// standard error, for a file that cannot be used.
std::optional<QList<int>> LoadSoftware(const QString &path)
{
    SilentDecoderList list;
    const LoadResult loaded = SoftwareFilePage::LoadSoftwareFile(list, path);
    if (!loaded.Opened) {
        PrintErr(QStringLiteral("update: cannot open %1: %2\n").arg(path, loaded.OpenError));
        return std::nullopt;
    }
    if (!loaded.Listing.Recognised) {
        PrintErr(QStringLiteral("update: %1 is not a decoder software file\n").arg(path));
        return std::nullopt;
    }
    if (loaded.Listing.HasKtEntry) {
        PrintErr(KtWarning::FirstLine() + QLatin1Char('\n') + KtWarning::SecondLine()
                 + QLatin1Char('\n'));
        return std::nullopt;
    }
    return HeldIds(loaded.Listing);
}

// Why the decoders asked for cannot be updated from a file holding held; empty when they can.
QString MissingDecoders(const UpdateRequest &request, const QList<int> &held)
{
    QStringList missing;
    for (const QString &decoder : request.decoders)
        if (!held.contains(decoder.toInt()))
            missing.append(decoder);
    if (missing.isEmpty())
        return {};
    QStringList heldText;
    for (const int id : held)
        heldText.append(QString::number(id));
    return QStringLiteral("%1 holds no image for --decoder %2; it holds the IDs %3")
        .arg(request.file, missing.join(QStringLiteral(", ")),
             heldText.isEmpty() ? QStringLiteral("none") : heldText.join(QStringLiteral(", ")));
}

QString ColourName(const std::optional<QColor> &colour)
{
    if (!colour)
        return QStringLiteral("no transfer (list colour unchanged)");
    if (*colour == InfoColour::Finished)
        return QStringLiteral("finished (green)");
    if (*colour == InfoColour::Unconfirmed)
        return QStringLiteral("finished, unconfirmed (amber)");
    if (*colour == InfoColour::Failed)
        return QStringLiteral("failed (red)");
    return QStringLiteral("sending (orange)");
}

// Blind, "finished" means sent: the decoder was never asked.
QString ResultLine(const TerminalUpdateView &view, UpdateOutcome outcome)
{
    QString line = QStringLiteral("Result: ") + ColourName(view.Colour());
    if (outcome == UpdateOutcome::Finished && view.Blind())
        line += QStringLiteral(", sent blind: no block was confirmed by the decoder");
    return line + QLatin1Char('\n');
}

int ExitStatus(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::Finished:
        return CliStatus::Success;
    case UpdateOutcome::FinishedUnconfirmed:
        return UnconfirmedStatus;
    case UpdateOutcome::Failed:
    case UpdateOutcome::EndedBeforeTransfer:
    case UpdateOutcome::WentBack:
        break;
    }
    return CliStatus::Failure;
}

// How the page's run ended: the exit status and the history record the run left.
struct RunEnd {
    int status;
    std::optional<UpdateRecord> record;
};

// The update page's run for the chosen decoders.
RunEnd RunUpdate(const UpdateRequest &request, TerminalUpdateView &view, TerminalProgress &progress)
{
    Module_DU::State().ChosenDecoders = request.decoders;
    UpdateProcedure procedure(view);
    const UpdateOutcome outcome = procedure.Run();
    progress.End();
    if (outcome == UpdateOutcome::FinishedUnconfirmed)
        PrintErr(QStringLiteral("update: warning: the decoder did not confirm everything; the "
                                "list's last lines say what it may lack\n"));
    PrintErr(ResultLine(view, outcome));
    return {ExitStatus(outcome), procedure.LastRecord()};
}

// The page's alternative method.
RunEnd RunAlternative(TerminalUpdateView &view, TerminalProgress &progress)
{
    UpdateLink link(view);
    AlternativeUpdate alternative(view, link);
    const AlternativeOutcome outcome = alternative.Run();
    progress.End();
    return {outcome == AlternativeOutcome::Completed ? CliStatus::Success : CliStatus::Failure,
            alternative.LastRecord()};
}

// Termination signals (SIGTERM, SIGINT, SIGHUP) while the page's run lasts. As in the window,
// the first lets the run go on to its end step, answering its question No, so the decoder is
// not left with half an image; the close-down follows. A further one stops the transfer at
// once, still through the end step and the close-down. Before the run a signal ends the
// command as it always did; after it, the close-down is not cut short.
class SignalsDuringRun {
public:
    SignalsDuringRun(TerminalUpdateView &view, TerminalProgress &progress)
        : view_(view), progress_(progress)
    {
        TerminationSignals::Install([this] { Take(); });
    }
    ~SignalsDuringRun() { TerminationSignals::Install({}); }
    SignalsDuringRun(const SignalsDuringRun &) = delete;
    SignalsDuringRun &operator=(const SignalsDuringRun &) = delete;

private:
    void Take()
    {
        if (finishing_) {
            progress_.PrintErr(QStringLiteral("update: stopping the update now"));
            Module_DU::State().StopUpdate = true;
            return;
        }
        finishing_ = true;
        Module_DU::State().EndAfterUpdate = true;
        view_.DeclineQuestions();
        progress_.PrintErr(
            QStringLiteral("update: finishing the update; signal again to stop now"));
    }

    TerminalUpdateView &view_;
    TerminalProgress &progress_;
    bool finishing_ = false;
};

// events: where --json tells the run; none without it.
int RunUpdatePage(const UpdateRequest &request, TerminalProgress &progress,
                  JsonUpdateEvents *events)
{
    TerminalUpdateView view(request.options, progress, events);
    const SignalsDuringRun interruptions(view, progress);
    const RunEnd end = request.alternative ? RunAlternative(view, progress)
                                           : RunUpdate(request, view, progress);
    if (events)
        events->Recorded(end.record);
    return end.status;
}

// COM n with its device as the port list's tooltip names it, "COM3 (FT232R USB UART, FTDI
// (/dev/ttyUSB0))", or with the device it stands for while that is absent.
QString PortName(int com)
{
    const PortMap &map = PortMap::Instance();
    if (map.Present(com))
        return QStringLiteral("COM%1 (%2)").arg(com).arg(map.Description(com));
    if (!map.Device(com).isEmpty())
        return QStringLiteral("COM%1 (%2, not present)").arg(com).arg(map.Device(com));
    return QStringLiteral("COM%1 (no device)").arg(com);
}

// Whether the detection or the click found a programmer on the port the update would use. A
// port whose name marks an adapter is chosen unprobed, so a box found elsewhere says nothing
// about it.
bool ProgrammerAnswered(PortList &ports)
{
    const auto &state = Module_DU::State();
    const int chosen = state.SelectedPort.toInt();
    if (chosen == 0)
        return false;
    if (state.AdapterActive)
        return ports.Detection().AdapterPort == chosen;
    return ports.Detection().BoxFound && ports.State().PortKind.at(chosen) == PortKinds::Box;
}

// Says on standard error why nothing is sent when no programmer answered.
void ReportNoProgrammer(const UpdateRequest &request, const PortList &ports)
{
    if (request.port) {
        PrintErr(QStringLiteral("update: no programmer found on %1; nothing was sent. Check the "
                                "port, or give --force to update over it all the same\n")
                     .arg(PortName(*request.port)));
        return;
    }
    QStringList probed;
    for (const QString &port : ports.State().ExistingPorts)
        probed.append(PortName(port.toInt()));
    PrintErr(QStringLiteral("update: no programmer found (ports probed: %1); nothing was sent. "
                            "Plug the programmer in, or name its port with --port\n")
                 .arg(probed.isEmpty() ? QStringLiteral("none present")
                                       : probed.join(QStringLiteral(", "))));
}

// The port page's scan, detection and click, left as Next leaves it; whether the update may
// go to the port chosen.
bool ChoosePort(const UpdateRequest &request, PortList &ports)
{
    ports.Start();
    PortScans::RunTimerScans(ports, FirstScan);
    if (request.port)
        ports.List1_Click(*request.port - 1);
    ports.LeavePage();
    if (!request.log)
        PortScans::ReportRefusedPins(QStringLiteral("update"));
    if (ProgrammerAnswered(ports))
        return true;
    if (!request.force) {
        ReportNoProgrammer(request, ports);
        return false;
    }
    // The user named the port: it is used even when the list had nothing to click.
    Module_DU::State().SelectedPort = QString::number(*request.port);
    return true;
}

// After the update the adapter is left as the page's close-down leaves it.
int RunFromPortPage(const UpdateRequest &request, TerminalProgress &progress,
                    JsonUpdateEvents *events)
{
    MemoryPortView portView;
    PortList ports(portView);
    const int status = ChoosePort(request, ports) ? RunUpdatePage(request, progress, events)
                                                  : CliStatus::Failure;
    ports.Detection().AdapterOff();
    return status;
}

// The program's start-up, FILE and the port asked for, checked before any port is opened.
int Prepare(UpdateRequest &request)
{
    Startup::PrepareProgram();
    Startup::ReadTexts();
    const auto held = LoadSoftware(request.file);
    if (!held)
        return CliStatus::Failure;
    const QString missing = request.alternative ? QString() : MissingDecoders(request, *held);
    if (!missing.isEmpty())
        return UsageError("update", missing);
    if (!request.portDevice.isEmpty()) {
        const int com = PortMap::Instance().NumberFor(request.portDevice, QStringLiteral("--port"));
        if (com == 0) {
            PrintErr(QStringLiteral("update: no free COM number for %1\n").arg(request.portDevice));
            return CliStatus::Failure;
        }
        request.port = com;
    }
    return CliStatus::Success;
}

int RunRequest(const QCommandLineParser &parsed, TerminalProgress &progress,
               JsonUpdateEvents *events)
{
    UpdateRequest request;
    const QString problem = ReadRequest(parsed, request);
    if (!problem.isEmpty())
        return UsageError("update", problem);

    if (request.log)
        Log::SetSink([&progress](const QString &line) { progress.PrintErr(line); });
    int status = Prepare(request);
    if (status == CliStatus::Success)
        status = RunFromPortPage(request, progress, events);
    Log::SetSink({});
    return status;
}

// With --json every call the command takes ends with one result object, also when the update
// page never ran.
int Update(const QCommandLineParser &parsed)
{
    TerminalProgress progress(IsTerminal(stdout));
    std::optional<JsonUpdateEvents> events;
    if (parsed.isSet(JsonOption))
        events.emplace(progress);
    const int status = RunRequest(parsed, progress, events ? &*events : nullptr);
    if (events)
        events->End(status);
    return status;
}

// A call the option parser refused still ends --json's output with its result.
void Refused(const QCommandLineParser &parsed, int status)
{
    if (!parsed.isSet(JsonOption))
        return;
    TerminalProgress progress(false);
    JsonUpdateEvents(progress).End(status);
}

const CliCommand command("update",
                         {"run one decoder update as the wizard does", Usage,
                          {PortOption, ForceOption, FileOption, DecoderOption, NoQueryOption, BlindOption,
                           YesOption, PreambleOption, TimingOption, AlternativeOption, NoteOption,
                          JsonOption, LogOption},
                          {},
                          Description},
                         Update, Refused);
} // namespace
