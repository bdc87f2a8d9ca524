// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/testsupport.h"
#include "ui/copyprogressline.h"
#include "ui/kelto.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

namespace {

const char *const controlNames[] = {"seletDataTree", "seletInput", "seletOutput", "output_combined",
                                    "output_classified"};

// What the window looked like while the missing-images dialog was open.
struct DialogSeen
{
    int count = 0;
    QString list;
    int barMaximum = -2;
    int barValue = -2;
    QString barFormat;
    QList<bool> controlsEnabled;
    QString buttonText;
};

} // namespace

class tst_selectionrun : public QObject, public RunFolders
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void folderCheck_data();
    void folderCheck();
    void missingPickConfirmed();
    void ignoredFilesTold_data();
    void ignoredFilesTold();
    void notEnoughSpace();
    void stopInDialog_data();
    void stopInDialog();
    void failedCopy_data();
    void failedCopy();
    void quitWhileRunning_data();
    void quitWhileRunning();
    void copyLineTexts_data();
    void copyLineTexts();
    void copyLineOnlyWhileCopying();

private:
    void click(const char *button);
    bool runEnded() const;
    void handleDialog(bool confirm);
    QList<bool> controlsEnabled() const;
    void checkBox(int index, const char *title, const QString &text);
    QProgressBar *bar() const { return window->findChild<QProgressBar *>("progressBar"); }

    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    DialogAnswerer *answerer = nullptr;
    DialogSeen seen;
};

void tst_selectionrun::init()
{
    QVERIFY(openWindow(workDir, window));
    runRoot = workDir->path();
    QVERIFY(QDir().mkpath(big()));
    QVERIFY(QDir().mkpath(small()));
    QVERIFY(QDir().mkpath(out()));
    KeltoProbe(*window).setSmallImagesPath(small());
    KeltoProbe(*window).setBigImagesPath(big());
    KeltoProbe(*window).setOutputPath(out());
    answerer = new DialogAnswerer;
    seen = DialogSeen();
}

void tst_selectionrun::cleanup()
{
    delete answerer;
    answerer = nullptr;
    closeWindow(workDir, window);
}

// A box of the run: no parent, Yes and No, no default.
void tst_selectionrun::checkBox(int index, const char *title, const QString &text)
{
    QVERIFY(index < answerer->boxes.size());
    const ShownBox &box = answerer->boxes.at(index);
    QCOMPARE(box.title, QString::fromUtf8(title));
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::NoButton);
    QVERIFY(!box.hasParent);
}

void tst_selectionrun::click(const char *button)
{
    window->findChild<QPushButton *>(QLatin1String(button))->click();
}

// The run is over: both run buttons read their own texts and every control is enabled again.
bool tst_selectionrun::runEnded() const
{
    return controlsEnabled() == QList<bool>({true, true, true, true, true})
           && window->findChild<QPushButton *>("output_combined")->text() == "合并输出"
           && window->findChild<QPushButton *>("output_classified")->text() == "分类输出";
}

QList<bool> tst_selectionrun::controlsEnabled() const
{
    QList<bool> result;
    for (const char *name : controlNames)
        result.append(window->findChild<QPushButton *>(QLatin1String(name))->isEnabled());
    return result;
}

// Records the dialog and the window behind it, then answers with one of the dialog's buttons.
void tst_selectionrun::handleDialog(bool confirm)
{
    answerer->queueDialogHandler([this, confirm](QDialog *dialog) {
        ++seen.count;
        seen.list = dialog->findChild<QTextBrowser *>("errorFiles")->toPlainText();
        seen.barMaximum = bar()->maximum();
        seen.barValue = bar()->value();
        seen.barFormat = bar()->format();
        seen.controlsEnabled = controlsEnabled();
        seen.buttonText = window->findChild<QPushButton *>("output_combined")->text();
        dialog->findChild<QPushButton *>(confirm ? "pushButton" : "pushButton_2")->click();
    });
}

void tst_selectionrun::folderCheck_data()
{
    QTest::addColumn<QString>("unchosen");
    QTest::addColumn<bool>("empty");
    QTest::newRow("small-image folder") << "small" << false;
    QTest::newRow("big-image folder") << "big" << false;
    QTest::newRow("output folder") << "output" << false;
    QTest::newRow("small-image folder empty, not null") << "small" << true;
}

void tst_selectionrun::folderCheck()
{
    QFETCH(QString, unchosen);
    QFETCH(bool, empty);
    QVERIFY(writeFile(small("a.jpg"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), "raw"));
    const QString value = empty ? QStringLiteral("") : QString();
    KeltoProbe probe(*window);
    if (unchosen == "small")
        probe.setSmallImagesPath(value);
    else if (unchosen == "big")
        probe.setBigImagesPath(value);
    else
        probe.setOutputPath(value);
    handleDialog(true);

    for (const char *button : {"output_combined", "output_classified"}) {
        answerer->boxes.clear();
        click(button);
        QTRY_COMPARE(answerer->boxes.size(), 1);
        checkBox(0, "警告", QStringLiteral("路径错误，请选择正确的路径"));
    }
    QCOMPARE(answerer->otherDialogs, 0);
    QCOMPARE(folderEntries(out()), QStringList());
    QCOMPARE(bar()->value(), -1); // still reset from start-up
    QCOMPARE(bar()->format(), QStringLiteral("%p%"));
    QCOMPARE(controlsEnabled(), QList<bool>({true, true, true, true, true}));
}

void tst_selectionrun::missingPickConfirmed()
{
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(small("b.jpg"), "pick b"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    QVERIFY(writeFile(big("a.JPG"), "jpeg a"));
    handleDialog(true);

    click("output_combined");
    QTRY_COMPARE(answerer->boxes.size(), 1);

    QCOMPARE(seen.count, 1);
    QCOMPARE(seen.list, small("b.jpg"));
    QCOMPARE(seen.barMaximum, 2);
    QCOMPARE(seen.barValue, 2);
    QCOMPARE(seen.barFormat, QStringLiteral("总共需要选2个图，已选2张图"));
    // The run's own button stays enabled: it stops the run.
    QCOMPARE(seen.controlsEnabled, QList<bool>({false, false, false, true, false}));
    QCOMPARE(seen.buttonText, QStringLiteral("停止"));

    QVERIFY(runEnded());
    QCOMPARE(folderEntries(out()), QStringList({"a.CR2", "a.JPG"}));
    checkBox(0, "信息", QStringLiteral("已成功完成选图"));
    QCOMPARE(answerer->boxes.at(0).detailedText, QString()); // nothing to tell beyond it
    QCOMPARE(bar()->maximum(), 2);
    QCOMPARE(bar()->value(), 2);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要复制2个图，已复制2张图"));
    QVERIFY(KeltoProbe(*window).continueCopy());
    QVERIFY(!KeltoProbe(*window).waitingForDecision());
    QCOMPARE(controlsEnabled(), QList<bool>({true, true, true, true, true}));
    QTRY_VERIFY(window->findChildren<QDialog *>().isEmpty());
}

void tst_selectionrun::ignoredFilesTold_data()
{
    QTest::addColumn<bool>("goOn");
    QTest::addColumn<bool>("missingToo");
    QTest::newRow("go on") << true << false;
    QTest::newRow("stop") << false << false;
    QTest::newRow("go on, then the missing picks") << true << true;
}

// A pick in a format the run does not take is told in a box of its own before anything is
// copied; the missing picks' dialog follows it.
void tst_selectionrun::ignoredFilesTold()
{
    QFETCH(bool, goOn);
    QFETCH(bool, missingToo);
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(small("phone.heic"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    if (missingToo) {
        QVERIFY(writeFile(small("b.jpg"), "pick b"));
        handleDialog(true);
    }
    answerer->queueBoxAnswer(goOn ? QMessageBox::Yes : QMessageBox::No);

    click("output_combined");
    QTRY_COMPARE(answerer->boxes.size(), goOn ? 2 : 1);
    QTRY_VERIFY(runEnded());
    checkBox(0, "警告", QStringLiteral("有1个文件未纳入本次选图（见详细信息），是否继续？"));
    QCOMPARE(answerer->boxes.at(0).detailedText,
             small("phone.heic") + QStringLiteral("（不支持的图片格式.heic）"));
    QCOMPARE(seen.count, missingToo ? 1 : 0);
    QCOMPARE(filesBelow(out()), goOn ? QStringList{"a.CR2=raw a"} : QStringList());
    if (goOn) {
        checkBox(1, "信息", QStringLiteral("已成功完成选图"));
        // The summary names the run's record, kept in records/ of the working folder.
        const QStringList records = QDir(QStringLiteral("records")).entryList(QDir::Files);
        QCOMPARE(records.size(), 1);
        const QString record = QDir::current().absoluteFilePath("records/" + records.first());
        const QString summary = answerer->boxes.at(1).detailedText;
        QVERIFY2(summary.contains(QStringLiteral("未纳入1个文件"))
                         && summary.contains(QDir::toNativeSeparators(record)),
                 qPrintable(summary));
        QVERIFY(fileContent(record).contains("\"outcome\": \"copied\""));
    }
}

// An output disk too small for the run: one box, nothing copied, no completion box.
void tst_selectionrun::notEnoughSpace()
{
    ScratchMount disk(ScratchMount::Tmpfs, 1);
    SKIP_WITHOUT_MOUNT(disk);
    KeltoProbe(*window).setOutputPath(disk.path());
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(big("a.CR2"), QByteArray(2000000, 'a')));

    click("output_combined");
    QTRY_COMPARE(answerer->boxes.size(), 1);
    QTRY_VERIFY(runEnded());
    checkBox(0, "警告",
             QStringLiteral("输出磁盘空间不足，未复制任何文件：需要%1，可用%2（%3）")
                     .arg(QLocale().formattedDataSize(2002944, 1, QLocale::DataSizeSIFormat),
                          QLocale().formattedDataSize(1 << 20, 1, QLocale::DataSizeSIFormat),
                          disk.path()));
    QCOMPARE(folderEntries(disk.path()), QStringList());
}

void tst_selectionrun::stopInDialog_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("continueCopyAfter");
    QTest::newRow("cancel button") << "cancel" << false;
    QTest::newRow("Escape in the dialog") << "escape" << false;
    QTest::newRow("dialog destroyed without a decision") << "destroy" << true;
    QTest::newRow("the run's button, now 停止") << "stop button" << false;
    QTest::newRow("Escape in the main window") << "window escape" << false;
}

void tst_selectionrun::stopInDialog()
{
    QFETCH(QString, how);
    QFETCH(bool, continueCopyAfter);
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(small("b.jpg"), "pick b"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    answerer->queueDialogHandler([&](QDialog *dialog) {
        seen.controlsEnabled = controlsEnabled();
        seen.buttonText = window->findChild<QPushButton *>("output_classified")->text();
        // The other run's slot, called directly, does not start a second run.
        QMetaObject::invokeMethod(window, "bt_combinedOutput");
        if (how == "cancel") {
            dialog->findChild<QPushButton *>("pushButton_2")->click();
        } else if (how == "escape") {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else if (how == "destroy") {
            dialog->deleteLater();
        } else if (how == "stop button") {
            click("output_classified");
        } else {
            QApplication::setActiveWindow(window);
            QTest::keyClick(window, Qt::Key_Escape);
        }
    });
    handleDialog(true); // would answer a second dialog

    click("output_classified");
    QTRY_VERIFY2(runEnded(), "the run did not end");

    QCOMPARE(answerer->otherDialogs, 1);
    QCOMPARE(seen.controlsEnabled, QList<bool>({false, false, false, false, true}));
    QCOMPARE(seen.buttonText, QStringLiteral("停止"));
    QCOMPARE(folderEntries(out()), QStringList());
    QCOMPARE(bar()->value(), 2);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要选2个图，已选2张图"));
    QCOMPARE(KeltoProbe(*window).continueCopy(), continueCopyAfter);
    QVERIFY(!KeltoProbe(*window).waitingForDecision());
    QTRY_VERIFY(window->findChildren<QDialog *>().isEmpty());
    QCOMPARE(answerer->boxes.size(), 0);
}

void tst_selectionrun::failedCopy_data()
{
    // The answer to the box for b.CR2 (a folder stands at its target); QMessageBox::Escape presses
    // Escape.
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("completed");
    QTest::newRow("Yes goes on") << int(QMessageBox::Yes) << true;
    QTest::newRow("No stops") << int(QMessageBox::No) << false;
    QTest::newRow("Escape stops") << int(QMessageBox::Escape) << false;
}

void tst_selectionrun::failedCopy()
{
    QFETCH(int, answer);
    QFETCH(bool, completed);
    for (const char *name : {"a", "b", "c"}) {
        QVERIFY(writeFile(small(QStringLiteral("%1.jpg").arg(name)), "pick"));
        QVERIFY(writeFile(big(QStringLiteral("%1.CR2").arg(name)), "raw"));
    }
    QVERIFY(writeFile(out("b.CR2/keep.txt"), "kept"));
    answerer->queueBoxAnswer(QMessageBox::StandardButton(answer));

    click("output_combined");
    QTRY_VERIFY2(runEnded(), "the run did not end");

    QTRY_COMPARE(answerer->boxes.size(), completed ? 2 : 1);
    checkBox(0, "警告",
             QStringLiteral("文件(%1)复制失败，请检查权限或路径，是否继续？").arg(big("b.CR2")));
    if (completed)
        checkBox(1, "信息", QStringLiteral("已成功完成选图"));
    const int barValue = completed ? 3 : 1;
    QCOMPARE(bar()->maximum(), 3);
    QCOMPARE(bar()->value(), barValue);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要复制3个图，已复制%1张图").arg(barValue));
}

void tst_selectionrun::quitWhileRunning_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("copied");
    QTest::newRow("main window closed in the dialog") << "close in dialog" << QStringList();
    QTest::newRow("main window closed in a large copy") << "close in copy" << QStringList{"a.CR2"};
    QTest::newRow("application quits in the dialog") << "quit in dialog" << QStringList();
}

void tst_selectionrun::quitWhileRunning()
{
    // Whatever ends the application during a run, the run stops, leaves no partial copy and
    // lets the application's loop end; once the window is gone no thread is left running.
    QFETCH(QString, how);
    QFETCH(QStringList, copied);
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(small(how == "close in copy" ? "b.jpg" : "c.jpg"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    // Sparse: it takes no room, but its copy goes piece by piece.
    QVERIFY(writeFile(big("b.CR2"), QByteArray()));
    QVERIFY(QFile::resize(big("b.CR2"), 1LL << 30));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // The process's threads, as Linux lists them; elsewhere that check is skipped at the end.
    const auto threads = [] {
        return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    };
    const int threadsBefore = threads();
    answerer->queueDialogHandler([this, how](QDialog *) {
        if (how == "close in dialog")
            window->close();
        else
            QCoreApplication::quit();
    });
    QTimer copyWatch;
    connect(&copyWatch, &QTimer::timeout, this, [&] {
        if (how == "close in copy" && QFile::exists(out("a.CR2"))) {
            copyWatch.stop();
            window->close();
        }
    });
    copyWatch.start(1);
    bool timedOut = false;
    QTimer::singleShot(0, this, [this] { click("output_combined"); });
    QTimer::singleShot(20000, this, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });

    QCoreApplication::exec();

    QVERIFY(!timedOut);
    if (how != "quit in dialog") {
        QVERIFY2(runEnded(), "the window closed before the run had ended");
        QVERIFY(!window->isVisible());
    }
    delete window;
    window = nullptr;
    QCOMPARE(folderEntries(out()), copied); // no partial or temporary file either
    QCOMPARE(answerer->boxes.size(), 0);
#ifdef Q_OS_LINUX
    // A finished QThread's system thread may take a moment to leave the list.
    QTRY_COMPARE(threads(), threadsBefore);
#else
    Q_UNUSED(threadsBefore)
    QSKIP("All else checked; the worker thread's end is counted through /proc: Linux only");
#endif
}

void tst_selectionrun::copyLineTexts_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("msecsLeft");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("not known yet")
            << qint64(0) << qint64(12800000000) << qint64(-1) << "/shoots/IMG_0001.CR2"
            << "0.0 MB / 12.8 GB · — · IMG_0001.CR2";
    QTest::newRow("minutes and seconds")
            << qint64(3200000000) << qint64(12800000000) << qint64(130400) << "/a/DSC_0002.NEF"
            << "3.2 GB / 12.8 GB · 约 2 分 10 秒 · DSC_0002.NEF";
    QTest::newRow("seconds") << qint64(950000000) << qint64(999949999) << qint64(44600) << ""
                             << "950.0 MB / 999.9 MB · 约 45 秒";
    QTest::newRow("whole minutes") << qint64(1) << qint64(2) << qint64(120000) << ""
                                   << "0.0 MB / 0.0 MB · 约 2 分";
    QTest::newRow("hours and minutes") << qint64(1) << qint64(2) << qint64(3900000) << ""
                                       << "0.0 MB / 0.0 MB · 约 1 小时 5 分";
    QTest::newRow("under half a second") << qint64(1) << qint64(2) << qint64(300) << ""
                                         << "0.0 MB / 0.0 MB · 约 1 秒";
}

void tst_selectionrun::copyLineTexts()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(qint64, msecsLeft);
    QFETCH(QString, file);
    QFETCH(QString, text);
    QCOMPARE(CopyProgressLine::lineText({done, total, msecsLeft, file}), text);
}

// The line appears only once a run copies (here: while it waits at the failure box for b.CR2),
// and goes with the run, taking the bar's tooltip along.
void tst_selectionrun::copyLineOnlyWhileCopying()
{
    delete answerer; // the boxes are answered below, once looked at
    answerer = nullptr;
    for (const char *name : {"a", "b", "c"}) {
        QVERIFY(writeFile(small(QStringLiteral("%1.jpg").arg(name)), "pick"));
        QVERIFY(writeFile(big(QStringLiteral("%1.CR2").arg(name)), QByteArray(300000, 'r')));
    }
    QVERIFY(writeFile(out("b.CR2/keep.txt"), "kept"));
    QVERIFY(!window->findChild<CopyProgressLine *>());

    click("output_combined");
    QMessageBox *box = nullptr;
    QTRY_VERIFY((box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
    const auto *line = window->findChild<CopyProgressLine *>("copyProgress");
    QVERIFY(line);
    const QString expected = QStringLiteral("0.3 MB / 0.9 MB · — · b.CR2");
    QTRY_COMPARE(line->text(), expected);
    QVERIFY(line->isVisibleTo(window));
    QCOMPARE(line->geometry(), QRect(320, 315, 791, 24));
    QCOMPARE(bar()->toolTip(), expected);

    box->button(QMessageBox::Yes)->click();
    QTRY_VERIFY2(runEnded(), "the run did not end");
    QVERIFY(!line->isVisibleTo(window));
    QCOMPARE(bar()->toolTip(), QString());
    QTRY_VERIFY((box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
    QCOMPARE(box->text(), QStringLiteral("已成功完成选图"));
    box->button(QMessageBox::Yes)->click();
}

QTEST_MAIN(tst_selectionrun)
#include "tst_selectionrun.moc"
