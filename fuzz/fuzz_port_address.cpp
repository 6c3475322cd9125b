// Feeds arbitrary text to the simulated port address reader, alone and as the port pins of
// TOBRIK_PORTS ("3=sim:box?decoder=12;7=/dev/ttyUSB0"). Neither may crash or hang, and a text
// that is refused must say why: the log line of a refused pin is all a user sees of it.
#include "FuzzSupport.h"
#include "port/PortMap.h"
#include "sim/SimPortAddress.h"

#include <QDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
using FuzzSupport::Require;

// A simulated decoder writes its flash to the file its address names when the port model goes.
// Fuzzed paths must not reach the machine's files: without "/" and "%" a path names a file in
// the working folder, which is a folder of our own, emptied after each input.
QString ConfinedToOwnFolder(QString text)
{
    if (text.contains(QLatin1String("flash"))) {
        text.remove(QLatin1Char('/'));
        text.remove(QLatin1Char('%'));
    }
    return text;
}

QString OwnFolder()
{
    static const QString folder = FuzzSupport::ScratchFolder();
    static const bool entered = QDir::setCurrent(folder);
    Require(entered);
    return folder;
}

// glibc keeps every distinct value setenv was ever given for the life of the process, so a
// few million fuzz inputs through qputenv would fill the memory. putenv takes the caller's
// text instead: the variable points into one buffer of ours, replaced for each input.
void SetPortsVariable(const QByteArray &value)
{
    // Never freed, so the environment stays whole during the exit too.
    static std::vector<char> &assignment = *new std::vector<char>;
    const QByteArray text = QByteArrayLiteral("TOBRIK_PORTS=") + value;
    std::vector<char> next(text.constData(), text.constData() + text.size() + 1);
    Require(putenv(next.data()) == 0);
    assignment.swap(next); // the old text goes only once the variable no longer points into it
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = OwnFolder();
    // An environment variable ends at its first NUL; the direct reading gets the same text.
    const size_t length = strnlen(reinterpret_cast<const char *>(data), size);
    const QString text = ConfinedToOwnFolder(
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(length)));

    QString refusal;
    std::shared_ptr<SimDevice> model = SimPortAddress::Create(text, &refusal);
    Require(model || !SimPortAddress::IsSimulated(text) || !refusal.isEmpty());
    Require(!model || refusal.isEmpty());
    model.reset();

    SetPortsVariable(text.toUtf8());
    PortMap &map = PortMap::Instance();
    map.Update({});
    map.Reset();

    if (text.contains(QLatin1String("flash")))
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(QDir(folder).filePath(name));
    return 0;
}
