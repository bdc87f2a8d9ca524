// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/runnotices.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLocale>

namespace {

QString reasonText(const IgnoredFile &file)
{
    const int dot = file.path.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : file.path.mid(dot);
    switch (file.reason) {
    case IgnoredFile::PictureFormat:
        return QCoreApplication::translate("kelto", "不支持的图片格式%1").arg(suffix);
    case IgnoredFile::SuffixCase:
        return QCoreApplication::translate("kelto", "后缀大小写不被识别%1").arg(suffix);
    case IgnoredFile::UndecodableName:
        return QCoreApplication::translate("kelto", "文件名编码无效");
    case IgnoredFile::UndecodableFolder:
        return QCoreApplication::translate("kelto", "文件夹名编码无效，其中的文件均未列出");
    }
    return QString();
}

} // namespace

QMessageBox *RunNotices::showBox(const QString &title, const QString &text,
                                 const Answered &answered, const QString &detailedText)
{
    auto *box = new QMessageBox(QMessageBox::Information, title, text,
                                QMessageBox::Yes | QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    if (!detailedText.isEmpty())
        box->setDetailedText(detailedText);
    if (answered) {
        QObject::connect(box, &QMessageBox::finished, box,
                         [box, answered] { answered(box->standardButton(box->clickedButton())); });
    }
    box->show();
    return box;
}

QMessageBox *RunNotices::askAboutIgnored(const IgnoredFiles &ignored, const Answered &answered)
{
    QStringList lines;
    for (const IgnoredFile &file : ignored)
        lines.append(QStringLiteral("%1（%2）").arg(file.path, reasonText(file)));
    return showBox(QCoreApplication::translate("kelto", "警告"),
                   QCoreApplication::translate("kelto",
                                               "有%1个文件未纳入本次选图（见详细信息），是否继续？")
                           .arg(ignored.size()),
                   answered, lines.join(QLatin1Char('\n')));
}

QString RunNotices::summary(const SelectionJob::Summary &summary, const QString &record)
{
    if (summary.renamed == 0 && summary.replaced == 0 && summary.failed == 0 && summary.ignored == 0)
        return QString();
    QStringList lines;
    lines.append(QCoreApplication::translate("kelto", "已复制%1个，已存在而跳过%2个")
                         .arg(summary.copied - summary.skipped)
                         .arg(summary.skipped));
    if (summary.renamed > 0)
        lines.append(QCoreApplication::translate("kelto", "同名而改名%1个（如“IMG_0012 (2).CR2”）")
                             .arg(summary.renamed));
    if (summary.replaced > 0)
        lines.append(QCoreApplication::translate("kelto", "替换%1个，原文件已移入回收站或改名保留")
                             .arg(summary.replaced));
    if (summary.failed > 0)
        lines.append(QCoreApplication::translate("kelto", "复制失败%1个").arg(summary.failed));
    if (summary.ignored > 0)
        lines.append(QCoreApplication::translate("kelto", "未纳入%1个文件").arg(summary.ignored));
    if (!record.isEmpty())
        lines.append(QCoreApplication::translate("kelto", "详情见记录：%1")
                             .arg(QDir::toNativeSeparators(record)));
    return lines.join(QLatin1Char('\n'));
}

QString RunNotices::recordPath()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir records(QDir::current().filePath(QStringLiteral("records")));
    QString path = records.filePath(QStringLiteral("run-%1.json").arg(stamp));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = records.filePath(QStringLiteral("run-%1-%2.json").arg(stamp).arg(n));
    return path;
}

QString RunNotices::size(qint64 bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}
