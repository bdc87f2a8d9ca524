// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/filesizelimit.h"
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QAction>
#include <QtTest>

namespace {

const QString readFailure = QStringLiteral(
        "错误|服务器配置文件读取失败，请查看配置文件是否存在，若不存在，请重新生成再自行修改|Yes|"
        "-");
const QString parseFailure = QStringLiteral(
        "错误|服务器配置文件解析失败，请查看配置文件是否为JSON格式，若不是，请重新生成再自行修改|"
        "Yes|"
        "-");
const QString notAnObject = QStringLiteral(
        "配置消息|配置文件内没有包含需要的对象，请重新写入正确的配置|Yes,No|Yes");
const QString noHost = QStringLiteral("错误|没有找到服务器IP配置，请检查配置文件|Yes,No|Yes");
const QString noPort = QStringLiteral("错误|没有找到服务器端口配置，请检查配置文件|Yes,No|Yes");
const QString rewritten = QStringLiteral(
        "消息|重新写入配置文件成功，请修改配置文件内容后再重启程序|Yes|-");
const QString rewriteFailed = QStringLiteral("错误|重新写入配置文件失败|Yes|-");

QString buttonName(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Yes:
        return QStringLiteral("Yes");
    case QMessageBox::No:
        return QStringLiteral("No");
    case QMessageBox::NoButton:
        return QStringLiteral("-");
    default:
        return QString::number(button);
    }
}

// One shown box as "title|text|buttons|default button"; a box with a parent is marked.
QString describe(const ShownBox &box)
{
    QStringList buttons;
    for (QMessageBox::StandardButton b :
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel}) {
        if (box.buttons & b)
            buttons << buttonName(b);
    }
    return QStringList{box.title, box.text, buttons.join(QLatin1Char(',')),
                       buttonName(box.defaultButton)}
                   .join(QLatin1Char('|'))
           + (box.hasParent ? QStringLiteral("|with parent") : QString());
}

QStringList describe(const QList<ShownBox> &boxes)
{
    QStringList list;
    for (const ShownBox &box : boxes)
        list << describe(box);
    return list;
}

QString configText(const QString &host, const QString &port)
{
    return QStringLiteral("{\n    \"HostIP\": \"%1\",\n    \"HostPORT\": %2\n}\n").arg(host, port);
}

} // namespace

class tst_serverconfig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void read_data();
    void read();
    void followsWorkingFolder();
    void write_data();
    void write();
    void rewriteKeepsTwoKeys();
    void failedRewriteKeepsFile_data();
    void failedRewriteKeepsFile();
    void writeConfigBoxes_data();
    void writeConfigBoxes();
    void writeConfigReachable();

private:
    TestWorkDir *workDir = nullptr;
    DialogAnswerer *answerer = nullptr;
    kelto *window = nullptr;
};

void tst_serverconfig::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    answerer = new DialogAnswerer;
    window = new kelto;
    QCOMPARE(describe(answerer->boxes), QStringList());
}

void tst_serverconfig::cleanup()
{
    closeWindow(workDir, window);
    delete answerer;
    answerer = nullptr;
}

void tst_serverconfig::read_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<bool>("folderInstead");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("boxes");

    // Held before the read: "10.1.2.3" and 4321, so that "unchanged" shows.
    const QString host = QStringLiteral("10.1.2.3");
    const int port = 4321;

    QTest::newRow("missing") << QByteArray() << false << host << port << QStringList{readFailure};
    QTest::newRow("folder in place of the file")
            << QByteArray() << true << host << port << QStringList{readFailure};
    QTest::newRow("empty") << QByteArray("") << false << host << port << QStringList{parseFailure};
    QTest::newRow("not JSON") << QByteArray("HostIP=192.168.1.9\nHostPORT=9000\n") << false << host
                              << port << QStringList{parseFailure};
    QTest::newRow("array") << QByteArray("[\"192.168.1.9\", 9000]") << false << host << port
                           << QStringList{notAnObject};
    QTest::newRow("both keys") << QByteArray("{\"HostIP\": \"192.168.1.9\", \"HostPORT\": 9000}")
                               << false << "192.168.1.9" << 9000 << QStringList();
    QTest::newRow("HostIP a number") << QByteArray("{\"HostIP\": 19216819, \"HostPORT\": 9000}")
                                     << false << host << 9000 << QStringList{noHost};
    QTest::newRow("HostIP empty") << QByteArray("{\"HostIP\": \"\", \"HostPORT\": 9000}") << false
                                  << "" << 9000 << QStringList();
    QTest::newRow("HostIP kept as written")
            << QByteArray("{\"HostIP\": \" ads.example \", \"HostPORT\": 9000}") << false
            << " ads.example " << 9000 << QStringList();
    QTest::newRow("HostPORT as text") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": \"9000\"}")
                                      << false << "h" << 0 << QStringList();
    QTest::newRow("HostPORT 8888.0") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": 8888.0}")
                                     << false << "h" << 8888 << QStringList();
    QTest::newRow("HostPORT 8888.5") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": 8888.5}")
                                     << false << "h" << 0 << QStringList();
    QTest::newRow("HostPORT true") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": true}") << false
                                   << "h" << 0 << QStringList();
    QTest::newRow("HostPORT above 65535") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": 74536}")
                                          << false << "h" << 74536 << QStringList();
    QTest::newRow("HostPORT negative") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": -1}")
                                       << false << "h" << -1 << QStringList();
    QTest::newRow("HostPORT beyond 32 bits")
            << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": 4294967296}") << false << "h" << 0
            << QStringList();
    QTest::newRow("both missing") << QByteArray("{}") << false << host << port
                                  << QStringList{noHost, noPort};
    QTest::newRow("keys in lower case")
            << QByteArray("{\"hostip\": \"192.168.1.9\", \"hostport\": 9000}") << false << host
            << port << QStringList{noHost, noPort};
    QTest::newRow("only HostPORT")
            << QByteArray("{\"HostPORT\": 9000}") << false << host << 9000 << QStringList{noHost};
    QTest::newRow("extra keys") << QByteArray("{\"HostIP\": \"h\", \"HostPORT\": 1, \"X\": [1]}")
                                << false << "h" << 1 << QStringList();
}

void tst_serverconfig::read()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, folderInstead);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QStringList, boxes);

    const QString path = workDir->filePath(QStringLiteral("config.json"));
    QVERIFY(QFile::remove(path));
    if (folderInstead)
        QVERIFY(QDir().mkdir(path));
    else if (!content.isNull())
        QVERIFY(writeFile(path, content));

    KeltoProbe(*window).setServerHost(QStringLiteral("10.1.2.3"));
    KeltoProbe(*window).setServerPort(4321);
    window->readServerConfig();

    QCOMPARE(describe(answerer->boxes), boxes);
    QCOMPARE(KeltoProbe(*window).serverHost(), host);
    QCOMPARE(KeltoProbe(*window).serverPort(), port);
    // Reading never creates or changes the file.
    QCOMPARE(QFileInfo::exists(path), folderInstead || !content.isNull());
    if (!content.isNull())
        QCOMPARE(fileContent(path), content);
}

void tst_serverconfig::followsWorkingFolder()
{
    const QByteArray ownConfig = fileContent(workDir->filePath(QStringLiteral("config.json")));
    const QString other = workDir->filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir().mkdir(other));
    QVERIFY(writeFile(other + QStringLiteral("/config.json"),
                      "{\"HostIP\": \"192.168.7.7\", \"HostPORT\": 7777}"));
    QVERIFY(QDir::setCurrent(other));

    window->readServerConfig();
    QCOMPARE(KeltoProbe(*window).serverHost(), QStringLiteral("192.168.7.7"));
    QCOMPARE(KeltoProbe(*window).serverPort(), 7777);

    KeltoProbe(*window).setServerPort(7778);
    QVERIFY(window->writeServerConfig());
    QCOMPARE(QString::fromUtf8(fileContent(other + QStringLiteral("/config.json"))),
             configText(QStringLiteral("192.168.7.7"), QStringLiteral("7778")));
    // The file in the folder the program started in is left alone.
    QCOMPARE(fileContent(workDir->filePath(QStringLiteral("config.json"))), ownConfig);
}

void tst_serverconfig::write_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("defaults") << "127.0.0.1" << 8888
                              << QByteArray("{\n    \"HostIP\": \"127.0.0.1\",\n"
                                            "    \"HostPORT\": 8888\n}\n");
    QTest::newRow("port 0") << "10.0.0.2" << 0
                            << QByteArray("{\n    \"HostIP\": \"10.0.0.2\",\n"
                                          "    \"HostPORT\": 0\n}\n");
    QTest::newRow("negative port") << "h" << -1
                                   << QByteArray("{\n    \"HostIP\": \"h\",\n"
                                                 "    \"HostPORT\": -1\n}\n");
    QTest::newRow("port 1000000 without exponent")
            << "h" << 1000000
            << QByteArray("{\n    \"HostIP\": \"h\",\n    \"HostPORT\": 1000000\n}\n");
    QTest::newRow("quote and backslash")
            << "a\"b\\c" << 1
            << QByteArray("{\n    \"HostIP\": \"a\\\"b\\\\c\",\n    \"HostPORT\": 1\n}\n");
    QTest::newRow("host in Chinese") << "广告服务器" << 1
                                     << QByteArray("{\n    \"HostIP\": \"广告服务器\",\n"
                                                   "    \"HostPORT\": 1\n}\n");
}

void tst_serverconfig::write()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QByteArray, expected);

    KeltoProbe(*window).setServerHost(host);
    KeltoProbe(*window).setServerPort(port);
    QVERIFY(window->writeServerConfig());
    QCOMPARE(fileContent(workDir->filePath(QStringLiteral("config.json"))), expected);
    QCOMPARE(folderEntries(workDir->path()),
             (QStringList{QStringLiteral("config.json"), QStringLiteral("GG")}));

    // What was written reads back unchanged, without a box.
    KeltoProbe(*window).setServerHost(QString());
    KeltoProbe(*window).setServerPort(5);
    window->readServerConfig();
    QCOMPARE(describe(answerer->boxes), QStringList());
    QCOMPARE(KeltoProbe(*window).serverHost(), host);
    QCOMPARE(KeltoProbe(*window).serverPort(), port);
}

void tst_serverconfig::rewriteKeepsTwoKeys()
{
    QVERIFY(writeFile(
            workDir->filePath(QStringLiteral("config.json")),
            "{\"Comment\": \"edited by hand\", \"HostPORT\": 9000, \"hostip\": \"10.9.9.9\"}"));
    KeltoProbe(*window).setServerHost(QStringLiteral("127.0.0.1"));
    KeltoProbe(*window).setServerPort(8888);
    window->readServerConfig();
    QCOMPARE(describe(answerer->boxes), QStringList{noHost});

    QVERIFY(window->writeServerConfig());
    QCOMPARE(QString::fromUtf8(fileContent(workDir->filePath(QStringLiteral("config.json")))),
             configText(QStringLiteral("127.0.0.1"), QStringLiteral("9000")));
}

void tst_serverconfig::failedRewriteKeepsFile_data()
{
    QTest::addColumn<bool>("folderInstead");
    QTest::newRow("file-size limit") << false;
    QTest::newRow("folder in place of the file") << true;
}

void tst_serverconfig::failedRewriteKeepsFile()
{
    QFETCH(bool, folderInstead);
    if (!folderInstead)
        SKIP_WITHOUT_FILE_SIZE_LIMIT();

    const QString path = workDir->filePath(QStringLiteral("config.json"));
    const QByteArray old = "{\"HostIP\": \"192.168.1.9\", \"HostPORT\": 9000, \"Note\": \"mine\"}";
    QVERIFY(QFile::remove(path));
    if (folderInstead) {
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
    } else {
        QVERIFY(writeFile(path, old));
    }
    const QStringList before = folderEntries(workDir->path());

    KeltoProbe(*window).setServerHost(QStringLiteral("10.0.0.1"));
    bool written = true;
    {
        FileSizeLimit limit(folderInstead ? FileSizeLimit::Unlimited : 10);
        written = window->writeServerConfig();
    }
    QVERIFY(!written);
    if (folderInstead) {
        QVERIFY(QFileInfo(path + QStringLiteral("/inside")).isDir());
    } else {
        QCOMPARE(fileContent(path), old);
    }
    // No temporary file is left behind.
    QCOMPARE(folderEntries(workDir->path()), before);
}

void tst_serverconfig::writeConfigBoxes_data()
{
    QTest::addColumn<bool>("blocked");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("written") << false << QStringList{rewritten};
    QTest::newRow("cannot be written") << true << QStringList{rewriteFailed};
}

void tst_serverconfig::writeConfigBoxes()
{
    QFETCH(bool, blocked);
    QFETCH(QStringList, boxes);

    const QString path = workDir->filePath(QStringLiteral("config.json"));
    QVERIFY(QFile::remove(path));
    if (blocked)
        QVERIFY(QDir().mkdir(path));
    KeltoProbe(*window).setServerHost(QStringLiteral("192.168.3.3"));
    KeltoProbe(*window).setServerPort(3333);

    QVERIFY(QMetaObject::invokeMethod(window, "bt_writeConfig"));
    QCOMPARE(describe(answerer->boxes), boxes);
    QCOMPARE(QFileInfo(path).isFile(), !blocked);
    if (!blocked)
        QCOMPARE(QString::fromUtf8(fileContent(path)),
                 configText(QStringLiteral("192.168.3.3"), QStringLiteral("3333")));
    // The settings in memory stay as they were.
    QCOMPARE(KeltoProbe(*window).serverHost(), QStringLiteral("192.168.3.3"));
    QCOMPARE(KeltoProbe(*window).serverPort(), 3333);
}

void tst_serverconfig::writeConfigReachable()
{
    QCOMPARE(window->contextMenuPolicy(), Qt::ActionsContextMenu);
    // The rules entry follows it (tst_rulesdialog).
    const QList<QAction *> actions = window->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions.first()->text(), QStringLiteral("重新生成配置文件"));
    QCOMPARE(actions.first()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+C")));

    const QString path = workDir->filePath(QStringLiteral("config.json"));
    QVERIFY(QFile::remove(path));
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(describe(answerer->boxes), QStringList{rewritten});
    QVERIFY(QFileInfo(path).isFile());
}

QTEST_MAIN(tst_serverconfig)
#include "tst_serverconfig.moc"
