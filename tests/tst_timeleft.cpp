// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/timeleft.h"

#include <QtTest>

using Samples = QVector<QPair<qint64, qint64>>; // msecs, bytes done

class tst_timeleft : public QObject
{
    Q_OBJECT

private slots:
    void estimate_data();
    void estimate();
};

void tst_timeleft::estimate_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<Samples>("samples");
    QTest::addColumn<qint64>("left");

    QTest::newRow("nothing yet") << qint64(1000) << Samples{} << qint64(-1);
    QTest::newRow("nothing to copy") << qint64(0) << Samples{} << qint64(0);
    QTest::newRow("too soon to tell") << qint64(1000) << Samples{{0, 0}, {1499, 500}} << qint64(-1);
    QTest::newRow("steady: 100 bytes a second")
            << qint64(1000) << Samples{{0, 0}, {1000, 100}, {2000, 200}} << qint64(8000);
    // A slow first minute is forgotten once ten seconds of the faster pace are known.
    QTest::newRow("the last seconds count, not the start")
            << qint64(100000)
            << Samples{{0, 0}, {60000, 600}, {65000, 5600}, {70000, 10600}, {75000, 15600}}
            << qint64(84400);
    QTest::newRow("stalled for the whole window")
            << qint64(1000) << Samples{{0, 0}, {1000, 500}, {11000, 500}, {12000, 500}}
            << qint64(-1);
    QTest::newRow("a sample at the same time replaces the last")
            << qint64(1000) << Samples{{0, 0}, {2000, 100}, {2000, 200}} << qint64(8000);
    QTest::newRow("done") << qint64(1000) << Samples{{0, 0}, {10, 1000}} << qint64(0);
    QTest::newRow("more done than announced (a file grew)")
            << qint64(1000) << Samples{{0, 0}, {3000, 1200}} << qint64(0);
}

void tst_timeleft::estimate()
{
    QFETCH(qint64, total);
    QFETCH(Samples, samples);
    QFETCH(qint64, left);
    TimeLeft estimate(total);
    for (const auto &sample : samples)
        estimate.add(sample.first, sample.second);
    QCOMPARE(estimate.msecsLeft(), left);
}

QTEST_APPLESS_MAIN(tst_timeleft)
#include "tst_timeleft.moc"
