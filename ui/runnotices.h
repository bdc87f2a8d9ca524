// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/ignoredfile.h"
#include "core/selection/selectionjob.h"

#include <QMessageBox>
#include <QString>

#include <functional>

// What the window tells of a selection run beyond its progress: the files left out of it, an
// output disk too small for it, and the summary behind the completion box. The boxes are Yes/No
// information boxes without parent and without default button, shown without a nested event
// loop, as every box of the run.
class RunNotices
{
public:
    using Answered = std::function<void(QMessageBox::StandardButton)>;

    static QMessageBox *showBox(const QString &title, const QString &text,
                                const Answered &answered = {},
                                const QString &detailedText = QString());

    // Asks whether to go on without the files left out; they are listed in the detailed text.
    static QMessageBox *askAboutIgnored(const IgnoredFiles &ignored, const Answered &answered);

    // The completion box's detailed text: empty for a run without renames, replacements,
    // failures or files left out.
    static QString summary(const SelectionJob::Summary &summary, const QString &record);

    // Where the window keeps the record of a run started now: records/ of the working folder.
    static QString recordPath();

    // "1.5 GB", as people read sizes.
    static QString size(qint64 bytes);
};
