#include "data/time_label.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <time.h>
#include <vector>

namespace {

const std::string kNianU8 = "\xE5\xB9\xB4", kYueU8 = "\xE6\x9C\x88", kRiU8 = "\xE6\x97\xA5";
const std::string kNianGb = "\xC4\xEA", kYueGb = "\xD4\xC2", kRiGb = "\xC8\xD5";
const std::string kAmU8 = "\xE4\xB8\x8A\xE5\x8D\x88", kPmU8 = "\xE4\xB8\x8B\xE5\x8D\x88";  // 上午 下午
const std::string kAmGb = "\xC9\xCF\xCE\xE7", kPmGb = "\xCF\xC2\xCE\xE7";
const std::string kDateU8 = "2024" + kNianU8 + "5" + kYueU8 + "6" + kRiU8;  // 2024年5月6日
const std::string kDateGb = "2024" + kNianGb + "5" + kYueGb + "6" + kRiGb;
constexpr TimeValue kSample = 1715000829;  // 2024-05-06 13:07:09 UTC
constexpr TimeValue kSampleDay = 1714953600;  // 2024-05-06 00:00:00 UTC

// Each test picks its zone; the previous TZ comes back afterwards.
class TimeLabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            m_oldTz = tz;
    }
    void TearDown() override
    {
        m_oldTz ? setenv("TZ", m_oldTz->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    static void Zone(const char* tz) { setenv("TZ", tz, 1), tzset(); }
    // Plain mktime, daylight saving left to the run time; -1 when out of range.
    static TimeValue Mk(int y, int mo, int d, int h, int mi, int s)
    {
        std::tm tm{};
        tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d;
        tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s, tm.tm_isdst = -1;
        const TimeValue t = std::mktime(&tm);
        return t >= 0 && t <= kLastTimeValue ? t : -1;
    }
    static TimeValue Conv(CLocalTimeConverter& c, int y, int mo, int d, int h, int mi, int s)
    {
        TimeValue t = -1;
        return c.ToTimeValue(y, mo, d, h, mi, s, t) ? t : -1;
    }
    // Parses the label with a converter that has read `run` twice, so that its shortcut for
    // labels in the hour of the last "YYYY/MM/DD HH:MM:SS" label is armed; -1 when rejected.
    static TimeValue ParseAfter(const char* run, const std::string& label)
    {
        CLocalTimeConverter converter;
        TimeValue t = -1;
        for (int i = 0; i < 2; ++i)
            ParseTimeLabel(run, run + std::strlen(run), &t, converter);
        t = -1;
        return ParseTimeLabel(label.data(), label.data() + label.size(), &t, converter) == 1 ? t : -1;
    }
    std::optional<std::string> m_oldTz;
};

TEST_F(TimeLabelTest, ParsesAcceptedFormsAndRejectsTheRest)
{
    Zone("UTC");
    const struct { std::string label; TimeValue expected; } accepted[] = {
        {"2024/05/06 13:07:09", kSample}, {"2024-05-06 13:07:09", kSample}, {"2024.05.06 13:07:09", kSample},
        {"2024/5/6 13:7:9", kSample}, {"2024-05-06T13:07:09", kSample}, {"2024/05/06 13:07:09.250", kSample},
        {"2024" + kNianU8 + "05" + kYueU8 + "06" + kRiU8 + " 13:07:09", kSample},
        {"2024" + kNianGb + "5" + kYueGb + "6" + kRiGb + "T13:07:09", kSample},
        {" \t2024/05/06\t  13:07:09 \t", kSample}, {"2024/05/06 13:07", kSample - 9},
        {"2024/05/06", kSampleDay}, {"2024" + kNianU8 + "5" + kYueU8 + "6" + kRiU8, kSampleDay},
        {"2024/02/29", 1709164800}, {"1970/01/01 00:00:00", 0}, {"3000/12/31 23:59:59", kLastTimeValue},
    };
    for (const auto& c : accepted) {
        TimeValue t = -1;
        EXPECT_EQ(ParseTimeLabel(c.label.c_str(), &t), 1) << c.label;
        EXPECT_EQ(t, c.expected) << c.label;
    }
    const std::string rejected[] = {
        "2024/05-06 13:07:09", "24/05/06 13:07:09", "20240/05/06", "2024/005/06", "2024/02/30", "2023/02/29",
        "2024/13/01", "2024/05/00", "2024/05/06 25:00", "2024/05/06 12:60", "2024/05/06 12:00:60",
        "2024/05/06 13:07:09 x", "2024/05/06 13:07:09Z", "2024/05/06T 13:07", "2024/05/06 13:07:09.",
        "2024/05/06 13:07.5", "2024/05/06 13", "12:30:00", "", " \t ", "May 6 2024",
        "1969/12/31 23:59:59", "3001/01/01", "2024" + kNianU8 + "05" + kYueGb + "06" + kRiU8,
        // The full two-digit shape, read in one step, keeps every rule.
        "2024/05/06 24:00:00", "2024/05/06 13:60:09", "2024/02/30 13:07:09", "2024/05/06x13:07:09",
        "2024/05/06 13:07:0a", "2024/05/06 13-07-09", "2024/0/-06 13:07:09", "2024-05/06 13:07:09",
    };
    for (const auto& label : rejected) {
        TimeValue t = 12345;
        EXPECT_EQ(ParseTimeLabel(label.c_str(), &t), 0) << '"' << label << '"';
        EXPECT_EQ(t, 12345) << '"' << label << '"';
    }
    const char row[] = "2024/05/06 13:07:09,1.5";  // the range form reads no further than end
    CLocalTimeConverter converter;
    TimeValue t = -1;
    EXPECT_EQ(ParseTimeLabel(row, row + 18, &t, converter), 1);
    EXPECT_EQ(t, kSample - 9);
}

TEST_F(TimeLabelTest, ReadsTwelveHourClocksInBothEncodings)
{
    Zone("UTC");
    const struct { std::string label; TimeValue expected; } cases[] = {
        {"2024/5/6 " + kPmU8 + " 1:07:09", kSample}, {"2024/5/6 " + kPmGb + " 1:07:09", kSample},
        {"2024/5/6 " + kPmU8 + "1:07:09", kSample}, {"2024/5/6 1:07:09 " + kPmGb, kSample},
        {kDateU8 + kPmU8 + "1:07:09", kSample}, {kDateGb + " " + kPmGb + " 1:07:09", kSample},
        {kDateU8 + " 1:07:09 PM", kSample}, {kDateGb + "1:07:09pm", kSample},
        {"2024-05-06 01:07:09 PM", kSample}, {"2024/05/06 01:07:09.750pM", kSample},
        {"2024/5/6 Pm 1:07", kSample - 9}, {"2024/05/06 01:07:09 AM", kSample - 12 * 3600},
        {"2024/5/6 " + kAmU8 + "12:30", kSampleDay + 1800}, {"2024/5/6 12:30 am", kSampleDay + 1800},
        {"2024/5/6 " + kAmGb + " 11:59:59", kSampleDay + 43199}, {"2024/5/6 12:00 " + kPmU8, kSampleDay + 43200},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAfter("2024/05/06 01:00:00", c.label), c.expected) << c.label;
}

TEST_F(TimeLabelTest, ReadsATimeRightAfterTheDayMark)
{
    Zone("UTC");
    for (const std::string& date : {kDateU8, kDateGb}) {
        EXPECT_EQ(ParseAfter("2024/05/06 13:00:00", date + "13:07:09"), kSample) << date;
        EXPECT_EQ(ParseAfter("2024/05/06 13:00:00", date + "13:07"), kSample - 9) << date;
    }
}

// A label with a UTC offset names one instant whatever the zone the program runs in,
// also next to a run of local labels of the same date and hour.
TEST_F(TimeLabelTest, ZonedLabelsNameTheSameInstantInEveryZone)
{
    const struct { const char* label; TimeValue expected; } cases[] = {
        {"2024-05-06T13:07:09Z", kSample}, {"2024-05-06T21:07:09+08:00", kSample},
        {"2024-05-06T21:07:09.5+08:00", kSample}, {"2024-05-06T21:07:09+0800", kSample},
        {"2024-05-06T21:07+08", kSample - 9}, {"2024-05-06T07:37:09-05:30", kSample},
        {"2024-05-07T00:07:09+11:00", kSample}, {"2024-02-29T23:30:00-01:00", 1709253000},
        {"1969-12-31T22:00:00-02:00", 0}, {"3001-01-01T07:59:59+08:00", kLastTimeValue},
        {"2024-05-07T03:07:09+14:00", kSample}, {"2024-05-06T01:07:09-12:00", kSample},
    };
    for (const char* zone : {"Asia/Shanghai", "America/New_York"}) {
        Zone(zone);
        for (const auto& c : cases)
            EXPECT_EQ(ParseAfter("2024-05-06T13:00:00", c.label), c.expected) << zone << ' ' << c.label;
    }
}

TEST_F(TimeLabelTest, RejectsAmbiguousOrMalformedNewForms)
{
    Zone("UTC");
    const std::string rejected[] = {
        // 12-hour clock: hour outside 1..12, a marker twice or without a time, mixed encodings.
        "2024/05/06 13:07:09 PM", "2024/05/06 00:30 AM", "2024/5/6 " + kPmU8 + " 15:04", "2024/5/6 PM 1:07 PM",
        "2024/5/6 " + kPmU8 + " 1:07 " + kPmU8, "2024/5/6 PM", "2024/5/6 " + kPmGb, "2024/5/6 1:07 P.M.",
        "2024/5/6 1:07 PMX", "2024/5/6 " + kPmU8 + "1:07x", "2024/5/6" + kPmU8 + "1:07",
        "2024/5/6 \xE4\xB8\x8B\xCE\xE7 1:07", kDateU8 + kPmGb + "1:07:09", kDateGb + " 1:07:09 " + kAmU8,
        "2024-05-06T01:07:09 PM",
        // 日 without a blank; numeric dates still need one.
        "2024/05/0613:07:09", kDateU8 + "13:07:09x",
        // Zones: only after a time on a Y-M-D date with 'T', exactly two-digit fields, in range.
        "2024-05-06Z", "2024-05-06T13:07:09ZZ", "2024-05-06T13:07:09Z junk", "2024-05-06T13:07:09+8",
        "2024-05-06T13:07:09+08:0", "2024-05-06T13:07:09+080", "2024-05-06T13:07:09+08000",
        "2024-05-06T13:07:09+24:00", "2024-05-06T13:07:09+08:60", "2024-05-06T13:07:09 +08:00",
        "2024-05-06T12:00-13:00", "2024-05-06T13:07:09+14:01", "2024-05-06T13:07:09-12:30",
        "2024-05-06 13:07:09Z", "2024/05/06T13:07:09Z", "2024.05.06T13:07:09+08", kDateU8 + "T13:07:09Z",
        "2024-05-06T13:07:09.Z", "2024-05-06T13:07:09z", "1970-01-01T07:59:59+08:00",
        "3000-12-31T23:59:59-00:01",
    };
    for (const auto& label : rejected)
        EXPECT_EQ(ParseAfter("2024/05/06 01:00:00", label), -1) << '"' << label << '"';
}

// Year-last dates in the file's day/month order, Unix seconds when it counts them; -1: rejected.
TEST_F(TimeLabelTest, ReadsYearLastDatesAndUnixSecondsAsTheFileReads)
{
    Zone("UTC");
    constexpr CLabelReading M{}, D{DayMonthOrder::DayFirst, false}, U{DayMonthOrder::MonthFirst, true};
    constexpr TimeValue kApril19 = 1555672260;  // 2019-04-19 11:11:00 UTC
    const struct { std::string label; CLabelReading reading; TimeValue expected; } cases[] = {
        {"4/19/2019 11:11:00 AM", M, kApril19}, {"04/19/19 11:11", M, kApril19}, {"04/19/19 11:11", D, -1},
        {"19.04.2019 11:11:00", D, kApril19}, {"19-04-19 11:11", D, kApril19}, {"19/04/2019 11:11", D, kApril19},
        {"19/04/2019 11:11", M, -1}, {"  19/04/2019 \t 11:11:00.5  ", D, kApril19},
        {"06/05/2024", M, 1717545600}, {"06/05/2024", D, kSampleDay}, {"5/6/2024 1:07:09 " + kPmU8, M, kSample},
        {"01/01/70", M, 0}, {"12/31/69", M, 3155673600}, {"12/31/99", M, 946598400},  // the 70 pivot
        {"2024/05/06 13:07:09", D, kSample}, {"2024-05-06T13:07:09Z", D, kSample},  // year first: any order
        {"05/06/2024T13:07", M, -1}, {"05/06-2024", M, -1}, {"5/6/202", M, -1}, {"5/6/20245", M, -1},
        {"5/6/2024-13:07", M, -1}, {"05/06/2024 13:07:09Z", M, -1}, {"13/13/2024", D, -1}, {"1.5", M, -1},
        {"1715000829", U, kSample}, {" 1715000829.75 ", U, kSample}, {"1715000829,5", U, kSample}, {"0", U, 0},
        {"32535215999", U, kLastTimeValue}, {"32535216000", U, -1}, {"1715000829000", U, -1}, {"-1", U, -1},
        {"+1", U, -1}, {"1715000829.", U, -1}, {".5", U, -1}, {"1 7", U, -1}, {"1e9", U, -1}, {"", U, -1},
        {"99999999999999999999999", U, -1}, {"2024/05/06 13:07:09", U, -1}, {"1715000829", M, -1},
    };
    for (const auto& c : cases) {
        TimeValue t = -1;
        const int parsed = ParseTimeLabel(c.label.c_str(), &t, c.reading);
        EXPECT_EQ(parsed == 1 ? t : -1, c.expected) << '"' << c.label << '"';
    }
}

// A field over 12 decides; else even steps, then steps one way; else month first.
TEST_F(TimeLabelTest, DecidesTheDayMonthOrderFromASample)
{
    const DayMonthOrder M = DayMonthOrder::MonthFirst, D = DayMonthOrder::DayFirst;
    const struct { std::vector<std::string_view> labels; DayMonthOrder expected; } cases[] = {
        {{"01/02/2024 10:00", "13/02/2024 10:00"}, D}, {{"01/02/2024 10:00", "02/13/2024 10:00"}, M},
        {{"01/02/2024", "02/02/2024", "03/02/2024", "02/13/2024"}, M},  // a field over 12 beats steady steps
        {{"01/02/2024", "02/02/2024", "03/02/2024"}, D},                 // day by day, not month by month
        {{"04/05/2024 23:50", "05/05/2024 00:00", "05/05/2024 00:10"}, D},
        {{"05/04/2024 23:50", "05/05/2024 00:00", "05/05/2024 00:10"}, M},
        {{"11/04/2024 09:00", "12/04/2024 17:30", "01/05/2024 08:00"}, D},  // uneven steps, one way
        {{"04/05/2024 10:00", "04/05/2024 11:00"}, M}, {{"2024/05/06 13:07:09", "x", ""}, M}, {{}, M},
        {{"04.05.2024 10:00", "04.05.2024 11:00"}, D},  // dotted dates are day first when nothing else tells
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(DecideDayMonthOrder(cases[i].labels), cases[i].expected) << "case " << i;
}

TEST_F(TimeLabelTest, DaylightSavingChangesFollowMktime)
{
    Zone("Europe/Berlin");
    CLocalTimeConverter c;
    Conv(c, 2024, 3, 31, 2, 30, 0);  // skipped hour, also on its second label
    EXPECT_EQ(Conv(c, 2024, 3, 31, 2, 30, 0), Mk(2024, 3, 31, 2, 30, 0));
    EXPECT_EQ(Conv(c, 2024, 10, 27, 1, 59, 59), 1729987199);  // last summer-time second
    EXPECT_EQ(Conv(c, 2024, 10, 27, 3, 0, 0), 1729994400);
    // The repeated hour met in summer time, then again from winter time, must not be
    // answered from a cache filled under the other offset.
    Conv(c, 2024, 10, 27, 1, 0, 0);
    Conv(c, 2024, 10, 27, 2, 10, 0);
    const TimeValue summer = Conv(c, 2024, 10, 27, 2, 10, 1);
    Conv(c, 2024, 10, 27, 4, 0, 0);
    Conv(c, 2024, 10, 27, 4, 0, 1);
    const TimeValue winter = Conv(c, 2024, 10, 27, 2, 30, 0);
    Mk(2024, 10, 27, 1, 0, 0);
    EXPECT_EQ(summer, Mk(2024, 10, 27, 2, 10, 1));
    Mk(2024, 10, 27, 4, 0, 0);
    EXPECT_EQ(winter, Mk(2024, 10, 27, 2, 30, 0));
    EXPECT_TRUE(summer == 1729987801 || summer == 1729991401) << summer;  // CEST or CET
    EXPECT_TRUE(winter == 1729989000 || winter == 1729992600) << winter;
}

TEST_F(TimeLabelTest, CacheAgreesWithMktimeOverARun)
{
    Zone("Europe/Berlin");
    struct Fields { int y, mo, d, h, mi, s; };
    std::vector<Fields> labels;
    for (int month : {3, 10})  // one label a second through both change nights
        for (int s = 0; s < 5 * 3600; ++s)
            labels.push_back({2024, month, month == 3 ? 31 : 27, s / 3600, s / 60 % 60, s % 60});
    for (int s = 0; s < 3600; s += 7)  // a recorder writing the repeated hour twice
        labels.push_back({2024, 10, 27, 2, s / 60, s % 60});
    for (int h = 0; h < 366 * 24; h += 5)  // sparse labels over the year
        labels.push_back({2024, 1, 1 + h / 24, h % 24, 17, 3});
    CLocalTimeConverter converter;
    std::vector<TimeValue> cached;
    for (const Fields& f : labels)
        cached.push_back(Conv(converter, f.y, f.mo, f.d, f.h, f.mi, f.s));
    for (size_t i = 0; i < labels.size(); ++i) {
        const Fields& f = labels[i];
        ASSERT_EQ(cached[i], Mk(f.y, f.mo, f.d, f.h, f.mi, f.s)) << f.mo << '/' << f.d << ' ' << f.h << ':' << f.mi
                                                                 << ':' << f.s;
    }
}

// Label text through one converter, a label a second through the change nights of a
// zone with hour shifts and of one with half-hour shifts: labels that share their date
// and hour with the one before are read from it, and must still agree with mktime.
TEST_F(TimeLabelTest, LabelsOfARunAgreeWithMktime)
{
    struct Night { const char* zone; int month, day; };
    for (const Night& night : {Night{"Europe/Berlin", 3, 31}, Night{"Europe/Berlin", 10, 27},
                               Night{"Australia/Lord_Howe", 4, 7}, Night{"Australia/Lord_Howe", 10, 6}}) {
        Zone(night.zone);
        CLocalTimeConverter converter;
        for (int s = 0; s < 5 * 3600; ++s) {
            char label[32];
            std::snprintf(label, sizeof label, "2024/%02d/%02d %02d:%02d:%02d", night.month, night.day, s / 3600,
                          s / 60 % 60, s % 60);
            TimeValue t = -1;
            const int parsed = ParseTimeLabel(label, label + 19, &t, converter);
            const TimeValue expected = Mk(2024, night.month, night.day, s / 3600, s / 60 % 60, s % 60);
            ASSERT_EQ(parsed, 1) << night.zone << ' ' << label;
            ASSERT_EQ(t, expected) << night.zone << ' ' << label;
        }
        // Same date and hour as the labels before, but no valid time.
        for (const char* bad : {"2024/%02d/%02d 04:59:60", "2024/%02d/%02d 04:60:00", "2024/%02d/%02d 04:5a:00",
                                "2024/%02d/%02d 04:59-00"}) {
            char label[32];
            std::snprintf(label, sizeof label, bad, night.month, night.day);
            TimeValue t = 12345;
            EXPECT_EQ(ParseTimeLabel(label, label + 19, &t, converter), 0) << label;
            EXPECT_EQ(t, 12345) << label;
        }
    }
}

TEST_F(TimeLabelTest, NewConverterSeesNewZone)
{
    Zone("UTC");
    CLocalTimeConverter utc;
    Conv(utc, 2024, 5, 6, 13, 7, 0);
    EXPECT_EQ(Conv(utc, 2024, 5, 6, 13, 7, 9), kSample);
    Zone("Europe/Berlin");
    CLocalTimeConverter berlin;
    Conv(berlin, 2024, 5, 6, 13, 7, 0);
    EXPECT_EQ(Conv(berlin, 2024, 5, 6, 13, 7, 9), kSample - 7200);
    TimeValue t = 0;
    EXPECT_EQ(ParseTimeLabel("2024/05/06 13:07:09", &t), 1);
    EXPECT_EQ(t, kSample - 7200);
}

TEST_F(TimeLabelTest, LabelFieldsSplit)
{
    Zone("UTC");
    const struct { std::string label; TimeValue expected; } cases[] = {  // -1: invalid
        {"2024/05/06 13:07:09", kSample}, {"2024/05/06", kSampleDay},
        {"2024//05/06 : 13:07 :09", kSample},  // separator runs count as one
        {"67560/05/06", kSampleDay},           // held in 16 bits: 67560 wraps to 2024
        {"2024/04/31", 1714521600},            // rolls over to 05/01
        {"3000/12/31 23:59:59", kLastTimeValue},
        {"2024-05-06 13:07:09", -1}, {"2024/05", -1}, {"2024/05/06 13:07:09 1", -1}, {"1899/05/06", -1},
        {"3001/01/01", -1}, {"1900/01/01", -1}, {"2024/05/06 24:00", -1}, {"", -1}, {"/ :/", -1},
        {"99999999999/05/06", -1},                               // saturates, then wraps to -1
        {"2024/05/06 13:07:09" + std::string(281, ' '), -1},  // 300 characters
    };
    for (const auto& c : cases) {
        TimeValue t = -1;
        EXPECT_EQ(ParseLabelFields(c.label.c_str(), &t), c.expected >= 0 ? 1 : 0) << '"' << c.label << '"';
        EXPECT_EQ(t, c.expected) << '"' << c.label << '"';
    }
}

TEST_F(TimeLabelTest, FormatsLocalFields)
{
    Zone("Europe/Berlin");
    const TimeValue t = kSample - 7200;  // 2024-05-06 13:07:09 in Berlin
    EXPECT_EQ(FormatLabelTime(t, 1), "24/05/06 13:07");
    EXPECT_EQ(FormatLabelTime(t, 2), "05/06 13:07");
    EXPECT_EQ(FormatLabelTime(t, 3), "13:07:09");
    EXPECT_EQ(FormatLabelTime(t, 0) + FormatLabelTime(t, 4) + FormatLabelTime(-1, 1), "");
}

}  // namespace
