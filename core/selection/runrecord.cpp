// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/runrecord.h"

#include "core/wholefile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

QByteArray RunRecord::toJson() const
{
    QJsonArray entryList;
    for (const Entry &each : entries) {
        const RunEntry &entry = each.entry;
        QJsonObject object{
                {QStringLiteral("pick"), each.pick},
                {QStringLiteral("original"), each.original},
                {QStringLiteral("target"), entry.target},
                {QStringLiteral("outcome"),
                 QLatin1String(entry.pending ? "not done" : RunEntry::outcomeName(entry.outcome))},
                {QStringLiteral("bytes"), double(entry.bytes)}};
        if (entry.renamed)
            object.insert(QStringLiteral("renamed"), true);
        if (!entry.pending && entry.outcome == RunEntry::Replaced)
            object.insert(QStringLiteral("movedTo"), entry.detail);
        else if (!entry.pending && !entry.detail.isEmpty())
            object.insert(QStringLiteral("reason"), entry.detail);
        entryList.append(object);
    }
    QJsonArray ignoredList;
    for (const IgnoredFile &file : ignored) {
        ignoredList.append(QJsonObject{{QStringLiteral("path"), file.path},
                                       {QStringLiteral("reason"), file.reasonText()}});
    }
    QJsonObject record{
            {QStringLiteral("program"), QStringLiteral("zanora " ZANORA_VERSION)},
            {QStringLiteral("folders"), QJsonObject{{QStringLiteral("small"), smallImagesPath},
                                                    {QStringLiteral("big"), bigImagesPath},
                                                    {QStringLiteral("output"), outputPath}}},
            {QStringLiteral("rules"), rules},
            {QStringLiteral("started"), started.toString(Qt::ISODateWithMs)},
            {QStringLiteral("ended"), ended.toString(Qt::ISODateWithMs)},
            {QStringLiteral("outcome"), outcome},
            {QStringLiteral("counts"), counts},
            {QStringLiteral("entries"), entryList},
            {QStringLiteral("missing"), QJsonArray::fromStringList(missing)},
            {QStringLiteral("ignored"), ignoredList},
    };
    for (auto it = notes.constBegin(); it != notes.constEnd(); ++it)
        record.insert(it.key(), it.value());
    return QJsonDocument(record).toJson(QJsonDocument::Indented);
}

bool RunRecord::write(const QString &path, QString *error) const
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return false;
    }
    QSaveFile file(path);
    if (openWholeFile(file) && commitWholeFile(file, toJson()))
        return true;
    *error = file.errorString();
    return false;
}
