#include "data/import/sniff_time.h"

#include "data/import/sniff_fields.h"

#include <cctype>
#include <cstdlib>

namespace {

// The first two numbers of a label and the digits of the first.
struct CLeadingNumbers {
    int first = 0, second = 0;
    int firstDigits = 0;
    bool found = false;
};

CLeadingNumbers LeadingNumbers(std::string_view label)
{
    CLeadingNumbers numbers;
    size_t i = 0;
    int* targets[] = {&numbers.first, &numbers.second};
    for (int k = 0; k < 2; ++k) {
        while (i < label.size() && !std::isdigit(static_cast<unsigned char>(label[i])))
            ++i;
        const size_t start = i;
        while (i < label.size() && std::isdigit(static_cast<unsigned char>(label[i])) && i - start < 6)
            *targets[k] = *targets[k] * 10 + (label[i++] - '0');
        if (i == start)
            return numbers;
        if (k == 0)
            numbers.firstDigits = static_cast<int>(i - start);
    }
    numbers.found = true;
    return numbers;
}

}  // namespace

bool ReadSniffLabel(std::string_view label, DayMonthOrder order, CLocalTimeConverter& converter, TimeValue* out)
{
    CLabelReading reading;
    reading.order = order;
    return ParseTimeLabel(label.data(), label.data() + label.size(), out, converter, reading) == 1;
}

bool IsTimeLabel(std::string_view field, CLocalTimeConverter& converter)
{
    TimeValue t = 0;
    return ReadSniffLabel(field, DayMonthOrder::MonthFirst, converter, &t)
           || ReadSniffLabel(field, DayMonthOrder::DayFirst, converter, &t);
}

bool IsClockTime(std::string_view field)
{
    field = TrimBlanks(field);
    size_t i = 0;
    int parts = 0;
    while (parts < 3) {
        const size_t start = i;
        while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])) && i - start < 2)
            ++i;
        if (i == start)
            return false;
        ++parts;
        if (i >= field.size() || field[i] != ':')
            break;
        ++i;
    }
    if (parts < 2)
        return false;
    if (i < field.size() && field[i] == '.') {
        do
            ++i;
        while (i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])));
    }
    std::string_view rest = TrimBlanks(field.substr(i));
    return rest.empty() || ((rest.size() == 2) && std::toupper(static_cast<unsigned char>(rest[1])) == 'M'
                            && (std::toupper(static_cast<unsigned char>(rest[0])) == 'A'
                                || std::toupper(static_cast<unsigned char>(rest[0])) == 'P'));
}

bool IsUnixSeconds(std::string_view field)
{
    field = TrimBlanks(field);
    if (field.size() < 9 || field.size() > 11)
        return false;
    for (const char c : field) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return std::strtoll(std::string(field).c_str(), nullptr, 10) <= kLastTimeValue;
}

int TimeOrderOf(const std::vector<TimeValue>& times)
{
    int rising = 0, falling = 0;
    for (size_t i = 1; i < times.size(); ++i) {
        rising += times[i] > times[i - 1] ? 1 : 0;
        falling += times[i] < times[i - 1] ? 1 : 0;
    }
    if (rising == 0 && falling == 0)
        return -1;
    return rising >= falling ? 0 : 1;
}

std::vector<TimeValue> LabelTimes(const std::vector<std::string>& labels, DayMonthOrder order,
                                  CLocalTimeConverter& converter)
{
    std::vector<TimeValue> times;
    for (const std::string& label : labels) {
        TimeValue t = 0;
        if (ReadSniffLabel(label, order, converter, &t))
            times.push_back(t);
    }
    return times;
}

bool IsYearFirstLabel(std::string_view label)
{
    const CLeadingNumbers numbers = LeadingNumbers(TrimBlanks(label));
    return numbers.found && numbers.firstDigits == 4 && std::isdigit(static_cast<unsigned char>(TrimBlanks(label)[0]));
}
