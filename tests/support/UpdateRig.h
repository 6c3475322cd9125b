#pragma once
// The set-up of an update: a scripted decoder behind COM3 (SelectedPort "3"), the built-in
// English texts, the log captured, and a decoder software file of the test's own named in
// SoftwareFilePath, in a folder that is also the user's working folder (for the history).

#include "SimPortRig.h"
#include "support/ScriptedDecoder.h"
#include "history/UpdateRecord.h"
#include "software/IndexEntry.h"

#include <QTemporaryDir>
#include <memory>
#include <vector>

class UpdateRig : public SimPorts {
public:
    UpdateRig();

    // Writes bytes as the software file; a null array leaves the file missing.
    void WriteSoftware(const QByteArray &bytes);
    // A file from entries "ID:NAME:VERSION:TYPE:PAYLOAD_LENGTH", written as above.
    QByteArray WriteSoftware(const QStringList &entries);

    // The index entry of id in a software file's bytes.
    static IndexEntry EntryOf(const QByteArray &software, int id);
    // The image's payload (the bytes after its lead byte and ID byte).
    static QByteArray PayloadOf(const QByteArray &software, int id);
    // The same file with the payload of id's image replaced by one of the same length.
    static QByteArray WithPayload(QByteArray software, int id, const QByteArray &payload);

    // The update history's records, which the runs write into the rig's folder.
    std::vector<UpdateRecord> History() const;

    std::shared_ptr<ScriptedDecoder> decoder = std::make_shared<ScriptedDecoder>();
    QTemporaryDir folder;
    QString softwarePath;
};
