// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adstore.h"

#include "core/wholefile.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcAdStore, "zanora.adstore")

QString adStoreFolder()
{
    return QDir::currentPath() + QStringLiteral("/GG");
}

QString adLinkFilePath(const QString &storeFolder)
{
    return storeFolder + QStringLiteral("/setOHS.RDAT");
}

QFileInfoList listFolderFiles(const QString &path)
{
    QDir dir(path);
    dir.setFilter(QDir::Files | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryInfoList();
}

void readAdLinks(AdLinks &links, const QString &path)
{
    // Read-only, so that a write-protected link file is still read.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    qCDebug(lcAdStore) << "文件打开成功";
    const QByteArray bytes = file.readAll();
    file.close();

    links = decodeAdLinks(bytes);
    for (int k = 0; k < int(links.size()); ++k)
        qCDebug(lcAdStore).nospace() << "GG" << k + 1 << "_url:" << links[k];
}

void writeAdLinks(const AdLinks &links, const QString &path)
{
    QSaveFile file(path);
    if (!openWholeFile(file)) {
        qCDebug(lcAdStore) << "setOHS.RDAT:" << file.errorString();
        return;
    }
    qCDebug(lcAdStore) << "File open!";
    if (!commitWholeFile(file, encodeAdLinks(links)))
        qCDebug(lcAdStore) << "setOHS.RDAT: not written, previous file kept:" << file.errorString();
}
