// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/targetnames.h"

#include <QStringBuilder>

TargetNames::Target TargetNames::assign(const QString &folder, const QString &fileName,
                                        const QString &source)
{
    QHash<QString, QString> &inFolder = placed[folder];
    const auto earlier = inFolder.constFind(source);
    if (earlier != inFolder.cend())
        return {earlier.value(), earlier.value().mid(folder.size() + 1) != fileName, true};

    Target target;
    target.path = folder % QLatin1Char('/') % fileName;
    // An original that already lies where its copy would go (the output folder is among the
    // originals) is its own copy: it leaves the name to the others, whose copies the copier then
    // compares with it.
    if (target.path == source)
        return target;
    for (int n = 2; owners.contains(target.path.toLower()); ++n) {
        target.path = folder % QLatin1Char('/') % numbered(fileName, n);
        target.renamed = true;
    }
    owners.insert(target.path.toLower(), source);
    inFolder.insert(source, target.path);
    return target;
}

QString TargetNames::numbered(const QString &fileName, int n)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString number = QStringLiteral(" (%1)").arg(n);
    if (dot <= 0)
        return fileName + number;
    return fileName.left(dot) + number + fileName.mid(dot);
}
