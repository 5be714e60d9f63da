#include "common/decimal.h"

#include <climits>
#include <cstdint>

int DecimalToInt(const char* text)
{
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= int64_t{INT_MAX} + 1)  // stop growing once past the limits
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
