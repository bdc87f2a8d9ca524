// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folderrow.h"

#include "core/selection/matchrules.h"
#include "core/selection/treecounter.h"
#include "ui/messagedrop.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QUrl>

Q_LOGGING_CATEGORY(lcFolders, "zanora.folders")

// The row's texts are the window's, in its translation context.

namespace {

// The folder chosen last in any row, remembered across starts.
QString lastFolderKey()
{
    return QStringLiteral("folders/lastChosen");
}

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void showCounts(const QString &text)
{
    QMessageBox::information(nullptr, QCoreApplication::translate("kelto", "信息"), text,
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
}

// The folder a drag carries when it carries exactly one local folder, written as the chooser
// would return it; empty for anything else.
QString draggedFolder(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return QString();
    const QString path = QDir::cleanPath(urls.first().toLocalFile());
    return isFolder(path) ? path : QString();
}

} // namespace

FolderRow::FolderRow(QPushButton *button, QLabel *label, QString &path, Counting counting,
                     QWidget *window)
    : QObject(window)
    , button(button)
    , label(label)
    , path(path)
    , counting(counting)
    , window(window)
{
    for (QWidget *target : {static_cast<QWidget *>(button), static_cast<QWidget *>(label)}) {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
}

void FolderRow::pick()
{
    TreeCounter *count = treeCounter;
    if (count)
        count->hold();
    const QString folder = QFileDialog::getExistingDirectory(
            window, QCoreApplication::translate("kelto", "请选择模板保存路径..."), startFolder(),
            QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) {
        QMessageBox::information(nullptr, QCoreApplication::translate("kelto", "错误"),
                                 QCoreApplication::translate("kelto", "选取的路径为空"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (count)
            count->release();
        return;
    }
    take(folder);
}

void FolderRow::take(const QString &folder)
{
    label->setText(folder);
    // A long path is cut off at the label's edge; the tooltip shows all of it.
    label->setToolTip(folder);
    path = folder;
    QSettings().setValue(lastFolderKey(), folder);
    emit folderTaken(folder);
    if (TreeCounter *count = counter())
        count->start(folder, counting == CountImages ? TreeCounter::Images : TreeCounter::Files,
                     pickRules ? *pickRules : MatchRules());
}

// The row's folder, else the one chosen last; folders that are gone are passed over, and with
// none left the chooser picks its own.
QString FolderRow::startFolder() const
{
    if (isFolder(path))
        return path;
    const QString last = QSettings().value(lastFolderKey()).toString();
    return isFolder(last) ? last : QString();
}

TreeCounter *FolderRow::counter()
{
    if (counting == NoCount || treeCounter)
        return treeCounter;
    // A child of the window, as the window's own counters were: it goes with the window.
    treeCounter = new TreeCounter(window);
    if (counting == CountImages) {
        connect(treeCounter, &TreeCounter::counted, this,
                [](const QString &, int folders, int images) {
                    qCDebug(lcFolders) << "childQirsNum:" << folders;
                    qCDebug(lcFolders) << "childFilesNum:" << images;
                    showCounts(QCoreApplication::translate(
                                       "kelto", "所有包含子文件夹数量为%1,所有包含子图片数量为%2")
                                       .arg(folders)
                                       .arg(images));
                });
    } else {
        connect(treeCounter, &TreeCounter::counted, this,
                [](const QString &, int folders, int files) {
                    showCounts(QCoreApplication::translate(
                                       "kelto", "所有包含子文件夹数量为%1,所有包含子文件数量为%2")
                                       .arg(folders)
                                       .arg(files));
                });
    }
    return treeCounter;
}

bool FolderRow::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched != button && watched != label)
        || (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove
            && event->type() != QEvent::Drop))
        return QObject::eventFilter(watched, event);

    // The folders stay as they are while a run uses them.
    auto *drop = static_cast<QDropEvent *>(event);
    const QString folder = button->isEnabled() ? draggedFolder(drop->mimeData()) : QString();
    if (folder.isEmpty() && takesMessages && button->isEnabled()
        && MessageDrop::carriesMessage(drop->mimeData())) {
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            emit messageDropped(MessageDrop::read(drop->mimeData()));
        return true;
    }
    if (folder.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        take(folder);
    return true;
}
