// SPDX-License-Identifier: GPL-3.0-or-later
#include "adserver.h"
#include "adset.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("adserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Stand-in Zanora ad server. Listens on 127.0.0.1 and answers each "
                           "requestGG with the ad set of a folder: its image files and a "
                           "links.txt of lines \"<file name> <link>\"."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port on 127.0.0.1 (0: any free one)."),
                                        QStringLiteral("N"));
    const QCommandLineOption adsOption(QStringLiteral("ads"),
                                       QStringLiteral("Folder with the ad images and links.txt."),
                                       QStringLiteral("DIR"));
    parser.addOption(portOption);
    parser.addOption(adsOption);
    parser.process(app);

    QTextStream err(stderr);
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!parser.isSet(portOption) || !portOk || port > 65535) {
        err << "adserver: --port N is required, N from 0 to 65535" << Qt::endl;
        return 2;
    }
    if (!parser.isSet(adsOption)) {
        err << "adserver: --ads DIR is required" << Qt::endl;
        return 2;
    }

    // Refuse to start with an ad set that could not be served.
    AdSet check;
    if (!check.load(parser.value(adsOption))) {
        err << "adserver: " << check.errorString() << Qt::endl;
        return 1;
    }

    AdServer server(parser.value(adsOption));
    if (!server.listen(quint16(port))) {
        err << "adserver: cannot listen on 127.0.0.1:" << port << ": " << server.errorString()
            << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    out << "Listening on 127.0.0.1:" << server.port() << Qt::endl;
    return app.exec();
}
