#include "errorlist.h"
#include "filecopier.h"
#include "kelto.h"
#include "stemindex.h"
#include "ui_kelto.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QScopeGuard>

namespace {

// Counts one phase on the bar. A repaint per step can cost more than the step itself, so the
// bar is brought up to date at most every 30 ms, on the last step, and whenever the run pauses
// or ends (show()): each phase still ends on exactly its own range, value and text.
class PhaseProgress
{
public:
    PhaseProgress(QProgressBar *bar, const QString &format, int total)
        : bar(bar)
        , format(format)
        , total(total)
    {
        bar->setRange(0, total);
        bar->setValue(0);
        clock.start();
    }

    void step(int done)
    {
        pending = done;
        if (done == total || clock.elapsed() >= 30)
            show();
    }

    void show()
    {
        if (pending == shown)
            return;
        bar->setFormat(format.arg(total).arg(pending));
        bar->setValue(pending);
        shown = pending;
        clock.restart();
    }

private:
    QProgressBar *bar;
    QString format;
    int total;
    int pending = 0;
    int shown = 0;
    QElapsedTimer clock;
};

} // namespace

void kelto::bt_combinedOutput()
{
    runSelection(false);
}

void kelto::bt_classifiedOutput()
{
    runSelection(true);
}

void kelto::runSelection(bool classified)
{
    if (selectionRunning)
        return;
    if (smallImagesPath.isEmpty() || bigImagesPath.isEmpty() || outputPath.isEmpty()) {
        QMessageBox::information(nullptr, tr("警告"), tr("路径错误，请选择正确的路径"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
        return;
    }

    // The folders must not change under a run, nor a second run start inside its waits.
    QWidget *const controls[] = {ui->seletDataTree, ui->seletInput, ui->seletOutput,
                                 ui->output_combined, ui->output_classified};
    selectionRunning = true;
    for (QWidget *control : controls)
        control->setEnabled(false);
    const auto release = qScopeGuard([&] {
        for (QWidget *control : controls)
            control->setEnabled(true);
        selectionRunning = false;
    });

    const QFileInfoList picks = listTreeImages(smallImagesPath);
    const QFileInfoList candidates = listTreeFiles(bigImagesPath);

    StemMatches matches;
    {
        PhaseProgress progress(ui->progressBar, tr("总共需要选%1个图，已选%2张图"), picks.size());
        matches = StemIndex(candidates).match(picks, classified, [&](int done) {
            progress.step(done);
        });
        progress.show();
    }

    if (!matches.missing.isEmpty()) {
        const bool wasVisible = isVisible();
        waitingForDecision = true;
        bt_toErrorList(matches.missing);
        const auto dialogs = findChildren<errorList *>(QString(), Qt::FindDirectChildrenOnly);
        QPointer<errorList> dialog = dialogs.isEmpty() ? nullptr : dialogs.last();

        // Sleeps until the decision (receive_from_errorlist wakes it), the dialog's end, or
        // the application's exit, which ends every running event loop.
        QEventLoop wait;
        if (dialog)
            connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);
        decisionWait = &wait;
        if (dialog && waitingForDecision)
            wait.exec();
        decisionWait = nullptr;

        const bool decided = !waitingForDecision;
        if (!decided && dialog)
            dialog->reject(); // the run is over: closing the dialog delivers the stop
        waitingForDecision = false;
        if (!decided || !continueCopy || (wasVisible && !isVisible()))
            return;
    }

    FileCopier copier;
    copier.keepIntact(matches.matched);
    const int total = matches.matched.size();
    PhaseProgress progress(ui->progressBar, tr("总共需要复制%1个图，已复制%2张图"), total);
    for (int k = 0; k < total; ++k) {
        const QFileInfo &original = matches.matched.at(k);
        QString folder = outputPath;
        if (classified) {
            QString below = matches.partners.at(k).absolutePath();
            if (below.startsWith(smallImagesPath))
                below.remove(0, smallImagesPath.size());
            while (below.startsWith(QLatin1Char('/')))
                below.remove(0, 1);
            if (!below.isEmpty())
                folder += QLatin1Char('/') + below;
            if (!QDir(folder).exists())
                QDir().mkpath(folder);
        }
        const QString target = folder + QLatin1Char('/') + original.fileName();
        if (copier.copy(original.filePath(), target) == FileCopier::Failed) {
            qDebug() << "copy failed:" << original.filePath() << "->" << target
                     << copier.lastError();
            progress.show();
            const auto answer = QMessageBox::information(
                    nullptr, tr("警告"),
                    tr("文件(%1)复制失败，请检查权限或路径，是否继续？").arg(original.filePath()),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
            if (answer == QMessageBox::No) {
                copier.flush();
                return;
            }
        }
        progress.step(k + 1);
    }
    progress.show();
    // Only now is everything on disk, so the user may unplug the drive after the box.
    if (!copier.flush())
        qWarning() << "flushing the copies failed:" << copier.lastError();
    QMessageBox::information(nullptr, tr("信息"), tr("已成功完成选图"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
}
