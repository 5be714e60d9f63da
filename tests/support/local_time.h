#pragma once

// Local times for the tests that depend on the time zone: each sets its zone for its
// own duration and works out the local times it expects.
#include <cstdint>
#include <string>

// Sets TZ (e.g. "Asia/Shanghai", "UTC") while the object lives, then restores it.
class LocalTimeZone {
public:
    explicit LocalTimeZone(const char* zone);
    ~LocalTimeZone();
    LocalTimeZone(const LocalTimeZone&) = delete;
    LocalTimeZone& operator=(const LocalTimeZone&) = delete;

private:
    bool m_hadZone;
    std::string m_oldZone;
};

// Seconds since 1970-01-01 00:00:00 UTC of the local time in the current zone.
int64_t LocalTime(int year, int month, int day, int hour, int minute, int second);
