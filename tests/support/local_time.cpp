#include "support/local_time.h"

#include <cstdlib>
#include <ctime>

LocalTimeZone::LocalTimeZone(const char* zone)
{
    const char* old = std::getenv("TZ");
    m_hadZone = old != nullptr;
    m_oldZone = old ? old : "";
    setenv("TZ", zone, 1);
    tzset();
}

LocalTimeZone::~LocalTimeZone()
{
    m_hadZone ? setenv("TZ", m_oldZone.c_str(), 1) : unsetenv("TZ");
    tzset();
}

int64_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    struct tm fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&fields));
}
