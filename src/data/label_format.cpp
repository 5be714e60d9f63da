// Re-formatting a raw time label for the time axis.
#include "data/data_manager.h"

void CMemoryTransferManage::FormatTimeLabel(const char* label, int format, const CLabelReading& reading,
                                            std::string* text)
{
    text->clear();
    if (format == 1 || format == 2 || format == 3) {
        // The time the import read, in whatever form; a label it could not read is
        // split by the fixed year-first rule.
        TimeValue t = 0;
        if (ParseTimeLabel(label, &t, reading) || ParseLabelFields(label, &t))
            *text = FormatLabelTime(t, format);
    }
    // Formats other than 1 to 3, labels that do not split into a valid date, and a
    // failed formatting all show the raw label.
    if (text->empty())
        *text = label;
}
