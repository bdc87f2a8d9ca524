#pragma once

#include <QFileInfoList>
#include <QHash>
#include <QSet>
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

    // Files a copy must never replace, such as the originals of a run whose output folder lies
    // among them: a target that is one of them fails instead.
    void keepIntact(const QFileInfoList &files)
    {
        intact = files;
        intactKeys.clear();
        intactKnown = false;
    }

    // Flushes every file system written to since the last flush; false when that failed.
    bool flush();

    QString lastError() const { return error; }

private:
    bool replacesIntactFile(const QString &target);

    bool unnamedFiles;
    QFileInfoList intact;
    QSet<QString> intactKeys; // identities of the intact files, made when first needed
    bool intactKnown = false;
    QHash<quint64, QString> unflushed; // device -> a folder on it that got a copy
    QString error;
};
