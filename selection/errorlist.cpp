#include "errorlist.h"
#include "ui_errorlist.h"

#include <QTextCursor>

errorList::errorList(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::errorList)
{
    ui->setupUi(this);
    // Escape and the window's close button end the dialog through finished() without a click;
    // they count as a decision to stop, so the waiting run always gets exactly one answer.
    connect(this, &QDialog::finished, this, [this] {
        deliver(false);
        deleteLater();
    });
}

errorList::~errorList()
{
    delete ui;
}

void errorList::receiveErrorList(QStringList errorMessages)
{
    // Paths go in as plain text: a file name such as "<b>.jpg" must not be read as markup.
    QTextCursor cursor(ui->errorFiles->document());
    for (const QString &message : errorMessages) {
        cursor.movePosition(QTextCursor::End);
        if (!ui->errorFiles->document()->isEmpty())
            cursor.insertBlock();
        cursor.insertText(message);
    }
}

void errorList::bt_1()
{
    deliver(true);
    accept();
}

void errorList::bt_2()
{
    deliver(false);
    reject();
}

void errorList::deliver(bool decision)
{
    if (delivered)
        return;
    delivered = true;
    emit jugement(decision);
}
