#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <chrono>
#include <optional>

// The recording file of the recording viewer, watched with inotify: the moment the
// viewer appends its record is the moment the application has the file it was asked to
// open.
class ViewerRecording {
public:
    explicit ViewerRecording(QString path);
    ~ViewerRecording();
    ViewerRecording(const ViewerRecording&) = delete;
    ViewerRecording& operator=(const ViewerRecording&) = delete;

    bool isWatching() const { return m_inotify >= 0; }

    // Empties the file and forgets the changes seen so far.
    void clear();
    // Blocks until the viewer has written a record; false at the timeout.
    bool waitForRecord(std::chrono::milliseconds timeout);

    struct Record {
        pid_t pid = 0;
        QStringList arguments;
    };
    // The first record since clear(), or none.
    std::optional<Record> firstRecord() const;

private:
    void drainEvents();
    qint64 size() const;

    QString m_path;
    int m_inotify = -1;
};
