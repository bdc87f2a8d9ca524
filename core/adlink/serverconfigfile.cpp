// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/serverconfigfile.h"

#include "core/wholefile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLoggingCategory>
#include <QSaveFile>

#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcConfig, "zanora.config")

namespace {

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

namespace ServerConfigFile {

QString path()
{
    return QDir::currentPath() + QStringLiteral("/config.json");
}

Reading read(const QString &path)
{
    Reading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.problems.append(Problem::Unreadable);
        return reading;
    }
    qCDebug(lcConfig) << "文件打开成功";

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (document.isNull() || error.error != QJsonParseError::NoError) {
        reading.problems.append(Problem::NotJson);
        return reading;
    }
    qCDebug(lcConfig) << "文件解析成功";

    if (!document.isObject()) {
        reading.problems.append(Problem::NotAnObject);
        return reading;
    }
    const QJsonObject settings = document.object();

    const QJsonValue host = settings.value(QStringLiteral("HostIP"));
    if (host.isString())
        reading.host = host.toString();
    else
        reading.problems.append(Problem::NoHost);

    if (settings.contains(QStringLiteral("HostPORT")))
        reading.port = portFromJson(settings.value(QStringLiteral("HostPORT")));
    else
        reading.problems.append(Problem::NoPort);
    return reading;
}

bool write(const QString &path, const QString &host, qint32 port)
{
    // Written beside the old file and renamed over it, so a failed write keeps the old one.
    QSaveFile file(path);
    if (!openWholeFile(file))
        return false;
    qCDebug(lcConfig) << "File open!";

    QJsonObject settings;
    settings.insert(QStringLiteral("HostIP"), host);
    settings.insert(QStringLiteral("HostPORT"), port);
    return commitWholeFile(file, QJsonDocument(settings).toJson(QJsonDocument::Indented));
}

} // namespace ServerConfigFile
