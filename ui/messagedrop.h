// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/messagereader.h"

class QMimeData;

// A client's message as a drag or the clipboard carries it: text, or one local .txt file. A
// folder is no message (the row takes it as a folder), nor is any other file or address.
class MessageDrop
{
public:
    static bool carriesMessage(const QMimeData *data);
    // The message's text; TextError::Empty for data that carries none.
    static MessageReader::Text read(const QMimeData *data);
};
