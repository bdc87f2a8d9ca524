// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// config.json: the ad server's host and port, read once at start-up and rewritten on request.
// Reading and writing need no window; the window reports the problems in its own boxes.
namespace ServerConfigFile {

// What can be wrong with the file, in the order reading meets it. The first three end the
// reading; a missing host still lets the port be read.
enum class Problem { Unreadable, NotJson, NotAnObject, NoHost, NoPort };

struct Reading
{
    std::optional<QString> host; // HostIP, when it is a JSON string
    std::optional<qint32> port;  // HostPORT, whenever present: its whole value, or 0
    QList<Problem> problems;
};

// config.json in the current working folder, as it is at the moment of the call.
QString path();

Reading read(const QString &path);

// Replaces the file with one holding exactly the host and the port, as indented JSON; the old
// file stays unless every byte of the new one was written.
bool write(const QString &path, const QString &host, qint32 port);

} // namespace ServerConfigFile
