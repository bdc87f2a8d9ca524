// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/testsupport.h"

#include "core/adlink/adfeed.h"
#include "ui/kelto.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

// The folder chooser and the pickers store what they remember in the user's settings; test
// programs keep theirs in a folder of their own instead of the home folder, and in files rather
// than the Windows registry, which no path setting redirects.
void isolateUserSettings()
{
    static QTemporaryDir settingsDir;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}
Q_COREAPP_STARTUP_FUNCTION(isolateUserSettings)

} // namespace

QByteArray solidPng(const QColor &colour, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray solidGif(const QColor &colour)
{
    QByteArray bytes("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13);
    bytes += char(colour.red());
    bytes += char(colour.green());
    bytes += char(colour.blue());
    bytes += QByteArray("\x00\x00\x00", 3);
    bytes += QByteArray("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b", 16);
    return bytes;
}

bool openWindow(TestWorkDir *&workDir, kelto *&window)
{
    workDir = new TestWorkDir;
    if (!workDir->isValid())
        return false;
    window = new kelto;
    return true;
}

void closeWindow(TestWorkDir *&workDir, kelto *&window)
{
    delete window;
    window = nullptr;
    delete workDir;
    workDir = nullptr;
}

bool connectToLoopback(kelto *window, qint32 port)
{
    KeltoProbe probe(*window);
    probe.setServerHost(QStringLiteral("127.0.0.1"));
    probe.setServerPort(port);
    bool started = false;
    QMetaObject::invokeMethod(window, "connectHost", Qt::DirectConnection,
                              Q_RETURN_ARG(bool, started));
    const AdFeed *feed = window->adFeed();
    return started && QTest::qWaitFor([feed] { return !feed->isConnecting(); }, 30000)
           && feed->socket()->state() == QAbstractSocket::ConnectedState;
}

DialogAnswerer::DialogAnswerer(QObject *parent)
    : QObject(parent)
{
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, &DialogAnswerer::poll);
    timer.start();
}

void DialogAnswerer::poll()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *dialog = qobject_cast<QDialog *>(window);
        if (!dialog || !dialog->isVisible() || dialog->property("answered").toBool())
            continue;
        dialog->setProperty("answered", true);

        if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
            ShownBox shown;
            shown.title = box->windowTitle();
            shown.text = box->text();
            shown.buttons = box->standardButtons();
            if (box->defaultButton())
                shown.defaultButton = box->standardButton(box->defaultButton());
            shown.hasParent = box->parentWidget() != nullptr;
            shown.detailedText = box->detailedText();
            shown.answer = boxAnswers.isEmpty() ? defaultAnswer : boxAnswers.dequeue();
            boxes.append(shown);
            if (shown.answer == QMessageBox::Escape) {
                QTest::keyClick(box, Qt::Key_Escape);
            } else if (QAbstractButton *button = box->button(shown.answer)) {
                button->click();
            } else {
                box->done(shown.answer);
            }
        } else if (auto *chooser = qobject_cast<QFileDialog *>(dialog)) {
            ShownFolderChooser shown;
            shown.caption = chooser->windowTitle();
            shown.startDirectory = chooser->directory().path();
            shown.fileMode = chooser->fileMode();
            shown.options = chooser->options();
            shown.hasParent = chooser->parentWidget() != nullptr;
            folderChoosers.append(shown);
            const QString folder = folders.isEmpty() ? QString() : folders.dequeue();
            if (folder.isEmpty()) {
                chooser->reject();
            } else if (!QFileInfo(folder).isDir()) {
                // The chooser would refuse it and stay open; cancel so the test fails, not hangs.
                qWarning("DialogAnswerer: queued folder %s does not exist", qPrintable(folder));
                chooser->reject();
            } else {
                // What a click on "Choose" does with nothing selected inside the folder shown:
                // the chooser answers with that folder. Its accept() is protected; the call
                // through QDialog still reaches it.
                chooser->setDirectory(folder);
                if (chooser->selectedFiles() != QStringList(folder))
                    qWarning("DialogAnswerer: the chooser answers %s for the queued %s",
                             qPrintable(chooser->selectedFiles().join(QLatin1Char(' '))),
                             qPrintable(folder));
                static_cast<QDialog *>(chooser)->accept();
            }
        } else if (!dialogHandlers.isEmpty()) {
            ++otherDialogs;
            dialogHandlers.dequeue()(dialog);
        } else {
            // Left for the test to handle itself.
            dialog->setProperty("answered", false);
        }
    }
}
