// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/matchrules.h"

#include <QDialog>

namespace Ui {
class RulesDialog;
}

// The studio's matching rules, to look at and change: one box per rule and a line for the pick
// formats (left empty for the defaults). "恢复默认" sets every control back to the defaults; the
// rules count only once the dialog is accepted, which a line of formats that cannot be read
// prevents.
class RulesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RulesDialog(const MatchRules &rules, QWidget *parent = nullptr);
    ~RulesDialog() override;

    // The rules the controls show; the formats are the defaults while their line cannot be read.
    MatchRules rules() const;

private:
    void showRules(const MatchRules &rules);
    bool readFormats(QStringList &formats) const;
    void checkFormats();

    Ui::RulesDialog *ui;
};
