#include "core/selection/jobrunner.h"
#include "ui/errorlist.h"
#include "ui/kelto.h"
#include "ui_kelto.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

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
    explicit SelectionRun(const SelectionJob::Settings &settings)
        : runner(settings)
    {}
    SelectionJob *job() const { return runner.job(); }

    JobRunner runner;
    bool classified = false;
    bool fromMessage = false;
    QPushButton *button = nullptr; // the button that started the run and now stops it
    QString buttonText;
    QShortcut *stopKey = nullptr;
    QPointer<QMessageBox> failureBox;
    bool closeWhenDone = false;

    // The bar shows what the job reports, which it does at a human rate and at the end of each
    // phase, so each phase ends on its own value and text.
    QString format;
    int total = 0;
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

    auto *run = new SelectionRun(settings);
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

    SelectionJob *job = run->job();
    connect(job, &SelectionJob::phaseStarted, this,
            [this, run](SelectionJob::Phase phase, int total) {
                if (phase != SelectionJob::Matching && phase != SelectionJob::Copying)
                    return;
                run->format = phase == SelectionJob::Matching
                                      ? tr("总共需要选%1个图，已选%2张图")
                                      : tr("总共需要复制%1个图，已复制%2张图");
                run->total = total;
                run->shown = 0;
                ui->progressBar->setRange(0, total);
                ui->progressBar->setValue(0);
            });
    connect(job, &SelectionJob::progressed, this,
            [run, bar = ui->progressBar](SelectionJob::Phase phase, int, int done) {
                if ((phase != SelectionJob::Matching && phase != SelectionJob::Copying)
                    || done == run->shown)
                    return;
                bar->setFormat(run->format.arg(run->total).arg(done));
                bar->setValue(done);
                run->shown = done;
            });
    connect(job, &SelectionJob::missingFound, this, [this, run](const QStringList &missing) {
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
                selectionRun->runner.stop();
        });
    });
    connect(job, &SelectionJob::copyFailed, this, [this, run](const QString &source) {
        run->failureBox = showRunBox(
                tr("警告"), tr("文件(%1)复制失败，请检查权限或路径，是否继续？").arg(source),
                [this](QMessageBox::StandardButton answer) {
                    if (selectionRun)
                        selectionRun->job()->answerFailure(answer != QMessageBox::No);
                });
    });
    connect(job, &SelectionJob::finished, this, &kelto::endSelection);

    run->runner.start();
}

void kelto::passDecisionOn(bool decision)
{
    if (selectionRun)
        selectionRun->job()->decide(decision);
}

void kelto::stopSelection()
{
    if (!selectionRun)
        return;
    selectionRun->runner.stop();
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
    delete run->stopKey;
    run->button->setText(run->buttonText);
    for (QWidget *control : {ui->seletDataTree, ui->seletInput, ui->seletOutput,
                             ui->output_combined, ui->output_classified})
        control->setEnabled(true);
    const bool closeWindow = run->closeWhenDone;
    // The job has emitted its last signal: its thread is ending, if it has not ended already.
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
    selectionRun->runner.stop();
    selectionRun->runner.wait();
    delete selectionRun->failureBox;
    delete selectionRun;
    selectionRun = nullptr;
}
