#include "ui/adstore.h"
#include "core/adlink/adlinkcodec.h"
#include "core/wholefile.h"
#include "ui/kelto.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>

QString adStoreFolder()
{
    return QDir::currentPath() + QStringLiteral("/GG");
}

QString adLinkFilePath()
{
    return adStoreFolder() + QStringLiteral("/setOHS.RDAT");
}

QFileInfoList kelto::listFolderFiles(const QString &path)
{
    QDir dir(path);
    dir.setFilter(QDir::Files | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryInfoList();
}

void kelto::loadAdLinks()
{
    // Read-only, so that a write-protected link file is still read.
    QFile file(adLinkFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return;
    qDebug() << "文件打开成功";
    const QByteArray bytes = file.readAll();
    file.close();

    adLinks = decodeAdLinks(bytes);
    for (int k = 0; k < int(adLinks.size()); ++k)
        qDebug().nospace() << "GG" << k + 1 << "_url:" << adLinks[k];
}

void kelto::saveAdLinks()
{
    // Replaced atomically: a save that fails keeps the previous file. The store folder is made by
    // whoever writes images into it; a missing folder means there is nothing to attach links to.
    QSaveFile file(adLinkFilePath());
    if (!openWholeFile(file)) {
        qDebug() << "setOHS.RDAT:" << file.errorString();
        return;
    }
    qDebug() << "File open!";
    if (!commitWholeFile(file, encodeAdLinks(adLinks)))
        qDebug() << "setOHS.RDAT: not written, previous file kept:" << file.errorString();
}
