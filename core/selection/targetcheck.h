// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

#include <atomic>

// Tells whether a file already at a copy's target is that copy. Copies keep their original's
// size and modification time, so those decide, with the times compared as finely as the target's
// file system keeps them: to the millisecond on most, within two seconds on FAT and exFAT, whose
// clocks also go by local time and so may stand an hour off after a change of summer time. Where
// the file system is not known, or the hour may be such a shift, the bytes decide.
class TargetCheck
{
public:
    enum Result {
        Absent,  // nothing there
        Same,    // the copy is there already
        Differs, // another file of that name
        Blocked, // something that is not a file, such as a folder
        Stopped, // the stop flag was set while bytes were compared
    };

    void setStopFlag(const std::atomic<bool> *flag) { stopFlag = flag; }

    struct Stamp;
    // source: the original's stamp and path; *found: the target's stamp.
    Result compare(const Stamp &source, const QString &sourcePath, const QString &target,
                   Stamp *found);

    // What a comparison needs to know of a file, read in one call (links followed); the
    // platform halves are targetcheck_unix.cpp and targetcheck_win.cpp. QFileInfo would turn
    // each time into a local date and back, which costs more than the call itself.
    struct Stamp
    {
        bool exists = false;
        bool isFile = false;
        qint64 size = 0;
        qint64 modified = 0; // milliseconds since the epoch
        bool hasId = false;  // device and inode known (not on Windows)
        quint64 device = 0;
        quint64 inode = 0;
    };
    static Stamp stamp(const QString &path);

    // Whether the two files hold the same bytes; a regular file each. Sets *stopped (when
    // given) and answers false if the stop flag was set meanwhile.
    static bool sameBytes(const QString &a, const QString &b, const std::atomic<bool> *stop,
                          bool *stopped = nullptr);

    // How finely a file system of this type (as QStorageInfo names it) keeps modification
    // times, in milliseconds; 0 when it is not known.
    static qint64 timeResolution(const QByteArray &fileSystemType);

private:
    qint64 resolutionOf(const QString &folder);

    const std::atomic<bool> *stopFlag = nullptr;
    QHash<QString, qint64> resolutions; // by folder
};
