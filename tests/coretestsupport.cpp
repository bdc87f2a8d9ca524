#include "coretestsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

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

bool makeTree(const QString &root, const QStringList &entries)
{
    QDir dir(root);
    for (const QString &entry : entries) {
        const int arrow = entry.indexOf(QLatin1String(" -> "));
        if (arrow >= 0) {
            if (!QFile::link(dir.filePath(entry.mid(arrow + 4)), dir.filePath(entry.left(arrow))))
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
