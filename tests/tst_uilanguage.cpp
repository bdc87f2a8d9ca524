// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/uilanguage.h"
#include "tests/coretestsupport.h"

#include <QProcess>
#include <QTranslator>
#include <QtTest>

class tst_uilanguage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void choose_data();
    void choose();
    void install_data();
    void install();
    void missingTranslation();
    void help_data();
    void help();
};

void tst_uilanguage::initTestCase()
{
#ifdef ZANORA_NO_TRANSLATIONS
    QSKIP("built without Qt's LinguistTools, so without translations");
#endif
}

void tst_uilanguage::cleanup()
{
    qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
}

void tst_uilanguage::choose_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<QString>("override");
    QTest::addColumn<bool>("english");
    QTest::newRow("en") << QStringList{"en"} << "" << true;
    QTest::newRow("en-US first") << QStringList{"en-US", "zh-CN"} << "" << true;
    QTest::newRow("en_GB") << QStringList{"en_GB"} << "" << true;
    QTest::newRow("en-Latn-US") << QStringList{"en-Latn-US"} << "" << true;
    QTest::newRow("English second") << QStringList{"de-DE", "en-US"} << "" << false;
    QTest::newRow("zh-TW") << QStringList{"zh-TW", "zh-Hant-TW"} << "" << false;
    QTest::newRow("C") << QStringList{"C"} << "" << false;
    QTest::newRow("POSIX") << QStringList{"POSIX"} << "" << false;
    QTest::newRow("none") << QStringList() << "" << false;
    QTest::newRow("eng is not en") << QStringList{"eng"} << "" << false;
    QTest::newRow("ZANORA_LANG=en") << QStringList{"zh-CN"} << "en" << true;
    QTest::newRow("ZANORA_LANG=zh") << QStringList{"en-US"} << "zh" << false;
    QTest::newRow("ZANORA_LANG=fr ignored") << QStringList{"en-US"} << "fr" << true;
}

void tst_uilanguage::choose()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(QString, override);
    QFETCH(bool, english);
    QCOMPARE(UiLanguage::choose(uiLanguages, override) == UiLanguage::English, english);
}

void tst_uilanguage::install_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::newRow("window in English") << int(UiLanguage::English) << "kelto"
                                       << "合并输出"
                                       << "Combined";
    QTest::newRow("window stays Chinese") << int(UiLanguage::Chinese) << "kelto"
                                          << "合并输出"
                                          << "合并输出";
    QTest::newRow("command line in Chinese") << int(UiLanguage::Chinese) << "CommandLineRun"
                                             << "Folder tree of the picks."
                                             << "选好的小图所在的文件夹树。";
    QTest::newRow("Qt in Chinese") << int(UiLanguage::Chinese) << "QCommandLineParser"
                                   << "Displays version information."
                                   << "显示版本信息。";
    QTest::newRow("Qt stays English") << int(UiLanguage::English) << "QCommandLineParser"
                                      << "Displays version information."
                                      << "Displays version information.";
}

void tst_uilanguage::install()
{
    QFETCH(int, language);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, translation);
    const QString built = qEnvironmentVariable("ZANORA_BINARY_DIR") + "/translations";
    QVERIFY(UiLanguage::install(UiLanguage::Language(language), {built}));
    QCOMPARE(QCoreApplication::translate(qPrintable(context), qPrintable(source)), translation);
}

// A folder without the file is passed over; without any, the texts stay as written.
void tst_uilanguage::missingTranslation()
{
    const QString built = qEnvironmentVariable("ZANORA_BINARY_DIR") + "/translations";
    QVERIFY(UiLanguage::install(UiLanguage::English, {QDir::tempPath() + "/no such", built}));
    QCOMPARE(QCoreApplication::translate("kelto", "合并输出"), QStringLiteral("Combined"));
    cleanup();
    MessageRecorder recorder;
    QVERIFY(!UiLanguage::install(UiLanguage::English, {QDir::tempPath() + "/no such"}));
    QCOMPARE(QCoreApplication::translate("kelto", "合并输出"), QStringLiteral("合并输出"));
    QVERIFY2(recorder.messages.join('\n').contains("zanora_en"),
             qPrintable(recorder.messages.join('\n')));
}

void tst_uilanguage::help_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("override");
    QTest::addColumn<bool>("english");
    QTest::newRow("en_US") << "en_US.UTF-8"
                           << "" << true;
    QTest::newRow("C.UTF-8") << "C.UTF-8"
                             << "" << false;
    QTest::newRow("de_DE") << "de_DE.UTF-8"
                           << "" << false;
    QTest::newRow("zh_CN, ZANORA_LANG=en") << "zh_CN.UTF-8"
                                           << "en" << true;
    QTest::newRow("en_US, ZANORA_LANG=zh") << "en_US.UTF-8"
                                           << "zh" << false;
}

// The program's --help in the language of the environment, Qt's lines included.
void tst_uilanguage::help()
{
    QFETCH(QString, lang);
    QFETCH(QString, override);
    QFETCH(bool, english);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "ZANORA_LANG", "DISPLAY"})
        environment.remove(QLatin1String(name));
    environment.insert("LANG", lang);
    if (!override.isEmpty())
        environment.insert("ZANORA_LANG", override);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("ZANORA_BINARY_DIR") + "/zanora", {"--help"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardError(), QByteArray());
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    const QStringList expected
            = english ? QStringList{"Usage: ", "  --small <folder>  ", "Folder tree of the picks.",
                                    "Exit codes: 0 done;"}
                      : QStringList{"用法：", "选好的小图所在的文件夹树。", "退出码："};
    for (const QString &text : expected)
        QVERIFY2(help.contains(text), qPrintable(text + " not in:\n" + help));
}

QTEST_GUILESS_MAIN(tst_uilanguage)
#include "tst_uilanguage.moc"
