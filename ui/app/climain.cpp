// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/commandlinerun.h"
#include "core/uilanguage.h"

#include <QCoreApplication>

// The command line alone, as a console program: zanora-cli.exe on Windows, where zanora.exe is a
// window program that cmd does not wait for and whose output it never shows.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    UiLanguage::install(UiLanguage::current());
    return CommandLineRun().exec(QCoreApplication::arguments());
}
