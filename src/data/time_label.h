// Time labels: the import's date parser and the day/month order of a file's labels, the
// display's fixed-order field split, the local-time conversion both share, and the short
// formats of the time axis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using TimeValue = int64_t;                         // seconds since 1970-01-01 00:00:00 UTC
constexpr TimeValue kLastTimeValue = 32535215999;  // 3000-12-31 23:59:59 UTC

// Whether numeric dates give the month or the day first (year-first dates never ask).
enum class DayMonthOrder : uint8_t { MonthFirst, DayFirst };

// Today's given clock time in local time (the empty time range runs from 00:00:00 to
// 23:59:59 of today).
TimeValue Today(int hour, int minute, int second);

// Converts local calendar fields to a TimeValue like mktime with tm_isdst = -1 (the C
// run-time decides daylight saving). Caches the result per (date, hour) so a file of
// labels one second apart costs a few mktime calls per hour instead of one per label.
// An hour is served from the cache only when its first and last second convert 3599
// seconds apart onto the asked clock times and the UTC offset is the same an hour
// before and after it, so hours in or next to a daylight-saving change (skipped or
// repeated local times) always go to mktime. Results outside 0..kLastTimeValue have
// no TimeValue (returns false, out untouched).
// One object serves one load: the cache holds the time zone of that load, a new object
// picks up a changed TZ. Not thread-safe; use one object per thread.
class CLocalTimeConverter {
public:
    // regularHour, when given, tells whether the hour was served from the cache: every
    // time in it converts to its hour's first second plus minutes and seconds.
    bool ToTimeValue(int year, int month, int day, int hour, int minute, int second, TimeValue& out,
                     bool* regularHour = nullptr);

    // A label of the recorders' shape "YYYY/MM/DD HH:MM:SS" in a regular hour, whose first
    // second is hourStart: a later label that differs only in minutes and seconds is
    // then read by ReadLabelInLastHour without parsing its date again.
    void RememberLabelHour(const char* label, TimeValue hourStart);
    bool ReadLabelInLastHour(const char* begin, const char* end, TimeValue& out) const;

private:
    static constexpr int kHourPrefix = 14;  // "YYYY/MM/DD HH:"
    char m_hourPrefix[kHourPrefix] = {};
    bool m_bHourKnown = false;
    TimeValue m_hourStart = 0;

    enum : uint8_t { kEmpty, kSeenOnce, kCached, kUncached };
    struct Entry {
        int32_t key = 0;     // packed (year, month, day, hour); 0 = unused
        uint8_t state = kEmpty;
        TimeValue base = 0;  // TimeValue of hh:00:00 when state == kCached
    };
    static constexpr int kSlots = 16;  // direct-mapped by hour of the month
    Entry m_cache[kSlots];
};

// How the time labels of one file read, decided once per file by the import and kept
// with its dataset, so that the time axis reads every label as the import did. The
// default reads labels as dates, month first where the order is not fixed.
struct CLabelReading {
    DayMonthOrder order = DayMonthOrder::MonthFirst;
    bool unixSeconds = false;  // labels count seconds since 1970 (ReadUnixSeconds), not dates
};

// The import's date parser. Returns 1 and sets *out when the label, after leading and
// trailing blanks (space, tab), is a date followed by an optional time; anything else
// returns 0 and leaves *out untouched. With reading.unixSeconds the label is read by
// ReadUnixSeconds instead.
// Dates: year first "Y/M/D", "Y-M-D", "Y.M.D" or "Y年M月D日" (4-digit year, 1-2 digit
// month and day; 年月日 in UTF-8 or GB18030, all three in the same encoding), or the
// year last, "M/D/Y" (reading.order MonthFirst) or "D/M/Y" (DayFirst) with '/', '-' or
// '.' (1-2 digit day and month, a 4- or 2-digit year; a 2-digit year yy is 20yy below
// 70 and 19yy from 70, as no date before 1970 has a TimeValue).
// Time: "H:M" or "H:M:S" (1-2 digits each; seconds may carry a fraction ".d..." that is
// dropped). Between date and time stand blanks, or a single 'T' after a year-first
// date, or nothing after 日. After blanks or 日 (not after 'T') the time may carry one
// half-day marker, AM or PM in any case or 上午/下午 (in the encoding of 年月日 when the
// label has them, else UTF-8 or GB18030), right before or after the time with or
// without blanks; the hour is then 1..12 (12 AM is 0, 12 PM is 12). After 'T' on a
// "Y-M-D" date the time may end in a UTC offset "Z", "+hh:mm", "+hhmm" or "+hh" (or
// '-') within -12:00..+14:00, with no blank: that instant, whatever the local zone.
// Labels without an offset are local time. The date must exist, the time be
// 00:00:00..23:59:59 and the result lie in 0..kLastTimeValue.
int ParseTimeLabel(const char* label, TimeValue* out, const CLabelReading& reading = {});  // zero-terminated
// Range form for the import's row loop: no allocation, mktime only when the hour changes.
int ParseTimeLabel(const char* begin, const char* end, TimeValue* out, CLocalTimeConverter& converter,
                   const CLabelReading& reading = {});

// Unix seconds: after leading and trailing blanks, decimal digits with an optional
// fraction ('.' or ',' and at least one digit, dropped), at most kLastTimeValue. No sign.
// Returns false and leaves out untouched for anything else.
bool ReadUnixSeconds(const char* begin, const char* end, TimeValue& out);

// The day/month order of a sample of a file's labels (in file order). The order under
// which more labels name an existing date decides (a field over 12 is a day); else the
// order under which the labels run steadily in time (more equal steps from one label to
// the next, then more steps in one direction); else DayFirst for dates written with dots
// ("19.04.2019"), which only day-first calendars write, and MonthFirst for the rest. Year-first labels and
// labels that do not parse play no part. Pure: the local zone plays no part.
DayMonthOrder DecideDayMonthOrder(const std::vector<std::string_view>& labels);

// The time axis's own split: the label (at most 259 characters) is cut at '/', ':' and
// ' ' into year, month, day, hour, minute and second in this order, each read like atoi
// and kept as a 16-bit signed integer; missing fields are 0. Returns 1 and sets *out
// for year 1900-3000, month 1-12, day 1-31, hour 0-23, minute and second 0-59 when the
// local time has a TimeValue (day 31 of a shorter month rolls over as in mktime).
// No piece, a seventh piece or a longer label returns 0.
int ParseLabelFields(const char* label, TimeValue* out);

// Formats the local fields of t with format 1 "%y/%m/%d %H:%M", 2 "%m/%d %H:%M" or
// 3 "%H:%M:%S". Any other format, a t outside 0..kLastTimeValue or a failed
// conversion gives empty text.
std::string FormatLabelTime(TimeValue t, int format);
