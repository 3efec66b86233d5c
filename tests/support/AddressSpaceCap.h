// While alive, the process may grow by at most 64 MB: an allocation that trusts a
// size from a file fails instead of passing unnoticed, and a memory failure can be
// brought about on purpose.
#pragma once

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

struct AddressSpaceCap {
    rlimit saved{};
    AddressSpaceCap()
    {
        long pages = 0;
        if (FILE *f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(f);
        }
        getrlimit(RLIMIT_AS, &saved);
        rlimit capped = saved;
        capped.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(64) << 20);
        if (pages > 0)
            setrlimit(RLIMIT_AS, &capped);
    }
    ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &saved); }
    AddressSpaceCap(const AddressSpaceCap &) = delete;
    AddressSpaceCap &operator=(const AddressSpaceCap &) = delete;
};
