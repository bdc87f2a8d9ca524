// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The language the program speaks. The window's texts are written in Chinese and translated into
// English (zanora_en.qm); the command line's are written in English and translated into Chinese
// (zanora_zh_CN.qm). A user whose first UI language is English gets English, everyone else
// (the C and POSIX locales included) Chinese; ZANORA_LANG=en or ZANORA_LANG=zh overrides. Qt's
// own texts, such as the folder chooser's and the standard buttons', are English; in Chinese
// they come from Qt's translation (qtbase_zh_CN.qm).
class UiLanguage
{
public:
    enum Language { Chinese, English };

    // The language for the user's UI languages (most preferred first, as
    // QLocale::uiLanguages() gives them) and the value of ZANORA_LANG (empty when unset).
    static Language choose(const QStringList &uiLanguages, const QString &override);
    // The language for this user and this process's environment.
    static Language current();

    // Where the program's .qm files are looked for, in this order: translations/ beside the
    // program (the Windows folder and the build folder), then the installed
    // ../share/zanora/translations.
    static QStringList programFolders();
    // Where Qt's own .qm files are looked for: Qt's translations folder, then the program's.
    static QStringList qtFolders();

    // Loads the program's and Qt's translations for `language` into the running application,
    // which owns them; false, with a warning for each, when one of them is not found.
    static bool install(Language language, const QStringList &ownFolders = programFolders(),
                        const QStringList &qtOwnFolders = qtFolders());
};
