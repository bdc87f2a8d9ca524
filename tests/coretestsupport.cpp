// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/coretestsupport.h"

#include "core/selection/matchrules.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

QStringList filesBelow(const QString &root)
{
    QStringList result;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        result.append(QDir(root).relativeFilePath(path) + QLatin1Char('=')
                      + (info.size() > 1000000 ? QString::number(info.size())
                                               : QString::fromUtf8(fileContent(path))));
    }
    result.sort();
    return result;
}

QStringList entriesBelow(const QString &root)
{
    QStringList result;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        result.append(QDir(root).relativeFilePath(it.next()));
    result.sort();
    return result;
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QString RunFolders::path(const char *folder, const QString &relative) const
{
    return runRoot + QLatin1Char('/') + QLatin1String(folder)
           + (relative.isEmpty() ? QString() : QLatin1Char('/') + relative);
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
    if (QThread::currentThread() == recorder->context.thread()) {
        recorder->messages << message;
    } else {
        QMetaObject::invokeMethod(
                &recorder->context, [recorder, message] { recorder->messages << message; },
                Qt::QueuedConnection);
    }
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

namespace {

// Runs a system tool; its standard output, or a null array when it failed.
QByteArray runTool(const QString &program, const QStringList &arguments, QString *failure)
{
    QProcess process;
    process.start(program, arguments);
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0) {
        const QByteArray output = process.readAllStandardOutput();
        return output.isNull() ? QByteArray("") : output;
    }
    *failure = program + QLatin1String(": ")
               + QString::fromLocal8Bit(process.readAllStandardError()).trimmed()
               + process.errorString();
    return QByteArray();
}

} // namespace

bool writeRawNamedFile(const QString &folder, const QByteArray &name, const QByteArray &content)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    Q_UNUSED(name);
    Q_UNUSED(content);
    return false;
#else
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    for (int slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        if (::mkdir(path.left(slash).constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
#endif
}

ScratchMount::ScratchMount(Kind kind, int mebibytes)
{
#ifndef Q_OS_LINUX
    Q_UNUSED(kind);
    Q_UNUSED(mebibytes);
    reason = QStringLiteral("Mounts a file system of its own: Linux only");
#else
    if (::geteuid() != 0) {
        reason = QStringLiteral("Mounting a file system needs root");
        return;
    }
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("mount"))) {
        reason = QStringLiteral("No folder to mount at");
        return;
    }
    const QString size = QString::number(mebibytes) + QLatin1Char('M');
    if (kind == Tmpfs) {
        mounted = !runTool(QStringLiteral("mount"),
                           {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                            QStringLiteral("size=") + size, QStringLiteral("tmpfs"), path()},
                           &reason)
                           .isNull();
        return;
    }
    const QString image = dir.filePath(QStringLiteral("exfat.img"));
    for (const char *tool : {"mkfs.exfat", "mount.exfat-fuse", "losetup"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()
            && QStandardPaths::findExecutable(
                       QLatin1String(tool), {QStringLiteral("/sbin"), QStringLiteral("/usr/sbin")})
                       .isEmpty()) {
            reason = QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
            return;
        }
    }
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) {
        reason = QStringLiteral("No FUSE here (/dev/fuse)");
        return;
    }
    {
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(mebibytes) << 20)) {
            reason = QStringLiteral("No room for the image");
            return;
        }
    }
    if (runTool(QStringLiteral("mkfs.exfat"), {image}, &reason).isNull())
        return;
    loopDevice = QString::fromLocal8Bit(
                         runTool(QStringLiteral("losetup"),
                                 {QStringLiteral("-f"), QStringLiteral("--show"), image}, &reason))
                         .trimmed();
    if (loopDevice.isEmpty())
        return;
    mounted = !runTool(QStringLiteral("mount.exfat-fuse"), {loopDevice, path()}, &reason).isNull();
#endif
}

ScratchMount::~ScratchMount()
{
    QString ignored;
    if (mounted)
        runTool(QStringLiteral("umount"), {QStringLiteral("-l"), path()}, &ignored);
    if (!loopDevice.isEmpty())
        runTool(QStringLiteral("losetup"), {QStringLiteral("-d"), loopDevice}, &ignored);
}

MatchRules rulesFrom(const QString &words)
{
    MatchRules rules;
    for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("case"))
            rules.ignoreCase = true;
        else if (word == QLatin1String("whole"))
            rules.wholeNames = true;
        else if (word == QLatin1String("companions"))
            rules.companions = true;
        else if (word.startsWith(QLatin1String("formats=")))
            MatchRules::parsePickFormats(word.mid(8), rules.pickFormats);
    }
    return rules;
}
