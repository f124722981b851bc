// A write failure on demand: while a FILESIZELIMIT lives, no file of the process may grow
// beyond the given size, and a write that would fails with EFBIG, as on a full disk. The
// signal the system sends with it is ignored meanwhile, so the write just fails.
#pragma once

#include <csignal>
#include <cstddef>

#include <sys/resource.h>

class FILESIZELIMIT {
public:
    explicit FILESIZELIMIT(std::size_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FILESIZELIMIT()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FILESIZELIMIT(const FILESIZELIMIT&) = delete;
    FILESIZELIMIT& operator=(const FILESIZELIMIT&) = delete;

private:
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
};
