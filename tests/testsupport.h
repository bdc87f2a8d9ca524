// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/coretestsupport.h"
#include "tests/keltoprobe.h"

#include <QByteArray>
#include <QColor>
#include <QFileDialog>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QQueue>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include <functional>

class QDialog;
class kelto;

// Helpers for the test programs that build a window, beside those of coretestsupport.h.

// A PNG image of the given size in one colour.
QByteArray solidPng(const QColor &colour, const QSize &size);

// A GIF of one 1x1 frame in the given colour, written by hand: Qt has no GIF writer.
QByteArray solidGif(const QColor &colour);

// What most window tests make in init() and drop in cleanup(): a fresh working folder, then a
// window built in it; false when the folder could not be made. The window goes first, so that
// nothing it does on its way out lands in another folder.
bool openWindow(TestWorkDir *&workDir, kelto *&window);
void closeWindow(TestWorkDir *&workDir, kelto *&window);

// Points the window at 127.0.0.1:`port` and has it connect (its connectHost()); whether it
// connected, once the attempt has ended.
bool connectToLoopback(kelto *window, qint32 port);

// What a message box showed when the answerer closed it.
struct ShownBox
{
    QString title;
    QString text;
    QString detailedText;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton; // NoButton: none set
    bool hasParent = false;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
};

// What a folder chooser showed.
struct ShownFolderChooser
{
    QString caption;
    QString startDirectory;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::Options options;
    bool hasParent = false;
};

// Answers every modal box and dialog that the program opens, from a timer, and records what each
// showed. Message boxes take the queued answers in order, then the default answer (Yes); the
// answer QMessageBox::Escape presses Escape instead of a button. Folder choosers take the queued
// folders in order (an empty string cancels): the chooser opens the folder and accepts, so it
// returns the folder's path exactly as queued (an existing folder, "/" separators, no trailing
// "/"; a missing one cancels with a warning). Any other dialog goes to the queued handlers.
// Test programs keep the user settings Qt writes (the chooser's history) in a temporary folder.
class DialogAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit DialogAnswerer(QObject *parent = nullptr);

    void queueBoxAnswer(QMessageBox::StandardButton answer) { boxAnswers.enqueue(answer); }
    void setDefaultBoxAnswer(QMessageBox::StandardButton answer) { defaultAnswer = answer; }
    void queueFolder(const QString &path) { folders.enqueue(path); }
    void queueDialogHandler(std::function<void(QDialog *)> handler)
    {
        dialogHandlers.enqueue(std::move(handler));
    }

    QList<ShownBox> boxes;
    QList<ShownFolderChooser> folderChoosers;
    int otherDialogs = 0;

private:
    void poll();

    QTimer timer;
    QQueue<QMessageBox::StandardButton> boxAnswers;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::Yes;
    QQueue<QString> folders;
    QQueue<std::function<void(QDialog *)>> dialogHandlers;
};
