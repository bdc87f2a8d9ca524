// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;

// The one connection to the ad server, driven by the socket's signals and two timers so that
// nothing ever waits on the GUI thread: connecting (host lookup included) ends after
// connectTimeout(), and an answer that is not complete answerTimeout() after the request closes
// the connection. A request handed over while the connection is being made goes out once it is
// made. The frame receiver reads at most one frame per readFrame() call.
class AdFeed : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultConnectTimeout = 20000;
    static constexpr int defaultAnswerTimeout = 30000;

    explicit AdFeed(QObject *parent = nullptr);
    // Closes the connection without emitting anything: whoever listens may be going away too.
    ~AdFeed() override;

    // In milliseconds; a change applies from the next attempt or request.
    void setConnectTimeout(int milliseconds) { connectLimit = milliseconds; }
    int connectTimeout() const { return connectLimit; }
    void setAnswerTimeout(int milliseconds) { answerLimit = milliseconds; }
    int answerTimeout() const { return answerLimit; }

    // Drops any earlier connection and starts a new attempt; false when it failed at once.
    bool connectToServer(const QString &host, quint16 port);
    // Frames the payload and writes it, or keeps it for the moment the attempt under way
    // connects; false when there is neither a connection nor an attempt, or the socket refuses.
    bool send(const QByteArray &payload);
    // Reads one whole frame into payload when it is there. A frame that cannot be valid drops
    // the connection.
    bool readFrame(QByteArray &payload);
    // Closes the connection once what was written has gone out; does not wait.
    void disconnectFromServer();

    const QAbstractSocket *socket() const;
    qint64 headerBytes() const { return receivedHeaderBytes; }
    qint64 frameSize() const { return declaredFrameSize; }
    bool isConnecting() const { return attempting; }
    bool isAwaitingAnswer() const { return answerTimer.isActive(); }

signals:
    void connected();
    void disconnected();
    void readyRead();

private:
    void onConnected();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void endAttempt(bool connected);
    void giveUpConnecting();
    void giveUpWaitingForAnswer();
    bool write(const QByteArray &frame);

    QTcpSocket *tcp = nullptr;
    QTimer connectTimer;
    QTimer answerTimer;
    int connectLimit = defaultConnectTimeout;
    int answerLimit = defaultAnswerTimeout;
    bool attempting = false;
    QByteArray pendingFrames;
    qint64 receivedHeaderBytes = 0;
    qint64 declaredFrameSize = 0;
};
