// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>

#include <cstring>

// A sequential device that holds whatever was fed to it and not read yet, like a socket's read
// buffer.
class Pipe : public QIODevice
{
public:
    Pipe() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    void feed(const QByteArray &bytes) { pending += bytes; }
    QByteArray unread() const { return pending; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending.size() + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const int n = int(qMin<qint64>(maxSize, pending.size()));
        // QIODevice may ask with no buffer at all when nothing is wanted.
        if (n > 0) {
            std::memcpy(data, pending.constData(), size_t(n));
            pending.remove(0, n);
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray pending;
};
