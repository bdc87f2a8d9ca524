// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/adlink/adlinkcodec.h"
#include "core/selection/matchrules.h"

#include <QFileInfoList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class AdClient;
class AdFeed;
class AdPanel;
class FolderRow;
class MessagePicks;
class QDataStream;
class QLabel;
class RunController;
class RulesDialog;
class errorList;
struct PickMessage;

namespace Ui {
class kelto;
}

// The main window. It is made of parts that it holds: the three folder rows (FolderRow), the
// picks from a client's message (MessagePicks), the run controller (RunController), the ad panel with its nine tiles (AdPanel) and the client of the ad
// server (AdClient); it opens the missing-images dialog (errorList). Its slots and members keep
// their names and hand the work to those parts. The state it keeps is private.
class kelto : public QMainWindow
{
    Q_OBJECT

public:
    explicit kelto(QWidget *parent = nullptr);
    ~kelto() override;

    // Server link (ui/serverconfig.cpp, AdClient)
    void readServerConfig();
    bool writeServerConfig();
    QByteArray buildRequest(const QString &command);
    bool sendMessage(const QString &command);
    void handleResponse(QByteArray payload);
    void storeAdSet(QDataStream &stream);

    // Ad panel (ad store, AdPanel)
    QFileInfoList listFolderFiles(const QString &path);
    void loadAdLinks();
    void saveAdLinks();
    void loadAdTiles();

    // The client of the ad server and its connection, for tests.
    AdClient *adClient() const { return client; }
    AdFeed *adFeed() const;

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
    void bt_rules();
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

    // The missing-images dialog of a run (ui/decision.cpp): a dialog that goes away without a
    // decision stops the run; continueCopy keeps the last decision.
    // For picks from a message the dialog also offers copyLine to the clipboard.
    void askAboutMissing(const QStringList &missing, const QString &copyLine);
    // The context-menu entry and shortcut that reach bt_writeConfig (ui/serverconfig.cpp).
    void addWriteConfigAction();

    Ui::kelto *ui;
    QString smallImagesPath;
    QString bigImagesPath;
    QString outputPath;
    bool continueCopy = true;
    bool waitingForDecision = false;
    QString serverHost = QStringLiteral("127.0.0.1");
    qint32 serverPort = 8888;
    AdLinks adLinks;
    // A client's message, while it stands in for the small-image folder.
    std::shared_ptr<const PickMessage> pickMessage;

    // Matching rules (ui/rulesaction.cpp): kept in the user's settings, changed in the rules
    // dialog reached from the context menu and a shortcut, used by the small-images count and by
    // runs. Only rules other than the defaults show, in a note on the footer band.
    void addRulesAction();
    void setMatchRules(const MatchRules &rules);
    void showRulesNote();
    MatchRules matchRules;
    QLabel *rulesNote = nullptr; // made the first time it has something to say
    QPointer<RulesDialog> rulesDialog;

    FolderRow *smallImagesRow = nullptr;
    FolderRow *bigImagesRow = nullptr;
    FolderRow *outputRow = nullptr;
    MessagePicks *messagePicks = nullptr;
    RunController *run = nullptr;
    AdPanel *adPanel = nullptr;
    AdClient *client = nullptr;         // owns the connection
    QPointer<errorList> decisionDialog; // the missing-images dialog opened last
};
