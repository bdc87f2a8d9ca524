// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rulesdialog.h"
#include "ui_rulesdialog.h"

RulesDialog::RulesDialog(const MatchRules &rules, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::RulesDialog)
{
    ui->setupUi(this);
    QPalette problem = ui->pickFormatsProblem->palette();
    problem.setColor(QPalette::WindowText, QColor(200, 0, 0));
    ui->pickFormatsProblem->setPalette(problem);
    showRules(rules);
    connect(ui->pickFormats, &QLineEdit::textChanged, this, &RulesDialog::checkFormats);
    connect(ui->restoreDefaults, &QPushButton::clicked, this, [this] { showRules(MatchRules()); });
    connect(ui->accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
}

RulesDialog::~RulesDialog()
{
    delete ui;
}

MatchRules RulesDialog::rules() const
{
    MatchRules rules;
    rules.ignoreCase = ui->ignoreCase->isChecked();
    rules.wholeNames = ui->wholeNames->isChecked();
    readFormats(rules.pickFormats);
    rules.companions = ui->companions->isChecked();
    return rules;
}

void RulesDialog::showRules(const MatchRules &rules)
{
    ui->ignoreCase->setChecked(rules.ignoreCase);
    ui->wholeNames->setChecked(rules.wholeNames);
    ui->pickFormats->setText(rules.pickFormats.isEmpty() ? QString() : rules.pickFormatsText());
    ui->companions->setChecked(rules.companions);
    checkFormats();
}

// An empty line, or one that names the defaults as they are shown, means the defaults.
bool RulesDialog::readFormats(QStringList &formats) const
{
    const QString text = ui->pickFormats->text().trimmed();
    formats.clear();
    if (text.isEmpty() || text == MatchRules().pickFormatsText())
        return true;
    return MatchRules::parsePickFormats(text, formats);
}

void RulesDialog::checkFormats()
{
    QStringList formats;
    const bool readable = readFormats(formats);
    ui->pickFormatsProblem->setVisible(!readable);
    ui->accept->setEnabled(readable);
}
