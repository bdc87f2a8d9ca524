// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/copyprogressline.h"

#include <QFileInfo>
#include <QProgressBar>

CopyProgressLine::CopyProgressLine(QProgressBar *bar)
    : QLabel(bar->parentWidget())
    , bar(bar)
{
    setObjectName(QStringLiteral("copyProgress"));
    // Between the bar and the ad tiles, as wide as the bar.
    setGeometry(bar->x(), bar->y() + bar->height() + 4, bar->width(), 24);
    setStyleSheet(QStringLiteral("background-color: none;\n"
                                 "color: rgb(100, 100, 100);\n"
                                 "font: 10pt \"微软雅黑\";"));
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTextFormat(Qt::PlainText);
    hide();
    later.setSingleShot(true);
    connect(&later, &QTimer::timeout, this, &CopyProgressLine::showPending);
}

void CopyProgressLine::showProgress(const SelectionJob::CopyProgress &progress)
{
    constexpr qint64 pace = 250;
    pending = progress;
    if (later.isActive())
        return;
    if (sinceShown.isValid() && sinceShown.elapsed() < pace)
        later.start(int(pace - sinceShown.elapsed()));
    else
        showPending();
}

void CopyProgressLine::showPending()
{
    sinceShown.start();
    const QString whole = lineText(pending);
    // A long file name is cut in its middle rather than run off the line.
    ensurePolished();
    setText(fontMetrics().elidedText(whole, Qt::ElideMiddle, contentsRect().width()));
    bar->setToolTip(whole);
    show();
}

void CopyProgressLine::clear()
{
    later.stop();
    sinceShown.invalidate();
    hide();
    setText(QString());
    bar->setToolTip(QString());
}

QString CopyProgressLine::lineText(const SelectionJob::CopyProgress &progress)
{
    QString line = QStringLiteral("%1 / %2 · %3")
                           .arg(TimeLeft::sizeText(progress.bytesDone),
                                TimeLeft::sizeText(progress.bytesTotal),
                                timeText(progress.msecsLeft));
    if (!progress.file.isEmpty())
        line += QStringLiteral(" · ") + QFileInfo(progress.file).fileName();
    return line;
}

QString CopyProgressLine::timeText(qint64 msecs)
{
    if (msecs < 0)
        return QStringLiteral("—");
    const qint64 seconds = qMax<qint64>((msecs + 500) / 1000, msecs > 0 ? 1 : 0);
    if (seconds < 60)
        return tr("约 %1 秒").arg(seconds);
    if (seconds < 3600) {
        return seconds % 60 == 0 ? tr("约 %1 分").arg(seconds / 60)
                                 : tr("约 %1 分 %2 秒").arg(seconds / 60).arg(seconds % 60);
    }
    const qint64 minutes = seconds / 60;
    return minutes % 60 == 0 ? tr("约 %1 小时").arg(minutes / 60)
                             : tr("约 %1 小时 %2 分").arg(minutes / 60).arg(minutes % 60);
}
