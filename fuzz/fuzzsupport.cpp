// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/fuzzsupport.h"

#include "ui/kelto.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QMessageBox>
#include <QTcpServer>
#include <QTimer>

namespace FuzzSupport {

namespace {

QStringList &shownBoxes()
{
    static QStringList boxes;
    return boxes;
}

// Answers a message box as soon as it shows, from its own event loop.
class BoxCloser : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(object)) {
                shownBoxes() << box->windowTitle();
                QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Yes); });
            }
        }
        return QObject::eventFilter(object, event);
    }
};

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

void startApplication()
{
    if (qApp)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropMessage);
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: torn down at exit, Qt would leave its font caches half freed.
    auto *application = new QApplication(argc, argv);
    application->installEventFilter(new BoxCloser(application));
}

kelto *window()
{
    static kelto *built = [] {
        startApplication();
        static QTemporaryDir home;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(home.path());
        quint16 closedPort = 0;
        {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            closedPort = server.serverPort();
        }
        QFile config(QStringLiteral("config.json"));
        if (config.open(QIODevice::WriteOnly))
            config.write(QStringLiteral("{\"HostIP\": \"127.0.0.1\", \"HostPORT\": %1}")
                                 .arg(closedPort)
                                 .toUtf8());
        config.close();
        auto *window = new kelto;
        QDir::setCurrent(previous);
        takeShownBoxes();
        return window;
    }();
    return built;
}

QStringList takeShownBoxes()
{
    QStringList boxes;
    boxes.swap(shownBoxes());
    return boxes;
}

ScratchFolder::ScratchFolder()
    : previous(QDir::currentPath())
{
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("work"))
        || !QDir::setCurrent(work()))
        qFatal("cannot make a scratch folder");
}

ScratchFolder::~ScratchFolder()
{
    QDir::setCurrent(previous);
}

} // namespace FuzzSupport
