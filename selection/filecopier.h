#pragma once

#include <QHash>
#include <QString>

// Copies files for a selection run at the pace of the disk: each copy is written to a file
// without a name (or, where the file system has none of those, a hidden temporary name) in the
// target's folder and only then given the target's name, so a half-written file never carries a
// real name; nothing is flushed per file, instead flush() writes everything copied so far to
// disk in one go.
class FileCopier
{
public:
    // unnamedFiles false: always go through a named temporary file.
    explicit FileCopier(bool unnamedFiles = true)
        : unnamedFiles(unnamedFiles)
    {}

    enum Outcome {
        Copied,
        SameFile, // the target already is the source (also through a link): left alone
        Failed,
    };

    // Copies source to target, replacing a file of that name, keeping the modification time.
    // A copy whose size differs from the source's counts as failed and leaves no trace.
    Outcome copy(const QString &source, const QString &target);

    // Flushes every file system written to since the last flush; false when that failed.
    bool flush();

    QString lastError() const { return error; }

private:
    bool unnamedFiles;
    QHash<quint64, QString> unflushed; // device -> a folder on it that got a copy
    QString error;
};
