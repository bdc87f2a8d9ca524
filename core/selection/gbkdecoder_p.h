// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Decodes GBK (code page 936) text, refusing any byte sequence that is not GBK: false then, and
// text is left empty. One half per platform: iconv, or the Windows code-page converter.
bool decodeGbk(const QByteArray &bytes, QString &text);
