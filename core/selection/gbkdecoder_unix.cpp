// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/gbkdecoder_p.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

bool decodeGbk(const QByteArray &bytes, QString &text)
{
    text.clear();
    const iconv_t converter = iconv_open("UTF-16LE", "GBK");
    if (converter == iconv_t(-1))
        return false;
    // Every GBK character takes one or two bytes and becomes one UTF-16 unit.
    std::vector<char> out(size_t(bytes.size()) * 2 + 2);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *outPointer = out.data();
    size_t outLeft = out.size();
    const size_t converted = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (converted == size_t(-1) || inLeft != 0)
        return false;
    const size_t units = (out.size() - outLeft) / 2;
    text.resize(int(units));
    for (size_t i = 0; i < units; ++i)
        text[int(i)] = QChar(ushort(uchar(out[2 * i]) | uchar(out[2 * i + 1]) << 8));
    return true;
}
