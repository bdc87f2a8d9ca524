// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adfeed.h"
#include "core/selection/treecounter.h"
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace {

// The program's own debug lines; the offscreen platform adds warnings of its own.
QStringList logged;
void captureMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        logged << message;
}

// Two sub-folders, three JPEG files, one text file, plus what neither count may see.
const QStringList countedTree = {"day1/",   "day1/a.jpg",   "day1/b.jpg",
                                 "day2/",   "day2/c.jpg",   "notes.txt",
                                 ".trash/", ".trash/d.jpg", ".trash/old/"};

// The window's state, reached in one place.
QString member(kelto *window, const QString &label)
{
    if (label == QLatin1String("label_smallPath"))
        return KeltoProbe(*window).smallImagesPath();
    if (label == QLatin1String("label_bigPath"))
        return KeltoProbe(*window).bigImagesPath();
    return KeltoProbe(*window).outputPath();
}

} // namespace

class tst_folderpickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void answererReturnsQueuedFolder_data();
    void answererReturnsQueuedFolder();
    void chooser_data();
    void chooser();
    void cancelKeepsChoice_data();
    void cancelKeepsChoice();
    void counts_data();
    void counts();
    void smallImagesDebugLines();
    void secondPickDuringCount_data();
    void secondPickDuringCount();
    void outputShowsNoBox();
    void startFolder_data();
    void startFolder();
    void drops_data();
    void drops();

private:
    void click(const char *button);

    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    DialogAnswerer *answerer = nullptr;
    QTemporaryDir *tree = nullptr;
};

void tst_folderpickers::initTestCase()
{
    // The settings the window remembers its folders in (kept in a temporary folder).
    QCoreApplication::setOrganizationName(QStringLiteral("Zanora"));
}

void tst_folderpickers::init()
{
    QSettings().clear();
    QVERIFY(openWindow(workDir, window));
    // The start-up connection attempt logs its outcome once it ends, not inside a test's capture.
    QTRY_VERIFY(!window->adFeed()->isConnecting());
    answerer = new DialogAnswerer;
    tree = new QTemporaryDir;
    QVERIFY(tree->isValid());
}

void tst_folderpickers::cleanup()
{
    delete tree;
    tree = nullptr;
    delete answerer;
    answerer = nullptr;
    closeWindow(workDir, window);
}

void tst_folderpickers::click(const char *button)
{
    auto *widget = window->findChild<QPushButton *>(QString::fromLatin1(button));
    QVERIFY(widget);
    widget->click();
}

// Per picker: its button and its label; the member it fills follows from the label.
static void addPickerRows()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("label");
    QTest::newRow("small images") << "seletDataTree"
                                  << "label_smallPath";
    QTest::newRow("big images") << "seletInput"
                                << "label_bigPath";
    QTest::newRow("output") << "seletOutput"
                            << "label_output";
}

void tst_folderpickers::answererReturnsQueuedFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("linkTo");
    QTest::newRow("blanks and Chinese") << "客户 选片 2024" << QString();
    QTest::newRow("dots and a leading blank") << " a..b.c" << QString();
    QTest::newRow("deep") << "1/2/3/4/5" << QString();
    QTest::newRow("link to a folder") << "via"
                                      << "1/2";
    QTest::newRow("hidden folder") << ".hidden" << QString();
}

void tst_folderpickers::answererReturnsQueuedFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, linkTo);
    if (!linkTo.isEmpty())
        SKIP_WITHOUT_SYMLINKS();
    QVERIFY(makeTree(tree->path(), linkTo.isEmpty()
                                           ? QStringList{folder + "/"}
                                           : QStringList{linkTo + "/", folder + " -> " + linkTo}));
    const QString path = tree->filePath(folder);

    answerer->queueFolder(path);
    answerer->queueFolder(QString());
    const QString chosen = QFileDialog::getExistingDirectory(window, QStringLiteral("caption"),
                                                             QString(), QFileDialog::ShowDirsOnly);
    QCOMPARE(chosen, path);
    const QString cancelled = QFileDialog::getExistingDirectory(
            window, QStringLiteral("caption"), QString(), QFileDialog::ShowDirsOnly);
    QVERIFY(cancelled.isEmpty());
    QCOMPARE(answerer->folderChoosers.size(), 2);
}

void tst_folderpickers::chooser_data()
{
    addPickerRows();
}

void tst_folderpickers::chooser()
{
    QFETCH(QString, button);
    QFETCH(QString, label);

    // A name with blanks and Chinese characters comes back exactly as queued.
    QVERIFY(makeTree(tree->path(), {"客户 选片 2024/"}));
    const QString folder = tree->filePath("客户 选片 2024");
    // Given no start folder, Qt's chooser opens where one was last in this process, which may be
    // an earlier row's folder that Windows could not remove yet: point that at the working folder.
    answerer->queueFolder(QDir::currentPath());
    QFileDialog::getExistingDirectory(window, QString(), QString(), QFileDialog::ShowDirsOnly);
    answerer->folderChoosers.clear();
    answerer->queueFolder(folder);
    answerer->setDefaultBoxAnswer(QMessageBox::No);
    click(qPrintable(button));

    QCOMPARE(answerer->folderChoosers.size(), 1);
    const ShownFolderChooser &shown = answerer->folderChoosers.first();
    QCOMPARE(shown.caption, QStringLiteral("请选择模板保存路径..."));
    QVERIFY(shown.options.testFlag(QFileDialog::ShowDirsOnly));
    QVERIFY(shown.hasParent);
    // No start folder given: the chooser opens at its own default, here the working folder.
    QCOMPARE(shown.startDirectory, QDir::currentPath());

    QCOMPARE(member(window, label), folder);
    QCOMPARE(window->findChild<QLabel *>(label)->text(), folder);
    QCOMPARE(window->findChild<QLabel *>(label)->toolTip(), folder);
}

void tst_folderpickers::cancelKeepsChoice_data()
{
    addPickerRows();
}

void tst_folderpickers::cancelKeepsChoice()
{
    QFETCH(QString, button);
    QFETCH(QString, label);
    auto *labelWidget = window->findChild<QLabel *>(label);
    const QString initialText = labelWidget->text();

    // Cancelled before any choice: the member stays null, the label keeps its text.
    answerer->queueFolder(QString());
    click(qPrintable(button));
    QVERIFY(member(window, label).isNull());
    QCOMPARE(labelWidget->text(), initialText);

    const QString folder = tree->path();
    answerer->queueFolder(folder);
    click(qPrintable(button));
    const bool countsBox = button != QLatin1String("seletOutput");
    QTRY_COMPARE(answerer->boxes.size(), countsBox ? 2 : 1); // the count comes from a worker
    answerer->queueFolder(QString());
    click(qPrintable(button));

    QCOMPARE(answerer->folderChoosers.size(), 3);
    QCOMPARE(member(window, label), folder);
    QCOMPARE(labelWidget->text(), folder);

    // Each cancel shows the same box; a choice of the output folder shows none.
    QCOMPARE(answerer->boxes.size(), countsBox ? 3 : 2);
    for (int i : {0, int(answerer->boxes.size()) - 1}) {
        const ShownBox &box = answerer->boxes.at(i);
        QCOMPARE(box.title, QStringLiteral("错误"));
        QCOMPARE(box.text, QStringLiteral("选取的路径为空"));
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::Yes);
        QVERIFY(!box.hasParent);
    }
}

void tst_folderpickers::counts_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");

    QTest::newRow("small images") << "seletDataTree" << countedTree
                                  << QStringLiteral(
                                             "所有包含子文件夹数量为2,所有包含子图片数量为3");
    QTest::newRow("big images") << "seletInput" << countedTree
                                << QStringLiteral("所有包含子文件夹数量为2,所有包含子文件数量为4");
    QTest::newRow("small images, mixed-case suffix")
            << "seletDataTree" << QStringList{"a.Jpg", "b.jpG", "c.JPG"}
            << QStringLiteral("所有包含子文件夹数量为0,所有包含子图片数量为1");
    QTest::newRow("big images, mixed-case suffix")
            << "seletInput" << QStringList{"a.Jpg", "b.jpG", "c.JPG"}
            << QStringLiteral("所有包含子文件夹数量为0,所有包含子文件数量为3");
    QTest::newRow("empty folder") << "seletInput" << QStringList()
                                  << QStringLiteral(
                                             "所有包含子文件夹数量为0,所有包含子文件数量为0");
}

void tst_folderpickers::counts()
{
    QFETCH(QString, button);
    QFETCH(QStringList, entries);
    QFETCH(QString, text);

    QVERIFY(makeTree(tree->path(), entries));
    answerer->queueFolder(tree->path());
    answerer->setDefaultBoxAnswer(QMessageBox::No); // the answer changes nothing
    click(qPrintable(button));

    QTRY_COMPARE(answerer->boxes.size(), 1);
    const ShownBox &box = answerer->boxes.first();
    QCOMPARE(box.title, QStringLiteral("信息"));
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::Yes);
    QVERIFY(!box.hasParent);
}

void tst_folderpickers::smallImagesDebugLines()
{
    QVERIFY(makeTree(tree->path(), countedTree));
    answerer->queueFolder(tree->path());

    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    click("seletDataTree");
    QTRY_COMPARE(answerer->boxes.size(), 1);
    qInstallMessageHandler(previous);
    QCOMPARE(logged, QStringList({"childQirsNum: 2", "childFilesNum: 3"}));

    // The big-image picker logs nothing of its own.
    answerer->queueFolder(tree->path());
    logged.clear();
    qInstallMessageHandler(captureMessage);
    click("seletInput");
    QTRY_COMPARE(answerer->boxes.size(), 2);
    qInstallMessageHandler(previous);
    QCOMPARE(logged, QStringList());
}

void tst_folderpickers::secondPickDuringCount_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("small images") << "seletDataTree"
                                  << QStringLiteral(
                                             "所有包含子文件夹数量为2,所有包含子图片数量为3");
    QTest::newRow("big images") << "seletInput"
                                << QStringLiteral("所有包含子文件夹数量为2,所有包含子文件数量为4");
}

void tst_folderpickers::secondPickDuringCount()
{
    QFETCH(QString, button);
    QFETCH(QString, text);

    // The first tree takes a while to count; the second pick comes before its box could show.
    QStringList bigTree;
    for (int folder = 0; folder < 40; ++folder) {
        bigTree << QStringLiteral("first/%1/").arg(folder);
        for (int file = 0; file < 50; ++file)
            bigTree << QStringLiteral("first/%1/%2.jpg").arg(folder).arg(file);
    }
    QVERIFY(makeTree(tree->path(), bigTree));
    QVERIFY(makeTree(tree->filePath("second"), countedTree));
    answerer->queueFolder(tree->filePath("first"));
    answerer->queueFolder(tree->filePath("second"));
    click(qPrintable(button));
    click(qPrintable(button));

    QTRY_COMPARE(answerer->boxes.size(), 1);
    QCOMPARE(answerer->boxes.first().text, text);
    // Once no count runs any more, nothing else is left to show.
    const QList<TreeCounter *> counters = window->findChildren<TreeCounter *>();
    QTRY_VERIFY(std::all_of(counters.begin(), counters.end(),
                            [](const TreeCounter *counter) { return counter->isIdle(); }));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(answerer->boxes.size(), 1);
    QCOMPARE(member(window,
                    button == QLatin1String("seletDataTree") ? "label_smallPath" : "label_bigPath"),
             tree->filePath("second"));
}

void tst_folderpickers::outputShowsNoBox()
{
    QVERIFY(makeTree(tree->path(), countedTree));
    answerer->queueFolder(tree->path());
    click("seletOutput");
    QCOMPARE(answerer->folderChoosers.size(), 1);
    QCOMPARE(answerer->boxes.size(), 0);
    QCOMPARE(KeltoProbe(*window).outputPath(), tree->path());
    QVERIFY(KeltoProbe(*window).smallImagesPath().isNull());
    QVERIFY(KeltoProbe(*window).bigImagesPath().isNull());
}

void tst_folderpickers::startFolder_data()
{
    // After the small-image folder a and then the output folder b were chosen:
    QTest::addColumn<QString>("removed"); // a folder removed then
    QTest::addColumn<bool>("restart");    // a new window with the same settings
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("start"); // empty: the chooser's own default
    QTest::newRow("the row's own folder") << "" << false << "seletDataTree"
                                          << "a";
    QTest::newRow("the folder chosen last in any row") << "" << false << "seletInput"
                                                       << "b";
    QTest::newRow("the row's own folder gone") << "a" << false << "seletDataTree"
                                               << "b";
    QTest::newRow("after a restart") << "" << true << "seletDataTree"
                                     << "b";
    QTest::newRow("after a restart, the folder gone") << "b" << true << "seletInput"
                                                      << "";
}

void tst_folderpickers::startFolder()
{
    QFETCH(QString, removed);
    QFETCH(bool, restart);
    QFETCH(QString, button);
    QFETCH(QString, start);
    QVERIFY(makeTree(tree->path(), {"a/", "b/"}));
    answerer->queueFolder(tree->filePath("a"));
    click("seletDataTree");
    answerer->queueFolder(tree->filePath("b"));
    click("seletOutput");
    if (!removed.isEmpty())
        QVERIFY(QDir(tree->filePath(removed)).removeRecursively());
    if (restart) {
        delete window;
        window = new kelto;
    }
    // Given no start folder, Qt's chooser opens where one was last in this process; that is made
    // the working folder, so only the window's own choice can show the chosen folders.
    answerer->queueFolder(QDir::currentPath());
    QFileDialog::getExistingDirectory(window, QString(), QString(), QFileDialog::ShowDirsOnly);
    answerer->queueFolder(QString());
    click(qPrintable(button));
    QCOMPARE(answerer->folderChoosers.size(), 4);
    QCOMPARE(answerer->folderChoosers.last().startDirectory,
             start.isEmpty() ? QDir::currentPath() : tree->filePath(start));
}

void tst_folderpickers::drops_data()
{
    QTest::addColumn<QString>("drop");      // the widget it lands on, what it carries
    QTest::addColumn<QString>("countText"); // of a folder taken; empty: no box
    QTest::newRow("folder on a button")
            << "seletDataTree folder"
            << QStringLiteral("所有包含子文件夹数量为2,所有包含子图片数量为3");
    QTest::newRow("folder on a label")
            << "label_bigPath folder"
            << QStringLiteral("所有包含子文件夹数量为2,所有包含子文件数量为4");
    QTest::newRow("folder, output") << "label_output folder" << QString();
    QTest::newRow("a file") << "seletInput file" << QString();
    QTest::newRow("two folders") << "seletOutput folders" << QString();
    QTest::newRow("web address") << "label_smallPath web" << QString();
}

void tst_folderpickers::drops()
{
    QFETCH(QString, drop);
    QFETCH(QString, countText);
    const QString target = drop.section(QLatin1Char(' '), 0, 0);
    const QString dropped = drop.section(QLatin1Char(' '), 1);
    const QHash<QString, QString> labels{{"seletDataTree", "label_smallPath"},
                                         {"seletInput", "label_bigPath"},
                                         {"seletOutput", "label_output"}};
    const QString label = labels.value(target, target);
    QVERIFY(makeTree(tree->path(), countedTree));
    auto *widget = window->findChild<QWidget *>(target);
    auto *labelWidget = window->findChild<QLabel *>(label);
    const QString initialText = labelWidget->text();
    const QMap<QString, QList<QUrl>> urls{
            // A file manager may end a folder's address with "/".
            {"folder", {QUrl::fromLocalFile(tree->path() + "/")}},
            {"file", {QUrl::fromLocalFile(tree->filePath("notes.txt"))}},
            {"folders",
             {QUrl::fromLocalFile(tree->filePath("day1")),
              QUrl::fromLocalFile(tree->filePath("day2"))}},
            {"web", {QUrl("https://example.com/day1/")}}};
    QMimeData data;
    data.setUrls(urls.value(dropped));

    QVERIFY(widget->acceptDrops());
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDropEvent dropEvent(QPointF(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &dropEvent);

    const bool taken = dropped == "folder";
    QCOMPARE(QList<bool>({enter.isAccepted(), dropEvent.isAccepted()}), QList<bool>({taken, taken}));
    QCOMPARE(member(window, label), taken ? tree->path() : QString());
    QCOMPARE(labelWidget->text(), taken ? tree->path() : initialText);
    QCOMPARE(labelWidget->toolTip(), taken ? tree->path() : QString());
    if (!countText.isEmpty()) {
        QTRY_COMPARE(answerer->boxes.size(), 1);
        QCOMPARE(answerer->boxes.first().text, countText);
    }
}

QTEST_MAIN(tst_folderpickers)
#include "tst_folderpickers.moc"
