#include "data/import/sniff_fields.h"

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

SniffRow SplitSniffFields(std::string_view line, char separator)
{
    SniffRow fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"' && TrimBlanks(fields.back()).empty()) {
            fields.back().clear();
            quoted = true;
        } else if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    while (!fields.empty() && TrimBlanks(fields.back()).empty())
        fields.pop_back();
    return fields;
}

std::string_view TrimBlanks(std::string_view field)
{
    const size_t first = field.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return field.substr(first, field.find_last_not_of(" \t") - first + 1);
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
