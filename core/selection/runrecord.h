// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/ignoredfile.h"
#include "core/selection/runentry.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The record of one selection run, written as one JSON file: the folders, the rules in force,
// start and end, every entry of the matched list with its pick, original, target, outcome and
// bytes (where a replaced file went, why a copy failed), the missing picks and the files left
// out. Written whole or not at all.
class RunRecord
{
public:
    struct Entry
    {
        QString pick;
        QString original;
        RunEntry entry;
    };

    QString smallImagesPath;
    QString bigImagesPath;
    QString outputPath;
    QJsonObject rules;
    QDateTime started;
    QDateTime ended;
    QString outcome; // "completed", "stopped", "not enough space"
    QJsonObject counts;
    QVector<Entry> entries;
    QStringList missing;
    IgnoredFiles ignored;
    QJsonObject notes; // anything else the run has to say, such as the space it lacked

    QByteArray toJson() const;
    // Writes the record, making the folder it goes in; false with the reason in *error.
    bool write(const QString &path, QString *error) const;

private:
    // The record's text, piece by piece; false as soon as `put` is.
    bool putJson(const std::function<bool(const QByteArray &)> &put) const;
};
