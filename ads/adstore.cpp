#include "kelto.h"

#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>

QFileInfoList kelto::listFolderFiles(const QString &path)
{
    QDir dir(path);
    dir.setFilter(QDir::Files | QDir::NoDotAndDotDot);
    return dir.entryInfoList();
}

void kelto::loadAdLinks()
{
    const QString path = QDir::currentPath() + QStringLiteral("/GG/setOHS.RDAT");
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    qDebug() << "文件打开成功";
    const QByteArray bytes = file.readAll();
    file.close();
    QDataStream in(bytes);
    for (QString &link : adLinks) {
        in >> link;
        qDebug() << "GG1_url:" << adLinks[0];
    }
}

void kelto::saveAdLinks()
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (const QString &link : adLinks)
        out << link;
    QSaveFile file(QDir::currentPath() + QStringLiteral("/GG/setOHS.RDAT"));
    if (!file.open(QIODevice::WriteOnly))
        return;
    qDebug() << "File open!";
    file.write(bytes);
    file.commit();
}
