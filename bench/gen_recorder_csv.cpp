// Writes a deterministic recorder-style CSV file of exactly the given size (see
// recorder_csv.h); LABEL_CHARS pads every label and channel name to that length.
//
//   gen-recorder-csv BYTES PATH [LABEL_CHARS]
#include "recorder_csv.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: gen-recorder-csv BYTES PATH [LABEL_CHARS]\n");
        return 2;
    }
    const int labelChars = argc == 4 ? std::atoi(argv[3]) : 0;
    if (!WriteRecorderCsv(argv[2], std::atoll(argv[1]), labelChars)) {
        std::fprintf(stderr, "gen-recorder-csv: cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
