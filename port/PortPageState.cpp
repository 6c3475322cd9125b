#include "port/PortPageState.h"

#include "app/Module_DU.h"
#include "port/PortView.h"

#include <QTimer>

PortPageState::PortPageState(PortView &view, QTimer &scanTimer)
    : view_(view), scanTimer_(scanTimer)
{
}

PortView &PortPageState::View()
{
    return view_;
}

QString PortPageState::AbsentEntryText(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

QString PortPageState::EntryText(int port, PortKinds kind)
{
    switch (kind) {
    case PortKinds::Box: return AbsentEntryText(port) + QStringLiteral(" - QXFLINT");
    case PortKinds::Adapter: return AbsentEntryText(port) + QStringLiteral(" - QXBRISK/QXHALDA");
    case PortKinds::Nothing: break;
    }
    return AbsentEntryText(port) + QStringLiteral(" - exists");
}

bool PortPageState::Exists(const QString &description)
{
    return !description.isEmpty() && !IsBluetooth(description);
}

bool PortPageState::IsBluetooth(const QString &description)
{
    return description.contains(QLatin1String("bluetooth"), Qt::CaseInsensitive);
}

void PortPageState::SetEntry(int port, const QString &text)
{
    view_.SetEntry(port - 1, text);
}

void PortPageState::SelectProgrammatically(int index)
{
    programmaticSelection_ = true;
    view_.SelectEntry(index);
    programmaticSelection_ = false;
}

bool PortPageState::ProgrammaticSelection() const
{
    return programmaticSelection_;
}

void PortPageState::ClearProgrammaticSelection()
{
    programmaticSelection_ = false;
}

void PortPageState::EnableScanTimer()
{
    if (!suspended_ && !Module_DU::State().Exiting)
        scanTimer_.start();
}

void PortPageState::DisableScanTimer()
{
    scanTimer_.stop();
}

void PortPageState::SuspendScanning(bool suspended)
{
    suspended_ = suspended;
    if (suspended)
        DisableScanTimer();
}
