// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration reader on any config.json, with its boxes answered. Reading shows at most
// two boxes; the settings it leaves are written back by the writer, and that file reads back to
// the same settings without a box.
//
// Input: the content of config.json.

#include "fuzz/fuzzsupport.h"
#include "tests/keltoprobe.h"
#include "ui/kelto.h"

#include <QFile>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    kelto *window = FuzzSupport::window();
    FuzzSupport::ScratchFolder folder;
    QFile config(QStringLiteral("config.json"));
    check(config.open(QIODevice::WriteOnly));
    check(config.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    config.close();

    KeltoProbe probe(*window);
    probe.setServerHost(QStringLiteral("192.0.2.1"));
    probe.setServerPort(8888);
    window->readServerConfig();
    check(FuzzSupport::takeShownBoxes().size() <= 2);

    const QString host = probe.serverHost();
    const qint32 port = probe.serverPort();
    check(window->writeServerConfig());
    probe.setServerHost(QString());
    probe.setServerPort(-1);
    window->readServerConfig();
    check(FuzzSupport::takeShownBoxes().isEmpty());
    check(probe.serverHost() == host && probe.serverPort() == port);
    return 0;
}
