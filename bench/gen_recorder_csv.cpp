// Writes a deterministic recorder-style CSV file of exactly the given size (see
// recorder_csv.h); LABEL_CHARS pads every label and channel name to that length,
// "semicolon" writes another logger's way (semicolons, quotes, decimal commas).
//
//   gen-recorder-csv BYTES PATH [LABEL_CHARS | semicolon]
#include "recorder_csv.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: gen-recorder-csv BYTES PATH [LABEL_CHARS | semicolon]\n");
        return 2;
    }
    const bool semicolon = argc == 4 && std::string(argv[3]) == "semicolon";
    const int labelChars = argc == 4 && !semicolon ? std::atoi(argv[3]) : 0;
    if (!WriteRecorderCsv(argv[2], std::atoll(argv[1]), labelChars, semicolon)) {
        std::fprintf(stderr, "gen-recorder-csv: cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
