#pragma once

#include <QString>

// Where the ad store lives: the folder GG in the current working folder, resolved at each call.
QString adStoreFolder();
QString adLinkFilePath();
