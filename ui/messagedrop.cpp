// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/messagedrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// The one local text file the data carries; empty when it carries something else.
QString textFile(const QMimeData *data)
{
    if (!data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return QString();
    const QFileInfo file(data->urls().first().toLocalFile());
    return file.isFile() && file.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0
                   ? file.filePath()
                   : QString();
}

} // namespace

bool MessageDrop::carriesMessage(const QMimeData *data)
{
    if (!data)
        return false;
    // Addresses come with a text of their own (a file manager's paths, a browser's link): they
    // are no message.
    return !textFile(data).isEmpty() || (data->hasText() && !data->hasUrls());
}

MessageReader::Text MessageDrop::read(const QMimeData *data)
{
    if (!carriesMessage(data))
        return {QString(), MessageReader::TextError::Empty, QString()};
    const QString file = textFile(data);
    if (!file.isEmpty())
        return MessageReader::readFile(file);
    MessageReader::Text text{data->text(), MessageReader::TextError::None, QString()};
    if (text.text.size() > MessageReader::maximumBytes
        || (text.text.size() > MessageReader::maximumBytes / 3
            && text.text.toUtf8().size() > MessageReader::maximumBytes)) {
        text.text.clear();
        text.error = MessageReader::TextError::TooLarge;
    } else if (text.text.trimmed().isEmpty()) {
        text.text.clear();
        text.error = MessageReader::TextError::Empty;
    }
    return text;
}
