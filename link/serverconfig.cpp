#include "kelto.h"
#include "wholefile.h"

#include <QAction>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QKeySequence>
#include <QMessageBox>
#include <QSaveFile>

#include <cmath>
#include <limits>

namespace {

QString configPath()
{
    return QDir::currentPath() + QStringLiteral("/config.json");
}

// A whole JSON number gives that integer; anything else, or a whole number that no 32-bit port
// setting can hold, gives 0.
qint32 portFromJson(const QJsonValue &value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (std::trunc(number) != number || number < std::numeric_limits<qint32>::min()
        || number > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(number);
}

} // namespace

void kelto::readServerConfig()
{
    QFile file(configPath());
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::information(nullptr, tr("错误"),
                                 tr("服务器配置文件读取失败，请查看配置文件是否存在，若不存在，"
                                    "请重新生成再自行修改"),
                                 QMessageBox::Yes);
        return;
    }
    qDebug() << "文件打开成功";

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (document.isNull() || error.error != QJsonParseError::NoError) {
        QMessageBox::information(nullptr, tr("错误"),
                                 tr("服务器配置文件解析失败，请查看配置文件是否为JSON格式，若不是，"
                                    "请重新生成再自行修改"),
                                 QMessageBox::Yes);
        return;
    }
    qDebug() << "文件解析成功";

    if (!document.isObject()) {
        QMessageBox::information(nullptr, tr("配置消息"),
                                 tr("配置文件内没有包含需要的对象，请重新写入正确的配置"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        return;
    }
    const QJsonObject settings = document.object();

    const QJsonValue host = settings.value(QStringLiteral("HostIP"));
    if (host.isString()) {
        serverHost = host.toString();
    } else {
        QMessageBox::information(nullptr, tr("错误"), tr("没有找到服务器IP配置，请检查配置文件"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    }

    if (settings.contains(QStringLiteral("HostPORT"))) {
        serverPort = portFromJson(settings.value(QStringLiteral("HostPORT")));
    } else {
        QMessageBox::information(nullptr, tr("错误"), tr("没有找到服务器端口配置，请检查配置文件"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    }
}

bool kelto::writeServerConfig()
{
    // Written beside the old file and renamed over it, so a failed write keeps the old one.
    QSaveFile file(configPath());
    if (!openWholeFile(file))
        return false;
    qDebug() << "File open!";

    QJsonObject settings;
    settings.insert(QStringLiteral("HostIP"), serverHost);
    settings.insert(QStringLiteral("HostPORT"), serverPort);
    return commitWholeFile(file, QJsonDocument(settings).toJson(QJsonDocument::Indented));
}

void kelto::bt_writeConfig()
{
    if (writeServerConfig()) {
        QMessageBox::information(nullptr, tr("消息"),
                                 tr("重新写入配置文件成功，请修改配置文件内容后再重启程序"),
                                 QMessageBox::Yes);
    } else {
        QMessageBox::information(nullptr, tr("错误"), tr("重新写入配置文件失败"), QMessageBox::Yes);
    }
}

void kelto::addWriteConfigAction()
{
    // The window's layout has no control for this, so it lives in the window's context menu and
    // behind a shortcut; neither changes how the window looks.
    auto *action = new QAction(tr("重新生成配置文件"), this);
    action->setObjectName(QStringLiteral("action_writeConfig"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, &kelto::bt_writeConfig);
    addAction(action);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}
