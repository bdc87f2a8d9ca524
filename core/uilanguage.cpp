// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/uilanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcLanguage, "zanora.language", QtWarningMsg)

namespace {

// Loads `name`.qm from the first of `folders` that has it, for the application to use.
bool installTranslation(const QString &name, const QStringList &folders)
{
    for (const QString &folder : folders) {
        // The exact file: QTranslator::load() would fall back on shorter names.
        const QString file = folder + QLatin1Char('/') + name + QLatin1String(".qm");
        if (!QFileInfo::exists(file))
            continue;
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(file) && QCoreApplication::installTranslator(translator)) {
            qCDebug(lcLanguage) << "translation" << file;
            return true;
        }
        qCWarning(lcLanguage) << "translation" << file << "cannot be loaded";
        delete translator;
    }
    qCWarning(lcLanguage) << "translation" << name << "not found in" << folders;
    return false;
}

} // namespace

UiLanguage::Language UiLanguage::choose(const QStringList &uiLanguages, const QString &override)
{
    if (override == QLatin1String("en"))
        return English;
    if (override == QLatin1String("zh"))
        return Chinese;
    if (!override.isEmpty())
        qCWarning(lcLanguage) << "ZANORA_LANG must be zh or en, not" << override;
    if (uiLanguages.isEmpty())
        return Chinese;
    // "en", "en-US", "en_GB", "en-Latn-US"; "C", "C.UTF-8" and "POSIX" name no language.
    const QString first = uiLanguages.constFirst().toLower();
    return first == QLatin1String("en") || first.startsWith(QLatin1String("en-"))
                           || first.startsWith(QLatin1String("en_"))
                   ? English
                   : Chinese;
}

UiLanguage::Language UiLanguage::current()
{
    return choose(QLocale::system().uiLanguages(), qEnvironmentVariable("ZANORA_LANG"));
}

QStringList UiLanguage::programFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder + QLatin1String("/translations"),
            QDir::cleanPath(programFolder + QLatin1String("/../share/zanora/translations"))};
}

QStringList UiLanguage::qtFolders()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString qtFolder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    QStringList folders = programFolders();
    folders.prepend(qtFolder);
    folders.removeDuplicates();
    return folders;
}

bool UiLanguage::install(Language language, const QStringList &ownFolders,
                         const QStringList &qtOwnFolders)
{
    if (language == English) {
        // Qt's own texts are English already.
        return installTranslation(QStringLiteral("zanora_en"), ownFolders);
    }
    const bool own = installTranslation(QStringLiteral("zanora_zh_CN"), ownFolders);
    const bool qt = installTranslation(QStringLiteral("qtbase_zh_CN"), qtOwnFolders);
    return own && qt;
}
