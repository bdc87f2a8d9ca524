// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/timeleft.h"

#include <cmath>

TimeLeft::TimeLeft(qint64 totalBytes)
    : total(totalBytes)
{}

void TimeLeft::reset(qint64 totalBytes)
{
    total = totalBytes;
    samples.clear();
}

void TimeLeft::add(qint64 msecs, qint64 bytesDone)
{
    if (!samples.isEmpty() && msecs <= samples.constLast().msecs) {
        samples.last().bytes = bytesDone;
        return;
    }
    samples.append({msecs, bytesDone});
    // Keep one sample at or before the window's start, so the window is always spanned whole.
    int drop = 0;
    while (drop + 1 < samples.size() && samples.at(drop + 1).msecs <= msecs - windowMsecs)
        ++drop;
    if (drop > 0)
        samples.remove(0, drop);
}

qint64 TimeLeft::msecsLeft() const
{
    if (samples.isEmpty())
        return total > 0 ? -1 : 0;
    const Sample &first = samples.constFirst();
    const Sample &last = samples.constLast();
    if (last.bytes >= total)
        return 0;
    const qint64 span = last.msecs - first.msecs;
    const qint64 moved = last.bytes - first.bytes;
    if (span < leastSpanMsecs || moved <= 0)
        return -1;
    return qint64(std::llround(double(total - last.bytes) * double(span) / double(moved)));
}

QString TimeLeft::sizeText(qint64 bytes)
{
    if (bytes >= 1000000000)
        return QStringLiteral("%1 GB").arg(bytes / 1e9, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(bytes / 1e6, 0, 'f', 1);
}
