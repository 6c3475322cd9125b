#include "support/UpdateRig.h"

#include "app/LanguageTexts.h"
#include "app/Module_DU.h"
#include "history/UpdateHistory.h"
#include "port/PortMap.h"
#include "software/DecoderLookup.h"
#include "support/DswBuilder.h"

#include <QBuffer>

namespace {
constexpr int DecoderCom = 3;
constexpr int ImageHeadBytes = 2; // lead byte, ID byte
} // namespace

UpdateRig::UpdateRig() : SimPorts(QStringLiteral("3=sim:none"))
{
    LanguageTexts::FillBuiltInTexts();
    PortMap::Instance().Attach(DecoderCom, decoder);
    softwarePath = folder.filePath(QStringLiteral("DECODERSW.DAT"));
    auto &state = Module_DU::State();
    state.SelectedPort = QString::number(DecoderCom);
    state.SoftwareFilePath = softwarePath;
    // The run's history record goes to the test's own folder.
    state.UserFolder = folder.path() + QLatin1Char('/');
}

std::vector<UpdateRecord> UpdateRig::History() const
{
    return UpdateHistory::Read();
}

void UpdateRig::WriteSoftware(const QByteArray &bytes)
{
    QFile::remove(softwarePath);
    if (!bytes.isNull() && !DswBuilder::WriteFile(softwarePath, bytes))
        qFatal("cannot write %s", qPrintable(softwarePath));
}

QByteArray UpdateRig::WriteSoftware(const QStringList &entries)
{
    const QByteArray bytes = DswBuilder::Build(entries);
    WriteSoftware(bytes);
    return bytes;
}

IndexEntry UpdateRig::EntryOf(const QByteArray &software, int id)
{
    QBuffer buffer;
    buffer.setData(software);
    buffer.open(QIODevice::ReadOnly);
    return LookupDecoder(buffer, id).Entry;
}

QByteArray UpdateRig::PayloadOf(const QByteArray &software, int id)
{
    const IndexEntry entry = EntryOf(software, id);
    return software.mid(entry.Start - 1 + ImageHeadBytes, entry.Length - ImageHeadBytes);
}

QByteArray UpdateRig::WithPayload(QByteArray software, int id, const QByteArray &payload)
{
    const IndexEntry entry = EntryOf(software, id);
    return software.replace(entry.Start - 1 + ImageHeadBytes, payload.size(), payload);
}
