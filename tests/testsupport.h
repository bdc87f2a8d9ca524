#pragma once

#include <QByteArray>
#include <QColor>
#include <QFileDialog>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QQueue>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QtGlobal>

#include <functional>

class QDialog;
class kelto;

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

// The names of everything in a folder, hidden entries too, without "." and "..", in QDir's
// default order.
QStringList folderEntries(const QString &path);

// A PNG image of the given size in one colour.
QByteArray solidPng(const QColor &colour, const QSize &size);

// A GIF of one 1x1 frame in the given colour, written by hand: Qt has no GIF writer.
QByteArray solidGif(const QColor &colour);

// Keeps the text of every message Qt logs for as long as it lives, as the message handler in
// place of the one before it. With PassOn each message also still reaches that handler.
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
    QtMessageHandler previousHandler = nullptr;
};

// Where the object's clicked() signal leads, as its object dump lists the connections: one
// "--> Class::objectName slot()" line for each.
QStringList clickedConnections(QObject *object);

// Points the window at 127.0.0.1:`port` and has it connect (its connectHost()); whether it
// connected, once the attempt has ended.
bool connectToLoopback(kelto *window, qint32 port);

// What a message box showed when the answerer closed it.
struct ShownBox
{
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton; // NoButton: none set
    bool hasParent = false;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
};

// What a folder chooser showed.
struct ShownFolderChooser
{
    QString caption;
    QString startDirectory;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::Options options;
    bool hasParent = false;
};

// Answers every modal box and dialog that the program opens, from a timer, and records what each
// showed. Message boxes take the queued answers in order, then the default answer (Yes); the
// answer QMessageBox::Escape presses Escape instead of a button. Folder choosers take the queued
// folders in order (an empty string cancels): the chooser opens the folder and accepts, so it
// returns the folder's path exactly as queued (an existing folder, "/" separators, no trailing
// "/"; a missing one cancels with a warning). Any other dialog goes to the queued handlers.
// Test programs keep the user settings Qt writes (the chooser's history) in a temporary folder.
class DialogAnswerer : public QObject
{
    Q_OBJECT

public:
    explicit DialogAnswerer(QObject *parent = nullptr);

    void queueBoxAnswer(QMessageBox::StandardButton answer) { boxAnswers.enqueue(answer); }
    void setDefaultBoxAnswer(QMessageBox::StandardButton answer) { defaultAnswer = answer; }
    void queueFolder(const QString &path) { folders.enqueue(path); }
    void queueDialogHandler(std::function<void(QDialog *)> handler)
    {
        dialogHandlers.enqueue(std::move(handler));
    }

    QList<ShownBox> boxes;
    QList<ShownFolderChooser> folderChoosers;
    int otherDialogs = 0;

private:
    void poll();

    QTimer timer;
    QQueue<QMessageBox::StandardButton> boxAnswers;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::Yes;
    QQueue<QString> folders;
    QQueue<std::function<void(QDialog *)>> dialogHandlers;
};
