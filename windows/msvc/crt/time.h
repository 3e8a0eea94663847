// Wine's time.h, with the struct timespec that libc++ expects of it.
#pragma once
#include_next <time.h>

struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
