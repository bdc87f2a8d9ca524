// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

struct MatchRules;

// Helpers for every test program; those that need a window are in testsupport.h.

// A fresh temporary folder made the process's working folder for as long as the object lives.
// It holds a config.json that points the program at a loopback port nobody listens on, so a
// window built here starts without a configuration box and without waiting for a server.
class TestWorkDir
{
public:
    TestWorkDir();
    ~TestWorkDir();

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

    static quint16 closedLoopbackPort();
    static void writeConfig(const QString &host, int port);

private:
    QString previous;
    QTemporaryDir dir;
};

// Paths in the three folders of a selection run, small/, big/ and out/, below runRoot; for test
// classes to inherit beside QObject.
class RunFolders
{
public:
    QString small(const QString &relative = QString()) const { return path("small", relative); }
    QString big(const QString &relative = QString()) const { return path("big", relative); }
    QString out(const QString &relative = QString()) const { return path("out", relative); }

protected:
    QString runRoot;

private:
    QString path(const char *folder, const QString &relative) const;
};

// Makes `link` a symbolic link to `target`. On Windows that is a file-system link
// (CreateSymbolicLinkW), not the .lnk shortcut QFile::link() makes there; it needs the privilege
// to create links or Developer Mode, so tests skip their link rows unless canMakeSymLinks().
bool makeSymLink(const QString &target, const QString &link);
bool canMakeSymLinks();

// Makes `link` a second name of the file `target` (a hard link).
bool makeHardLink(const QString &target, const QString &link);

// Which file a path names, however it is reached: device and inode, or on Windows volume serial
// number and file index; empty when there is no such file.
QByteArray fileIdentity(const QString &path);

// Skips the test (row) where symbolic links cannot be made.
#define SKIP_WITHOUT_SYMLINKS() \
    do { \
        if (!canMakeSymLinks()) \
            QSKIP("Symbolic links need Developer Mode or the privilege to create them"); \
    } while (false)

// Builds a tree below `root`: entries ending in "/" are folders (parents made as needed),
// "name -> target" is a symbolic link to `target` (relative to the root), anything else an empty
// file. False on the first entry that cannot be made.
bool makeTree(const QString &root, const QStringList &entries);

// The whole content of a file; empty when it cannot be read.
QByteArray fileContent(const QString &path);

// Writes `content` as the whole file, replacing what was there and making missing parent folders;
// false unless all of it was written.
bool writeFile(const QString &path, const QByteArray &content);

// Writes a file at a relative path of bytes below a folder, valid in the file-name encoding or not,
// making the folders on the way; false where names are not bytes (Windows) or it could not be
// written.
bool writeRawNamedFile(const QString &folder, const QByteArray &name, const QByteArray &content);

// Every file below root as "relative path=content" (files over 1,000,000 bytes as "=size"),
// sorted, hidden ones included so that left-over temporary files show.
QStringList filesBelow(const QString &root);

// Every entry below root, folders too, as a path relative to it, sorted, hidden ones included so
// that left-over temporary files show.
QStringList entriesBelow(const QString &root);

// The names of everything in a folder, hidden entries too, without "." and "..", in QDir's
// default order.
QStringList folderEntries(const QString &path);

// Keeps the text of every message Qt logs for as long as it lives, as the message handler in
// place of the one before it. With PassOn each message also still reaches that handler. A
// message logged on another thread is added to `messages` from the recorder's thread's event
// loop, so the list is only ever touched there.
// Install it from a test function or initTestCase(): QTest puts in a handler of its own when the
// test run starts.
class MessageRecorder
{
public:
    enum Forwarding { Swallow, PassOn };

    explicit MessageRecorder(Forwarding forwarding = Swallow);
    ~MessageRecorder();

    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    QStringList messages;

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message);

    const Forwarding forwarding;
    MessageRecorder *const previousRecorder;
    QObject context; // lives on the recorder's thread
    QtMessageHandler previousHandler = nullptr;
};

// A small file system of its own, mounted at an empty folder for as long as the object lives:
// a tmpfs of a given size, or an exFAT image through FUSE on a loop device. Needs root and Linux;
// skipReason() says why there is none.
class ScratchMount
{
public:
    enum Kind { Tmpfs, ExFat };

    ScratchMount(Kind kind, int mebibytes);
    ~ScratchMount();
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool isMounted() const { return mounted; }
    QString skipReason() const { return reason; }
    QString path() const { return dir.filePath(QStringLiteral("mount")); }

private:
    QTemporaryDir dir;
    QString loopDevice;
    QString reason;
    bool mounted = false;
};

// Skips the test (row) without the file system.
#define SKIP_WITHOUT_MOUNT(mount) \
    do { \
        if (!(mount).isMounted()) \
            QSKIP(qPrintable((mount).skipReason())); \
    } while (false)

// Where the object's clicked() signal leads, as its object dump lists the connections: one
// "--> Class::objectName slot()" line for each.
QStringList clickedConnections(QObject *object);

// Rules from words, for test tables: "case", "whole", "companions", "formats=heic,Tif" (the list
// as --pick-formats takes it); anything else, or "", leaves the default.
MatchRules rulesFrom(const QString &words);
