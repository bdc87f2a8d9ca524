// SPDX-License-Identifier: GPL-3.0-or-later
// The ad-set handler on any answer from the server, each time in a fresh working folder. Every
// call returns (libFuzzer's -timeout), and afterwards the working folder holds nothing but the
// store GG/ with plain files in it: the link file and images stored as <base>.dat or .dats.
//
// Input: the payload of one frame from the server.

#include "core/adlink/adclient.h"
#include "fuzz/fuzzsupport.h"
#include "ui/kelto.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The one call into the program; the rest of this target does not depend on who handles it. An
// ad set is stored on a worker thread; the call returns once it is stored.
void handleAnswer(const QByteArray &payload)
{
    kelto *window = FuzzSupport::window();
    window->handleResponse(payload);
    while (window->adClient()->isStoring())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

QStringList entries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                | QDir::NoDotAndDotDot);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::window();
    FuzzSupport::ScratchFolder folder;
    handleAnswer(QByteArray(reinterpret_cast<const char *>(data), int(size)));

    check(entries(folder.root()) == QStringList(QStringLiteral("work")));
    const QStringList inWork = entries(folder.work());
    check(inWork.isEmpty() || inWork == QStringList(QStringLiteral("GG")));
    const QFileInfoList stored = QDir(folder.work() + QStringLiteral("/GG"))
                                         .entryInfoList(QDir::AllEntries | QDir::Hidden
                                                        | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &file : stored) {
        check(file.isFile() && !file.isSymLink());
        const QString name = file.fileName();
        const QString base = name.section(QLatin1Char('.'), 0, 0);
        check(name == QLatin1String("setOHS.RDAT") || name == base + QLatin1String(".dat")
              || name == base + QLatin1String(".dats"));
    }
    return 0;
}
