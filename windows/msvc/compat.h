// Included before every source of the clang-cl build against Wine's headers.
#pragma once

// Wine's winnt.h defines an inline InterlockedCompareExchange128 under the
// intrinsic's name, which clang-cl knows as a builtin and refuses to see
// redefined. Drapelle never calls it: the inline function takes another name.
#define _InterlockedCompareExchange128 drapelle_InterlockedCompareExchange128
