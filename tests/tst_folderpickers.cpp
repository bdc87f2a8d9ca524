#include "adfeed.h"
#include "kelto.h"
#include "testsupport.h"
#include "treecounter.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
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

} // namespace

class tst_folderpickers : public QObject
{
    Q_OBJECT

private slots:
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

private:
    void click(const char *button);

    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    DialogAnswerer *answerer = nullptr;
    QTemporaryDir *tree = nullptr;
};

void tst_folderpickers::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    window = new kelto;
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
    delete window;
    window = nullptr;
    delete workDir;
    workDir = nullptr;
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

static QString member(const kelto *window, const QString &label)
{
    if (label == QLatin1String("label_smallPath"))
        return window->smallImagesPath;
    if (label == QLatin1String("label_bigPath"))
        return window->bigImagesPath;
    return window->outputPath;
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
    QCOMPARE(window->outputPath, tree->path());
    QVERIFY(window->smallImagesPath.isNull());
    QVERIFY(window->bigImagesPath.isNull());
}

QTEST_MAIN(tst_folderpickers)
#include "tst_folderpickers.moc"
