// Writes the sample recorder file of examples/: one day (2024-05-06) at 30-second
// intervals, newest row first, eight channels (five temperatures in °C, relative
// humidity in %, two pressures in kPa). The header is Chinese in GB18030 and the
// lines end in CRLF, as a recorder on a Chinese Windows system writes them. The
// readings follow smooth daily curves with a little deterministic noise, so the
// file is the same on every run.
//
//   gen-example PATH
#include <QStringEncoder>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int kRows = 24 * 60 * 2;  // one day, every 30 s
constexpr double kPi = 3.14159265358979323846;

struct Channel {
    const char* name;
    double base;       // mean value
    double daily;      // amplitude of the day's swing
    double phase;      // hours after midnight of the swing's peak
    double ripple;     // amplitude of a faster cycle (the plant's duty cycle)
    double period;     // minutes of that cycle
    double noise;      // amplitude of the noise
    int decimals;
};

const Channel kChannels[8] = {
    {"进风温度", 22.0, 3.0, 14.0, 0.8, 47.0, 0.15, 1},
    {"出风温度", 38.0, 4.5, 15.0, 2.5, 47.0, 0.25, 1},
    {"箱内温度", 28.0, 2.0, 15.5, 1.2, 47.0, 0.10, 1},
    {"环境温度", 21.0, 6.5, 14.5, 0.0, 60.0, 0.20, 1},
    {"冷却水温度", 15.0, 1.5, 16.0, 1.0, 23.0, 0.10, 1},
    {"相对湿度", 58.0, -14.0, 14.5, 2.0, 95.0, 0.60, 1},
    {"大气压力", 101.2, 0.35, 10.0, 0.0, 60.0, 0.02, 2},
    {"管道压力", 88.0, 2.0, 13.0, 3.5, 23.0, 0.30, 2},
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen-example PATH\n");
        return 2;
    }
    QStringEncoder gb18030("GB18030");
    if (!gb18030.isValid()) {
        std::fprintf(stderr, "gen-example: this Qt has no GB18030 encoder\n");
        return 2;
    }
    QString header = QString::fromUtf8("时间");
    for (const Channel& channel : kChannels)
        header += "," + QString::fromUtf8(channel.name);
    const QByteArray headerBytes = gb18030.encode(header);
    std::string text(headerBytes.constData(), static_cast<size_t>(headerBytes.size()));
    text += "\r\n";

    uint64_t state = 0x9E3779B97F4A7C15ULL;
    char field[64];
    for (int row = 0; row < kRows; ++row) {
        const int seconds = (kRows - 1 - row) * 30;  // newest first
        std::snprintf(field, sizeof field, "2024/05/06 %02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
        text += field;
        const double hours = seconds / 3600.0;
        for (const Channel& c : kChannels) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            const double unit = static_cast<double>(state >> 11) / 9007199254740992.0;  // 0 .. 1
            const double value = c.base + c.daily * std::cos(2 * kPi * (hours - c.phase) / 24.0) +
                                 c.ripple * std::sin(2 * kPi * seconds / (60.0 * c.period)) +
                                 c.noise * (2 * unit - 1);
            std::snprintf(field, sizeof field, ",%.*f", c.decimals, value);
            text += field;
        }
        text += "\r\n";
    }

    FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "gen-example: cannot write %s\n", argv[1]);
        return 2;
    }
    return 0;
}
