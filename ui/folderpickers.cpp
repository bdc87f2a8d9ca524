#include "core/selection/treecounter.h"
#include "ui/kelto.h"
#include "ui/messagedrop.h"
#include "ui_kelto.h"

#include <QDebug>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

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
    QMessageBox::information(nullptr, kelto::tr("信息"), text, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes);
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

void kelto::bt_seletSmallImagesPath()
{
    pickFolder(SmallImagesRow);
}

void kelto::bt_seletBigImagesPath()
{
    pickFolder(BigImagesRow);
}

void kelto::bt_seletOutputPath()
{
    pickFolder(OutputRow);
}

// Asks for a folder for the row. While the chooser is open, the row's count, if one is running,
// keeps its numbers back: a folder chosen now abandons that count, a cancel lets it report.
void kelto::pickFolder(FolderRow row)
{
    TreeCounter *counter = rowCounter(row);
    if (counter)
        counter->hold();
    const QString path = QFileDialog::getExistingDirectory(
            this, tr("请选择模板保存路径..."), startFolder(row), QFileDialog::ShowDirsOnly);
    if (path.isEmpty()) {
        QMessageBox::information(nullptr, tr("错误"), tr("选取的路径为空"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (counter)
            counter->release();
        return;
    }
    takeFolder(row, path);
}

// Shows and keeps a chosen or dropped folder, remembers it for the next chooser, and counts an
// image tree.
void kelto::takeFolder(FolderRow row, const QString &path)
{
    QLabel *label = row == SmallImagesRow ? ui->label_smallPath
                    : row == BigImagesRow ? ui->label_bigPath
                                          : ui->label_output;
    label->setText(path);
    // A long path is cut off at the label's edge; the tooltip shows all of it.
    label->setToolTip(path);
    (row == SmallImagesRow ? smallImagesPath
     : row == BigImagesRow ? bigImagesPath
                           : outputPath)
            = path;
    QSettings().setValue(lastFolderKey(), path);
    if (row == SmallImagesRow)
        pickMessage.reset(); // the folder's pictures are the picks again
    if (TreeCounter *counter = rowCounter(row))
        counter->start(path, row == SmallImagesRow ? TreeCounter::Images : TreeCounter::Files);
}

// The folder chosen for the row, else the one chosen last in any row, this time or before;
// folders that are gone are passed over, and with none left the chooser picks its own.
QString kelto::startFolder(FolderRow row) const
{
    const QString current = row == SmallImagesRow ? smallImagesPath
                            : row == BigImagesRow ? bigImagesPath
                                                  : outputPath;
    if (isFolder(current))
        return current;
    const QString last = QSettings().value(lastFolderKey()).toString();
    return isFolder(last) ? last : QString();
}

TreeCounter *kelto::rowCounter(FolderRow row)
{
    if (row == SmallImagesRow && !countSmallImages) {
        countSmallImages = new TreeCounter(this);
        connect(countSmallImages, &TreeCounter::counted, this,
                [](const QString &, int folders, int images) {
                    qDebug() << "childQirsNum:" << folders;
                    qDebug() << "childFilesNum:" << images;
                    showCounts(tr("所有包含子文件夹数量为%1,所有包含子图片数量为%2")
                                       .arg(folders)
                                       .arg(images));
                });
    } else if (row == BigImagesRow && !countBigImages) {
        countBigImages = new TreeCounter(this);
        connect(countBigImages, &TreeCounter::counted, this,
                [](const QString &, int folders, int files) {
                    showCounts(tr("所有包含子文件夹数量为%1,所有包含子文件数量为%2")
                                       .arg(folders)
                                       .arg(files));
                });
    }
    return row == SmallImagesRow ? countSmallImages
           : row == BigImagesRow ? countBigImages
                                 : nullptr;
}

// Each row takes a folder dropped on its button or its label.
void kelto::acceptFolderDrops()
{
    for (QWidget *target :
         {static_cast<QWidget *>(ui->seletDataTree), static_cast<QWidget *>(ui->label_smallPath),
          static_cast<QWidget *>(ui->seletInput), static_cast<QWidget *>(ui->label_bigPath),
          static_cast<QWidget *>(ui->seletOutput), static_cast<QWidget *>(ui->label_output)}) {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
}

bool kelto::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove
        && event->type() != QEvent::Drop)
        return QMainWindow::eventFilter(watched, event);
    FolderRow row;
    if (watched == ui->seletDataTree || watched == ui->label_smallPath)
        row = SmallImagesRow;
    else if (watched == ui->seletInput || watched == ui->label_bigPath)
        row = BigImagesRow;
    else if (watched == ui->seletOutput || watched == ui->label_output)
        row = OutputRow;
    else
        return QMainWindow::eventFilter(watched, event);

    // The folders stay as they are while a run uses them.
    auto *drop = static_cast<QDropEvent *>(event);
    const QString path = selectionRun ? QString() : draggedFolder(drop->mimeData());
    // The small-images row also takes a client's message, as text or a .txt file.
    if (path.isEmpty() && row == SmallImagesRow && !selectionRun
        && MessageDrop::carriesMessage(drop->mimeData())) {
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop)
            takeMessage(MessageDrop::read(drop->mimeData()));
        return true;
    }
    if (path.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop)
        takeFolder(row, path);
    return true;
}
