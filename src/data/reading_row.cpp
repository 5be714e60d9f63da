#include "data/reading_row.h"

#include "data/reading.h"
#include "data/vector_support.h"

#if defined(TRANDOR_IMPORT_X86)
// Defined in reading_row_avx2.cpp, which alone is compiled for 256-bit vector instructions.
void ReadRowFieldsAvx2(const char* line, const char* limit, const uint16_t* spans, int count, double* values);
#endif

namespace {

using RowReader = void (*)(const char*, const char*, const uint16_t*, int, double*);

RowReader ChooseRowReader()
{
#if defined(TRANDOR_IMPORT_X86)
    if (ProcessorHasAvx2())
        return ReadRowFieldsAvx2;
#endif
    return ReadRowFieldsPortable;
}

}  // namespace

double ReadField(const char* begin, const char* end, const char* limit)
{
    double value;
    if (!ParseShortReading(begin, end, limit, &value))
        value = ParseReading(begin, end);
    return value;
}

void ReadRowFieldsPortable(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    for (int i = 0; i < count; ++i) {
        const char* begin = line + spans[2 * i];
        const char* end = line + spans[2 * i + 1];
        double value;
        if (!ParseShortReading(begin, end, limit, &value))
            value = ParseReading(begin, end);
        values[i] = value;
    }
}

void ReadRowFields(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    static const RowReader reader = ChooseRowReader();
    reader(line, limit, spans, count, values);
}
