#pragma once

// What the sniffer asks of time labels: whether a field reads as one, the day/month
// order of a file's labels and the order in which they run.
#include "data/time_label.h"

#include <string>
#include <string_view>
#include <vector>

// The one place where the sniffer reads a label, in the given day/month order. One
// converter serves one sniff: it spares most local-time conversions.
bool ReadSniffLabel(std::string_view label, DayMonthOrder order, CLocalTimeConverter& converter, TimeValue* out);

// Whether the field reads as a label in either day/month order.
bool IsTimeLabel(std::string_view field, CLocalTimeConverter& converter);

// Whether the field is a time of day alone: "H:M" or "H:M:S" (a fraction of a second
// allowed), maybe with AM or PM.
bool IsClockTime(std::string_view field);

// Whether the field is whole seconds since 1970 from 1973-03-03 on (nine digits or
// more) up to kLastTimeValue.
bool IsUnixSeconds(std::string_view field);

// 0 when the times mostly rise, 1 when they mostly fall, -1 when no two differ.
int TimeOrderOf(const std::vector<TimeValue>& times);

// The times of the labels that read in the given order, in their order.
std::vector<TimeValue> LabelTimes(const std::vector<std::string>& labels, DayMonthOrder order,
                                  CLocalTimeConverter& converter);

// Whether the label starts with a four-digit year, the form the recorder writes.
bool IsYearFirstLabel(std::string_view label);
