// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kelto.h"
#include "ui/rulesdialog.h"
#include "ui_kelto.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QSettings>

// The rules live in the context menu beside the configuration entry, and behind Ctrl+R; neither
// changes how the window looks.
void kelto::addRulesAction()
{
    QSettings settings;
    matchRules = MatchRules::fromSettings(settings);

    auto *action = new QAction(tr("规则"), this);
    action->setObjectName(QStringLiteral("action_rules"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, &kelto::bt_rules);
    addAction(action);
    showRulesNote();
}

void kelto::bt_rules()
{
    if (rulesDialog) {
        rulesDialog->raise();
        rulesDialog->activateWindow();
        return;
    }
    rulesDialog = new RulesDialog(matchRules, this);
    rulesDialog->setAttribute(Qt::WA_DeleteOnClose);
    RulesDialog *dialog = rulesDialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog] { setMatchRules(dialog->rules()); });
    dialog->open();
}

// A run under way keeps the rules it started with.
void kelto::setMatchRules(const MatchRules &rules)
{
    matchRules = rules;
    QSettings settings;
    rules.save(settings);
    showRulesNote();
}

// The note sits on the footer band, below everything the window places, and is made only once
// a rule differs from the defaults: with the defaults the window is as it always was.
void kelto::showRulesNote()
{
    if (matchRules.isDefault()) {
        if (rulesNote)
            rulesNote->hide();
        return;
    }
    if (!rulesNote) {
        rulesNote = new QLabel(ui->centralWidget);
        rulesNote->setObjectName(QStringLiteral("label_rules"));
        rulesNote->setGeometry(90, 795, 1021, 31);
        rulesNote->setStyleSheet(QStringLiteral("background-color: none;\n"
                                                "color: rgb(255, 255, 255);\n"
                                                "font: 10pt \"微软雅黑\";"));
        rulesNote->setToolTip(tr("匹配规则不是默认规则：可在右键菜单“规则”或按 Ctrl+R 修改"));
    }
    QStringList parts;
    if (matchRules.ignoreCase)
        parts.append(tr("忽略大小写"));
    if (matchRules.wholeNames)
        parts.append(tr("只认完整的名字"));
    if (!matchRules.pickFormats.isEmpty())
        parts.append(tr("小图格式 %1").arg(matchRules.pickFormats.join(QStringLiteral(", "))));
    if (matchRules.companions)
        parts.append(tr("连带附属文件"));
    rulesNote->setText(tr("规则：%1").arg(parts.join(QStringLiteral("，"))));
    rulesNote->show();
    rulesNote->raise();
}
