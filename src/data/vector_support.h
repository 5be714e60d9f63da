#pragma once

// Which builds of the import's vector code this processor runs. Those builds exist on
// x86-64 only (TRANDOR_IMPORT_X86); everywhere else only the portable code does.

// 256-bit vectors and the bit instructions that came with them.
inline bool ProcessorHasAvx2()
{
#if defined(TRANDOR_IMPORT_X86)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi");
#else
    return false;
#endif
}

// 512-bit vectors on bytes and words, with the instructions that pack selected words.
inline bool ProcessorHasAvx512()
{
#if defined(TRANDOR_IMPORT_X86)
    return ProcessorHasAvx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
        && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl")
        && __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("popcnt");
#else
    return false;
#endif
}
