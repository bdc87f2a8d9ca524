// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/testsupport.h"
#include "ui/errorlist.h"
#include "ui/kelto.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

namespace {

QTextBrowser *listOf(const QObject *dialog)
{
    return dialog->findChild<QTextBrowser *>("errorFiles");
}

QPushButton *okButton(const QObject *dialog)
{
    return dialog->findChild<QPushButton *>("pushButton");
}

QStringList paragraphs(const QTextBrowser *browser)
{
    QStringList result;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

// Records whether the dialog's list was complete when it first became visible.
class ShowWatcher : public QObject
{
public:
    int paragraphsAtShow = -1;
    QStringList textAtShow;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<errorList *>(watched)
            && paragraphsAtShow < 0) {
            textAtShow = paragraphs(listOf(watched));
            paragraphsAtShow = textAtShow.size();
        }
        return false;
    }
};

} // namespace

class tst_errorlist : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void inventory_data();
    void inventory();
    void dialogWindow();
    void paragraphs_data();
    void paragraphs();
    void listAppendsAcrossCalls();
    void opensModelessWithList();
    void longListScrolls();
    void questionFits();
    void decisions_data();
    void decisions();
    void twoDialogsKeepTheirLists();

private:
    errorList *openDialog(const QStringList &list);

    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
};

void tst_errorlist::init()
{
    QVERIFY(openWindow(workDir, window));
}

void tst_errorlist::cleanup()
{
    closeWindow(workDir, window);
}

errorList *tst_errorlist::openDialog(const QStringList &list)
{
    const QList<errorList *> before = window->findChildren<errorList *>();
    QMetaObject::invokeMethod(window, "bt_toErrorList", Q_ARG(QStringList, list));
    for (errorList *dialog : window->findChildren<errorList *>()) {
        if (!before.contains(dialog))
            return dialog;
    }
    return nullptr;
}

void tst_errorlist::inventory_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("styleSheet");
    QTest::addColumn<QString>("slot"); // a button's one receiver of clicked()

    QTest::newRow("errorFiles") << 0 << "QTextBrowser" << QRect(30, 80, 731, 431) << QString()
                                << QString() << QString();
    QTest::newRow("pushButton") << 1 << "QPushButton" << QRect(100, 530, 201, 31)
                                << QStringLiteral("确定") << QString() << "bt_1()";
    QTest::newRow("pushButton_2") << 2 << "QPushButton" << QRect(470, 530, 211, 31)
                                  << QStringLiteral("取消") << QString() << "bt_2()";
    QTest::newRow("label") << 3 << "QLabel" << QRect(110, 20, 561, 31)
                           << QStringLiteral("缺少以下小图文件对应的大图，是否继续复制文件？")
                           << QStringLiteral("font: 18pt \"微软雅黑\";") << QString();
}

void tst_errorlist::inventory()
{
    QFETCH(int, index);
    QFETCH(QString, className);
    QFETCH(QRect, rect);
    QFETCH(QString, text);
    QFETCH(QString, styleSheet);
    QFETCH(QString, slot);

    errorList dialog;
    QList<QWidget *> widgets;
    for (QObject *child : dialog.children()) {
        if (auto *widget = qobject_cast<QWidget *>(child))
            widgets << widget;
    }
    QCOMPARE(widgets.size(), 4);
    QWidget *widget = widgets.at(index);
    QCOMPARE(widget->objectName(), QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->geometry(), rect);
    // The question's point size may step down where its font would cut it off (questionFits).
    QCOMPARE(widget->styleSheet().replace(QRegularExpression("\\d+pt"), "18pt"), styleSheet);
    if (auto *browser = qobject_cast<QTextBrowser *>(widget)) {
        QVERIFY(browser->isReadOnly());
        QVERIFY(browser->document()->isEmpty());
    } else {
        QCOMPARE(widget->property("text").toString(), text);
    }
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(clickedConnections(button), QStringList("--> errorList::errorList " + slot));
}

void tst_errorlist::dialogWindow()
{
    errorList dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("errorList"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(dialog.size(), QSize(799, 571));
    QVERIFY(dialog.styleSheet().isEmpty());
    QVERIFY(dialog.minimumSize() != dialog.maximumSize());
    QVERIFY(!dialog.isModal());
}

void tst_errorlist::paragraphs_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("shown");

    const auto same = [](const char *tag, const QStringList &list) {
        QTest::newRow(tag) << list << list;
    };
    same("three paths in order", {"D:/picks/a/IMG_1.jpg", "D:/picks/b.JPG", "D:/picks/c/d/e.png"});
    QTest::newRow("empty list") << QStringList() << QStringList{QString()};
    same("markup stays text", {"/p/<b>bold</b>.jpg", "/p/&amp;.png", "/p/<img src=x>.jpg"});
    QTest::newRow("line break inside a name stays in its entry")
            << QStringList{"/p/a\nb.jpg", "/p/c\r\nd.jpg", QStringLiteral("/p/e\u2029f.jpg")}
            << QStringList{QStringLiteral("/p/a\u2028b.jpg"),
                           QStringLiteral("/p/c\u2028\u2028d.jpg"),
                           QStringLiteral("/p/e\u2028f.jpg")};
    same("empty entry keeps its paragraph", {QString(), "/p/x.jpg", QString()});
    same("blanks and Chinese", {"  /客户/选片 1.jpg  "});
}

void tst_errorlist::paragraphs()
{
    QFETCH(QStringList, list);
    QFETCH(QStringList, shown);

    errorList *dialog = openDialog(list);
    QVERIFY(dialog);
    QCOMPARE(::paragraphs(listOf(dialog)), shown);
}

void tst_errorlist::listAppendsAcrossCalls()
{
    errorList dialog;
    for (const QStringList &list :
         {QStringList{"a.jpg"}, QStringList{}, QStringList{"b.jpg", "c.jpg"}})
        QMetaObject::invokeMethod(&dialog, "receiveErrorList", Q_ARG(QStringList, list));
    QCOMPARE(::paragraphs(listOf(&dialog)), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
}

void tst_errorlist::opensModelessWithList()
{
    window->show();
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    const QStringList list = {"/s/1.jpg", "/s/2.jpg"};
    errorList *dialog = openDialog(list);
    qApp->removeEventFilter(&watcher);

    QVERIFY(dialog);
    QCOMPARE(watcher.textAtShow, list);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->parentWidget(), window);
    QVERIFY(dialog->isWindow());
    QVERIFY(!dialog->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Nothing is decided by opening.
    QVERIFY(KeltoProbe(*window).continueCopy());
    QVERIFY(!KeltoProbe(*window).waitingForDecision());
}

void tst_errorlist::longListScrolls()
{
    QStringList list;
    for (int i = 0; i < 500; ++i)
        list << QStringLiteral("/picks/folder %1/IMG_%1.jpg").arg(i);
    errorList *dialog = openDialog(list);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    const QTextBrowser *browser = listOf(dialog);
    QTRY_VERIFY(browser->verticalScrollBar()->maximum() > 0);
    QCOMPARE(dialog->size(), QSize(799, 571));
    QCOMPARE(browser->geometry(), QRect(30, 80, 731, 431));
    QCOMPARE(::paragraphs(browser), list);
    QCOMPARE(browser->verticalScrollBar()->value(), 0); // read from the first entry
}

// The question shows whole under this machine's fonts, in its own box and font family, shrunk
// only as far as it has to be.
void tst_errorlist::questionFits()
{
    errorList dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const auto *question = dialog.findChild<QLabel *>("label");
    QCOMPARE(question->geometry(), QRect(110, 20, 561, 31));
    const qreal size = question->font().pointSizeF();
    QCOMPARE(question->styleSheet(), QStringLiteral("font: %1pt \"微软雅黑\";").arg(size));
    const auto width = [question](qreal pointSize) {
        QFont font = question->font();
        font.setPointSizeF(pointSize);
        return QFontMetrics(font).horizontalAdvance(question->text());
    };
    const int room = question->contentsRect().width();
    QVERIFY2(
            width(size) <= room && (size == 18 || width(size + 1) > room),
            qPrintable(
                    QStringLiteral("%1 px at %2 pt in %3 px").arg(width(size)).arg(size).arg(room)));
}

void tst_errorlist::decisions_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<bool>("decision");

    QTest::newRow("确定") << QStringList{"ok"} << true;
    QTest::newRow("取消") << QStringList{"cancel"} << false;
    QTest::newRow("Escape") << QStringList{"escape"} << false;
    QTest::newRow("close") << QStringList{"close"} << false;
    QTest::newRow("确定 then close") << QStringList{"ok", "close"} << true;
    QTest::newRow("确定 then 取消") << QStringList{"ok", "cancel"} << true;
    QTest::newRow("取消 then 确定") << QStringList{"cancel", "ok"} << false;
    QTest::newRow("Escape then 确定") << QStringList{"escape", "ok"} << false;
    QTest::newRow("close then Escape") << QStringList{"close", "escape"} << false;
}

void tst_errorlist::decisions()
{
    QFETCH(QStringList, actions);
    QFETCH(bool, decision);

    // As the run leaves them while it waits; the opposite of the decision, to see it arrive.
    KeltoProbe(*window).setContinueCopy(!decision);
    KeltoProbe(*window).setWaitingForDecision(true);
    window->show();
    QPointer<errorList> dialog = openDialog({"/s/1.jpg"});
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QSignalSpy spy(dialog.data(), &errorList::jugement);

    for (int i = 0; i < actions.size(); ++i) {
        const QString &action = actions.at(i);
        if (action == "ok")
            okButton(dialog)->click();
        else if (action == "cancel")
            dialog->findChild<QPushButton *>("pushButton_2")->click();
        else if (action == "escape")
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        else
            dialog->close();

        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toBool(), decision);
        QVERIFY(!dialog->isVisible());
        // The first action delivers the decision; a later one would show as a second delivery.
        KeltoProbe probe(*window);
        QCOMPARE(probe.continueCopy(), i == 0 ? decision : !decision);
        QCOMPARE(probe.waitingForDecision(), i > 0);
        probe.setContinueCopy(!decision);
        probe.setWaitingForDecision(true);
    }
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(window->findChildren<errorList *>().isEmpty());
    QVERIFY(KeltoProbe(*window).waitingForDecision());
}

void tst_errorlist::twoDialogsKeepTheirLists()
{
    QPointer<errorList> first = openDialog({"/s/first.jpg"});
    QPointer<errorList> second = openDialog({"/s/second-1.jpg", "/s/second-2.jpg"});
    QVERIFY(first && second);
    QCOMPARE(::paragraphs(listOf(first)), QStringList({"/s/first.jpg"}));
    QCOMPARE(::paragraphs(listOf(second)), QStringList({"/s/second-1.jpg", "/s/second-2.jpg"}));

    // Each answers for itself.
    KeltoProbe(*window).setWaitingForDecision(true);
    okButton(first)->click();
    QVERIFY(KeltoProbe(*window).continueCopy());
    QVERIFY(!KeltoProbe(*window).waitingForDecision());
    QVERIFY(second->isVisible());
    KeltoProbe(*window).setWaitingForDecision(true);
    QTest::keyClick(second.data(), Qt::Key_Escape);
    QVERIFY(!KeltoProbe(*window).continueCopy());
    QVERIFY(!KeltoProbe(*window).waitingForDecision());
    QTRY_VERIFY(first.isNull() && second.isNull());
}

QTEST_MAIN(tst_errorlist)
#include "tst_errorlist.moc"
