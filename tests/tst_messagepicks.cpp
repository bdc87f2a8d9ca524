// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QtTest>

class tst_messagepicks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pasteAndRun();
    void drops_data();
    void drops();

private:
    QString path(const QString &relative) const { return workDir->filePath(relative); }
    QLabel *label() const { return window->findChild<QLabel *>("label_smallPath"); }

    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    DialogAnswerer *answerer = nullptr;
};

void tst_messagepicks::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    for (const char *name : {"big/IMG_0012.CR2", "big/day 2/IMG_0034.CR2", "big/IMG_0057.CR2"})
        QVERIFY(writeFile(path(name), name));
    QVERIFY(QDir().mkpath(path("out")));
    window = new kelto;
    KeltoProbe(*window).setBigImagesPath(path("big"));
    KeltoProbe(*window).setOutputPath(path("out"));
    answerer = new DialogAnswerer;
}

void tst_messagepicks::cleanup()
{
    delete answerer;
    delete window;
    delete workDir;
}

// Ctrl+V takes the client's message; a classified run puts each group into its folder, and the
// dialog lists the entries not found as written, with a line to paste back.
void tst_messagepicks::pasteAndRun()
{
    const QString message = QStringLiteral("精修：12\n入册：0012 56-57\n34 0078 56-");
    QApplication::clipboard()->setText(message);
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier);
    QTRY_COMPARE(answerer->boxes.size(), 1);
    QCOMPARE(answerer->boxes.at(0).text, QStringLiteral("消息中共有5项选片，看不懂：56-"));
    QCOMPARE(label()->text(), QStringLiteral("选片来自消息：5项"));
    QCOMPARE(label()->toolTip(), message);

    QString listed;
    answerer->queueDialogHandler([&](QDialog *dialog) {
        listed = dialog->findChild<QTextBrowser *>("errorFiles")->toPlainText();
        auto *copy = dialog->findChild<QPushButton *>("copyMissing");
        QVERIFY(copy && copy->isVisible());
        copy->click();
        dialog->findChild<QPushButton *>("pushButton")->click();
    });
    window->findChild<QPushButton *>("output_classified")->click();
    QTRY_COMPARE(answerer->boxes.size(), 2);
    QCOMPARE(answerer->boxes.at(1).text, QStringLiteral("已成功完成选图"));
    QCOMPARE(listed, QStringLiteral("56\n0078"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("未找到：56、0078"));
    QCOMPARE(filesBelow(path("out")),
             QStringList(
                     {"IMG_0034.CR2=big/day 2/IMG_0034.CR2", "入册/IMG_0012.CR2=big/IMG_0012.CR2",
                      "入册/IMG_0057.CR2=big/IMG_0057.CR2", "精修/IMG_0012.CR2=big/IMG_0012.CR2"}));

    // The combined run of the same message, side by side.
    QVERIFY(QDir(path("out")).removeRecursively() && QDir().mkpath(path("out")));
    answerer->queueDialogHandler(
            [](QDialog *dialog) { dialog->findChild<QPushButton *>("pushButton")->click(); });
    window->findChild<QPushButton *>("output_combined")->click();
    QTRY_COMPARE(answerer->boxes.size(), 3);
    QCOMPARE(filesBelow(path("out")).size(), 3);
}

void tst_messagepicks::drops_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("carries"); // text, txt (a .txt file), binary (a .txt that is not)
    QTest::addColumn<QString>("box");     // what the box after the drop says; empty: none
    QTest::addColumn<QString>("labelText");

    const QString taken = QStringLiteral("选片来自消息：2项");
    QTest::newRow("text on the button") << "seletDataTree"
                                        << "text"
                                        << "消息中共有2项选片" << taken;
    QTest::newRow("a .txt file on the label") << "label_smallPath"
                                              << "txt"
                                              << "消息中共有2项选片" << taken;
    QTest::newRow("a binary .txt file") << "label_smallPath"
                                        << "binary"
                                        << "这不是文字，读不出选片"
                                        << "";
    QTest::newRow("text without an entry") << "label_smallPath"
                                           << "greeting"
                                           << "消息中没有编号、范围或文件名"
                                           << "";
    QTest::newRow("text on the originals' row") << "seletInput"
                                                << "text"
                                                << ""
                                                << "";
}

void tst_messagepicks::drops()
{
    QFETCH(QString, target);
    QFETCH(QString, carries);
    QFETCH(QString, box);
    QFETCH(QString, labelText);
    QVERIFY(writeFile(path("message.txt"), QStringLiteral("12、IMG_0034").toUtf8()));
    QVERIFY(writeFile(path("binary.txt"), QByteArray("12\0\1\2", 5)));
    const QString before = label()->text();

    QMimeData data;
    if (carries == "txt" || carries == "binary")
        data.setUrls({QUrl::fromLocalFile(path(carries == "txt" ? "message.txt" : "binary.txt"))});
    else
        data.setText(carries == "text" ? "12、IMG_0034" : "老师好");
    auto *widget = window->findChild<QWidget *>(target);
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QCOMPARE(enter.isAccepted(), !box.isEmpty());
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);

    QCOMPARE(drop.isAccepted(), !box.isEmpty());
    if (!box.isEmpty()) {
        QTRY_COMPARE(answerer->boxes.size(), 1);
        QCOMPARE(answerer->boxes.at(0).text, box);
    }
    QCOMPARE(label()->text(), labelText.isEmpty() ? before : labelText);
    if (labelText.isEmpty())
        return;

    // A folder dropped on the row makes the folder's pictures the picks again.
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(path("big"))});
    QDragEnterEvent folderEnter(QPoint(1, 1), Qt::CopyAction, &folder, Qt::LeftButton,
                                Qt::NoModifier);
    QApplication::sendEvent(widget, &folderEnter);
    QDropEvent folderDrop(QPointF(1, 1), Qt::CopyAction, &folder, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &folderDrop);
    QCOMPARE(label()->text(), path("big"));
    QTRY_COMPARE(answerer->boxes.size(), 2);
    QCOMPARE(KeltoProbe(*window).smallImagesPath(), path("big"));
}

QTEST_MAIN(tst_messagepicks)
#include "tst_messagepicks.moc"
