#pragma once
// The port page's scans as tobrik-cli's commands run them without a window.

class PortList;
class QString;

namespace PortScans {

// Lets events run until the list's scan timer has ended scans timer scans.
void RunTimerScans(PortList &ports, int scans);

// Names each pin of the port map that was refused on standard error, after command's name.
// With --log the log lines name them already.
void ReportRefusedPins(const QString &command);

} // namespace PortScans
