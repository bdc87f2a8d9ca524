// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/messagereader.h"

#include <QObject>

#include <memory>

class QLabel;
class QWidget;

// The picks from a client's message, in place of the small-image folder: pasted with Ctrl+V
// anywhere in the window (a field that edits text keeps the key for itself), or dropped on the
// small-images row as text or a .txt file, which the row hands over. A message that holds an
// entry becomes the window's message and shows on the row's label; anything else is refused with
// the reason and changes nothing. The picks stay as they are while the row's button is disabled
// (while a run uses them); a folder the row takes makes its pictures the picks again (clear()).
class MessagePicks : public QObject
{
    Q_OBJECT

public:
    MessagePicks(QWidget *rowButton, QLabel *label, std::shared_ptr<const PickMessage> &message,
                 QWidget *window);

    void paste();
    void take(const MessageReader::Text &text);
    void clear();

private:
    QWidget *const rowButton;
    QLabel *const label;
    std::shared_ptr<const PickMessage> &message;
};
