// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/runcontroller.h"

#include "core/selection/jobrunner.h"
#include "ui/copyprogressline.h"
#include "ui/runnotices.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

// The run's texts are the window's, in its translation context.

// What the controller keeps of the run going on.
struct RunController::Run
{
    explicit Run(const SelectionJob::Settings &settings)
        : runner(settings)
    {}
    SelectionJob *job() const { return runner.job(); }

    JobRunner runner;
    bool classified = false;
    bool fromMessage = false;
    QPushButton *button = nullptr; // the button that started the run and now stops it
    QString buttonText;
    QPointer<QShortcut> stopKey; // a child of the window
    QPointer<QMessageBox> failureBox;
    bool closeWhenDone = false;

    // The bar shows what the job reports, which it does at a human rate and at the end of each
    // phase, so each phase ends on its own value and text.
    QString format;
    int total = 0;
    int shown = 0;
};

RunController::RunController(const Controls &controls, const Folders &folders, QWidget *window)
    : QObject(window)
    , controls(controls)
    , folders(folders)
    , window(window)
{
    window->installEventFilter(this);
    disposal.setExpiryTimeout(0);
    disposal.setMaxThreadCount(1);
}

RunController::~RunController()
{
    if (!current)
        return;
    current->runner.stop();
    current->runner.wait();
    delete current->failureBox;
    delete current->stopKey;
    current.reset();
}

void RunController::run(bool classified)
{
    if (current) {
        // The run's own button reads "停止" now; the other one is disabled.
        if (current->classified == classified)
            stop();
        return;
    }
    if ((folders.smallImages.isEmpty() && !folders.message) || folders.bigImages.isEmpty()
        || folders.output.isEmpty()) {
        RunNotices::showBox(QCoreApplication::translate("kelto", "警告"),
                            QCoreApplication::translate("kelto", "路径错误，请选择正确的路径"));
        return;
    }

    SelectionJob::Settings settings;
    settings.smallImagesPath = folders.smallImages;
    settings.bigImagesPath = folders.bigImages;
    settings.outputPath = folders.output;
    settings.classified = classified;
    settings.recordPath = RunNotices::recordPath();
    settings.rules = folders.rules;
    settings.message = folders.message;

    current.reset(new Run(settings));
    Run *run = current.get();
    run->classified = classified;
    run->fromMessage = folders.message != nullptr;
    run->button = classified ? controls.classified : controls.combined;
    run->buttonText = run->button->text();
    // The folders must not change under a run, nor a second run start beside it.
    setControlsEnabled(false, run->button);
    run->button->setText(QCoreApplication::translate("kelto", "停止"));
    run->stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    connect(run->stopKey, &QShortcut::activated, this, &RunController::stop);

    SelectionJob *job = run->job();
    QProgressBar *bar = controls.bar;
    connect(job, &SelectionJob::phaseStarted, this, [run, bar](SelectionJob::Phase phase, int total) {
        if (phase != SelectionJob::Matching && phase != SelectionJob::Copying)
            return;
        run->format = phase == SelectionJob::Matching
                              ? QCoreApplication::translate("kelto", "总共需要选%1个图，已选%2张图")
                              : QCoreApplication::translate("kelto",
                                                            "总共需要复制%1个图，已复制%2张图");
        run->total = total;
        run->shown = 0;
        bar->setRange(0, total);
        bar->setValue(0);
    });
    connect(job, &SelectionJob::progressed, this,
            [run, bar](SelectionJob::Phase phase, int, int done) {
                if ((phase != SelectionJob::Matching && phase != SelectionJob::Copying)
                    || done == run->shown)
                    return;
                bar->setFormat(run->format.arg(run->total).arg(done));
                bar->setValue(done);
                run->shown = done;
            });
    if (!bytesLine)
        bytesLine = new CopyProgressLine(bar);
    connect(job, &SelectionJob::copyProgressed, bytesLine, &CopyProgressLine::showProgress);
    // Files left out of the run are told first, in a box of their own; the missing picks follow.
    // Files left out of the run are told first, in a box of their own; the missing picks follow,
    // from a message with the line to send back to the client.
    connect(job, &SelectionJob::missingFound, this,
            [this, run](const QStringList &missing, const IgnoredFiles &ignored) {
                const QString copyLine
                        = run->fromMessage ? QCoreApplication::translate("kelto", "未找到：")
                                                     + missing.join(QCoreApplication::translate(
                                                             "kelto", "、"))
                                           : QString();
                if (ignored.isEmpty()) {
                    emit missingFound(missing, copyLine);
                    return;
                }
                run->failureBox = RunNotices::askAboutIgnored(
                        ignored, [this, missing, copyLine](QMessageBox::StandardButton answer) {
                            if (!current)
                                return;
                            if (answer != QMessageBox::Yes)
                                current->job()->decide(false);
                            else if (missing.isEmpty())
                                current->job()->decide(true);
                            else
                                emit missingFound(missing, copyLine);
                        });
            });
    connect(job, &SelectionJob::notEnoughSpace, this,
            [](const QString &volume, qint64 needed, qint64 available) {
                RunNotices::showBox(
                        QCoreApplication::translate("kelto", "警告"),
                        QCoreApplication::translate(
                                "kelto", "输出磁盘空间不足，未复制任何文件：需要%1，可用%2（%3）")
                                .arg(RunNotices::size(needed), RunNotices::size(available),
                                     QDir::toNativeSeparators(volume)));
            });
    connect(job, &SelectionJob::copyFailed, this, [this, run](const QString &source) {
        run->failureBox = RunNotices::showBox(
                QCoreApplication::translate("kelto", "警告"),
                QCoreApplication::translate("kelto",
                                            "文件(%1)复制失败，请检查权限或路径，是否继续？")
                        .arg(source),
                [this](QMessageBox::StandardButton answer) {
                    if (current)
                        current->job()->answerFailure(answer != QMessageBox::No);
                });
    });
    connect(job, &SelectionJob::finished, this, &RunController::end);

    run->runner.start();
}

void RunController::decide(bool goOn)
{
    if (current)
        current->job()->decide(goOn);
}

void RunController::stop()
{
    if (!current)
        return;
    current->runner.stop();
    // A stop while the dialog or the failure box is open is the answer to stop.
    emit stopping();
    if (current && current->failureBox)
        current->failureBox->close();
}

void RunController::end(int outcome)
{
    // The job has emitted its last signal: its thread is ending, if it has not ended already.
    std::unique_ptr<Run> run = std::move(current);
    const SelectionJob::Summary summary = run->job()->summary();
    const QString record = summary.recordError.isEmpty() ? run->job()->settings().recordPath
                                                         : QString();
    delete run->stopKey;
    run->button->setText(run->buttonText);
    if (bytesLine)
        bytesLine->clear();
    setControlsEnabled(true, nullptr);
    const bool closeWindow = run->closeWhenDone;
    // The job still holds the run's lists, a file record per matched entry: at two million
    // candidates, freeing them would hold up the window for most of a tenth of a second.
    // Nothing of the window goes with it.
    run->failureBox.clear();
    run->stopKey.clear();
    disposal.start([ended = run.release()] { delete ended; });

    if (closeWindow)
        window->close();
    else if (outcome == SelectionJob::Completed)
        RunNotices::showBox(QCoreApplication::translate("kelto", "信息"),
                            QCoreApplication::translate("kelto", "已成功完成选图"), {},
                            RunNotices::summary(summary, record));
}

void RunController::setControlsEnabled(bool enabled, QPushButton *except)
{
    QList<QWidget *> all = controls.pickers;
    all << controls.combined << controls.classified;
    for (QWidget *control : qAsConst(all)) {
        if (control != except)
            control->setEnabled(enabled);
    }
}

// Closing the window while a run goes on stops the run; the window closes once it has stopped.
bool RunController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window && event->type() == QEvent::Close && current) {
        current->closeWhenDone = true;
        stop();
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
