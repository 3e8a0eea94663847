// Wine's math.h, with what libc++'s <cmath> expects of a C99 library and
// Wine's msvcrt lacks: the long-double functions (long double is double in
// Microsoft's ABI) and a few of C99's own. Declared, never called by Drapelle.
#pragma once
#include_next <math.h>

#ifdef __cplusplus
extern "C" {
#endif
long double acosl(long double), asinl(long double), atanl(long double),
    atan2l(long double, long double), ceill(long double), cosl(long double), coshl(long double),
    expl(long double), fabsl(long double), floorl(long double), fmodl(long double, long double),
    frexpl(long double, int*), ldexpl(long double, int), logl(long double), log10l(long double),
    modfl(long double, long double*), powl(long double, long double), sinl(long double),
    sinhl(long double), sqrtl(long double), tanl(long double), tanhl(long double);
long double acoshl(long double), asinhl(long double), atanhl(long double), cbrtl(long double),
    erfl(long double), erfcl(long double), exp2l(long double), expm1l(long double),
    fdiml(long double, long double), fmaxl(long double, long double),
    fminl(long double, long double), hypotl(long double, long double), lgammal(long double),
    log1pl(long double), log2l(long double), logbl(long double), nearbyintl(long double),
    nextafterl(long double, long double), nexttowardl(long double, long double),
    remainderl(long double, long double), remquol(long double, long double, int*),
    scalblnl(long double, long), scalbnl(long double, int), tgammal(long double);
int ilogbl(long double);
double erfc(double), nexttoward(double, long double);
float erfcf(float), nexttowardf(float, long double);
#ifdef __cplusplus
}
#endif
