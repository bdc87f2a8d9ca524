// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

QString tileButtonStyle(int n)
{
    return QStringLiteral("QPushButton#bt_GG_%1\n{\nborder-radius: 0px;\nbackground: none;\n}\n\n"
                          "QPushButton#bt_GG_%1:hover\n{\nbackground-color: rgba(255, 255, "
                          "255,100);\n}")
            .arg(n);
}

QString greyTextStyle(int pointSize)
{
    return QStringLiteral(
                   "background-color: none;\ncolor: rgb(100, 100, 100);\nfont: %1pt \"微软雅黑\";")
            .arg(pointSize);
}

} // namespace

class tst_kelto : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void inventory_data();
    void inventory();
    void mainStyleSheet();
    void texts_data();
    void texts();
    void windowTitle();
    void titlePicture();
    void progressBarAfterStart();
    void resizing();

private:
    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
};

void tst_kelto::init()
{
    QVERIFY(openWindow(workDir, window));
}

void tst_kelto::cleanup()
{
    closeWindow(workDir, window);
}

void tst_kelto::inventory_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QString>("styleSheet");
    QTest::addColumn<QString>("slot"); // a button's one receiver of clicked()

    struct Row
    {
        const char *name;
        const char *cls;
        QRect rect;
        QString style;
        const char *slot;
    };
    const QString titleStyle = greyTextStyle(36), tileStyle = greyTextStyle(16);
    const QString band = QStringLiteral("background-color: rgb(159, 160, 162);");
    const QList<Row> rows = {
            {"seletDataTree", "QPushButton", {90, 100, 231, 31}, {}, "bt_seletSmallImagesPath()"},
            {"seletInput", "QPushButton", {90, 160, 231, 31}, {}, "bt_seletBigImagesPath()"},
            {"seletOutput", "QPushButton", {90, 220, 231, 31}, {}, "bt_seletOutputPath()"},
            {"label_smallPath", "QLabel", {320, 100, 791, 31}, {}},
            {"label_bigPath", "QLabel", {320, 160, 791, 31}, {}},
            {"label_output", "QLabel", {320, 220, 791, 31}, {}},
            {"title", "QLabel", {370, 10, 441, 71}, titleStyle},
            {"GG1", "QLabel", {90, 360, 240, 53}, tileStyle},
            {"GG5", "QLabel", {90, 430, 240, 53}, tileStyle},
            {"GG2", "QLabel", {350, 360, 240, 53}, tileStyle},
            {"GG6", "QLabel", {350, 430, 240, 53}, tileStyle},
            {"GG4", "QLabel", {870, 360, 240, 53}, tileStyle},
            {"GG8", "QLabel", {870, 430, 240, 53}, tileStyle},
            {"GG3", "QLabel", {610, 360, 240, 53}, tileStyle},
            {"GG7", "QLabel", {610, 430, 240, 53}, tileStyle},
            {"background1", "QLabel", {0, 780, 1201, 81}, band},
            {"output_combined", "QPushButton", {90, 280, 111, 31}, {}, "bt_combinedOutput()"},
            {"output_classified", "QPushButton", {210, 280, 111, 31}, {}, "bt_classifiedOutput()"},
            {"progressBar", "QProgressBar", {320, 280, 791, 31}, {}},
            {"GG9", "QLabel", {90, 520, 1021, 224}, QStringLiteral("background-color: none;")},
    };
    int index = 0;
    QHash<QString, QRect> tileRects;
    for (const Row &row : rows) {
        QTest::newRow(row.name) << index++ << row.cls << row.rect << row.style
                                << QString::fromLatin1(row.slot);
        tileRects.insert(QString::fromLatin1(row.name), row.rect);
    }
    // Each tile's button lies exactly over its tile.
    for (int n = 1; n <= 9; ++n)
        QTest::addRow("bt_GG_%d", n)
                << index++ << "QPushButton" << tileRects.value(QStringLiteral("GG%1").arg(n))
                << tileButtonStyle(n) << QStringLiteral("bt_GG%1()").arg(n);
}

void tst_kelto::inventory()
{
    QFETCH(int, index);
    QFETCH(QString, className);
    QFETCH(QRect, rect);
    QFETCH(QString, styleSheet);
    QFETCH(QString, slot);

    QWidget *central = window->centralWidget();
    QCOMPARE(central->objectName(), QStringLiteral("centralWidget"));
    // Creation order is the order of the central widget's children; later ones lie on top.
    const QObjectList children = central->children();
    QCOMPARE(children.size(), 29);
    auto *widget = qobject_cast<QWidget *>(children.at(index));
    QVERIFY(widget);
    QCOMPARE(widget->objectName(), QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->geometry(), rect);
    QCOMPARE(widget->styleSheet(), styleSheet);

    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QCOMPARE(button->isFlat(), widget->objectName().startsWith("bt_GG_"));
        QCOMPARE(clickedConnections(button), QStringList("--> kelto::kelto " + slot));
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const bool centred = widget->objectName() == "title"
                             || (widget->objectName().startsWith("GG")
                                 && widget->objectName() != "GG9");
        QCOMPARE(label->alignment(), centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    }
    QCOMPARE(widget->testAttribute(Qt::WA_SetLayoutDirection), widget->objectName() == "title");
    QCOMPARE(widget->layoutDirection(), Qt::LeftToRight);
}

void tst_kelto::mainStyleSheet()
{
    const QString expected = QStringLiteral(
            "QWidget{\nbackground-color: rgb(229, 229, 229);\n}\n"
            "QPushButton{\nbackground-color: rgb(84, 84, 84);\ncolor: rgb(255, 255, 255);\n"
            "border-style: none;\nfont: 12pt \"微软雅黑\";\n}\n\n"
            "QPushButton:hover{\nbackground-color: rgb(70, 70, 70);\ncolor: rgb(255, 255, "
            "255);\n}\n\n"
            "QPushButton:pressed{\nbackground-color: white;\ncolor: black;\n}\n\n"
            "QLabel{\n\tbackground-color: rgb(255, 255, 255);\n\tcolor: rgb(200,200,200);\n"
            "\tfont: 10pt \"微软雅黑\";\n}\n\n\n"
            "QProgressBar{\n        border: none;\n        color: white;\n"
            "        text-align: center;\n        background: rgb(255, 255, 255);\n}\n"
            "QProgressBar::chunk {\n        border: none;\n        background: rgb(85, 170, "
            "255);\n}\n");
    QWidget *central = window->centralWidget();
    QCOMPARE(central->styleSheet(), expected);
    QCOMPARE(central->font().family(), QStringLiteral("AcadEref"));
    QCOMPARE(central->font().pointSize(), 16);
    QVERIFY(window->styleSheet().isEmpty());
}

void tst_kelto::texts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("seletDataTree") << QStringLiteral("选择文件夹/文件树（小图）  ");
    QTest::newRow("seletInput") << QStringLiteral("选择文件夹（大图）             ");
    QTest::newRow("seletOutput") << QStringLiteral("选择文件夹（输出）             ");
    QTest::newRow("label_smallPath") << QStringLiteral("  已选好的小图存放路径");
    QTest::newRow("label_bigPath") << QStringLiteral("  原始图片存放路径");
    QTest::newRow("label_output") << QStringLiteral("  输出图片存放路径");
    QTest::newRow("background1") << QString();
    QTest::newRow("output_combined") << QStringLiteral("合并输出");
    QTest::newRow("output_classified") << QStringLiteral("分类输出");
    for (int n = 1; n <= 9; ++n)
        QTest::addRow("bt_GG_%d", n) << QString();
}

void tst_kelto::texts()
{
    QFETCH(QString, text);
    QObject *widget = window->findChild<QObject *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->property("text").toString(), text);
}

void tst_kelto::windowTitle()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Zanora V3.1"));
    QCOMPARE(window->objectName(), QStringLiteral("kelto"));
    QCOMPARE(window->size(), QSize(1200, 857));
    QVERIFY(!window->menuWidget());
}

void tst_kelto::titlePicture()
{
    // Without a picture the title stays empty.
    auto *title = window->findChild<QLabel *>("title");
    QVERIFY(title->text().isEmpty());
    QVERIFY(title->pixmap(Qt::ReturnByValue).isNull());

    // A square picture, red on the left and blue on the right, must be stretched to 441 x 71
    // without smoothing, so the halves meet at x = 220/221 with no blended column between them.
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 100; ++y)
        for (int x = 50; x < 100; ++x)
            picture.setPixelColor(x, y, Qt::blue);
    QVERIFY(picture.save(workDir->filePath("myTitle.png")));

    kelto withTitle;
    title = withTitle.findChild<QLabel *>("title");
    QVERIFY(title->text().isEmpty());
    const QImage shown = title->pixmap(Qt::ReturnByValue).toImage();
    QCOMPARE(shown.size(), QSize(441, 71));
    QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(440, 70), QColor(Qt::blue));
    for (int x = 0; x < 441; ++x) {
        const QColor c = shown.pixelColor(x, 35);
        QVERIFY2(c == QColor(Qt::red) || c == QColor(Qt::blue),
                 qPrintable(QStringLiteral("smoothed pixel at x = %1").arg(x)));
    }
}

void tst_kelto::progressBarAfterStart()
{
    auto *bar = window->findChild<QProgressBar *>("progressBar");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), -1);
    QVERIFY(bar->text().isEmpty());
    QCOMPARE(bar->alignment(), Qt::AlignCenter);
}

void tst_kelto::resizing()
{
    QVERIFY(window->minimumSize().width() < 1200 || window->maximumSize().width() > 1200);
    QHash<QString, QRect> before;
    for (QWidget *w : window->centralWidget()->findChildren<QWidget *>())
        before.insert(w->objectName(), w->geometry());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->resize(1600, 1100);
    QTRY_COMPARE(window->size(), QSize(1600, 1100));
    QCOMPARE(window->centralWidget()->size(), QSize(1600, 1100));
    for (QWidget *w : window->centralWidget()->findChildren<QWidget *>())
        QCOMPARE(w->geometry(), before.value(w->objectName()));
}

QTEST_MAIN(tst_kelto)
#include "tst_kelto.moc"
