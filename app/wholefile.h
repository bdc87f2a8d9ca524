#pragma once

class QByteArray;
class QSaveFile;

// Writes bytes into an open QSaveFile and puts it in place only if every byte reached the file.
// QSaveFile::commit() alone misses a write that comes out short (a full disk, a file-size
// limit) and would replace the previous file with the cut one; here the previous file stays.
bool commitWholeFile(QSaveFile &file, const QByteArray &bytes);
