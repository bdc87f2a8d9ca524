// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adentryname.h"

#include <QtTest>

using Rules = AdEntryName::Rules;
Q_DECLARE_METATYPE(AdEntryName::Rules)

class tst_adentryname : public QObject
{
    Q_OBJECT

private slots:
    void parts_data();
    void parts();
    void storedName_data();
    void storedName();
};

void tst_adentryname::parts_data()
{
    QTest::addColumn<QString>("entryName");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("suffix");

    const auto row = [](const char *tag, const char *entryName, const char *fileName,
                        const char *baseName, const char *suffix) {
        QTest::newRow(tag) << QString(entryName) << QString(fileName) << QString(baseName)
                           << QString(suffix);
    };
    row("trailing dot", "GG1.", "GG1.", "GG1", "");
    row("leading dot", ".gif", ".gif", "", "gif");
    row("backslash folders", "..\\..\\GG4.png", "GG4.png", "GG4", "png");
    row("mixed separators", "a\\b/c\\GG2.jpg", "GG2.jpg", "GG2", "jpg");
    row("drive letter", "C:\\Windows\\GG7.gif", "GG7.gif", "GG7", "gif");
    row("dot dot", "..", "..", "", "");
    row("dot in folder only", "v1.2/GG3", "GG3", "GG3", "");
}

void tst_adentryname::parts()
{
    QFETCH(QString, entryName);
    QFETCH(QString, fileName);
    QFETCH(QString, baseName);
    QFETCH(QString, suffix);
    QCOMPARE(AdEntryName::fileName(entryName), fileName);
    QCOMPARE(AdEntryName::baseName(entryName), baseName);
    QCOMPARE(AdEntryName::suffix(entryName), suffix);
}

void tst_adentryname::storedName_data()
{
    QTest::addColumn<QString>("entryName");
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<QString>("expected"); // empty: skipped

    QTest::newRow("gif in the middle") << "GG5.gif.png" << Rules::Posix << "GG5.dat";
    QTest::newRow("no suffix") << "GG1" << Rules::Posix << "GG1.dat";
    QTest::newRow("backslash folders dropped") << "..\\GG4.png" << Rules::Posix << "GG4.dat";
    QTest::newRow("dot dot") << ".." << Rules::Posix << "";
    QTest::newRow("folder only") << "GG/" << Rules::Posix << "";
    QTest::newRow("embedded NUL") << QString::fromUtf16(u"GG1\u0000x.png", 9) << Rules::Posix << "";
    QTest::newRow("stored name of 255") << QString(251, QLatin1Char('a')) + ".png" << Rules::Posix
                                        << QString(251, QLatin1Char('a')) + ".dat";
    QTest::newRow("stored name of 256")
            << QString(252, QLatin1Char('a')) + ".png" << Rules::Posix << "";
    QTest::newRow("base over 255") << QString(300, QLatin1Char('a')) << Rules::Windows << "";
    // 84 CJK characters are 252 bytes of UTF-8; with ".dat" 256 bytes, too long for POSIX names.
    QTest::newRow("POSIX counts bytes")
            << QString(84, QChar(0x5E7F)) + ".png" << Rules::Posix << "";
    QTest::newRow("Windows counts characters")
            << QString(84, QChar(0x5E7F)) + ".png" << Rules::Windows
            << QString(84, QChar(0x5E7F)) + ".dat";

    QTest::newRow("CON on Windows") << "CON.png" << Rules::Windows << "";
    QTest::newRow("CON on POSIX") << "CON.png" << Rules::Posix << "CON.dat";
    QTest::newRow("NUL with blank on Windows") << "NUL .png" << Rules::Windows << "";
    QTest::newRow("COM1 on Windows") << "COM1.png" << Rules::Windows << "";
    QTest::newRow("lpt9 on Windows") << "lpt9.png" << Rules::Windows << "";
    QTest::newRow("COM0 is a name") << "COM0.png" << Rules::Windows << "COM0.dat";
    QTest::newRow("CONSOLE is a name") << "CONSOLE.png" << Rules::Windows << "CONSOLE.dat";
    QTest::newRow("colon on Windows") << "GG1:evil.png" << Rules::Windows << "";
    QTest::newRow("colon on POSIX") << "GG1:evil.png" << Rules::Posix << "GG1:evil.dat";
    QTest::newRow("control character on Windows") << "GG\t1.png" << Rules::Windows << "";
    QTest::newRow("drive letter folder on Windows")
            << "C:\\GG2.gif" << Rules::Windows << "GG2.dats";
}

void tst_adentryname::storedName()
{
    QFETCH(QString, entryName);
    QFETCH(Rules, rules);
    QFETCH(QString, expected);
    QCOMPARE(AdEntryName::storedName(entryName, rules), expected);
}

QTEST_MAIN(tst_adentryname)
#include "tst_adentryname.moc"
