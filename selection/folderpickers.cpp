#include "kelto.h"
#include "treecounter.h"
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

// Asks for a folder while the picker's count, if one is running, keeps its numbers back: a
// folder chosen now abandons that count, a cancel lets it report.
QString chooseFolder(kelto *window, TreeCounter *counter)
{
    counter->hold();
    const QString path = chooseFolder(window);
    if (path.isEmpty())
        counter->release();
    return path;
}

} // namespace

void kelto::bt_seletSmallImagesPath()
{
    if (!countSmallImages) {
        countSmallImages = new TreeCounter(this);
        connect(countSmallImages, &TreeCounter::counted, this,
                [](const QString &, int folders, int images) {
                    qDebug() << "childQirsNum:" << folders;
                    qDebug() << "childFilesNum:" << images;
                    showCounts(tr("所有包含子文件夹数量为%1,所有包含子图片数量为%2")
                                       .arg(folders)
                                       .arg(images));
                });
    }
    const QString path = chooseFolder(this, countSmallImages);
    if (path.isEmpty())
        return;
    ui->label_smallPath->setText(path);
    smallImagesPath = path;
    countSmallImages->start(path, TreeCounter::Images);
}

void kelto::bt_seletBigImagesPath()
{
    if (!countBigImages) {
        countBigImages = new TreeCounter(this);
        connect(countBigImages, &TreeCounter::counted, this,
                [](const QString &, int folders, int files) {
                    showCounts(tr("所有包含子文件夹数量为%1,所有包含子文件数量为%2")
                                       .arg(folders)
                                       .arg(files));
                });
    }
    const QString path = chooseFolder(this, countBigImages);
    if (path.isEmpty())
        return;
    ui->label_bigPath->setText(path);
    bigImagesPath = path;
    countBigImages->start(path, TreeCounter::Files);
}

void kelto::bt_seletOutputPath()
{
    const QString path = chooseFolder(this);
    if (path.isEmpty())
        return;
    ui->label_output->setText(path);
    outputPath = path;
}
