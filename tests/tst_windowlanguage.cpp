// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/uilanguage.h"
#include "tests/testsupport.h"
#include "ui/errorlist.h"
#include "ui/kelto.h"

#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

#include <optional>

namespace {

using Language = std::optional<UiLanguage::Language>; // none: no translation installed

// Replaces the application's translations by those of `language`, from the build folder.
bool useLanguage(Language language)
{
    qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
    if (!language)
        return true;
    const QString built = qEnvironmentVariable("ZANORA_BINARY_DIR") + "/translations";
    return UiLanguage::install(*language, {built});
}

// Every text a widget shows, and every style sheet, one line per object and property.
QStringList texts(const QWidget *top)
{
    QStringList lines;
    QList<const QObject *> objects{top};
    for (const QObject *child : top->findChildren<QObject *>())
        objects.append(child);
    for (const QObject *object : objects) {
        for (const char *property :
             {"text", "windowTitle", "toolTip", "placeholderText", "format", "styleSheet"}) {
            const QString value = object->property(property).toString();
            if (!value.isEmpty())
                lines.append(object->objectName() + '.' + property + '=' + value);
        }
    }
    return lines;
}

QStringList windowTexts()
{
    kelto window;
    errorList dialog;
    return texts(&window) + texts(&dialog);
}

} // namespace

class tst_windowlanguage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void chineseAsBefore();
    void english_data();
    void english();
    void runBoxes_data();
    void runBoxes();

private:
    std::unique_ptr<TestWorkDir> workDir;
};

void tst_windowlanguage::initTestCase()
{
#ifdef ZANORA_NO_TRANSLATIONS
    QSKIP("built without Qt's LinguistTools, so without translations");
#endif
}

void tst_windowlanguage::init()
{
    workDir = std::make_unique<TestWorkDir>();
    QVERIFY(workDir->isValid());
    TestWorkDir::writeConfig(QStringLiteral("127.0.0.1"), TestWorkDir::closedLoopbackPort());
}

void tst_windowlanguage::cleanupTestCase()
{
    useLanguage(std::nullopt);
}

// The Chinese translation leaves every text of the window as its source has it.
void tst_windowlanguage::chineseAsBefore()
{
    QVERIFY(useLanguage(std::nullopt));
    const QStringList untranslated = windowTexts();
    QVERIFY(untranslated.contains("output_combined.text=合并输出"));
    QVERIFY2(useLanguage(UiLanguage::Chinese), "the Chinese translations are not found");
    QCOMPARE(windowTexts(), untranslated);
}

void tst_windowlanguage::english_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("title") << "kelto.windowTitle=Zanora V3.1";
    QTest::newRow("pick button") << "seletDataTree.text=Choose small-image tree  ";
    QTest::newRow("path label") << "label_output.text=  Folder for the output pictures";
    QTest::newRow("run button") << "output_combined.text=Combined";
    QTest::newRow("tile") << "GG2.text=Ad space for rent";
    QTest::newRow("menu action") << "action_writeConfig.text=Generate the configuration file again";
    QTest::newRow("dialog button") << "pushButton.text=OK";
}

// In English no text of the window is left in Chinese; only the style sheets name their font.
void tst_windowlanguage::english()
{
    QFETCH(QString, line);
    QVERIFY2(useLanguage(UiLanguage::English), "the English translations are not found");
    const QStringList english = windowTexts();
    QVERIFY2(english.contains(line), qPrintable(english.join('\n')));
    const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    for (const QString &text : english) {
        QVERIFY2(text.contains(".styleSheet=") || !text.contains(chinese),
                 qPrintable("not translated: " + text));
    }
}

void tst_windowlanguage::runBoxes_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("pathWarning");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("barText");
    QTest::addColumn<QString>("yes");
    QTest::newRow("Chinese") << int(UiLanguage::Chinese) << "警告: 路径错误，请选择正确的路径"
                             << "信息: 已成功完成选图"
                             << "总共需要复制1个图，已复制1张图"
                             << "是(&Y)";
    QTest::newRow("English") << int(UiLanguage::English)
                             << "Warning: Wrong path, please choose the right paths"
                             << "Information: The pictures have been gathered"
                             << "Pictures to copy: 1, copied: 1"
                             << "&Yes";
}

// A run without folders, then a run that copies one original; and Qt's own Yes button.
void tst_windowlanguage::runBoxes()
{
    QFETCH(int, language);
    QFETCH(QString, pathWarning);
    QFETCH(QString, done);
    QFETCH(QString, barText);
    QFETCH(QString, yes);
    QVERIFY(useLanguage(UiLanguage::Language(language)));
    DialogAnswerer answerer;
    kelto window;
    QPushButton *combined = window.findChild<QPushButton *>("output_combined");
    const auto shown = [&] {
        const ShownBox box = answerer.boxes.takeFirst();
        return box.title + ": " + box.text;
    };
    combined->click();
    QTRY_COMPARE(answerer.boxes.size(), 1);
    QCOMPARE(shown(), pathWarning);

    const QString small = workDir->filePath("small"), big = workDir->filePath("big");
    QVERIFY(writeFile(small + "/a.jpg", "pick") && writeFile(big + "/a.CR2", "raw"));
    KeltoProbe(window).setSmallImagesPath(small);
    KeltoProbe(window).setBigImagesPath(big);
    KeltoProbe(window).setOutputPath(workDir->path());
    combined->click();
    QTRY_COMPARE(answerer.boxes.size(), 1);
    QCOMPARE(shown(), done);
    QCOMPARE(window.findChild<QProgressBar *>("progressBar")->format(), barText);

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
}

QTEST_MAIN(tst_windowlanguage)
#include "tst_windowlanguage.moc"
