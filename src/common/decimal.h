#pragma once

// Decimal integer conversion with the C run-time's atoi rules, without its undefined
// behaviour: leading white space skipped, an optional sign, digits up to the first
// other character; no digits give 0, values beyond the int range saturate, a null
// text gives 0.
int DecimalToInt(const char* text);
