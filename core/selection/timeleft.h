// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// Tells how long a copy has left from how fast it went over the last seconds: it is fed the
// bytes done with the time they were reached, and divides the bytes still to do by the rate
// across the samples of the last windowMsecs. A slow start or a pause long past therefore no
// longer weighs on the estimate, as it would in an average from the start. Until the samples
// span leastSpanMsecs with some bytes done, and while nothing moves across the whole window,
// it cannot tell.
//
// Pure and not thread-safe: the caller owns the clock and the samples' times.
class TimeLeft
{
public:
    static constexpr qint64 windowMsecs = 10000;
    static constexpr qint64 leastSpanMsecs = 1500;

    explicit TimeLeft(qint64 totalBytes = 0);

    void reset(qint64 totalBytes);
    // Times never go back; a sample at the same time as the last replaces it.
    void add(qint64 msecs, qint64 bytesDone);

    qint64 totalBytes() const { return total; }
    qint64 bytesDone() const { return samples.isEmpty() ? 0 : samples.constLast().bytes; }
    // The estimate in milliseconds, 0 once everything is done, -1 while it cannot tell.
    qint64 msecsLeft() const;

    // An amount of bytes as people read it beside a time left: decimal units, one decimal,
    // "950.0 MB", "12.8 GB".
    static QString sizeText(qint64 bytes);

private:
    struct Sample
    {
        qint64 msecs;
        qint64 bytes;
    };
    QVector<Sample> samples; // oldest first; the first one at or before the window's start
    qint64 total = 0;
};
