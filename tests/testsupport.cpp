#include "testsupport.h"

#include "adfeed.h"
#include "kelto.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QImage>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTest>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The folder chooser stores its history in the user's settings; test programs keep theirs in a
// folder of their own instead of the home folder.
void isolateUserSettings()
{
    static QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}
Q_COREAPP_STARTUP_FUNCTION(isolateUserSettings)

} // namespace

TestWorkDir::TestWorkDir()
    : previous(QDir::currentPath())
{
    if (!dir.isValid())
        return;
    QDir::setCurrent(dir.path());
    writeConfig(QStringLiteral("127.0.0.1"), closedLoopbackPort());
}

TestWorkDir::~TestWorkDir()
{
    QDir::setCurrent(previous);
}

quint16 TestWorkDir::closedLoopbackPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

void TestWorkDir::writeConfig(const QString &host, int port)
{
    QFile file(QStringLiteral("config.json"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QStringLiteral("{\n    \"HostIP\": \"%1\",\n    \"HostPORT\": %2\n}\n")
                           .arg(host)
                           .arg(port)
                           .toUtf8());
}

bool makeSymLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (QFileInfo(target).isDir())
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    return CreateSymbolicLinkW(
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(link).utf16()),
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()), flags);
#else
    return QFile::link(target, link);
#endif
}

bool canMakeSymLinks()
{
    static const bool can = [] {
        QTemporaryDir dir;
        return dir.isValid() && writeFile(dir.filePath(QStringLiteral("file")), "x")
               && makeSymLink(dir.filePath(QStringLiteral("file")),
                              dir.filePath(QStringLiteral("link")))
               && QFileInfo(dir.filePath(QStringLiteral("link"))).isSymLink();
    }();
    return can;
}

bool makeHardLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    return CreateHardLinkW(
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(link).utf16()),
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(target).utf16()), nullptr);
#else
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
#endif
}

QByteArray fileIdentity(const QString &path)
{
#ifdef Q_OS_WIN
    const HANDLE file = CreateFileW(
            reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), 0,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QByteArray();
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return ok ? QByteArray::number(quint64(info.dwVolumeSerialNumber)) + ':'
                           + QByteArray::number((quint64(info.nFileIndexHigh) << 32)
                                                | info.nFileIndexLow)
              : QByteArray();
#else
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArray();
    return QByteArray::number(quint64(info.st_dev)) + ':'
           + QByteArray::number(quint64(info.st_ino));
#endif
}

bool makeTree(const QString &root, const QStringList &entries)
{
    QDir dir(root);
    for (const QString &entry : entries) {
        const int arrow = entry.indexOf(QLatin1String(" -> "));
        if (arrow >= 0) {
            if (!makeSymLink(dir.filePath(entry.mid(arrow + 4)), dir.filePath(entry.left(arrow))))
                return false;
        } else if (entry.endsWith(QLatin1Char('/'))) {
            if (!dir.mkpath(entry))
                return false;
        } else {
            QFile file(dir.filePath(entry));
            if (!file.open(QIODevice::WriteOnly))
                return false;
        }
    }
    return true;
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(content) == content.size();
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

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

namespace {
MessageRecorder *currentRecorder = nullptr;
} // namespace

MessageRecorder::MessageRecorder(Forwarding forwarding)
    : forwarding(forwarding)
    , previousRecorder(currentRecorder)
{
    currentRecorder = this;
    previousHandler = qInstallMessageHandler(record);
}

MessageRecorder::~MessageRecorder()
{
    qInstallMessageHandler(previousHandler);
    currentRecorder = previousRecorder;
}

void MessageRecorder::record(QtMsgType type, const QMessageLogContext &context,
                             const QString &message)
{
    MessageRecorder *recorder = currentRecorder;
    recorder->messages << message;
    if (recorder->forwarding == PassOn)
        recorder->previousHandler(type, context, message);
}

QStringList clickedConnections(QObject *object)
{
    QStringList lines;
    {
        MessageRecorder recorder;
        object->dumpObjectInfo();
        lines = recorder.messages.join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    }
    QStringList targets;
    QString signal;
    for (const QString &line : lines) {
        if (line.trimmed().startsWith(QLatin1String("signal:")))
            signal = line.trimmed();
        else if (line.contains(QLatin1String("-->"))
                 && signal.startsWith(QLatin1String("signal: clicked(")))
            targets << line.simplified();
    }
    return targets;
}

bool connectToLoopback(kelto *window, qint32 port)
{
    window->serverHost = QStringLiteral("127.0.0.1");
    window->serverPort = port;
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
