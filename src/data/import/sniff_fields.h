#pragma once

// The sniffer's view of text: lines, the fields of a line for a separator, and what
// a field looks like.
#include <string>
#include <string_view>
#include <vector>

using SniffRow = std::vector<std::string>;

// The lines of text, ended by line feeds, each without its line end ("\r\n" or
// "\n"). A last line without a line feed is dropped when the text was cut.
std::vector<std::string_view> SplitSniffLines(std::string_view text, bool cut);

// The fields of a line by position, as a spreadsheet counts them: an empty field is a
// field, but empty fields at the end of the line are not (a line of separators only
// has none). A field that starts with a double quote ends at its closing quote, a
// doubled quote inside standing for one (RFC 4180); the quotes are not kept.
SniffRow SplitSniffFields(std::string_view line, char separator);

// The field without leading and trailing blanks (space, tab).
std::string_view TrimBlanks(std::string_view field);

// Whether the field, after blanks, starts with a number as atof reads one: a sign,
// then a digit, or a decimal mark ('.' or ',') and a digit.
bool StartsWithNumber(std::string_view field);

// Whether the field holds words, as a unit (°C, %RH), a sample kind (Avg) or an event's
// text does: neither a reading nor a mark of a missing one. Marks are blank, dashes or
// capitals (----, OVER, ERR, N/A) and nan or inf in any case, with a sign or not.
bool IsWords(std::string_view field);
