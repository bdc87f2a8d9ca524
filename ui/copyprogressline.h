// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/selectionjob.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

class QProgressBar;

// The line below the progress bar while a run copies: bytes done of bytes in all, the time left
// and the file being copied, as in "3.2 GB / 12.8 GB · 约 2 分 10 秒 · IMG_0412.CR2". The bar's
// tooltip says the same. It lies in room the window leaves empty and is hidden whenever no run
// copies, so the window at rest looks as it always did.
class CopyProgressLine : public QLabel
{
    Q_OBJECT

public:
    // Below `bar`, in the bar's parent; hidden until the first showProgress().
    explicit CopyProgressLine(QProgressBar *bar);

    // Shows the figures at a reading pace: at once after a quarter of a second without any,
    // else when that quarter is over, so that the last figures sent are always shown.
    void showProgress(const SelectionJob::CopyProgress &progress);
    // Hides the line and takes the tooltip off the bar.
    void clear();

    // "3.2 GB / 12.8 GB · 约 2 分 10 秒 · IMG_0412.CR2"; without the last part when no file is
    // under way.
    static QString lineText(const SelectionJob::CopyProgress &progress);
    // "约 45 秒", "约 2 分 10 秒", "约 1 小时 5 分"; "—" for an estimate not known yet (-1).
    static QString timeText(qint64 msecs);

private:
    void showPending();

    QProgressBar *bar;
    SelectionJob::CopyProgress pending;
    QElapsedTimer sinceShown;
    QTimer later;
};
