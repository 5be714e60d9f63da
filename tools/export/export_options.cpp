#include "export_options.h"

#include <QDate>
#include <QPageSize>
#include <QTime>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

constexpr int kMaxScale = 400;

// A whole decimal number, optionally negative, nothing around it.
bool ToInt(const std::string& text, int* out)
{
    if (text.empty() || text.size() > 12)
        return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9')
            return false;
    }
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || v < INT_MIN || v > INT_MAX)
        return false;
    *out = static_cast<int>(v);
    return true;
}

bool ToIntIn(const std::string& text, int low, int high, int* out)
{
    int v;
    if (!ToInt(text, &v) || v < low || v > high)
        return false;
    *out = v;
    return true;
}

// "YYYY-MM-DD HH:MM:SS" as local time, within the span the query dialog's pickers
// offer (2000-01-01 00:00:00 to 2200-01-01 23:59:59).
bool ToQueryTime(const std::string& text, TimeValue* out)
{
    static const char kPattern[] = "dddd-dd-dd dd:dd:dd";
    if (text.size() != sizeof kPattern - 1)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return false;
    }
    auto field = [&text](size_t at, size_t length) { return std::atoi(text.substr(at, length).c_str()); };
    const QDate date(field(0, 4), field(5, 2), field(8, 2));
    const QTime time(field(11, 2), field(14, 2), field(17, 2));
    if (!date.isValid() || !time.isValid() || date < QDate(2000, 1, 1) || date > QDate(2200, 1, 1))
        return false;
    CLocalTimeConverter converter;
    return converter.ToTimeValue(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                                 *out);
}

bool ParseQuery(const std::string& text, CExportOptions* options)
{
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    auto trimmed = [](std::string s) {
        const size_t a = s.find_first_not_of(' ');
        const size_t b = s.find_last_not_of(' ');
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    return ToQueryTime(trimmed(text.substr(0, comma)), &options->queryStart) &&
           ToQueryTime(trimmed(text.substr(comma + 1)), &options->queryEnd);
}

bool ParseRange(const std::string& text, CExportOptions* options)
{
    if (text == "auto") {
        options->manualRange = false;
        return true;
    }
    // The minimum may be negative, so the separator is the first ':' after its sign.
    const size_t colon = text.find(':', 1);
    if (colon == std::string::npos || !ToInt(text.substr(0, colon), &options->rangeMin) ||
        !ToInt(text.substr(colon + 1), &options->rangeMax))
        return false;
    options->manualRange = true;
    return true;
}

bool ParseChannels(const std::string& text, std::vector<int>* channels)
{
    channels->clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        int channel;
        if (!ToIntIn(text.substr(start, comma - start), 0, 15, &channel))
            return false;
        channels->push_back(channel);
        start = comma + 1;
    }
    std::sort(channels->begin(), channels->end());
    channels->erase(std::unique(channels->begin(), channels->end()), channels->end());
    return true;
}

bool* FindFlag(const std::string& name, CExportOptions* o)
{
    return name == "--info"      ? &o->info
           : name == "--series"  ? &o->series
           : name == "--timings" ? &o->timings
           : name == "--fit-all" ? &o->fitAll
                                 : nullptr;
}

// An option with a value: its name, what the value must be (for the refusal) and
// what stores it.
struct ValuedOption {
    const char* name;
    const char* expected;
    bool (*parse)(const std::string& value, CExportOptions* o);
};

// Stores the value when the text is a whole number from Low to High.
template <int Low, int High>
bool IntInto(const std::string& text, std::optional<int>* target)
{
    int v;
    if (!ToIntIn(text, Low, High, &v))
        return false;
    *target = v;
    return true;
}

const ValuedOption kValuedOptions[] = {
    {"--png", "a file path", [](const std::string& v, CExportOptions* o) { return !(o->png = v).empty(); }},
    {"--pdf", "a file path", [](const std::string& v, CExportOptions* o) { return !(o->pdf = v).empty(); }},
    {"--label-column", "a column number, 1 for the first, 0 for none",
     [](const std::string& v, CExportOptions* o) { return IntInto<0, INT_MAX>(v, &o->labelColumn); }},
    {"--order", "asc or desc",
     [](const std::string& v, CExportOptions* o) {
         o->timeOrder = v == "desc" ? 1 : 0;
         return v == "asc" || v == "desc";
     }},
    {"--format", "0, 1, 2 or 3",
     [](const std::string& v, CExportOptions* o) { return IntInto<0, 3>(v, &o->labelFormat); }},
    {"--range", "auto or MIN:MAX (whole numbers)", ParseRange},
    {"--unit", "a text",
     [](const std::string& v, CExportOptions* o) {
         o->unit = v;
         return true;
     }},
    {"--paper", "a known paper code (9 = A4, 8 = A3, 1 = Letter)",
     [](const std::string& v, CExportOptions* o) {
         return IntInto<1, SHRT_MAX>(v, &o->paperSize) && QPageSize::id(*o->paperSize) != QPageSize::Custom;
     }},
    {"--orientation", "1 (portrait) or 2 (landscape)",
     [](const std::string& v, CExportOptions* o) { return IntInto<1, 2>(v, &o->orientation); }},
    {"--query", "\"YYYY-MM-DD HH:MM:SS,YYYY-MM-DD HH:MM:SS\" between 2000-01-01 and 2200-01-01",
     [](const std::string& v, CExportOptions* o) { return o->query = ParseQuery(v, o); }},
    {"--zoom", "a level from 1 to 7",
     [](const std::string& v, CExportOptions* o) { return IntInto<1, 7>(v, &o->zoomLevel); }},
    {"--first", "a sample index, 0 or more",
     [](const std::string& v, CExportOptions* o) { return IntInto<0, INT_MAX>(v, &o->first); }},
    {"--hide", "channel numbers 0 to 15, separated by commas",
     [](const std::string& v, CExportOptions* o) { return ParseChannels(v, &o->hide); }},
    {"--cursor", "a plot column, 0 or more",
     [](const std::string& v, CExportOptions* o) { return IntInto<0, INT_MAX>(v, &o->cursor); }},
    {"--scale", "a percentage from 100 to 400",
     [](const std::string& v, CExportOptions* o) { return ToIntIn(v, 100, kMaxScale, &o->scale); }},
};

const ValuedOption* FindValued(const std::string& name)
{
    for (const ValuedOption& option : kValuedOptions) {
        if (name == option.name)
            return &option;
    }
    return nullptr;
}

}  // namespace

const char* ExportUsage()
{
    return "Usage: trandor-export FILE [options]\n"
           "Loads a recorder's CSV file through the program's own main window on Qt's\n"
           "offscreen platform, so no display is needed, and writes its summary as JSON,\n"
           "the window as PNG and the printed sheet as PDF.\n"
           "\n"
           "Options:\n"
           "  --info                 print the file and page summary as JSON\n"
           "  --series               with --info: add the display series\n"
           "  --png PATH             the main window as the user sees it\n"
           "  --pdf PATH             the printed sheet\n"
           "  --timings              load and first-page times and memory on stderr\n"
           "  --label-column N       time-label column, 1-based (0: none)\n"
           "  --order asc|desc       time order\n"
           "  --format 0|1|2|3       time-label format\n"
           "  --range auto|MIN:MAX   value range\n"
           "  --unit TEXT            unit of the read-out\n"
           "  --paper CODE           printer paper code (9 = A4)\n"
           "  --orientation 1|2      portrait or landscape\n"
           "  --query \"START,END\"    load only YYYY-MM-DD HH:MM:SS to YYYY-MM-DD HH:MM:SS\n"
           "  --fit-all              with --query: all of it on one page\n"
           "  --zoom LEVEL           zoom level 1-7\n"
           "  --first N              first sample of the page\n"
           "  --hide I,J,...         hide channels (0-based)\n"
           "  --cursor X             cursor at plot column X, read-out in the status strip\n"
           "  --scale PCT            display scaling, 100-400 (default 100)\n"
           "  --help                 print this text and exit\n"
           "  --version              print the version and exit\n"
           "\n"
           "The settings the options do not give come from the program's settings file,\n"
           "Trandor.INI beside the executable or, when that folder cannot take it,\n"
           "$XDG_CONFIG_HOME/trandor/Trandor.INI (~/.config by default); the tool never\n"
           "writes it.\n"
           "\n"
           "Exit status:\n"
           "  0  success, also for a file without data or one too large to read\n"
           "  2  a bad option, an input that cannot be read or an output that cannot be\n"
           "     written (one line on stderr)\n";
}

const char* ExportVersion()
{
    return "trandor-export " TRANDOR_VERSION "\n";
}

bool ParseExportOptions(const std::vector<std::string>& args, CExportOptions* options, std::string* error)
{
    *options = CExportOptions();
    bool haveFile = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (haveFile) {
                *error = "more than one input file: '" + options->file + "' and '" + arg + "'";
                return false;
            }
            options->file = arg;
            haveFile = true;
            continue;
        }
        if (arg == "--help") {
            options->help = true;
            return true;
        }
        if (arg == "--version") {
            options->version = true;
            return true;
        }
        if (bool* flag = FindFlag(arg, options)) {
            *flag = true;
            continue;
        }
        const ValuedOption* option = FindValued(arg);
        if (option == nullptr) {
            *error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (!option->parse(value, options)) {
            *error = arg + ": expected " + option->expected + ", got '" + value + "'";
            return false;
        }
    }
    if (!haveFile) {
        *error = "no input file given";
        return false;
    }
    if (options->series && !options->info) {
        *error = "--series needs --info";
        return false;
    }
    if (options->fitAll && !options->query) {
        *error = "--fit-all needs --query";
        return false;
    }
    return true;
}
