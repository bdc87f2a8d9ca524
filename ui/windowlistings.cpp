#include "core/selection/treelisting.h"
#include "ui/kelto.h"

// The window's own names for the listings, as its pickers and older callers know them.

QFileInfoList kelto::listTreeFolders(QString path)
{
    return ::listTreeFolders(path);
}

QFileInfoList kelto::listTreeFiles(QString path)
{
    return ::listTreeFiles(path);
}

QFileInfoList kelto::listTreeImages(QString path)
{
    return ::listTreeImages(path);
}
