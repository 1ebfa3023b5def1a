#pragma once
// Runs one step of a pattern: a status other than kOk ends the calling operation at once and is
// returned, so nothing after a failed write is sent.
#include "link/Status.h"

#define VELTRA_TRY(expr)                    \
    do {                                    \
        const ::veltra::Status s_ = (expr); \
        if (s_ != ::veltra::kOk) {          \
            return s_;                      \
        }                                   \
    } while (false)
