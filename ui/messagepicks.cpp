// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/messagepicks.h"

#include "ui/messagedrop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>

// The texts are the window's, in its translation context.

namespace {

// The most of a message the row's tooltip shows.
constexpr int tooltipLength = 2000;

void tellAboutMessage(const QString &title, const QString &text)
{
    QMessageBox::information(nullptr, title, text, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes);
}

} // namespace

MessagePicks::MessagePicks(QWidget *rowButton, QLabel *label,
                           std::shared_ptr<const PickMessage> &message, QWidget *window)
    : QObject(window)
    , rowButton(rowButton)
    , label(label)
    , message(message)
{
    auto *pasteKey = new QShortcut(QKeySequence::Paste, window);
    connect(pasteKey, &QShortcut::activated, this, &MessagePicks::paste);
}

void MessagePicks::paste()
{
    if (rowButton->isEnabled())
        take(MessageDrop::read(QGuiApplication::clipboard()->mimeData()));
}

void MessagePicks::take(const MessageReader::Text &text)
{
    QString refusal;
    switch (text.error) {
    case MessageReader::TextError::None:
        break;
    case MessageReader::TextError::Empty:
        refusal = QCoreApplication::translate("kelto", "消息是空的");
        break;
    case MessageReader::TextError::TooLarge:
        refusal = QCoreApplication::translate("kelto", "消息超过 1 MiB，不像是选片消息");
        break;
    case MessageReader::TextError::Binary:
    case MessageReader::TextError::NotText:
        refusal = QCoreApplication::translate("kelto", "这不是文字，读不出选片");
        break;
    case MessageReader::TextError::MixedEncodings:
        refusal = QCoreApplication::translate("kelto",
                                              "消息中混有不同的文字编码，请存为 UTF-8 后再试");
        break;
    case MessageReader::TextError::Unreadable:
        refusal = QCoreApplication::translate("kelto", "无法读取文件：%1").arg(text.detail);
        break;
    }
    auto read = std::make_shared<PickMessage>();
    if (refusal.isEmpty()) {
        *read = MessageReader::read(text.text);
        if (read->entries.isEmpty())
            refusal = QCoreApplication::translate("kelto", "消息中没有编号、范围或文件名");
    }
    QStringList notUnderstood;
    for (const MessageWord &word : qAsConst(read->notUnderstood))
        notUnderstood.append(word.text);
    const QString notUnderstoodText
            = notUnderstood.isEmpty()
                      ? QString()
                      : QCoreApplication::translate("kelto", "，看不懂：%1")
                                .arg(notUnderstood.join(QCoreApplication::translate("kelto", "、")));
    if (!refusal.isEmpty()) {
        tellAboutMessage(QCoreApplication::translate("kelto", "错误"), refusal + notUnderstoodText);
        return;
    }

    message = read;
    const int entries = int(read->entries.size());
    label->setText(QCoreApplication::translate("kelto", "选片来自消息：%1项").arg(entries));
    label->setToolTip(text.text.size() > tooltipLength
                              ? text.text.left(tooltipLength) + QChar(0x2026)
                              : text.text);
    tellAboutMessage(QCoreApplication::translate("kelto", "信息"),
                     QCoreApplication::translate("kelto", "消息中共有%1项选片").arg(entries)
                             + notUnderstoodText);
}

void MessagePicks::clear()
{
    message.reset();
}
