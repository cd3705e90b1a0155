// Loops marked MORVANE_LANE_CLONES are compiled twice where the platform can pick a version at
// load time: for AVX2 and for the baseline (plain SSE2 on x86-64, portable elsewhere). Only the
// register width differs. Files whose results must not depend on the version are also built
// without fused multiply-adds (see their CMakeLists.txt), whose single rounding would change sums.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define MORVANE_LANE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define MORVANE_LANE_CLONES
#endif
