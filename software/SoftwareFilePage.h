#pragma once
// The file page's procedures: the first activation, loading a decoder software file, the open
// dialog, the online update sequence and Next. They show everything through a FileView.

#include "software/FileView.h"
#include "software/SoftwareIndexListing.h"

#include <QString>

// What one load found. The page goes on the same way whatever it was; tobrik-cli turns it
// into its exit status.
struct LoadResult {
    bool Opened = false;
    QString OpenError; // why the file could not be opened
    SoftwareIndexListing Listing;
};

class SoftwareFilePage {
public:
    explicit SoftwareFilePage(FileView &view);

    // The first activation: captions, search, load, the online update when nothing could be
    // loaded, focus on Next. Does nothing once done, until Back.
    void Activate();
    bool Activated() const;
    // The next activation starts afresh with a new search.
    void Back();

    // Lists the file's index in view and sets SoftwareFilePath, Next and the caption. Needs
    // only the decoder list, so tobrik-cli runs it without a page.
    static LoadResult LoadSoftwareFile(DecoderListView &view, const QString &path);

    void OpenDialog();
    void OnlineUpdateSequence();
    // ChosenDecoders becomes the tags of the selected rows.
    void Next();

private:
    FileView &view_;
    bool activated_ = false;
};
