#include "data/import/row_conversion.h"

#include "data/import/reading.h"

void ConvertRowFields(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    for (int i = 0; i < count; ++i) {
        const char* const begin = line + spans[2 * i];
        const char* const end = line + spans[2 * i + 1];
        if (!ParseShortReading(begin, end, limit, &values[i]))
            values[i] = ParseReading(begin, end);
    }
}
