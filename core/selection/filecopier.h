// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileInfoList>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <string>

// Copies files for a selection run: each copy is written to a file without a name (or, where the
// file system has none of those, a hidden temporary name) in the target's folder and only then
// given the target's name, so a half-written file never carries a real name. Data goes in pieces
// of at most pieceSize bytes, and a stop request is looked at between them: a copy stopped that
// way leaves nothing behind. flush() makes everything copied so far durable.
//
// The platform halves live in filecopier_unix.cpp and filecopier_win.cpp.
class FileCopier
{
public:
    static constexpr qint64 pieceSize = 4 * 1024 * 1024;
    static constexpr qint64 writeOutWindow = 32 * 1024 * 1024;
    static constexpr qint64 comparePieceSize = 1024 * 1024;

    // unnamedFiles false: always go through a named temporary file.
    explicit FileCopier(bool unnamedFiles = true)
        : unnamedFiles(unnamedFiles)
    {}
    ~FileCopier();
    FileCopier(const FileCopier &) = delete;
    FileCopier &operator=(const FileCopier &) = delete;

    enum Outcome {
        Copied,
        // The target already is the source (also through a link), or is a file to keep intact
        // that already holds the source's bytes: left alone.
        SameFile,
        Failed,
        Stopped, // the stop request came during the copy: nothing was written
    };

    // Copies source to target, replacing a file of that name, keeping the modification time.
    // A copy whose size differs from the source's counts as failed and leaves no trace.
    Outcome copy(const QString &source, const QString &target);

    // The flag that asks a copy under way to stop; it may be set from any thread.
    void setStopFlag(const std::atomic<bool> *flag) { stopFlag = flag; }

    // Told how many bytes of the file under way are copied, after each piece of a file of more
    // than one piece, on the thread that copies: a large file shows its progress as it goes.
    void setPieceDone(std::function<void(qint64)> callback) { pieceDone = std::move(callback); }

    // Files a copy must never replace, such as the originals of a run whose output folder lies
    // among them: a target that is one of them fails instead, unless it is already identical to
    // the source (an earlier copy, now among the originals of a run made again).
    void keepIntact(const QFileInfoList &files);

    // Whether the target is one of the files to keep intact.
    bool mustKeep(const QString &target) { return replacesIntactFile(target); }

    // Removes what copies cut short by the end of their process (killed, the power gone) left in
    // the folder: hidden temporary files of the copier's own naming that no copier has open.
    // The paths removed.
    static QStringList removeLeftovers(const QString &folder);
    static bool isTemporaryName(const QString &fileName);

    // Makes every copy since the last flush durable; false when that failed.
    bool flush();

    QString lastError() const { return error; }

private:
    bool stopRequested() const { return stopFlag && stopFlag->load(std::memory_order_relaxed); }
    bool replacesIntactFile(const QString &target);
    Outcome compareWithIntactFile(const QString &source, const QString &target);
    // The file system entry at path itself (a link, not what it points at); empty when none.
    static QString entryKey(const QString &path);
    // Removes the file unless a copier has it open; false when it is kept.
    static bool removeIfUnused(const QString &path);
    void boundWriteOut(int current, qint64 &currentWaited, qint64 currentWritten);
#ifdef Q_OS_WIN
    Outcome copyData(const QString &source, const std::wstring &temporary);
#endif

    bool unnamedFiles;
    const std::atomic<bool> *stopFlag = nullptr;
    std::function<void(qint64)> pieceDone;
    QFileInfoList intact;
    QSet<QString> intactKeys; // identities of the intact files, made when first needed
    bool intactKnown = false;
    QHash<quint64, QString> unflushed; // device -> a folder on it that got a copy
    // Large copies still on their way to the disk: a descriptor and the bytes not waited for.
    QVector<QPair<int, qint64>> writingOut;
    qint64 writingOutBytes = 0;
    QString error;
};
