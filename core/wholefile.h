// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QByteArray;
class QSaveFile;

// Opens a QSaveFile for writing. A write-protected file of that name is replaced all the same, as
// a rename over it does on Linux: on Windows its read-only attribute is cleared first, since
// QSaveFile refuses such a file there and the rename would fail on it. (wholefile_unix.cpp,
// wholefile_win.cpp)
bool openWholeFile(QSaveFile &file);

// Writes bytes into an open QSaveFile and puts it in place only if every byte reached the file.
// QSaveFile::commit() alone misses a write that comes out short (a full disk, a file-size
// limit) and would replace the previous file with the cut one; here the previous file stays.
bool commitWholeFile(QSaveFile &file, const QByteArray &bytes);
