// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/errorlist.h"
#include "ui_errorlist.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>

errorList::errorList(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::errorList)
{
    ui->setupUi(this);
    fitQuestion();
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

// The question keeps its box and its font; only where a font wider than the one it was laid out
// with would cut it off, as a fallback for the Windows font can be, the point size steps down
// until the whole text fits.
void errorList::fitQuestion()
{
    QLabel *question = ui->label;
    question->ensurePolished();
    const QString text = question->text();
    const int room = question->contentsRect().width();
    const auto fits = [&](const QFont &font) {
        return QFontMetrics(font).horizontalAdvance(text) <= room;
    };
    QFont font = question->font();
    if (fits(font) || font.pointSizeF() <= 0)
        return;
    qreal size = font.pointSizeF();
    while (size > 1 && !fits(font)) {
        size -= 1;
        font.setPointSizeF(size);
    }
    // The font comes from the style sheet, which would win over setFont() on the next polish.
    static const QRegularExpression pointSize(QStringLiteral("\\b\\d+(\\.\\d+)?pt\\b"));
    question->setStyleSheet(
            QString(question->styleSheet())
                    .replace(pointSize, QString::number(size) + QLatin1String("pt")));
}

void errorList::offerCopyLine(const QString &line)
{
    if (copyLine.isNull()) {
        auto *copy = new QPushButton(tr("复制"), this);
        copy->setObjectName(QStringLiteral("copyMissing"));
        copy->setGeometry(320, 530, 131, 31);
        copy->show();
        connect(copy, &QPushButton::clicked, this,
                [this] { QGuiApplication::clipboard()->setText(copyLine); });
    }
    copyLine = line;
    findChild<QPushButton *>(QStringLiteral("copyMissing"))->setToolTip(line);
}

void errorList::receiveErrorList(QStringList errorMessages)
{
    // Paths go in as plain text, one paragraph each: a file name such as "<b>.jpg" must not be
    // read as markup, and a line break inside a name must not split it into two entries. The
    // whole list goes in as one insertion, which the document lays out once.
    QString text;
    for (QString message : errorMessages) {
        for (QChar &c : message) {
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator)
                c = QChar::LineSeparator;
        }
        // The first entry takes the document's initial empty paragraph.
        if (listsEntries)
            text += QChar::ParagraphSeparator;
        text += message;
        listsEntries = true;
    }
    QTextDocument *document = ui->errorFiles->document();
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    document->setUndoRedoEnabled(undo);
    // The view's own cursor was carried along to the end by the insertions; the list is read
    // from its start.
    ui->errorFiles->moveCursor(QTextCursor::Start);
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
