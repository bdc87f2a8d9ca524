// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

namespace Ui {
class errorList;
}

class errorList : public QDialog
{
    Q_OBJECT

public:
    explicit errorList(QWidget *parent = nullptr);
    ~errorList() override;

    // Adds a button between the two that puts the line on the clipboard, for a list of what a
    // client's message asked for and was not found.
    void offerCopyLine(const QString &line);

signals:
    void jugement(bool decision);

private slots:
    void receiveErrorList(QStringList errorMessages);
    void bt_1();
    void bt_2();

private:
    friend class kelto; // wires receiveErrorList to its sendErrorList when it opens the dialog
    void deliver(bool decision);
    void fitQuestion();

    Ui::errorList *ui;
    bool delivered = false;
    bool listsEntries = false;
    QString copyLine;
};
