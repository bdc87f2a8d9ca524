// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/commandlinerun.h"

#include "core/selection/jobrunner.h"
#include "core/selection/messagereader.h"
#include "core/wholefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Set by the SIGINT handler, looked at by a timer: nothing else may happen inside a handler.
volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void onInterrupt(int)
{
    interruptRequested = 1;
    // A second Ctrl+C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

void writeOut(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

const char *phaseName(SelectionJob::Phase phase, bool dryRun)
{
    switch (phase) {
    case SelectionJob::Listing:
        return QT_TRANSLATE_NOOP("CommandLineRun", "listing");
    case SelectionJob::Matching:
        return QT_TRANSLATE_NOOP("CommandLineRun", "matching");
    case SelectionJob::Copying:
        return dryRun ? QT_TRANSLATE_NOOP("CommandLineRun", "planning")
                      : QT_TRANSLATE_NOOP("CommandLineRun", "copying");
    case SelectionJob::Flushing:
        return QT_TRANSLATE_NOOP("CommandLineRun", "flushing");
    }
    return "";
}

// "45 s left", "2 min 10 s left", "1 h 5 min left"; "time left unknown" until the job can tell.
QString timeLeftText(qint64 msecs)
{
    if (msecs < 0)
        return QCoreApplication::translate("CommandLineRun", "time left unknown");
    const qint64 seconds = qMax<qint64>((msecs + 500) / 1000, msecs > 0 ? 1 : 0);
    if (seconds < 60)
        return QCoreApplication::translate("CommandLineRun", "%1 s left").arg(seconds);
    if (seconds < 3600) {
        return QCoreApplication::translate("CommandLineRun", "%1 min %2 s left")
                .arg(seconds / 60)
                .arg(seconds % 60);
    }
    return QCoreApplication::translate("CommandLineRun", "%1 h %2 min left")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60);
}

const char *helpTail = QT_TRANSLATE_NOOP(
        "CommandLineRun",
        "\n"
        "Without any argument zanora opens its window.\n"
        "\n"
        "Copies, for every pick below --small, every file below --big whose name without\n"
        "suffix occurs in the pick's file name, into --out: side by side, or with\n"
        "--classified into sub-folders that mirror where the picks lie. A copy already\n"
        "there (same size and time) is skipped; another file of that name is moved to\n"
        "the trash, or where the disk has none renamed beside itself as\n"
        "NAME.replaced-DATE-TIME, before it is replaced. A second original of the same\n"
        "name is copied beside the first as NAME (2).EXT. Picks in other picture\n"
        "formats (heic, webp, tif, ...) or suffix cases (.Jpg) and names that are not\n"
        "valid in the file-name encoding are listed as left out.\n"
        "\n"
        "Matching rules, each off unless asked for: --ignore-case, --whole-names,\n"
        "--pick-formats, --companions. The command line never reads the rules kept by\n"
        "the window: a script gives the same result wherever it runs.\n"
        "\n"
        "With --list in place of --small the picks are a client's message, as a text file\n"
        "(UTF-8 or GBK, at most 1 MiB) or on standard input (-): numbers (12, 0012) pick\n"
        "every file whose name without suffix ends in that number, ranges (56-60, 56~60,\n"
        "1234-40) every number between, names (IMG_0078, DSC_1234.JPG) the files of\n"
        "that name ignoring case. A line \"heading: entries\" groups its entries;\n"
        "--classified puts each group into a sub-folder of its own. Entries without a\n"
        "file are printed as one line to paste back to the client.\n"
        "\n"
        "A message's names are always compared ignoring case and its numbers and names\n"
        "always take the files named after an original with a further suffix\n"
        "(IMG_0012.CR2.xmp), so the rules change nothing for --list.\n"
        "\n"
        "Exit codes: 0 done; 1 some copies failed (the others were made), or the\n"
        "missing list or the record could not be written; 2 bad arguments, folders or\n"
        "message; 3 picks without an original and --stop-if-missing (nothing copied);\n"
        "4 not enough free space on the output disk for the copies still to write\n"
        "(nothing copied); 130 stopped by Ctrl+C (the copies made so far are kept).\n");

} // namespace

CommandLineRun::CommandLineRun(QObject *parent)
    : QObject(parent)
{
    interruptPoll.setInterval(50);
    connect(&interruptPoll, &QTimer::timeout, this, &CommandLineRun::pollInterrupt);
    // On a terminal the counts are shown as the job reports them; the timer lets the seconds of a
    // phase without counts pass.
    connect(&progressTimer, &QTimer::timeout, this, [this] {
        if (!terminal || phaseTotal < 0)
            showProgress();
    });
}

CommandLineRun::~CommandLineRun() = default;

int CommandLineRun::exec(const QStringList &arguments)
{
    const int code = prepare(arguments);
    return code >= 0 ? code : run();
}

int CommandLineRun::prepare(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
            tr("Gathers the originals of picked pictures, without a window."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption smallOption(QStringLiteral("small"), tr("Folder tree of the picks."),
                                         QStringLiteral("folder"));
    const QCommandLineOption bigOption(QStringLiteral("big"), tr("Folder tree of the originals."),
                                       QStringLiteral("folder"));
    const QCommandLineOption outOption(QStringLiteral("out"),
                                       tr("Output folder, created when missing."),
                                       QStringLiteral("folder"));
    const QCommandLineOption classifiedOption(
            QStringLiteral("classified"),
            tr("Mirror the picks' sub-folders below the output folder."));
    const QCommandLineOption dryRunOption(
            QStringLiteral("dry-run"),
            tr("Copy nothing; print each entry as source<TAB>target<TAB>what would happen: copy, "
               "skip, replace or rename."));
    const QCommandLineOption stopOption(
            QStringLiteral("stop-if-missing"),
            tr("Copy nothing when a pick has no original (exit code 3)."));
    const QCommandLineOption missingListOption(
            QStringLiteral("missing-list"),
            tr("Write the picks without an original to <file>, one per line."),
            QStringLiteral("file"));
    const QCommandLineOption reportOption(
            QStringLiteral("report"),
            tr("Write the record of the run to <file> (JSON): every entry with its outcome, the "
               "missing picks, the files left out."),
            QStringLiteral("file"));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        tr("Print a JSON report on standard output."));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         tr("Show no progress and no summary."));
    const QCommandLineOption ignoreCaseOption(
            QStringLiteral("ignore-case"),
            tr("Compare names ignoring case: img_0030.jpg finds IMG_0030.CR2."));
    const QCommandLineOption wholeNamesOption(
            QStringLiteral("whole-names"),
            tr("Count a name only where no letter or digit touches it: IMG_123 is not found in "
               "IMG_1234.jpg."));
    const QCommandLineOption pickFormatsOption(
            QStringLiteral("pick-formats"),
            tr("The suffixes of picks, comma-separated, ignoring case (default: jpg, jpeg, png, "
               "JPG, JPEG, PNG with case)."),
            QStringLiteral("list"));
    const QCommandLineOption companionsOption(
            QStringLiteral("companions"),
            tr("Copy the files named after a matched original's whole name (IMG_1.CR2.xmp) with "
               "it."));
    const QCommandLineOption listOption(
            QStringLiteral("list"),
            tr("The picks as a client's message, in place of --small: a text file, or - for "
               "standard input."),
            QStringLiteral("file"));
    parser.addOptions({smallOption, listOption, bigOption, outOption, classifiedOption, dryRunOption,
                       stopOption, missingListOption, reportOption, jsonOption, quietOption,
                       ignoreCaseOption, wholeNamesOption, pickFormatsOption, companionsOption});

    const auto usageError = [](const QString &message) {
        std::fprintf(stderr, "zanora: %s\n%s\n", message.toLocal8Bit().constData(),
                     tr("Try 'zanora --help'.").toLocal8Bit().constData());
        return int(UsageError);
    };
    const auto folderError = [](const QString &message) {
        std::fprintf(stderr, "zanora: %s\n", message.toLocal8Bit().constData());
        return false;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        writeOut((parser.helpText() + tr(helpTail)).toLocal8Bit());
        return Success;
    }
    if (parser.isSet(versionOption)) {
        writeOut("zanora " ZANORA_VERSION "\n");
        return Success;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
                tr("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(smallOption) && parser.isSet(listOption))
        return usageError(tr("--small and --list cannot be given together"));
    if (!parser.isSet(smallOption) && !parser.isSet(listOption))
        return usageError(tr("--small or --list is required"));
    for (const QCommandLineOption *option : {&bigOption, &outOption}) {
        if (!parser.isSet(*option))
            return usageError(tr("--%1 is required").arg(option->names().constFirst()));
    }

    config.classified = parser.isSet(classifiedOption);
    config.dryRun = parser.isSet(dryRunOption);
    stopIfMissing = parser.isSet(stopOption);
    json = parser.isSet(jsonOption);
    quiet = parser.isSet(quietOption);
    missingListPath = parser.value(missingListOption);
    if (parser.isSet(reportOption))
        config.recordPath = QFileInfo(parser.value(reportOption)).absoluteFilePath();
    config.rules.ignoreCase = parser.isSet(ignoreCaseOption);
    config.rules.wholeNames = parser.isSet(wholeNamesOption);
    config.rules.companions = parser.isSet(companionsOption);
    if (parser.isSet(pickFormatsOption)
        && !MatchRules::parsePickFormats(parser.value(pickFormatsOption), config.rules.pickFormats))
        return usageError(tr("--pick-formats '%1': give suffixes such as heic,tif")
                                  .arg(parser.value(pickFormatsOption)));

    // Every folder is checked before anything is listed. Paths are made absolute, not
    // canonical, as the window's folder choosers give them.
    const auto folder = [&](const QCommandLineOption &option, bool mayCreate, QString &path) {
        const QString given = parser.value(option);
        const QString name = QStringLiteral("--") + option.names().constFirst();
        const QFileInfo info(given);
        if (given.isEmpty() || (info.exists() && !info.isDir()))
            return folderError(tr("%1 '%2' is not a folder").arg(name, given));
        path = QDir::cleanPath(info.absoluteFilePath());
        if (!info.exists()) {
            if (!mayCreate)
                return folderError(tr("%1 '%2': no such folder").arg(name, given));
            if (!config.dryRun && !QDir().mkpath(path))
                return folderError(tr("%1 '%2': the folder cannot be created").arg(name, given));
        }
        return true;
    };
    if (parser.isSet(listOption) && !readList(parser.value(listOption)))
        return UsageError;
    if ((!config.message && !folder(smallOption, false, config.smallImagesPath))
        || !folder(bigOption, false, config.bigImagesPath)
        || !folder(outOption, true, config.outputPath))
        return UsageError;
    return -1;
}

// Reads the message of --list; false, having said why, when it holds no entry.
bool CommandLineRun::readList(const QString &given)
{
    MessageReader::Text read;
    if (given == QLatin1String("-")) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            read = MessageReader::readDevice(&in);
        else
            read = {QString(), MessageReader::TextError::Unreadable, in.errorString()};
    } else {
        read = MessageReader::readFile(given);
    }
    const QString name = given == QLatin1String("-") ? tr("standard input")
                                                     : QStringLiteral("'%1'").arg(given);
    if (read.error != MessageReader::TextError::None) {
        QString reason = MessageReader::describe(read.error);
        if (!read.detail.isEmpty())
            reason += QStringLiteral(": ") + read.detail;
        tell(QStringLiteral("zanora: ") + tr("--list %1: %2; nothing copied").arg(name, reason));
        return false;
    }
    auto message = std::make_shared<PickMessage>(MessageReader::read(read.text));
    for (const MessageWord &word : qAsConst(message->notUnderstood)) {
        notUnderstood.append(word.text);
        tell(QStringLiteral("zanora: ")
             + tr("not understood: %1 (%2)").arg(word.text, MessageReader::describe(word.reason)));
    }
    if (message->entries.isEmpty()) {
        tell(QStringLiteral("zanora: ")
             + tr("--list %1: no number, range or name in the message; nothing copied").arg(name));
        return false;
    }
    config.message = message;
    return true;
}

int CommandLineRun::run()
{
    terminal = stderrIsTerminal();
    runner.reset(new JobRunner(config));
    SelectionJob *job = runner->job();
    connect(job, &SelectionJob::phaseStarted, this, &CommandLineRun::onPhaseStarted);
    connect(job, &SelectionJob::progressed, this, [this](SelectionJob::Phase, int total, int done) {
        phaseTotal = total;
        phaseDone = done;
        if (terminal && !quiet)
            showProgress();
    });
    connect(job, &SelectionJob::copyProgressed, this,
            [this](const SelectionJob::CopyProgress &progress) { bytes = progress; });
    connect(job, &SelectionJob::missingFound, this, &CommandLineRun::onMissingFound);
    connect(job, &SelectionJob::copyFailed, this, &CommandLineRun::onCopyFailed);
    connect(job, &SelectionJob::notEnoughSpace, this,
            [this](const QString &volume, qint64 needed, qint64 available) {
                tell(QStringLiteral("zanora: ")
                     + tr("not enough space on %1: %2 bytes to write, %3 bytes free; nothing "
                          "copied")
                               .arg(volume)
                               .arg(needed)
                               .arg(available));
            });
    connect(job, &SelectionJob::entryDone, this, &CommandLineRun::onEntryDone);
    connect(job, &SelectionJob::finished, this, &CommandLineRun::onFinished);

    // The run lists each failed copy itself, with source, target and reason, as the job tells it
    // through copyFailed(): the job's own log line for it would say the same a second time.
    // QT_LOGGING_RULES still turns it on.
    QLoggingCategory::setFilterRules(QLatin1String(lcCopyFailures().categoryName())
                                     + QLatin1String(".warning=false"));
    interruptRequested = 0;
    const auto previousInterruptHandler = std::signal(SIGINT, onInterrupt);
    interruptPoll.start();
    if (!quiet) {
        progressTimer.setInterval(terminal ? 100 : 5000);
        progressTimer.start();
    }

    QEventLoop eventLoop;
    loop = &eventLoop;
    phaseClock.start();
    runner->start();
    const int code = eventLoop.exec();
    loop = nullptr;

    interruptPoll.stop();
    progressTimer.stop();
    std::signal(SIGINT, previousInterruptHandler);
    std::fflush(stdout);
    return code;
}

void CommandLineRun::pollInterrupt()
{
    if (!interruptRequested || interrupted || !runner)
        return;
    interrupted = true;
    tell(QStringLiteral("zanora: ") + tr("stopping; the copies made so far are kept"));
    runner->stop();
}

void CommandLineRun::onPhaseStarted(SelectionJob::Phase started, int total)
{
    // Without missing picks the list is written, empty, when the copying begins.
    if (started == SelectionJob::Copying && !missingListWritten)
        writeMissingList();
    phase = started;
    phaseTotal = total;
    phaseDone = 0;
    phaseClock.restart();
    if (terminal && !quiet)
        showProgress();
}

void CommandLineRun::onMissingFound(const QStringList &paths, const IgnoredFiles &ignored)
{
    missingPicks = paths;
    ignoredFiles = ignored;
    for (const IgnoredFile &file : ignored)
        tell(QStringLiteral("zanora: ") + tr("left out: %1: %2").arg(file.path, file.reasonText()));
    if (config.message) {
        // One line to paste back to the client.
        if (!paths.isEmpty())
            tell(QStringLiteral("未找到：") + paths.join(QStringLiteral("、")));
    } else {
        for (const QString &path : paths)
            tell(QStringLiteral("zanora: ") + tr("no original for %1").arg(path));
    }
    writeMissingList();
    const bool stop = stopIfMissing && !paths.isEmpty();
    if (stop) {
        tell(QStringLiteral("zanora: ")
             + tr("%1 missing; nothing copied (--stop-if-missing)").arg(paths.size()));
    }
    runner->job()->decide(!stop);
}

void CommandLineRun::writeMissingList()
{
    missingListWritten = true;
    if (missingListPath.isEmpty())
        return;
    QByteArray bytes;
    for (const QString &path : qAsConst(missingPicks))
        bytes += (config.message ? path.toUtf8() : QFile::encodeName(path)) + '\n';
    QSaveFile file(missingListPath);
    if (openWholeFile(file) && commitWholeFile(file, bytes))
        return;
    missingListFailed = true;
    tell(QStringLiteral("zanora: ")
         + tr("--missing-list '%1' cannot be written: %2").arg(missingListPath, file.errorString()));
}

void CommandLineRun::onCopyFailed(const QString &source, const QString &target,
                                  const QString &reason)
{
    failedCopies.append({source, target, reason});
    tell(QStringLiteral("zanora: ") + tr("copy failed: %1 -> %2: %3").arg(source, target, reason));
    runner->job()->answerFailure(true);
}

void CommandLineRun::onEntryDone(const QString &source, const QString &target, int outcome)
{
    if (!config.dryRun)
        return;
    clearProgress();
    writeOut(QFile::encodeName(source) + '\t' + QFile::encodeName(target) + '\t'
             + RunEntry::planName(RunEntry::Outcome(outcome)) + '\n');
}

void CommandLineRun::onFinished(SelectionJob::Outcome outcome)
{
    // The job has sent its last signal; its thread is ending.
    SelectionJob *job = runner->job();
    const SelectionJob::Summary summary = job->summary();
    for (const RunEntry &entry : job->runEntries()) {
        if (entry.renamed && !entry.again && !entry.pending && entry.outcome != RunEntry::Failed)
            renamedCopies.append({job->sourceOf(entry), entry.target});
    }
    runner.reset();

    int code = Success;
    if (interrupted)
        code = Interrupted;
    else if (outcome == SelectionJob::NotEnoughSpace)
        code = NotEnoughSpace;
    else if (outcome == SelectionJob::Stopped)
        code = StoppedForMissing;
    else if (!failedCopies.isEmpty() || missingListFailed || !summary.recordError.isEmpty())
        code = Failures;
    if (!summary.recordError.isEmpty()) {
        tell(QStringLiteral("zanora: ")
             + tr("--report '%1' cannot be written: %2").arg(config.recordPath, summary.recordError));
    }

    clearProgress();
    for (const MessageAmbiguity &each : summary.ambiguous) {
        tell(QStringLiteral("zanora: %1 picked originals of several shots: %2")
                     .arg(each.entry, each.stems.join(QStringLiteral(", "))));
    }
    if (!quiet) {
        qint64 nsecs = 0;
        for (qint64 phaseNsecs : summary.phaseNsecs)
            nsecs += phaseNsecs;
        QString line = config.dryRun
                               ? tr("%1 picks, %2 candidates, %3 matched, %4 planned, %5 failed, "
                                    "%6 missing, %7 skipped, %8 replaced, %9 renamed, "
                                    "%10 left out, %11 s")
                               : tr("%1 picks, %2 candidates, %3 matched, %4 copied, %5 failed, "
                                    "%6 missing, %7 skipped, %8 replaced, %9 renamed, "
                                    "%10 left out, %11 s");
        if (config.message) {
            line = config.dryRun ? tr("%1 entries, %2 candidates, %3 matched, %4 planned, "
                                      "%5 failed, %6 missing, %7 skipped, %8 replaced, "
                                      "%9 renamed, %10 left out, %11 s")
                                 : tr("%1 entries, %2 candidates, %3 matched, %4 copied, "
                                      "%5 failed, %6 missing, %7 skipped, %8 replaced, "
                                      "%9 renamed, %10 left out, %11 s");
        }
        tell(QStringLiteral("zanora: ")
             + line.arg(summary.picks)
                       .arg(summary.candidates)
                       .arg(summary.matched)
                       .arg(summary.copied)
                       .arg(summary.failed)
                       .arg(summary.missing)
                       .arg(summary.skipped)
                       .arg(summary.replaced)
                       .arg(summary.renamed)
                       .arg(summary.ignored)
                       .arg(nsecs / 1e9, 0, 'f', 2));
    }
    if (json)
        writeOut(jsonReport(summary, code) + '\n');
    if (loop)
        loop->exit(code);
}

QByteArray CommandLineRun::jsonReport(const SelectionJob::Summary &summary, int code) const
{
    QJsonArray failures;
    for (const Failure &failure : failedCopies) {
        failures.append(QJsonObject{{QStringLiteral("source"), failure.source},
                                    {QStringLiteral("target"), failure.target},
                                    {QStringLiteral("reason"), failure.reason}});
    }
    QJsonArray renamed;
    for (const auto &copy : renamedCopies) {
        renamed.append(QJsonObject{{QStringLiteral("source"), copy.first},
                                   {QStringLiteral("target"), copy.second}});
    }
    QJsonArray ignored;
    for (const IgnoredFile &file : ignoredFiles) {
        ignored.append(QJsonObject{{QStringLiteral("path"), file.path},
                                   {QStringLiteral("reason"), file.reasonText()}});
    }
    QJsonObject seconds;
    for (SelectionJob::Phase each : {SelectionJob::Listing, SelectionJob::Matching,
                                     SelectionJob::Copying, SelectionJob::Flushing}) {
        seconds.insert(QLatin1String(phaseName(each, false)), summary.phaseNsecs[each] / 1e9);
    }
    const char *outcome = code == Interrupted         ? "interrupted"
                          : code == StoppedForMissing ? "stopped"
                          : code == NotEnoughSpace    ? "not enough space"
                                                      : "completed";
    QJsonObject report{
            {QStringLiteral("outcome"), QLatin1String(outcome)},
            {QStringLiteral("dryRun"), config.dryRun},
            {QStringLiteral("rules"), config.rules.toJson()},
            {QStringLiteral("picks"), summary.picks},
            {QStringLiteral("candidates"), summary.candidates},
            {QStringLiteral("matched"), summary.matched},
            {QStringLiteral("copied"), summary.copied},
            {QStringLiteral("skipped"), summary.skipped},
            {QStringLiteral("replaced"), summary.replaced},
            {QStringLiteral("failed"), summary.failed},
            {QStringLiteral("missing"), summary.missing},
            {QStringLiteral("missingPaths"), QJsonArray::fromStringList(missingPicks)},
            {QStringLiteral("failures"), failures},
            {QStringLiteral("renamed"), renamed},
            {QStringLiteral("ignored"), ignored},
            {QStringLiteral("record"), config.recordPath.isEmpty() || !summary.recordError.isEmpty()
                                               ? QJsonValue()
                                               : QJsonValue(config.recordPath)},
            {QStringLiteral("seconds"), seconds},
    };
    if (config.message) {
        // The entries as the client wrote them, in place of the count of missing picks.
        QJsonArray ambiguous;
        for (const MessageAmbiguity &each : summary.ambiguous) {
            ambiguous.append(
                    QJsonObject{{QStringLiteral("entry"), each.entry},
                                {QStringLiteral("stems"), QJsonArray::fromStringList(each.stems)}});
        }
        report.insert(QStringLiteral("entries"), summary.picks);
        report.insert(QStringLiteral("missing"), QJsonArray::fromStringList(missingPicks));
        report.insert(QStringLiteral("notUnderstood"), QJsonArray::fromStringList(notUnderstood));
        report.insert(QStringLiteral("ambiguous"), ambiguous);
    }
    return QJsonDocument(report).toJson(QJsonDocument::Compact);
}

void CommandLineRun::showProgress()
{
    const double elapsed = qMax<qint64>(phaseClock.elapsed(), 1) / 1000.0;
    QString text = tr(phaseName(phase, config.dryRun));
    if (phaseTotal < 0) {
        text += QStringLiteral(", %1 s").arg(elapsed, 0, 'f', 1);
    } else {
        const char *unit = phase == SelectionJob::Matching ? QT_TR_NOOP("picks")
                                                           : QT_TR_NOOP("files");
        QString counts = QStringLiteral("%1/%2 %3, %4/s")
                                 .arg(phaseDone)
                                 .arg(phaseTotal)
                                 .arg(tr(unit))
                                 .arg(qRound(phaseDone / elapsed));
        if (phase == SelectionJob::Copying && !config.dryRun) {
            counts += tr(", %1 of %2, %3/s, %4")
                              .arg(TimeLeft::sizeText(bytes.bytesDone),
                                   TimeLeft::sizeText(bytes.bytesTotal),
                                   TimeLeft::sizeText(qRound64(bytes.bytesDone / elapsed)),
                                   timeLeftText(bytes.msecsLeft));
        }
        if (terminal) {
            const int width = 24;
            const int filled = phaseTotal > 0 ? int(qint64(phaseDone) * width / phaseTotal) : width;
            text = QStringLiteral("%1 [%2%3] %4")
                           .arg(text, -8)
                           .arg(QString(filled, QLatin1Char('#')),
                                QString(width - filled, QLatin1Char('.')), counts);
        } else {
            text += QLatin1Char(' ') + counts;
        }
    }
    if (!terminal) {
        tell(QStringLiteral("zanora: ") + text);
        return;
    }
    const int length = int(text.size());
    if (length < barLength)
        text += QString(barLength - length, QLatin1Char(' '));
    std::fprintf(stderr, "\r%s", text.toLocal8Bit().constData());
    std::fflush(stderr);
    barLength = length;
}

void CommandLineRun::clearProgress()
{
    if (barLength == 0)
        return;
    std::fprintf(stderr, "\r%s\r", QByteArray(barLength, ' ').constData());
    barLength = 0;
}

void CommandLineRun::tell(const QString &line)
{
    clearProgress();
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
