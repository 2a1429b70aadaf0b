#pragma once

// For the stand-in programs the tests start: an error as the tests compare
// it, by its name.

#include <cstring>
#include <string>

// An error's name (EPERM), or its number where the C library cannot tell.
inline std::string errorName(int error)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
    if (const char *name = ::strerrorname_np(error))
        return name;
#endif
    return std::to_string(error);
}
