// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/commandlinerun.h"
#include "core/uilanguage.h"
#include "ui/kelto.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    // With arguments the run goes without a window, and needs no display.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        UiLanguage::install(UiLanguage::current());
        return CommandLineRun().exec(QCoreApplication::arguments());
    }

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 always scales for high-DPI screens.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
    QApplication a(argc, argv);
    UiLanguage::install(UiLanguage::current());
    // The program's own name for its settings, such as the folder chosen last.
    QCoreApplication::setOrganizationName(QStringLiteral("Zanora"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("zanora.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Zanora"));
    // The resources live in the static UI library, so they must be registered by hand.
    Q_INIT_RESOURCE(zanora);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zanora.png")));

    kelto w;
    w.show();
    return a.exec();
}
