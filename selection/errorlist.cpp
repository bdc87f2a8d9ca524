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
    // Paths go in as plain text, one paragraph each: a file name such as "<b>.jpg" must not be
    // read as markup, and a line break inside a name must not split it into two entries.
    QTextCursor cursor(ui->errorFiles->document());
    cursor.movePosition(QTextCursor::End);
    for (QString message : errorMessages) {
        for (QChar &c : message) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator)
                c = QChar::LineSeparator;
        }
        // The first entry takes the document's initial empty paragraph.
        if (listsEntries)
            cursor.insertBlock();
        cursor.insertText(message);
        listsEntries = true;
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
