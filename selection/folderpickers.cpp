#include "kelto.h"
#include "ui_kelto.h"

#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Asks for a folder; on cancel tells the user and returns an empty string.
QString chooseFolder(kelto *window)
{
    const QString path = QFileDialog::getExistingDirectory(
            window, kelto::tr("请选择模板保存路径..."), QString(), QFileDialog::ShowDirsOnly);
    if (path.isEmpty())
        QMessageBox::information(nullptr, kelto::tr("错误"), kelto::tr("选取的路径为空"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return path;
}

void showCounts(const QString &text)
{
    QMessageBox::information(nullptr, kelto::tr("信息"), text, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes);
}

} // namespace

void kelto::bt_seletSmallImagesPath()
{
    const QString path = chooseFolder(this);
    if (path.isEmpty())
        return;
    ui->label_smallPath->setText(path);
    smallImagesPath = path;

    const int folders = listTreeFolders(path).size();
    qDebug() << "childQirsNum:" << folders;
    const int images = listTreeImages(path).size();
    qDebug() << "childFilesNum:" << images;
    showCounts(tr("所有包含子文件夹数量为%1,所有包含子图片数量为%2").arg(folders).arg(images));
}

void kelto::bt_seletBigImagesPath()
{
    const QString path = chooseFolder(this);
    if (path.isEmpty())
        return;
    ui->label_bigPath->setText(path);
    bigImagesPath = path;

    const int folders = listTreeFolders(path).size();
    const int files = listTreeFiles(path).size();
    showCounts(tr("所有包含子文件夹数量为%1,所有包含子文件数量为%2").arg(folders).arg(files));
}

void kelto::bt_seletOutputPath()
{
    const QString path = chooseFolder(this);
    if (path.isEmpty())
        return;
    ui->label_output->setText(path);
    outputPath = path;
}
