#pragma once
// Makes every write of this process into a file beyond a size fail, as a full disk does, while
// it lives: no root, no small file system needed. Unix only.

#include <QString>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

    // The system's text for the failure such a write meets.
    static QString FailureText();

private:
    rlimit previous_{};
};
