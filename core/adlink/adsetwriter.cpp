// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adsetwriter.h"

#include "core/adlink/adentryname.h"
#include "core/wholefile.h"

#include <QDataStream>
#include <QDir>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcAdSet, "zanora.adset")

namespace AdSetWriter {

void store(QDataStream &stream, const QString &storeFolder, std::array<QString, 9> &links)
{
    QString countText;
    stream >> countText;
    const int count = countText.toInt(); // 0 when the text is not a whole number
    QByteArray adSet;
    stream >> adSet;
    QDataStream entries(adSet);
    entries.setVersion(QDataStream::Qt_5_15);

    QDir().mkpath(storeFolder);
    // Taken once: an entry never removes a file that an earlier entry of this set wrote.
    const QDir store(storeFolder);
    const QFileInfoList storedFiles = store.entryInfoList(QDir::Files | QDir::NoDotAndDotDot,
                                                          QDir::Name | QDir::IgnoreCase);

    for (int i = 0; i < count; ++i) {
        // A count that promises more entries than the set holds, or a corrupt entry, ends the set;
        // what was read completely before stays stored.
        if (entries.atEnd())
            break;
        QString name;
        QString link;
        QByteArray content;
        entries >> name >> link >> content;
        if (entries.status() != QDataStream::Ok) {
            qCDebug(lcAdSet) << "ad set entry" << i + 1 << "is corrupt, the rest is dropped";
            break;
        }
        qCDebug(lcAdSet) << name;
        qCDebug(lcAdSet) << link;

        const QString stored = AdEntryName::storedName(name);
        if (stored.isEmpty()) {
            qCDebug(lcAdSet) << "ad set entry" << name << "has no usable file name, skipped";
            continue;
        }
        const QString base = AdEntryName::baseName(name);

        for (const QFileInfo &file : storedFiles) {
            if (file.baseName() != base)
                continue;
            qCDebug(lcAdSet) << "lalalalalalala:" << file.filePath();
            const bool removed = QFile::remove(file.filePath());
            qCDebug(lcAdSet) << "lalalalalalala:" << removed;
        }

        for (int n = 1; n <= 9; ++n) {
            if (base == QStringLiteral("GG%1").arg(n))
                links[n - 1] = link;
        }

        // Never a half-written image: a failed write leaves no file of this name.
        QSaveFile file(storeFolder + QLatin1Char('/') + stored);
        if (openWholeFile(file))
            commitWholeFile(file, content);
    }
}

} // namespace AdSetWriter
