// A writer for the history test to kill: appends records of changing length to the history file
// named on the command line, as fast as it can, until it is killed.
#include "history/UpdateHistory.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = app.arguments().value(1);
    UpdateRecord record;
    record.time = QDateTime::currentDateTime();
    record.result = AttemptResult::Finished;
    for (int count = 0;; ++count) {
        record.blocks = count;
        record.note = QString(count % 200, QLatin1Char('n'));
        if (!UpdateHistory::Append(record, path))
            return 1;
    }
}
