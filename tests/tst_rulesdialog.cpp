// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adfeed.h"
#include "tests/testsupport.h"
#include "ui/kelto.h"
#include "ui/rulesdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

class tst_rulesdialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void reachedFromWindowAndKept();
    void windowAtRestUnchanged();
    void countAndRunUseRules();

private:
    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    DialogAnswerer *answerer = nullptr;
};

void tst_rulesdialog::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Zanora"));
    QCoreApplication::setApplicationName(QStringLiteral("Zanora"));
}

void tst_rulesdialog::init()
{
    QSettings().clear();
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    window = new kelto;
    QTRY_VERIFY(!window->adFeed()->isConnecting());
    answerer = new DialogAnswerer;
}

void tst_rulesdialog::cleanup()
{
    delete answerer;
    answerer = nullptr;
    delete window;
    window = nullptr;
    delete workDir;
    workDir = nullptr;
}

void tst_rulesdialog::controls_data()
{
    QTest::addColumn<QString>("given");   // rules, as rulesFrom() reads them
    QTest::addColumn<QString>("shown");   // the formats line as the dialog opens
    QTest::addColumn<QString>("typed");   // then typed into it, if anything
    QTest::addColumn<QString>("taken");   // the rules the dialog gives
    QTest::addColumn<bool>("acceptable"); // whether it may be accepted

    QTest::newRow("defaults") << ""
                              << ""
                              << ""
                              << "" << true;
    QTest::newRow("every rule shown") << "case whole companions formats=heic,TIF"
                                      << "heic, TIF"
                                      << ""
                                      << "case whole companions formats=heic,TIF" << true;
    QTest::newRow("formats typed") << "whole"
                                   << ""
                                   << " HEIC .webp,"
                                   << "whole formats=HEIC,webp" << true;
    QTest::newRow("the defaults typed are the defaults") << ""
                                                         << ""
                                                         << "jpg, jpeg, png, JPG, JPEG, PNG"
                                                         << "" << true;
    QTest::newRow("formats that cannot be read") << "case"
                                                 << ""
                                                 << "tar.gz"
                                                 << "case" << false;
}

// What the dialog shows and gives back, and "恢复默认" back to the defaults from there.
void tst_rulesdialog::controls()
{
    QFETCH(QString, given);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QString, taken);
    QFETCH(bool, acceptable);

    const MatchRules rules = rulesFrom(given);
    RulesDialog dialog(rules);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("规则"));
    auto *formats = dialog.findChild<QLineEdit *>(QStringLiteral("pickFormats"));
    auto *accept = dialog.findChild<QPushButton *>(QStringLiteral("accept"));
    auto *problem = dialog.findChild<QLabel *>(QStringLiteral("pickFormatsProblem"));
    QCOMPARE(formats->text(), shown);
    QCOMPARE(dialog.findChild<QCheckBox *>(QStringLiteral("ignoreCase"))->isChecked(),
             rules.ignoreCase);
    QCOMPARE(dialog.findChild<QCheckBox *>(QStringLiteral("companions"))->isChecked(),
             rules.companions);
    if (!typed.isEmpty())
        formats->setText(typed);
    QVERIFY(dialog.rules() == rulesFrom(taken));
    QCOMPARE(accept->isEnabled(), acceptable);
    QCOMPARE(problem->isHidden(), acceptable);

    dialog.findChild<QPushButton *>(QStringLiteral("restoreDefaults"))->click();
    QVERIFY(dialog.rules().isDefault());
    QCOMPARE(formats->text(), QString());
    QVERIFY(accept->isEnabled());
}

// Ctrl+R opens the dialog beside the configuration entry of the context menu; what it takes is
// kept in the settings, read by the next window, and told on the footer band.
void tst_rulesdialog::reachedFromWindowAndKept()
{
    QCOMPARE(window->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList menu;
    for (const QAction *action : window->actions())
        menu.append(action->text() + QLatin1Char('=') + action->shortcut().toString());
    QCOMPARE(menu, QStringList({"重新生成配置文件=Ctrl+Shift+C", "规则=Ctrl+R"}));

    answerer->queueDialogHandler([](QDialog *dialog) {
        QVERIFY(qobject_cast<RulesDialog *>(dialog));
        dialog->findChild<QCheckBox *>(QStringLiteral("ignoreCase"))->setChecked(true);
        dialog->findChild<QLineEdit *>(QStringLiteral("pickFormats"))->setText("jpg,heic");
        dialog->findChild<QPushButton *>(QStringLiteral("accept"))->click();
    });
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
    QTRY_COMPARE(answerer->otherDialogs, 1);
    QTRY_VERIFY(KeltoProbe(*window).matchRules() == rulesFrom("case formats=jpg,heic"));

    const QString note = QStringLiteral("规则：忽略大小写，小图格式 jpg, heic");
    auto *label = window->findChild<QLabel *>(QStringLiteral("label_rules"));
    QVERIFY2(label && label->isVisible(), "no note on the rules");
    QCOMPARE(label->text(), note);
    QCOMPARE(label->geometry(), QRect(90, 795, 1021, 31));
    QSettings settings;
    QCOMPARE(settings.value("rules/ignoreCase").toBool(), true);
    QCOMPARE(settings.value("rules/pickFormats").toString(), QStringLiteral("jpg,heic"));

    kelto next;
    QVERIFY(KeltoProbe(next).matchRules() == rulesFrom("case formats=jpg,heic"));
    QCOMPARE(next.findChild<QLabel *>(QStringLiteral("label_rules"))->text(), note);
}

// With the default rules nothing is added to the window; rules set and then reset leave it as
// it was, pixel for pixel.
void tst_rulesdialog::windowAtRestUnchanged()
{
    QVERIFY(!window->findChild<QLabel *>(QStringLiteral("label_rules")));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QImage atRest = window->grab().toImage();
    KeltoProbe(*window).setMatchRules(rulesFrom("whole companions"));
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("label_rules"))->text(),
             QStringLiteral("规则：只认完整的名字，连带附属文件"));
#ifdef Q_OS_WIN
    // Wine has no font with these glyphs and draws the note as nothing; the label is there.
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("label_rules"))->isVisible());
#else
    QVERIFY(window->grab().toImage() != atRest);
#endif
    KeltoProbe(*window).setMatchRules(MatchRules());
    QVERIFY2(window->grab().toImage() == atRest, "the window differs after the rules are reset");
    QVERIFY(QSettings().value("rules/companions").isValid());
}

// The small-images count and the run both tell picks and match them by the rules in force.
void tst_rulesdialog::countAndRunUseRules()
{
    const QString small = workDir->filePath("small");
    const QString big = workDir->filePath("big");
    const QString out = workDir->filePath("out");
    for (const QString &folder : {small, big, out})
        QVERIFY(QDir().mkpath(folder));
    QVERIFY(makeTree(small, {"img_0030.Heic", "IMG_0031.jpg", "notes.txt"}));
    QVERIFY(makeTree(big, {"IMG_0030.CR2", "IMG_0030.CR2.xmp", "IMG_0031.CR2"}));
    KeltoProbe(*window).setMatchRules(rulesFrom("case companions formats=heic,jpg"));

    answerer->queueFolder(small);
    window->findChild<QPushButton *>(QStringLiteral("seletDataTree"))->click();
    QTRY_COMPARE(answerer->boxes.size(), 1);
    QCOMPARE(answerer->boxes.first().text,
             QStringLiteral("所有包含子文件夹数量为0,所有包含子图片数量为2"));

    KeltoProbe(*window).setBigImagesPath(big);
    KeltoProbe(*window).setOutputPath(out);
    window->findChild<QPushButton *>(QStringLiteral("output_combined"))->click();
    QTRY_COMPARE(answerer->boxes.size(), 2);
    QCOMPARE(answerer->boxes.last().text, QStringLiteral("已成功完成选图"));
    QCOMPARE(filesBelow(out), QStringList({"IMG_0030.CR2.xmp=", "IMG_0030.CR2=", "IMG_0031.CR2="}));
}

QTEST_MAIN(tst_rulesdialog)
#include "tst_rulesdialog.moc"
