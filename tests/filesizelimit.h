// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// Makes every write that would take a file beyond `bytes` fail, for as long as the object lives:
// the process's file-size limit is lowered and SIGXFSZ ignored, so that write() fails instead of
// the signal ending the process. Windows has no such limit: there the object does nothing, and a
// test that needs the limit skips when isSupported() is false.
class FileSizeLimit
{
public:
    static constexpr qint64 Unlimited = -1;

    static constexpr bool isSupported()
    {
#ifdef Q_OS_UNIX
        return true;
#else
        return false;
#endif
    }

    explicit FileSizeLimit(qint64 bytes)
    {
#ifdef Q_OS_UNIX
        getrlimit(RLIMIT_FSIZE, &previous);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous;
        limit.rlim_cur = bytes == Unlimited ? RLIM_INFINITY : rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
#else
        Q_UNUSED(bytes)
#endif
    }

    ~FileSizeLimit()
    {
#ifdef Q_OS_UNIX
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
#endif
    }

    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
#ifdef Q_OS_UNIX
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
#endif
};

// Skips the test (row) when the platform cannot limit file sizes.
#define SKIP_WITHOUT_FILE_SIZE_LIMIT() \
    do { \
        if (!FileSizeLimit::isSupported()) \
            QSKIP("Needs a per-process file-size limit (RLIMIT_FSIZE), which Windows lacks"); \
    } while (false)
