// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/serverconfigfile.h"
#include "ui/kelto.h"

#include <QAction>
#include <QKeySequence>
#include <QMessageBox>

void kelto::readServerConfig()
{
    const ServerConfigFile::Reading reading = ServerConfigFile::read(ServerConfigFile::path());
    if (reading.host)
        serverHost = *reading.host;
    if (reading.port)
        serverPort = *reading.port;

    // One box for each problem, in the order the reading met them.
    for (const ServerConfigFile::Problem problem : reading.problems) {
        switch (problem) {
        case ServerConfigFile::Problem::Unreadable:
            QMessageBox::information(nullptr, tr("错误"),
                                     tr("服务器配置文件读取失败，请查看配置文件是否存在，若不存在，"
                                        "请重新生成再自行修改"),
                                     QMessageBox::Yes);
            break;
        case ServerConfigFile::Problem::NotJson:
            QMessageBox::information(
                    nullptr, tr("错误"),
                    tr("服务器配置文件解析失败，请查看配置文件是否为JSON格式，若不是，"
                       "请重新生成再自行修改"),
                    QMessageBox::Yes);
            break;
        case ServerConfigFile::Problem::NotAnObject:
            QMessageBox::information(nullptr, tr("配置消息"),
                                     tr("配置文件内没有包含需要的对象，请重新写入正确的配置"),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
            break;
        case ServerConfigFile::Problem::NoHost:
            QMessageBox::information(nullptr, tr("错误"),
                                     tr("没有找到服务器IP配置，请检查配置文件"),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
            break;
        case ServerConfigFile::Problem::NoPort:
            QMessageBox::information(nullptr, tr("错误"),
                                     tr("没有找到服务器端口配置，请检查配置文件"),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
            break;
        }
    }
}

bool kelto::writeServerConfig()
{
    return ServerConfigFile::write(ServerConfigFile::path(), serverHost, serverPort);
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
