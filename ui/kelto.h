#pragma once

#include "core/selection/messagereader.h"

#include <QFileInfoList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class AdFeed;
class QCloseEvent;
class QDataStream;
class TreeCounter;
class errorList;

namespace Ui {
class kelto;
}

class kelto : public QMainWindow
{
    Q_OBJECT

public:
    explicit kelto(QWidget *parent = nullptr);
    ~kelto() override;

    // Tree listings (selection/)
    QFileInfoList listTreeFolders(QString path);
    QFileInfoList listTreeFiles(QString path);
    QFileInfoList listTreeImages(QString path);

    // Server link (link/)
    void readServerConfig();
    bool writeServerConfig();
    QByteArray buildRequest(const QString &command);
    bool sendMessage(const QString &command);
    void handleResponse(QByteArray payload);
    void storeAdSet(QDataStream &stream);

    // Ad panel (ads/)
    QFileInfoList listFolderFiles(const QString &path);
    void loadAdLinks();
    void saveAdLinks();
    void loadAdTiles();

    // The connection to the ad server, for tests.
    AdFeed *adFeed() const { return feed; }

signals:
    void sendErrorList(QStringList errorMessages);

private slots:
    void bt_toErrorList(QStringList errorMessages);
    void bt_seletSmallImagesPath();
    void bt_seletBigImagesPath();
    void bt_seletOutputPath();
    void bt_combinedOutput();
    void bt_classifiedOutput();
    void bt_writeConfig();
    void receive_from_errorlist(bool decision);
    void bt_GG1();
    void bt_GG2();
    void bt_GG3();
    void bt_GG4();
    void bt_GG5();
    void bt_GG6();
    void bt_GG7();
    void bt_GG8();
    void bt_GG9();
    bool connectHost();
    void on_connected();
    void on_disconnected();
    void disconnectSocket();
    void on_readyread();

private:
    // Tests set up and inspect the state below through KeltoProbe (tests/keltoprobe.h).
    friend class KeltoProbe;

    Ui::kelto *ui;
    QString smallImagesPath;
    QString bigImagesPath;
    QString outputPath;
    bool continueCopy = true;
    bool waitingForDecision = false;
    QString serverHost = QStringLiteral("127.0.0.1");
    qint32 serverPort = 8888;
    std::array<QString, 9> adLinks;

    // Folder pickers (selection/folderpickers.cpp): each image picker counts its tree on a
    // worker thread, made at its first use. A folder dropped on a picker's button or label is
    // taken as if chosen; the chooser starts at the row's folder or at the one chosen last.
    enum FolderRow { SmallImagesRow, BigImagesRow, OutputRow };
    void pickFolder(FolderRow row);
    void takeFolder(FolderRow row, const QString &path);
    QString startFolder(FolderRow row) const;
    TreeCounter *rowCounter(FolderRow row);
    void acceptFolderDrops();
    bool eventFilter(QObject *watched, QEvent *event) override;
    TreeCounter *countSmallImages = nullptr;
    TreeCounter *countBigImages = nullptr;

    // Picks from a client's message (selection/messagepicks.cpp): pasted with Ctrl+V, or text or
    // a .txt file dropped on the small-images row; they stand in for the small-image folder until
    // a folder is chosen or dropped there again.
    void acceptMessages();
    void pasteMessage();
    void takeMessage(const MessageReader::Text &text);
    std::shared_ptr<const PickMessage> pickMessage;

    // Server link (link/): the ad feed, which owns the socket, and the context-menu entry and
    // shortcut that reach bt_writeConfig.
    void addWriteConfigAction();
    AdFeed *feed = nullptr;

    // Selection run (selection/selectionrun.cpp): both run slots start one run, a SelectionJob on
    // a worker thread; the window shows what it reports and passes the user's answers on. The
    // run's own button stops it, as do Escape and closing the window.
    void runSelection(bool classified);
    void stopSelection();
    void endSelection(int outcome);
    void abandonSelection();
    void passDecisionOn(bool decision);
    void closeEvent(QCloseEvent *event) override;
    struct SelectionRun;
    SelectionRun *selectionRun = nullptr; // the run going on, if any
    QPointer<errorList> decisionDialog;   // the missing-images dialog opened last
};
