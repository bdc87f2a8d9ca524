#include "core/selection/gbkdecoder_p.h"

#include <windows.h>

bool decodeGbk(const QByteArray &bytes, QString &text)
{
    text.clear();
    if (bytes.isEmpty())
        return true;
    const int units = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.constData(),
                                          bytes.size(), nullptr, 0);
    if (units <= 0)
        return false;
    text.resize(units);
    return MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.constData(), bytes.size(),
                               reinterpret_cast<wchar_t *>(text.data()), units)
           == units;
}
