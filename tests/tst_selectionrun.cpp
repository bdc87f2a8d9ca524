#include "kelto.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

namespace {

const char *const controlNames[] = {"seletDataTree", "seletInput", "seletOutput", "output_combined",
                                    "output_classified"};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every file below root as "relative path=content", hidden ones included so that left-over
// temporary files show.
QStringList filesBelow(const QString &root)
{
    QStringList result;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        result.append(QDir(root).relativeFilePath(path) + QLatin1Char('=')
                      + QString::fromUtf8(readFile(path)));
    }
    result.sort();
    return result;
}

// What the window looked like while the missing-images dialog was open.
struct DialogSeen
{
    int count = 0;
    QString list;
    int barMaximum = -2;
    int barValue = -2;
    QString barFormat;
    QList<bool> controlsEnabled;
};

} // namespace

class tst_selectionrun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void folderCheck_data();
    void folderCheck();
    void missingPickConfirmed();
    void matchingRules_data();
    void matchingRules();
    void stopInDialog_data();
    void stopInDialog();
    void noDialogWhenAllMatched();
    void laterSameNameWinsAndReplaces();
    void destinations_data();
    void destinations();
    void failedCopy_data();
    void failedCopy();
    void outputIsOriginalsFolder_data();
    void outputIsOriginalsFolder();
    void quitWhileWaiting_data();
    void quitWhileWaiting();

private:
    void click(const char *button);
    void handleDialog(bool confirm);
    QList<bool> controlsEnabled() const;
    // Paths in the three folders of the run.
    QString big(const QString &relative = QString()) const { return path("big", relative); }
    QString small(const QString &relative = QString()) const { return path("small", relative); }
    QString out(const QString &relative = QString()) const { return path("out", relative); }
    QString path(const char *folder, const QString &relative) const
    {
        return workDir->filePath(QLatin1String(folder))
               + (relative.isEmpty() ? QString() : QLatin1Char('/') + relative);
    }
    void checkBox(int index, const char *title, const QString &text);
    QProgressBar *bar() const { return window->findChild<QProgressBar *>("progressBar"); }

    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    DialogAnswerer *answerer = nullptr;
    DialogSeen seen;
};

void tst_selectionrun::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    QVERIFY(QDir().mkpath(big()));
    QVERIFY(QDir().mkpath(small()));
    QVERIFY(QDir().mkpath(out()));
    window = new kelto;
    window->smallImagesPath = small();
    window->bigImagesPath = big();
    window->outputPath = out();
    answerer = new DialogAnswerer;
    seen = DialogSeen();
}

void tst_selectionrun::cleanup()
{
    delete answerer;
    answerer = nullptr;
    delete window;
    window = nullptr;
    delete workDir;
    workDir = nullptr;
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
    QString &member = unchosen == "small" ? window->smallImagesPath
                      : unchosen == "big" ? window->bigImagesPath
                                          : window->outputPath;
    member = empty ? QStringLiteral("") : QString();
    handleDialog(true);

    for (const char *button : {"output_combined", "output_classified"}) {
        answerer->boxes.clear();
        click(button);
        QCOMPARE(answerer->boxes.size(), 1);
        checkBox(0, "警告", QStringLiteral("路径错误，请选择正确的路径"));
    }
    QCOMPARE(answerer->otherDialogs, 0);
    QCOMPARE(filesBelow(out()), QStringList());
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

    QCOMPARE(seen.count, 1);
    QCOMPARE(seen.list, small("b.jpg"));
    QCOMPARE(seen.barMaximum, 2);
    QCOMPARE(seen.barValue, 2);
    QCOMPARE(seen.barFormat, QStringLiteral("总共需要选2个图，已选2张图"));
    QCOMPARE(seen.controlsEnabled, QList<bool>({false, false, false, false, false}));

    QCOMPARE(filesBelow(out()), QStringList({"a.CR2=raw a", "a.JPG=jpeg a"}));
    QCOMPARE(answerer->boxes.size(), 1);
    checkBox(0, "信息", QStringLiteral("已成功完成选图"));
    QCOMPARE(bar()->maximum(), 2);
    QCOMPARE(bar()->value(), 2);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要复制2个图，已复制2张图"));
    QVERIFY(window->continueCopy);
    QVERIFY(!window->waitingForDecision);
    QCOMPARE(controlsEnabled(), QList<bool>({true, true, true, true, true}));
    QTRY_VERIFY(window->findChildren<QDialog *>().isEmpty());
}

void tst_selectionrun::matchingRules_data()
{
    QTest::addColumn<QStringList>("originals");
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QStringList>("copied");
    QTest::addColumn<QStringList>("missing");

    QTest::newRow("edited pick takes raw, jpeg and sidecar")
            << QStringList{"IMG_0001.CR2", "IMG_0001.JPG", "IMG_0001.xmp", "IMG_0002.CR2"}
            << QStringList{"IMG_0001-edit.jpg"}
            << QStringList{"IMG_0001.CR2=IMG_0001.CR2", "IMG_0001.JPG=IMG_0001.JPG",
                           "IMG_0001.xmp=IMG_0001.xmp"}
            << QStringList{};
    QTest::newRow("case on both sides")
            << QStringList{"img_0001.JPG", "IMG_0002.cr2"}
            << QStringList{"IMG_0001.jpg", "IMG_0002.JPG", "IMG_0002.Jpg"}
            << QStringList{"IMG_0002.cr2=IMG_0002.cr2"} << QStringList{"IMG_0001.jpg"};
    QTest::newRow("several candidates from several shoots")
            << QStringList{"shoot 1/IMG_1.CR2", "shoot 2/IMG_10.CR2", "shoot 2/IMG_2.CR2"}
            << QStringList{"album/IMG_10.jpg"}
            << QStringList{"IMG_1.CR2=shoot 1/IMG_1.CR2", "IMG_10.CR2=shoot 2/IMG_10.CR2"}
            << QStringList{};
    QTest::newRow("missing list in listing order")
            << QStringList{"x.CR2"} << QStringList{"b/z.png", "A.jpeg", "x.jpg", "c.PNG"}
            << QStringList{"x.CR2=x.CR2"} << QStringList{"A.jpeg", "b/z.png", "c.PNG"};
}

void tst_selectionrun::matchingRules()
{
    QFETCH(QStringList, originals);
    QFETCH(QStringList, picks);
    QFETCH(QStringList, copied);
    QFETCH(QStringList, missing);
    for (const QString &name : originals)
        QVERIFY(writeFile(big(name), name.toUtf8()));
    for (const QString &name : picks)
        QVERIFY(writeFile(small(name), "pick"));
    handleDialog(true);

    click("output_combined");

    QStringList missingPaths;
    for (const QString &name : missing)
        missingPaths.append(small(name));
    QCOMPARE(seen.count, missing.isEmpty() ? 0 : 1);
    QCOMPARE(seen.list, missingPaths.join(QLatin1Char('\n')));
    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(answerer->boxes.size(), 1);
    QCOMPARE(answerer->boxes.at(0).text, QStringLiteral("已成功完成选图"));
}

void tst_selectionrun::stopInDialog_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("continueCopyAfter");
    QTest::newRow("cancel button") << "cancel" << false;
    QTest::newRow("Escape key") << "escape" << false;
    QTest::newRow("dialog destroyed without a decision") << "destroy" << true;
    QTest::newRow("main window closed, then confirmed") << "close" << true;
}

void tst_selectionrun::stopInDialog()
{
    QFETCH(QString, how);
    QFETCH(bool, continueCopyAfter);
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(small("b.jpg"), "pick b"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    if (how == "close") {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    answerer->queueDialogHandler([&](QDialog *dialog) {
        seen.controlsEnabled = controlsEnabled();
        // Neither a click nor a direct call starts a second run inside the wait.
        click("output_classified");
        QMetaObject::invokeMethod(window, "bt_combinedOutput");
        if (how == "cancel") {
            dialog->findChild<QPushButton *>("pushButton_2")->click();
        } else if (how == "escape") {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else if (how == "destroy") {
            dialog->deleteLater();
        } else {
            window->close();
            dialog->findChild<QPushButton *>("pushButton")->click();
        }
    });
    handleDialog(true); // would answer a second dialog

    click("output_classified");

    QCOMPARE(answerer->otherDialogs, 1);
    QCOMPARE(seen.controlsEnabled, QList<bool>({false, false, false, false, false}));
    QCOMPARE(filesBelow(out()), QStringList());
    QCOMPARE(answerer->boxes.size(), 0);
    QCOMPARE(bar()->value(), 2);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要选2个图，已选2张图"));
    QCOMPARE(window->continueCopy, continueCopyAfter);
    QVERIFY(!window->waitingForDecision);
    QCOMPARE(controlsEnabled(), QList<bool>({true, true, true, true, true}));
    QTRY_VERIFY(window->findChildren<QDialog *>().isEmpty());
}

void tst_selectionrun::noDialogWhenAllMatched()
{
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    window->continueCopy = false; // left from an earlier stop
    handleDialog(false);

    click("output_combined");

    QCOMPARE(seen.count, 0);
    QCOMPARE(filesBelow(out()), QStringList{"a.CR2=raw a"});
    QCOMPARE(answerer->boxes.size(), 1);
    QCOMPARE(answerer->boxes.at(0).text, QStringLiteral("已成功完成选图"));
}

void tst_selectionrun::laterSameNameWinsAndReplaces()
{
    QVERIFY(writeFile(small("IMG_1.jpg"), "pick"));
    QVERIFY(writeFile(big("A/IMG_1.jpg"), "from A"));
    QVERIFY(writeFile(big("B/IMG_1.jpg"), "from B"));
    QVERIFY(writeFile(out("IMG_1.jpg"), "an older file of that name"));

    click("output_combined");

    QCOMPARE(filesBelow(out()), QStringList{"IMG_1.jpg=from B"});
    QCOMPARE(bar()->maximum(), 2);
    QCOMPARE(bar()->value(), 2);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要复制2个图，已复制2张图"));
    QCOMPARE(answerer->boxes.size(), 1);
}

void tst_selectionrun::destinations_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("copied");

    QTest::newRow("classified mirrors the picks' folders")
            << "output_classified"
            << QStringList{"IMG_2.CR2=IMG_2.CR2", "x/IMG_1.CR2=IMG_1.CR2",
                           "x/deep er/IMG_3.CR2=IMG_3.CR2", "y/IMG_1.CR2=IMG_1.CR2"};
    QTest::newRow("combined puts everything side by side")
            << "output_combined"
            << QStringList{"IMG_1.CR2=IMG_1.CR2", "IMG_2.CR2=IMG_2.CR2", "IMG_3.CR2=IMG_3.CR2"};
}

void tst_selectionrun::destinations()
{
    QFETCH(QString, button);
    QFETCH(QStringList, copied);
    QVERIFY(writeFile(small("x/IMG_1.jpg"), "pick"));
    QVERIFY(writeFile(small("y/IMG_1-2.jpg"), "pick"));
    QVERIFY(writeFile(small("IMG_2.jpg"), "pick"));
    QVERIFY(writeFile(small("x/deep er/IMG_3.jpg"), "pick"));
    for (const char *name : {"IMG_1.CR2", "IMG_2.CR2", "shoot/IMG_3.CR2"})
        QVERIFY(writeFile(big(name), QFileInfo(name).fileName().toUtf8()));

    click(button.toLatin1().constData());

    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(bar()->maximum(), 4);
    QCOMPARE(bar()->value(), 4);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要复制4个图，已复制4张图"));
    QCOMPARE(answerer->boxes.size(), 1);
    QCOMPARE(answerer->boxes.at(0).text, QStringLiteral("已成功完成选图"));
}

void tst_selectionrun::failedCopy_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QList<int>>("answers"); // QMessageBox::StandardButton
    QTest::addColumn<QStringList>("failedSources");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<int>("barValue");
    QTest::addColumn<QStringList>("copied");

    using Answers = QList<int>;
    QTest::newRow("folder at target, go on")
            << "folder" << Answers{QMessageBox::Yes} << QStringList{"b.CR2"} << true << 3
            << QStringList{"a.CR2=a.CR2", "b.CR2/keep.txt=kept", "c.CR2=c.CR2"};
    QTest::newRow("folder at target, stop")
            << "folder" << Answers{QMessageBox::No} << QStringList{"b.CR2"} << false << 1
            << QStringList{"a.CR2=a.CR2", "b.CR2/keep.txt=kept"};
    QTest::newRow("folder at target, Escape stops")
            << "folder" << Answers{QMessageBox::Escape} << QStringList{"b.CR2"} << false << 1
            << QStringList{"a.CR2=a.CR2", "b.CR2/keep.txt=kept"};
    QTest::newRow("output folder missing, go on each time")
            << "no output" << Answers{QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes}
            << QStringList{"a.CR2", "b.CR2", "c.CR2"} << true << 3 << QStringList{};
}

void tst_selectionrun::failedCopy()
{
    QFETCH(QString, obstacle);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, failedSources);
    QFETCH(bool, completed);
    QFETCH(int, barValue);
    QFETCH(QStringList, copied);
    for (const char *name : {"a", "b", "c"}) {
        QVERIFY(writeFile(small(QStringLiteral("%1.jpg").arg(name)), "pick"));
        QVERIFY(writeFile(big(QStringLiteral("%1.CR2").arg(name)),
                          QStringLiteral("%1.CR2").arg(name).toUtf8()));
    }
    if (obstacle == "folder")
        QVERIFY(writeFile(out("b.CR2/keep.txt"), "kept"));
    else
        QVERIFY(QDir(out()).removeRecursively());
    for (const int answer : answers)
        answerer->queueBoxAnswer(QMessageBox::StandardButton(answer));

    click("output_combined");

    QCOMPARE(answerer->boxes.size(), failedSources.size() + (completed ? 1 : 0));
    for (int i = 0; i < failedSources.size(); ++i)
        checkBox(i, "警告",
                 QStringLiteral("文件(%1)复制失败，请检查权限或路径，是否继续？")
                         .arg(big(failedSources.at(i))));
    if (completed)
        checkBox(failedSources.size(), "信息", QStringLiteral("已成功完成选图"));
    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(bar()->maximum(), 3);
    QCOMPARE(bar()->value(), barValue);
    QCOMPARE(bar()->format(), QStringLiteral("总共需要复制3个图，已复制%1张图").arg(barValue));
    QCOMPARE(controlsEnabled(), QList<bool>({true, true, true, true, true}));
}

void tst_selectionrun::outputIsOriginalsFolder_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<QString>("sameName"); // another original named like a.CR2
    QTest::newRow("combined, the folder itself") << "output_combined" << false << QString();
    QTest::newRow("combined, a link to the folder") << "output_combined" << true << QString();
    QTest::newRow("classified, the folder itself") << "output_classified" << false << QString();
    QTest::newRow("combined, a same-named original in a sub-folder")
            << "output_combined" << false << "shoot/a.CR2";
}

void tst_selectionrun::outputIsOriginalsFolder()
{
    QFETCH(QString, button);
    QFETCH(bool, throughLink);
    QFETCH(QString, sameName);
    if (throughLink)
        SKIP_WITHOUT_SYMLINKS();
    QVERIFY(writeFile(small("a.jpg"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), QByteArray(70000, 'r')));
    QVERIFY(writeFile(big("a.JPG"), "jpeg a"));
    if (!sameName.isEmpty())
        QVERIFY(writeFile(big(sameName), "another raw"));
    {
        QFile raw(big("a.CR2"));
        QVERIFY(raw.open(QIODevice::ReadWrite));
        QVERIFY(raw.setFileTime(QDateTime::fromSecsSinceEpoch(1400000000),
                                QFileDevice::FileModificationTime));
    }
    const QStringList before = filesBelow(big());
    const QByteArray original = fileIdentity(big("a.CR2"));
    QVERIFY(!original.isEmpty());
    if (throughLink) {
        QVERIFY(QDir(out()).removeRecursively());
        QVERIFY(makeSymLink(big(), out()));
    } else {
        window->outputPath = big();
    }

    click(button.toLatin1().constData());

    QCOMPARE(filesBelow(big()), before);
    QCOMPARE(QFileInfo(big("a.CR2")).lastModified().toSecsSinceEpoch(), 1400000000);
    QCOMPARE(fileIdentity(big("a.CR2")), original); // neither removed nor replaced
    // A copy that could only be made by replacing another original fails instead.
    QStringList texts;
    if (!sameName.isEmpty())
        texts << QStringLiteral("文件(%1)复制失败，请检查权限或路径，是否继续？").arg(big(sameName));
    texts << QStringLiteral("已成功完成选图");
    QCOMPARE(answerer->boxes.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(answerer->boxes.at(i).text, texts.at(i));
    QCOMPARE(bar()->value(), sameName.isEmpty() ? 2 : 3);
}

void tst_selectionrun::quitWhileWaiting_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("main window closed") << true;
    QTest::newRow("application quits") << false;
}

void tst_selectionrun::quitWhileWaiting()
{
    // Whatever ends the application while the dialog waits, the run must give up its wait, copy
    // nothing and let the application's loop end.
    QFETCH(bool, closeWindow);
    QVERIFY(writeFile(small("a.jpg"), "pick a"));
    QVERIFY(writeFile(small("b.jpg"), "pick b"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    answerer->queueDialogHandler([this, closeWindow](QDialog *) {
        if (closeWindow)
            window->close();
        else
            QCoreApplication::quit();
    });
    bool runReturned = false;
    bool timedOut = false;
    QTimer::singleShot(0, this, [&] {
        click("output_combined");
        runReturned = true;
    });
    QTimer::singleShot(20000, this, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });

    QCoreApplication::exec();

    QVERIFY(!timedOut);
    QVERIFY(runReturned);
    QCOMPARE(answerer->otherDialogs, 1);
    QCOMPARE(filesBelow(out()), QStringList());
    QCOMPARE(answerer->boxes.size(), 0);
    QVERIFY(!window->waitingForDecision);
    QCOMPARE(controlsEnabled(), QList<bool>({true, true, true, true, true}));
    QTRY_VERIFY(window->findChildren<QDialog *>().isEmpty());
}

QTEST_MAIN(tst_selectionrun)
#include "tst_selectionrun.moc"
