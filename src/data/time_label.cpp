#include "data/time_label.h"

#include "common/decimal.h"

#include <climits>
#include <cstring>
#include <ctime>
#include <time.h>

static_assert(sizeof(std::time_t) >= 8, "TimeValue needs a 64-bit time_t");

namespace {

// Local fields of a year outside this range are more than a day away from
// 1970..3000 UTC whatever the zone, so they never have a TimeValue.
constexpr int kFirstYear = 1969;
constexpr int kLastYear = 3001;

void ResetZone()
{
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

bool LocalFields(std::time_t t, std::tm& tm)
{
#ifdef _WIN32
    return localtime_s(&tm, &t) == 0;
#else
    return localtime_r(&t, &tm) != nullptr;
#endif
}

std::tm MakeFields(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

bool InRange(TimeValue t) { return t >= 0 && t <= kLastTimeValue; }

// Days from 1970-01-01 to the given proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// UTC offset in seconds of the local fields tm that belong to the instant t.
int64_t OffsetOf(const std::tm& tm, std::time_t t)
{
    const int64_t civil = DaysFromCivil(int64_t(tm.tm_year) + 1900, tm.tm_mon + 1, tm.tm_mday) * 86400
        + int64_t(tm.tm_hour) * 3600 + int64_t(tm.tm_min) * 60 + tm.tm_sec;
    return civil - int64_t(t);
}

bool OffsetAt(std::time_t t, int64_t& offset)
{
    std::tm tm;
    if (!LocalFields(t, tm))
        return false;
    offset = OffsetOf(tm, t);
    return true;
}

bool SameClock(const std::tm& tm, int hour, int minute, int second)
{
    return tm.tm_hour == hour && tm.tm_min == minute && tm.tm_sec == second;
}

// Converts with mktime and checks that the hour can be served by base + mm:ss, i.e. that
// every local time in it names exactly one instant.
bool CheckHour(int year, int month, int day, int hour, TimeValue& base)
{
    std::tm first = MakeFields(year, month, day, hour, 0, 0);
    std::tm last = MakeFields(year, month, day, hour, 59, 59);
    const std::time_t t1 = std::mktime(&first);
    const std::time_t t2 = std::mktime(&last);
    if (t1 == std::time_t(-1) || t2 == std::time_t(-1) || t2 - t1 != 3599)
        return false;
    // mktime rewrites the fields to the local time it settled on: a moved clock means the
    // hour was skipped.
    if (!SameClock(first, hour, 0, 0) || !SameClock(last, hour, 59, 59))
        return false;
    // A change of offset within an hour on either side can repeat this hour's local
    // times (autumn), and mktime then picks one of two instants by its own history.
    const int64_t offset = OffsetOf(first, t1);
    int64_t before = 0;
    int64_t after = 0;
    if (!OffsetAt(t1 - 3600, before) || !OffsetAt(t2 + 3600, after) || before != offset
        || after != offset)
        return false;
    base = TimeValue(t1);
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads min..max decimal digits at p.
bool ReadNumber(const char*& p, const char* end, int minDigits, int maxDigits, int& value)
{
    int n = 0;
    value = 0;
    while (p < end && n < maxDigits && IsDigit(*p)) {
        value = value * 10 + (*p - '0');
        ++p;
        ++n;
    }
    return n >= minDigits && (p == end || !IsDigit(*p));
}

bool Match(const char*& p, const char* end, const char* text, size_t length)
{
    if (size_t(end - p) < length || std::memcmp(p, text, length) != 0)
        return false;
    p += length;
    return true;
}

void SkipBlanks(const char*& p, const char* end)
{
    while (p < end && IsBlank(*p))
        ++p;
}

// The fields a label names; zoned labels give their UTC offset, the others are local time.
struct LabelFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool zoned = false;
    int offset = 0;  // seconds east of UTC when zoned
    bool yearFirst = true;  // the date gives its year first: the day/month order plays no part
};

struct CjkMarks {
    const char* year;
    const char* month;
    const char* day;
    const char* forenoon;   // 上午
    const char* afternoon;  // 下午
    size_t length;          // bytes per character
};
// The Chinese words of a label in the two encodings it may arrive in.
constexpr CjkMarks kCjkMarks[] = {
    // UTF-8
    {"\xE5\xB9\xB4", "\xE6\x9C\x88", "\xE6\x97\xA5", "\xE4\xB8\x8A\xE5\x8D\x88", "\xE4\xB8\x8B\xE5\x8D\x88", 3},
    // GB18030
    {"\xC4\xEA", "\xD4\xC2", "\xC8\xD5", "\xC9\xCF\xCE\xE7", "\xCF\xC2\xCE\xE7", 2},
};
constexpr int kNoCjk = -1;

// A 4-digit year at p, then month and day. separator is '/', '-' or '.', or 0 for
// 年月日 written in kCjkMarks[encoding].
bool ReadYearFirstDate(const char*& p, const char* end, LabelFields& f, char& separator, int& encoding)
{
    if (!ReadNumber(p, end, 4, 4, f.year) || p == end)
        return false;
    const char sep = *p;
    if (sep == '/' || sep == '-' || sep == '.') {
        separator = sep;
        ++p;
        return ReadNumber(p, end, 1, 2, f.month) && p != end && *p++ == sep && ReadNumber(p, end, 1, 2, f.day);
    }
    for (const CjkMarks& marks : kCjkMarks) {
        if (Match(p, end, marks.year, marks.length)) {
            encoding = int(&marks - kCjkMarks);
            return ReadNumber(p, end, 1, 2, f.month) && Match(p, end, marks.month, marks.length)
                && ReadNumber(p, end, 1, 2, f.day) && Match(p, end, marks.day, marks.length);
        }
    }
    return false;
}

// Two-digit years below this pivot are 20yy, the others 19yy: every date before 1970
// lacks a TimeValue anyway.
constexpr int kTwoDigitYearPivot = 70;

// "M/D/Y" or "D/M/Y" by order, with '/', '-' or '.', the year of 4 or 2 digits.
bool ReadYearLastDate(const char*& p, const char* end, DayMonthOrder order, LabelFields& f, char& separator)
{
    int first = 0, second = 0;
    if (!ReadNumber(p, end, 1, 2, first) || p == end)
        return false;
    const char sep = *p++;
    if ((sep != '/' && sep != '-' && sep != '.') || !ReadNumber(p, end, 1, 2, second) || p == end || *p++ != sep)
        return false;
    const char* year = p;
    if (!ReadNumber(p, end, 2, 4, f.year) || p - year == 3)
        return false;
    if (p - year == 2)
        f.year += f.year < kTwoDigitYearPivot ? 2000 : 1900;
    f.month = order == DayMonthOrder::MonthFirst ? first : second;
    f.day = order == DayMonthOrder::MonthFirst ? second : first;
    f.yearFirst = false;
    separator = sep;
    return true;
}

bool ReadDate(const char*& p, const char* end, DayMonthOrder order, LabelFields& f, char& separator, int& encoding)
{
    separator = 0;
    encoding = kNoCjk;
    const char* start = p;
    if (ReadYearFirstDate(p, end, f, separator, encoding))
        return true;
    p = start;
    return ReadYearLastDate(p, end, order, f, separator);
}

// "H:M" or "H:M:S[.d...]" at p; the fraction is dropped.
bool ReadTime(const char*& p, const char* end, LabelFields& f)
{
    if (!ReadNumber(p, end, 1, 2, f.hour) || p == end || *p++ != ':' || !ReadNumber(p, end, 1, 2, f.minute))
        return false;
    f.second = 0;
    if (p == end || *p != ':')
        return true;
    ++p;
    if (!ReadNumber(p, end, 1, 2, f.second))
        return false;
    if (p != end && *p == '.') {
        const char* digits = ++p;
        while (p < end && IsDigit(*p))
            ++p;
        return p != digits;
    }
    return true;
}

// AM or PM in any case, or 上午/下午 in the label's encoding (either encoding when the
// label has no other Chinese word).
bool ReadHalfDay(const char*& p, const char* end, int encoding, bool& pm)
{
    if (end - p >= 2 && (p[1] | 0x20) == 'm' && ((p[0] | 0x20) == 'a' || (p[0] | 0x20) == 'p')) {
        pm = (p[0] | 0x20) == 'p';
        p += 2;
        return true;
    }
    for (const CjkMarks& marks : kCjkMarks) {
        if (encoding != kNoCjk && &marks - kCjkMarks != encoding)
            continue;
        pm = Match(p, end, marks.afternoon, 2 * marks.length);
        if (pm || Match(p, end, marks.forenoon, 2 * marks.length))
            return true;
    }
    return false;
}

bool ReadTwoDigits(const char*& p, const char* end, int& value)
{
    if (end - p < 2 || !IsDigit(p[0]) || !IsDigit(p[1]))
        return false;
    value = (p[0] - '0') * 10 + (p[1] - '0');
    p += 2;
    return true;
}

// "Z", "±hh", "±hhmm" or "±hh:mm" at p, moving p past it; p stays where no zone is.
void ReadZone(const char*& p, const char* end, LabelFields& f)
{
    if (p != end && *p == 'Z') {
        ++p;
        f.zoned = true;
        return;
    }
    if (p == end || (*p != '+' && *p != '-'))
        return;
    const char* q = p + 1;
    int hours = 0, minutes = 0;
    if (!ReadTwoDigits(q, end, hours))
        return;
    if (q != end && *q == ':') {
        ++q;
        if (!ReadTwoDigits(q, end, minutes))
            return;
    } else if (q != end && IsDigit(*q) && !ReadTwoDigits(q, end, minutes)) {
        return;
    }
    // Real zones lie within -12:00..+14:00: "T12:00-13:00" is a range of hours, no zone.
    const int offset = (*p == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    if (minutes > 59 || offset < -12 * 3600 || offset > 14 * 3600)
        return;
    f.zoned = true;
    f.offset = offset;
    p = q;
}

// Maps a 12-hour clock to 0..23; false for an hour outside 1..12.
bool ToDayHour(int& hour, bool pm)
{
    if (hour < 1 || hour > 12)
        return false;
    hour = hour % 12 + (pm ? 12 : 0);
    return true;
}

// A label in any accepted form but the fast "YYYY/MM/DD HH:MM:SS" one.
bool ReadGeneralLabel(const char* p, const char* end, DayMonthOrder order, LabelFields& f)
{
    char separator = 0;
    int encoding = kNoCjk;
    if (!ReadDate(p, end, order, f, separator, encoding))
        return false;
    if (p == end)
        return true;
    if (*p == 'T' && f.yearFirst) {  // ISO: the time, then a zone on a Y-M-D date
        ++p;
        if (!ReadTime(p, end, f))
            return false;
        if (separator == '-')
            ReadZone(p, end, f);
        return p == end;
    }
    // A blank before the time; 日 may end the date without one.
    const char* dateEnd = p;
    SkipBlanks(p, end);
    if (p == dateEnd && separator != 0)
        return false;
    bool pm = false;
    bool marked = ReadHalfDay(p, end, encoding, pm);
    if (marked)
        SkipBlanks(p, end);
    if (!ReadTime(p, end, f))
        return false;
    if (!marked) {
        const char* after = p;
        SkipBlanks(after, end);
        marked = ReadHalfDay(after, end, encoding, pm);
        if (marked)
            p = after;
    }
    return p == end && (!marked || ToDayHour(f.hour, pm));
}

// The shape recorders write, "YYYY/MM/DD HH:MM:SS" with any of the date separators
// and a blank or 'T' between date and time, read in one step; false for every other
// label, which the general reader then takes.
bool ReadCommonLabel(const char* p, const char* end, LabelFields& f)
{
    if (end - p != 19)
        return false;
    const char sep = p[4];
    if ((sep != '/' && sep != '-' && sep != '.') || p[7] != sep || (p[10] != ' ' && p[10] != 'T')
        || p[13] != ':' || p[16] != ':')
        return false;
    static constexpr int kDigitAt[] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
    unsigned nonDigits = 0;
    for (int at : kDigitAt)
        nonDigits |= static_cast<unsigned>(p[at] - '0') > 9u;
    if (nonDigits != 0)
        return false;
    auto two = [p](int at) { return (p[at] - '0') * 10 + (p[at + 1] - '0'); };
    f.year = two(0) * 100 + two(2);
    f.month = two(5);
    f.day = two(8);
    f.hour = two(11);
    f.minute = two(14);
    f.second = two(17);
    return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool NamesExistingTime(const LabelFields& f)
{
    return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= DaysInMonth(f.year, f.month) && f.hour <= 23
        && f.minute <= 59 && f.second <= 59;
}

// The instant of a zoned label, by calendar arithmetic: the process's zone plays no part.
TimeValue UtcOf(const LabelFields& f)
{
    return DaysFromCivil(f.year, f.month, f.day) * 86400 + TimeValue(f.hour) * 3600 + TimeValue(f.minute) * 60
        + f.second - f.offset;
}

void TrimBlanks(const char*& begin, const char*& end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
}

// The fields of a trimmed label that names an existing date and time; common tells
// whether it has the recorders' shape.
bool ReadLabel(const char* begin, const char* end, DayMonthOrder order, LabelFields& f, bool& common)
{
    common = ReadCommonLabel(begin, end, f);
    return (common || ReadGeneralLabel(begin, end, order, f)) && NamesExistingTime(f);
}

// How steadily a sample of labels runs in time when read in one day/month order;
// larger is likelier, compared field by field.
struct OrderScore {
    int dates = 0;   // year-last labels that name an existing date
    int steady = 0;  // steps from label to label equal to the step before
    int oneWay = 0;  // steps in the more common direction
    bool operator>(const OrderScore& o) const
    {
        if (dates != o.dates)
            return dates > o.dates;
        return steady != o.steady ? steady > o.steady : oneWay > o.oneWay;
    }
};

OrderScore ScoreOrder(const std::vector<std::string_view>& labels, DayMonthOrder order)
{
    OrderScore score;
    TimeValue previous = 0, previousStep = 0;
    int up = 0, down = 0;
    for (const std::string_view label : labels) {
        const char* begin = label.data();
        const char* end = begin + label.size();
        TrimBlanks(begin, end);
        LabelFields f;
        bool common = false;
        if (!ReadLabel(begin, end, order, f, common) || f.yearFirst)
            continue;
        const TimeValue t = UtcOf(f);  // civil seconds: the zone plays no part
        if (score.dates > 0) {
            const TimeValue step = t - previous;
            score.steady += score.dates > 1 && step != 0 && step == previousStep;
            up += step > 0;
            down += step < 0;
            previousStep = step;
        }
        previous = t;
        ++score.dates;
    }
    score.oneWay = up > down ? up : down;
    return score;
}
// Whether the first label that starts with a number writes its date with dots
// ("19.04.2019"), a form only day-first calendars use.
bool WritesDottedDates(const std::vector<std::string_view>& labels)
{
    for (const std::string_view label : labels) {
        const char* p = label.data();
        const char* end = p + label.size();
        TrimBlanks(p, end);
        if (p == end || !IsDigit(*p))
            continue;
        while (p < end && IsDigit(*p))
            ++p;
        return p < end && *p == '.';
    }
    return false;
}
}  // namespace

TimeValue Today(int hour, int minute, int second)
{
    const time_t now = time(nullptr);
    struct tm day = {};
    localtime_r(&now, &day);
    day.tm_hour = hour;
    day.tm_min = minute;
    day.tm_sec = second;
    day.tm_isdst = -1;
    return static_cast<TimeValue>(mktime(&day));
}

bool CLocalTimeConverter::ToTimeValue(int year, int month, int day, int hour, int minute, int second,
                                      TimeValue& out, bool* regularHour)
{
    if (regularHour)
        *regularHour = false;
    if (year < kFirstYear || year > kLastYear)
        return false;
    const bool cacheable = month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour <= 23
        && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
    if (cacheable) {
        const int32_t key = ((year * 16 + month) * 32 + day) * 32 + hour;
        Entry& entry = m_cache[(day * 24 + hour) % kSlots];
        if (entry.key != key) {
            // First label of this hour: a lone label per hour gets one mktime, not three.
            entry.key = key;
            entry.state = kSeenOnce;
        } else if (entry.state == kSeenOnce) {
            entry.state = CheckHour(year, month, day, hour, entry.base) ? kCached : kUncached;
        }
        if (entry.state == kCached) {
            const TimeValue t = entry.base + TimeValue(minute) * 60 + second;
            if (!InRange(t))
                return false;
            out = t;
            if (regularHour)
                *regularHour = true;
            return true;
        }
    }
    std::tm tm = MakeFields(year, month, day, hour, minute, second);
    const std::time_t t = std::mktime(&tm);
    // mktime's error value -1 is also 1969-12-31 23:59:59 UTC; both lie outside the range.
    if (!InRange(TimeValue(t)))
        return false;
    out = TimeValue(t);
    return true;
}

void CLocalTimeConverter::RememberLabelHour(const char* label, TimeValue hourStart)
{
    std::memcpy(m_hourPrefix, label, kHourPrefix);
    m_hourStart = hourStart;
    m_bHourKnown = true;
}

bool CLocalTimeConverter::ReadLabelInLastHour(const char* begin, const char* end, TimeValue& out) const
{
    if (!m_bHourKnown || end - begin != 19 || std::memcmp(begin, m_hourPrefix, kHourPrefix) != 0)
        return false;
    const char* p = begin + kHourPrefix;  // "MM:SS"
    if (!IsDigit(p[0]) || !IsDigit(p[1]) || p[2] != ':' || !IsDigit(p[3]) || !IsDigit(p[4]))
        return false;
    const int minute = (p[0] - '0') * 10 + (p[1] - '0');
    const int second = (p[3] - '0') * 10 + (p[4] - '0');
    const TimeValue t = m_hourStart + TimeValue(minute) * 60 + second;
    if (minute > 59 || second > 59 || !InRange(t))
        return false;
    out = t;
    return true;
}

int ParseTimeLabel(const char* begin, const char* end, TimeValue* out, CLocalTimeConverter& converter,
                   const CLabelReading& reading)
{
    if (begin == nullptr || end == nullptr || end < begin)
        return 0;
    TrimBlanks(begin, end);

    TimeValue t = 0;
    if (converter.ReadLabelInLastHour(begin, end, t)) {
        if (out != nullptr)
            *out = t;
        return 1;
    }
    if (reading.unixSeconds) {
        if (!ReadUnixSeconds(begin, end, t))
            return 0;
        if (out != nullptr)
            *out = t;
        return 1;
    }
    LabelFields f;
    bool common = false;
    if (!ReadLabel(begin, end, reading.order, f, common))
        return 0;
    if (f.zoned) {
        t = UtcOf(f);
        if (!InRange(t))
            return 0;
    } else {
        bool regularHour = false;
        if (!converter.ToTimeValue(f.year, f.month, f.day, f.hour, f.minute, f.second, t, &regularHour))
            return 0;
        if (common && regularHour)
            converter.RememberLabelHour(begin, t - TimeValue(f.minute) * 60 - f.second);
    }
    if (out != nullptr)
        *out = t;
    return 1;
}

int ParseTimeLabel(const char* label, TimeValue* out, const CLabelReading& reading)
{
    if (label == nullptr)
        return 0;
    CLocalTimeConverter converter;
    return ParseTimeLabel(label, label + std::strlen(label), out, converter, reading);
}

bool ReadUnixSeconds(const char* begin, const char* end, TimeValue& out)
{
    if (begin == nullptr || end == nullptr || end < begin)
        return false;
    TrimBlanks(begin, end);
    const char* p = begin;
    TimeValue t = 0;
    for (; p < end && IsDigit(*p); ++p) {
        t = t * 10 + (*p - '0');
        if (t > kLastTimeValue)
            return false;
    }
    if (p == begin)
        return false;
    if (p != end && (*p == '.' || *p == ',')) {
        const char* fraction = ++p;
        while (p < end && IsDigit(*p))
            ++p;
        if (p == fraction)
            return false;
    }
    if (p != end)
        return false;
    out = t;
    return true;
}

DayMonthOrder DecideDayMonthOrder(const std::vector<std::string_view>& labels)
{
    const OrderScore dayFirst = ScoreOrder(labels, DayMonthOrder::DayFirst);
    const OrderScore monthFirst = ScoreOrder(labels, DayMonthOrder::MonthFirst);
    if (dayFirst > monthFirst)
        return DayMonthOrder::DayFirst;
    if (monthFirst > dayFirst)
        return DayMonthOrder::MonthFirst;
    return WritesDottedDates(labels) ? DayMonthOrder::DayFirst : DayMonthOrder::MonthFirst;
}

int ParseLabelFields(const char* label, TimeValue* out)
{
    if (label == nullptr)
        return 0;
    char work[260] = {};
    size_t length = 0;
    while (length < sizeof(work) && label[length] != '\0')
        ++length;
    if (length >= sizeof(work))
        return 0;
    std::memcpy(work, label, length);

    // Cut at runs of separators like strtok, terminating each piece in place.
    int16_t fields[6] = {};
    int pieces = 0;
    char* p = work;
    for (;;) {
        while (*p != '\0' && std::strchr("/: ", *p) != nullptr)
            ++p;
        if (*p == '\0')
            break;
        if (pieces == 6)
            return 0;
        char* piece = p;
        while (*p != '\0' && std::strchr("/: ", *p) == nullptr)
            ++p;
        const bool last = *p == '\0';
        *p = '\0';
        fields[pieces++] = static_cast<int16_t>(DecimalToInt(piece));
        if (last)
            break;
        ++p;
    }
    if (pieces == 0)
        return 0;

    const int year = fields[0], month = fields[1], day = fields[2];
    const int hour = fields[3], minute = fields[4], second = fields[5];
    if (year < 1900 || year > 3000 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23
        || minute < 0 || minute > 59 || second < 0 || second > 59)
        return 0;

    CLocalTimeConverter converter;
    TimeValue t = 0;
    if (!converter.ToTimeValue(year, month, day, hour, minute, second, t))
        return 0;
    if (out != nullptr)
        *out = t;
    return 1;
}

std::string FormatLabelTime(TimeValue t, int format)
{
    const char* pattern = nullptr;
    switch (format) {
    case 1: pattern = "%y/%m/%d %H:%M"; break;
    case 2: pattern = "%m/%d %H:%M"; break;
    case 3: pattern = "%H:%M:%S"; break;
    default: return std::string();
    }
    if (!InRange(t))
        return std::string();
    // localtime_r need not re-read TZ by itself.
    ResetZone();
    std::tm tm;
    if (!LocalFields(std::time_t(t), tm))
        return std::string();
    char text[128];
    const size_t n = std::strftime(text, sizeof(text), pattern, &tm);
    return std::string(text, n);
}
