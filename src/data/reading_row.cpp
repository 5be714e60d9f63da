#include "data/reading_row.h"

#include "data/reading.h"
#include "data/vector_support.h"

#if defined(TRANDOR_IMPORT_X86)
// Defined in reading_row_avx2.cpp and reading_row_avx512.cpp, which alone are compiled
// for those vector instructions.
void ReadRowFieldsAvx2(const char* line, const char* limit, const uint16_t* spans, int count, double* values);
void ReadRowFieldsAvx512(const char* line, const char* limit, const uint16_t* spans, int count, double* values);
#endif

double ReadField(const char* begin, const char* end, const char* limit)
{
    double value;
    if (!ParseShortReading(begin, end, limit, &value))
        value = ParseReading(begin, end);
    return value;
}

namespace {

void ReadRowFieldsPortable(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    for (int i = 0; i < count; ++i)
        values[i] = ReadField(line + spans[2 * i], line + spans[2 * i + 1], limit);
}

}  // namespace

std::vector<RowReader> RowReaders()
{
    std::vector<RowReader> readers{ReadRowFieldsPortable};
#if defined(TRANDOR_IMPORT_X86)
    if (ProcessorHasAvx2())
        readers.push_back(ReadRowFieldsAvx2);
    if (ProcessorHasAvx512())
        readers.push_back(ReadRowFieldsAvx512);
#endif
    return readers;
}

void ReadRowFields(const char* line, const char* limit, const uint16_t* spans, int count, double* values)
{
    static const RowReader reader = RowReaders().back();
    reader(line, limit, spans, count, values);
}
