#pragma once
// Points the program's per-user and all-users folders at fresh temporary folders for one test,
// and puts the shared state back to its start values.

#include <QString>
#include <QTemporaryDir>

class TestFolders {
public:
    TestFolders();
    ~TestFolders();

    // The per-user base (what the program sees as local application data).
    QString UserBase() const;
    // The all-users working folder, VARNO/PLV below the all-users base; created.
    QString CommonFolder() const;
    // The per-user working folder and its software folder, as the program computes them.
    QString UserFolder() const;
    QString SoftwareFolder() const;

    // Writes a file (creating its folder) and returns its path.
    static QString WriteFile(const QString &path, const QByteArray &bytes);
    static QByteArray ReadFile(const QString &path);

private:
    QTemporaryDir root_;
    QByteArray oldDataHome_;
    QByteArray oldDataDirs_;
};
