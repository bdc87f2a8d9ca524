// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/adlink/adlinkcodec.h"

#include <QFileInfoList>
#include <QString>

// The ad store: the folder GG in the current working folder, resolved at each call. It holds the
// images of the ads and the link file setOHS.RDAT with the nine tiles' links.
QString adStoreFolder();
QString adLinkFilePath(const QString &storeFolder = adStoreFolder());

// The files of one folder, sub-folders left out, by name ignoring case.
QFileInfoList listFolderFiles(const QString &path);

// Reads the link file into `links`; they stay as they are when it cannot be opened.
void readAdLinks(AdLinks &links, const QString &path = adLinkFilePath());
// Replaces the link file atomically: a save that fails keeps the previous file. The store folder
// is made by whoever writes images into it; a missing folder means there is nothing to attach
// links to.
void writeAdLinks(const AdLinks &links, const QString &path = adLinkFilePath());
