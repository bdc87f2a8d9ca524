#include "core/selection/selectionjob.h"
#include "ui/errorlist.h"
#include "ui/kelto.h"
#include "ui_kelto.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTimer>

#include <functional>

namespace {

// A Yes/No information box of the run, without parent and without default button. It is shown
// without a nested event loop; answered, if given, gets the button that closed it.
QMessageBox *showRunBox(const QString &title, const QString &text,
                        const std::function<void(QMessageBox::StandardButton)> &answered = {})
{
    auto *box = new QMessageBox(QMessageBox::Information, title, text,
                                QMessageBox::Yes | QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    if (answered) {
        QObject::connect(box, &QMessageBox::finished, box,
                         [box, answered] { answered(box->standardButton(box->clickedButton())); });
    }
    box->show();
    return box;
}

} // namespace

// What the window keeps of the run going on.
struct kelto::SelectionRun
{
    QThread thread;
    SelectionJob *job = nullptr; // lives on thread until the thread has finished
    bool classified = false;
    bool fromMessage = false;
    QPushButton *button = nullptr; // the button that started the run and now stops it
    QString buttonText;
    QShortcut *stopKey = nullptr;
    QPointer<QMessageBox> failureBox;
    bool closeWhenDone = false;

    // The bar follows the job at a human rate: at most every 40 ms, at the end of each phase,
    // and whenever the run pauses or ends, so each phase still ends on its own value and text.
    QTimer refresh;
    QString format;
    int total = 0;
    int pending = 0;
    int shown = 0;
};

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
    if (selectionRun) {
        // The run's own button reads "停止" now; the other one is disabled.
        if (selectionRun->classified == classified)
            stopSelection();
        return;
    }
    if ((smallImagesPath.isEmpty() && !pickMessage) || bigImagesPath.isEmpty()
        || outputPath.isEmpty()) {
        showRunBox(tr("警告"), tr("路径错误，请选择正确的路径"));
        return;
    }

    SelectionJob::Settings settings;
    settings.smallImagesPath = smallImagesPath;
    settings.bigImagesPath = bigImagesPath;
    settings.outputPath = outputPath;
    settings.classified = classified;
    settings.message = pickMessage;

    auto *run = new SelectionRun;
    selectionRun = run;
    run->classified = classified;
    run->fromMessage = pickMessage != nullptr;
    run->button = classified ? ui->output_classified : ui->output_combined;
    run->buttonText = run->button->text();
    // The folders must not change under a run, nor a second run start beside it.
    for (QWidget *control : {ui->seletDataTree, ui->seletInput, ui->seletOutput,
                             ui->output_combined, ui->output_classified}) {
        if (control != run->button)
            control->setEnabled(false);
    }
    run->button->setText(tr("停止"));
    run->stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(run->stopKey, &QShortcut::activated, this, &kelto::stopSelection);

    const auto show = [run, bar = ui->progressBar] {
        run->refresh.stop();
        if (run->pending == run->shown)
            return;
        bar->setFormat(run->format.arg(run->total).arg(run->pending));
        bar->setValue(run->pending);
        run->shown = run->pending;
    };
    run->refresh.setSingleShot(true);
    run->refresh.setInterval(40);
    connect(&run->refresh, &QTimer::timeout, this, show);

    run->job = new SelectionJob(settings);
    run->job->moveToThread(&run->thread);
    SelectionJob *job = run->job;
    connect(&run->thread, &QThread::started, job, &SelectionJob::start);
    connect(job, &SelectionJob::finished, &run->thread, &QThread::quit, Qt::DirectConnection);

    connect(job, &SelectionJob::phaseStarted, this,
            [this, run, show](SelectionJob::Phase phase, int total) {
                if (phase != SelectionJob::Matching && phase != SelectionJob::Copying)
                    return;
                show();
                run->format = phase == SelectionJob::Matching
                                      ? tr("总共需要选%1个图，已选%2张图")
                                      : tr("总共需要复制%1个图，已复制%2张图");
                run->total = total;
                run->pending = run->shown = 0;
                ui->progressBar->setRange(0, total);
                ui->progressBar->setValue(0);
            });
    connect(job, &SelectionJob::progressed, this,
            [run, show](SelectionJob::Phase phase, int total, int done) {
                if (phase != SelectionJob::Matching && phase != SelectionJob::Copying)
                    return;
                run->pending = done;
                if (done == total)
                    show();
                else if (!run->refresh.isActive())
                    run->refresh.start();
            });
    connect(job, &SelectionJob::missingFound, this, [this, run, show](const QStringList &missing) {
        show();
        waitingForDecision = true;
        bt_toErrorList(missing);
        // The entries of a message, as written, in one line to paste back to the client.
        if (run->fromMessage)
            decisionDialog->offerCopyLine(tr("未找到：") + missing.join(tr("、")));
        // A dialog that goes away without a decision stops the run; continueCopy keeps the last
        // decision.
        connect(decisionDialog, &QObject::destroyed, this, [this] {
            if (!waitingForDecision)
                return;
            waitingForDecision = false;
            if (selectionRun)
                selectionRun->job->stop();
        });
    });
    connect(job, &SelectionJob::copyFailed, this, [this, run, show](const QString &source) {
        show();
        run->failureBox = showRunBox(
                tr("警告"), tr("文件(%1)复制失败，请检查权限或路径，是否继续？").arg(source),
                [this](QMessageBox::StandardButton answer) {
                    if (selectionRun)
                        selectionRun->job->answerFailure(answer != QMessageBox::No);
                });
    });
    connect(job, &SelectionJob::finished, this, [this, show](SelectionJob::Outcome outcome) {
        show();
        endSelection(outcome);
    });

    run->thread.start();
}

void kelto::passDecisionOn(bool decision)
{
    if (selectionRun)
        selectionRun->job->decide(decision);
}

void kelto::stopSelection()
{
    if (!selectionRun)
        return;
    selectionRun->job->stop();
    // A stop while the dialog or the failure box is open is the answer to stop.
    if (decisionDialog && waitingForDecision)
        decisionDialog->reject();
    if (selectionRun->failureBox)
        selectionRun->failureBox->close();
}

void kelto::endSelection(int outcome)
{
    SelectionRun *run = selectionRun;
    selectionRun = nullptr;
    // The job has emitted its last signal: the thread is ending, if it has not ended already.
    run->thread.wait();
    delete run->job;
    delete run->stopKey;
    run->button->setText(run->buttonText);
    for (QWidget *control : {ui->seletDataTree, ui->seletInput, ui->seletOutput,
                             ui->output_combined, ui->output_classified})
        control->setEnabled(true);
    const bool closeWindow = run->closeWhenDone;
    delete run;

    if (closeWindow)
        close();
    else if (outcome == SelectionJob::Completed)
        showRunBox(tr("信息"), tr("已成功完成选图"));
}

void kelto::closeEvent(QCloseEvent *event)
{
    if (selectionRun) {
        // The window closes once the run has stopped.
        selectionRun->closeWhenDone = true;
        stopSelection();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// The window goes away while a run is going on (the application quit without closing it): stop
// the run and wait for its thread, so that nothing is left running.
void kelto::abandonSelection()
{
    delete decisionDialog;
    if (!selectionRun)
        return;
    selectionRun->job->stop();
    selectionRun->thread.wait();
    delete selectionRun->failureBox;
    delete selectionRun->job;
    delete selectionRun;
    selectionRun = nullptr;
}
