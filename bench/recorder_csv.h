#pragma once

// A deterministic recorder-style CSV file of exactly the given size: header
// "Time,CH01..CH16", labels "YYYY/MM/DD HH:MM:SS" one second apart, sixteen random
// readings per row with one to three decimals. With labelChars above the label's
// length, every label and every channel name is padded with letters to that many
// characters (lines longer than the import reads in one piece). With semicolon,
// another logger's way: fields separated by semicolons, the header's names and the
// labels "YYYY-MM-DD HH:MM:SS" in double quotes, decimal commas. The last row is cut
// where the size ends. Returns false when the file cannot be written.
bool WriteRecorderCsv(const char* path, long long bytes, int labelChars, bool semicolon = false);
