#include "port/PortMap.h"

#include "app/Log.h"
#include "app/Module_DU.h"
#include "app/mod_ini.h"
#include "port/SerialBackEnds.h"
#include "port/SystemPortList.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {
const char EnvironmentPins[] = "TOBRIK_PORTS";
const QString SettingsSection = QStringLiteral("Ports");

// Product and maker where known, then the path: "FT232R USB UART, FTDI (/dev/ttyUSB0)".
QString Describe(const ListedPort &port)
{
    QStringList names;
    QString product = port.product;
    // Linux lists Bluetooth links as rfcomm devices without saying so; the scan must know.
    if (QFileInfo(port.path).fileName().startsWith(QLatin1String("rfcomm"))
        && !product.contains(QLatin1String("bluetooth"), Qt::CaseInsensitive))
        product = QStringLiteral("Bluetooth link %1").arg(product).trimmed();
    for (const QString &name : {product, port.maker})
        if (!name.isEmpty())
            names.append(name);
    const QString path = QStringLiteral("(%1)").arg(port.path);
    return names.isEmpty() ? QStringLiteral("Serial port ") + path
                           : names.join(QStringLiteral(", ")) + QLatin1Char(' ') + path;
}

// The stand-in that a registered back end reads from device; nullptr for a device path, and for
// a text that its back end refuses in *refusal.
std::shared_ptr<PortStandIn> ReadStandIn(const QString &device, QString *refusal)
{
    for (const SerialBackEnd &backEnd : RegisteredSerialBackEnds())
        if (std::shared_ptr<PortStandIn> standIn = backEnd.read(device, refusal))
            return standIn;
    return nullptr;
}

#ifdef Q_OS_WIN
int WindowsNumber(const QString &path)
{
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(path);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}
#endif
} // namespace

PortMap &PortMap::Instance()
{
    static PortMap map;
    return map;
}

int PortMap::ComNumber(const QString &text)
{
    static const QRegularExpression com(QStringLiteral("^(?:COM)?(\\d{1,2})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(text.trimmed());
    const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
    return number <= PortCount ? number : 0;
}

// A device pinned under another number loses that pin, in the same write: the first number
// would otherwise win.
bool PortMap::SavePin(int com, const QString &device)
{
    mod_ini::Profile settings(Module_DU::State().SettingsFile);
    for (int other = 1; other <= PortCount; ++other) {
        const QString key = QStringLiteral("COM%1").arg(other);
        if (other != com && settings.Value(SettingsSection, key, QString()) == device)
            settings.SetValue(SettingsSection, key, QString());
    }
    settings.SetValue(SettingsSection, QStringLiteral("COM%1").arg(com), device);
    return settings.Save();
}

bool PortMap::PinnedByEnvironment()
{
    return qEnvironmentVariableIsSet(EnvironmentPins);
}

void PortMap::Reset()
{
    entries_ = {};
    refusals_.clear();
    loaded_ = false;
    closed_ = false;
}

// Where the pins come from; when that changes (a test points the program elsewhere), the map
// starts again.
QString PortMap::PinSource()
{
    if (qEnvironmentVariableIsSet(EnvironmentPins))
        return QStringLiteral("env:") + qEnvironmentVariable(EnvironmentPins);
    return QStringLiteral("settings:") + Module_DU::State().SettingsFile;
}

void PortMap::Refresh()
{
    LoadPins();
    Update(closed_ ? QList<ListedPort>() : SystemPortList::Current());
}

void PortMap::LoadPins()
{
    const QString source = PinSource();
    if (loaded_ && source == pinSource_)
        return;
    Reset();
    loaded_ = true;
    pinSource_ = source;
    closed_ = qEnvironmentVariableIsSet(EnvironmentPins);
    if (closed_) {
        const QString pins = qEnvironmentVariable(EnvironmentPins);
        for (const QString &pin : pins.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const int equals = pin.indexOf(QLatin1Char('='));
            if (equals > 0)
                Pin(pin.left(equals).trimmed().toInt(), pin.mid(equals + 1).trimmed(),
                    QLatin1String(EnvironmentPins));
        }
        return;
    }
    const QString settingsFile = Module_DU::State().SettingsFile;
    if (settingsFile.isEmpty())
        return;
    const QString origin = QStringLiteral("%1 [%2]").arg(settingsFile, SettingsSection);
    for (int com = 1; com <= PortCount; ++com)
        Pin(com, mod_ini::ReadIniString(SettingsSection, QStringLiteral("COM%1").arg(com),
                                        settingsFile, QString()),
            origin);
}

// Numbers outside 1..32 are not pinned. A simulated port the simulator does not understand is
// refused with a log line that names it, so a misspelt pin is not silently a different port.
void PortMap::Pin(int com, const QString &device, const QString &origin)
{
    if (com < 1 || com > PortCount || device.isEmpty())
        return;
    QString refusal;
    std::shared_ptr<PortStandIn> simulated = ReadStandIn(device, &refusal);
    if (!refusal.isEmpty()) {
        refusals_.append(QStringLiteral("COM%1=%2 from %3 refused: %4")
                             .arg(QString::number(com), device, origin, refusal));
        Log::Line(refusals_.last());
        return;
    }
    entries_[com] = {device, simulated, QString()};
}

void PortMap::Update(const QList<ListedPort> &listed)
{
    LoadPins();
    if (!closed_)
        for (const ListedPort &port : listed)
            Number(port);
    for (int com = 1; com <= PortCount; ++com)
        entries_[com].description = PresentDescription(entries_[com], listed);
}

void PortMap::Number(const ListedPort &port)
{
    if (NumberOf(port.path) != 0)
        return;
#ifdef Q_OS_WIN
    int com = WindowsNumber(port.path);
    if (com > PortCount || !entries_[com].device.isEmpty())
        com = 0;
#else
    const int com = FreeNumber();
#endif
    if (com != 0)
        entries_[com].device = port.path;
}

int PortMap::FreeNumber() const
{
    for (int com = 1; com <= PortCount; ++com)
        if (entries_[com].device.isEmpty())
            return com;
    return 0;
}

int PortMap::NumberOf(const QString &device) const
{
    for (int com = 1; com <= PortCount; ++com)
        if (entries_[com].device == device)
            return com;
    return 0;
}

QString PortMap::PresentDescription(const Entry &entry, const QList<ListedPort> &listed) const
{
    if (entry.simulated)
        return entry.simulated->Plugged() ? entry.simulated->Description() : QString();
    if (entry.device.isEmpty())
        return QString();
    for (const ListedPort &port : listed)
        if (port.path == entry.device)
            return Describe(port);
    // Pinned devices the system does not list (a pseudo-terminal) exist while their path does.
    return QFileInfo::exists(entry.device) ? Describe({entry.device, {}, {}}) : QString();
}

QString PortMap::Description(int com) const
{
    return com >= 1 && com <= PortCount ? entries_[com].description : QString();
}

bool PortMap::Present(int com) const
{
    return !Description(com).isEmpty();
}

QString PortMap::Device(int com) const
{
    return com >= 1 && com <= PortCount ? entries_[com].device : QString();
}

const QStringList &PortMap::Refusals() const
{
    return refusals_;
}

std::shared_ptr<PortStandIn> PortMap::Simulated(int com) const
{
    return com >= 1 && com <= PortCount ? entries_[com].simulated : nullptr;
}

int PortMap::NumberFor(const QString &device, const QString &origin)
{
    LoadPins();
    const int known = NumberOf(device);
    if (known != 0)
        return known;
    const int com = FreeNumber();
    if (com == 0)
        return 0;
    Pin(com, device, origin);
    return NumberOf(device);
}

void PortMap::Attach(int com, std::shared_ptr<PortStandIn> model)
{
    if (com < 1 || com > PortCount || !model)
        return;
    LoadPins();
    const QString description = model->Description();
    entries_[com] = {QStringLiteral("sim:attached"), std::move(model), description};
}
