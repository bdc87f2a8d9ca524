// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class kelto;

// Shared by the fuzz targets: Qt set up once per process, quietly, on the offscreen platform.
namespace FuzzSupport {

// Starts a QApplication on the offscreen platform (once) that drops every message Qt or the
// program logs: a fuzzer looks for crashes and hangs, not for the program's debug lines.
void startApplication();

// The main window, built once in a folder of its own whose config.json points at a loopback port
// nobody listens on, so it starts without waiting for a server.
kelto *window();

// The titles of the message boxes shown since the last call. Every box is answered with its
// default button as soon as it shows.
QStringList takeShownBoxes();

// A fresh folder made the working folder for as long as the object lives: `work` inside a root
// that holds nothing else, so whatever is written beside the working folder can be seen.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();

    QString root() const { return dir.path(); }
    QString work() const { return dir.filePath(QStringLiteral("work")); }

private:
    QString previous;
    QTemporaryDir dir;
};

} // namespace FuzzSupport
