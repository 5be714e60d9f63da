#include "data/import/sniff_fields.h"

#include <algorithm>
#include <cctype>

std::vector<std::string_view> SplitSniffLines(std::string_view text, bool cut)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos && cut)
            break;
        std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads a quoted field's text from just after its opening quote into field; returns
// the position after its closing quote (the line's end when it has none).
size_t ReadQuoted(std::string_view line, size_t i, std::string* field)
{
    field->clear();
    while (i < line.size()) {
        const char c = line[i++];
        if (c != '"')
            *field += c;
        else if (i < line.size() && line[i] == '"')
            *field += line[i++];
        else
            break;
    }
    return i;
}

}  // namespace

SniffRow SplitSniffFields(std::string_view line, char separator)
{
    SniffRow fields;
    size_t i = 0;
    do {
        size_t start = i;
        while (start < line.size() && IsBlank(line[start]))
            ++start;
        std::string field;
        if (start < line.size() && line[start] == '"')
            i = ReadQuoted(line, start + 1, &field);
        const size_t end = std::min(line.find(separator, i), line.size());
        field += line.substr(i, end - i);
        fields.push_back(std::move(field));
        i = end + 1;
    } while (i <= line.size());
    while (!fields.empty() && TrimBlanks(fields.back()).empty())
        fields.pop_back();
    return fields;
}

std::string_view TrimBlanks(std::string_view field)
{
    while (!field.empty() && IsBlank(field.front()))
        field.remove_prefix(1);
    while (!field.empty() && IsBlank(field.back()))
        field.remove_suffix(1);
    return field;
}

bool StartsWithNumber(std::string_view field)
{
    field = TrimBlanks(field);
    size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        ++i;
    if (i < field.size() && (field[i] == '.' || field[i] == ','))
        ++i;
    return i < field.size() && field[i] >= '0' && field[i] <= '9';
}

bool IsWords(std::string_view field)
{
    field = TrimBlanks(field);
    if (StartsWithNumber(field))
        return false;
    std::string lowered(field.substr(!field.empty() && (field[0] == '+' || field[0] == '-') ? 1 : 0));
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lowered == "nan" || lowered == "inf" || lowered == "infinity")
        return false;
    return std::any_of(field.begin(), field.end(), [](unsigned char c) {
        return !(std::isupper(c) || c == '-' || c == '*' || c == '/' || c == ' ' || c == '\t');
    });
}
