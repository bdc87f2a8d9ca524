#include "core/selection/messagereader.h"
#include "ui/kelto.h"
#include "ui/messagedrop.h"
#include "ui_kelto.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QShortcut>

namespace {

// The most of a message the row's tooltip shows.
constexpr int tooltipLength = 2000;

void tellAboutMessage(const QString &title, const QString &text)
{
    QMessageBox::information(nullptr, title, text, QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::Yes);
}

} // namespace

// Ctrl+V anywhere in the window takes the clipboard's text as the picks; a field that edits text
// keeps the key for itself.
void kelto::acceptMessages()
{
    auto *paste = new QShortcut(QKeySequence::Paste, this);
    connect(paste, &QShortcut::activated, this, &kelto::pasteMessage);
}

void kelto::pasteMessage()
{
    if (selectionRun)
        return; // the picks stay as they are while a run uses them
    takeMessage(MessageDrop::read(QGuiApplication::clipboard()->mimeData()));
}

// Keeps a message that holds an entry as the picks in place of the small-image folder, and says
// what it holds; anything else is refused with the reason and changes nothing.
void kelto::takeMessage(const MessageReader::Text &text)
{
    QString refusal;
    switch (text.error) {
    case MessageReader::TextError::None:
        break;
    case MessageReader::TextError::Empty:
        refusal = tr("消息是空的");
        break;
    case MessageReader::TextError::TooLarge:
        refusal = tr("消息超过 1 MiB，不像是选片消息");
        break;
    case MessageReader::TextError::Binary:
    case MessageReader::TextError::NotText:
        refusal = tr("这不是文字，读不出选片");
        break;
    case MessageReader::TextError::MixedEncodings:
        refusal = tr("消息中混有不同的文字编码，请存为 UTF-8 后再试");
        break;
    case MessageReader::TextError::Unreadable:
        refusal = tr("无法读取文件：%1").arg(text.detail);
        break;
    }
    auto message = std::make_shared<PickMessage>();
    if (refusal.isEmpty()) {
        *message = MessageReader::read(text.text);
        if (message->entries.isEmpty())
            refusal = tr("消息中没有编号、范围或文件名");
    }
    QStringList notUnderstood;
    for (const MessageWord &word : qAsConst(message->notUnderstood))
        notUnderstood.append(word.text);
    if (!refusal.isEmpty()) {
        if (!notUnderstood.isEmpty())
            refusal += tr("，看不懂：%1").arg(notUnderstood.join(tr("、")));
        tellAboutMessage(tr("错误"), refusal);
        return;
    }

    pickMessage = message;
    const int entries = int(message->entries.size());
    ui->label_smallPath->setText(tr("选片来自消息：%1项").arg(entries));
    ui->label_smallPath->setToolTip(text.text.size() > tooltipLength
                                            ? text.text.left(tooltipLength) + QChar(0x2026)
                                            : text.text);
    QString told = tr("消息中共有%1项选片").arg(entries);
    if (!notUnderstood.isEmpty())
        told += tr("，看不懂：%1").arg(notUnderstood.join(tr("、")));
    tellAboutMessage(tr("信息"), told);
}
