#include "data/import/row_conversion.h"

#include "data/import/reading.h"

#include <cmath>

void ConvertRowFields(const CFieldEdges& fields, const int* columns, int count, char decimalMark, double* values)
{
    for (int c = 0; c < count; ++c) {
        const int field = columns[c];
        if (field >= fields.count) {
            values[c] = NAN;
            continue;
        }
        const char* const begin = fields.text + fields.Begin(field);
        const char* const end = fields.text + fields.End(field);
        if (!ParseShortReading(begin, end, fields.limit, &values[c], decimalMark))
            values[c] = ParseReading(begin, end, decimalMark);
    }
}
