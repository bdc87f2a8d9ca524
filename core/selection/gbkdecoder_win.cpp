// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/gbkdecoder_p.h"

#include <windows.h>

// Code page 936 is GBK; MB_ERR_INVALID_CHARS makes a byte sequence outside it fail instead of
// becoming U+FFFD. A message is at most 1 MiB, so its size fits the converter's int.
bool decodeGbk(const QByteArray &bytes, QString &text)
{
    text.clear();
    if (bytes.isEmpty())
        return true;
    const int size = int(bytes.size());
    const int units = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.constData(), size,
                                          nullptr, 0);
    if (units <= 0)
        return false;
    text.resize(units);
    // wchar_t is a UTF-16 unit on Windows, as QChar is.
    if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes.constData(), size,
                            reinterpret_cast<wchar_t *>(text.data()), units)
        != units) {
        text.clear();
        return false;
    }
    return true;
}
