// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/matchrules.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>

class CopyProgressLine;
class JobRunner;
struct PickMessage;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QShortcut;
class QWidget;

// The selection run as the window shows it. Both run buttons start one run, a SelectionJob on a
// JobRunner, and the controller returns at once; it paints what the job reports on the progress
// bar, shows the failure and completion boxes without nested event loops, and passes the user's
// answers on. While a run goes on, its button reads "停止" and stops it, as do Escape and closing
// the window (the window closes once the run has stopped); the other run button and the pickers
// are disabled. Picks without an original are handed to the window, which asks the user and
// answers through decide().
class RunController : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QPushButton *combined = nullptr;
        QPushButton *classified = nullptr;
        QProgressBar *bar = nullptr;
        QList<QWidget *> pickers; // disabled while a run uses the folders
    };
    struct Folders
    {
        const QString &smallImages;
        const QString &bigImages;
        const QString &output;
        const MatchRules &rules; // which files are picks and how they match
        // A client's message, if one was taken, stands in for the small-image folder.
        const std::shared_ptr<const PickMessage> &message;
    };

    RunController(const Controls &controls, const Folders &folders, QWidget *window);
    // A run still going on is stopped and its thread waited for, so that nothing is left running.
    // The window deletes its controller while its widgets are still there.
    ~RunController() override;

    // Starts a run in the mode, or stops the run of that mode going on.
    void run(bool classified);
    void stop();
    // The answer to missingFound(): true copies what was matched, false ends the run.
    void decide(bool goOn);
    bool isRunning() const { return current != nullptr; }

signals:
    // The picks without an original; the run waits for decide(). For picks from a message
    // copyLine holds its entries not found, as written, in one line to paste back to the client;
    // it is empty otherwise.
    void missingFound(const QStringList &missing, const QString &copyLine);
    // A stop was asked for while the run may wait for an answer to missingFound().
    void stopping();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Run;
    void end(int outcome);
    void setControlsEnabled(bool enabled, QPushButton *except);

    const Controls controls;
    const Folders folders;
    QWidget *const window;
    std::unique_ptr<Run> current; // the run going on, if any
    // Deletes ended runs off the GUI thread; its thread goes as soon as it has nothing to do.
    QThreadPool disposal;
    // The bytes and time left below the bar while a run copies; made by the first run, so that
    // the window at rest holds nothing more.
    QPointer<CopyProgressLine> bytesLine;
};
