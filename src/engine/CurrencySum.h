#pragma once

#include "engine/Currency.h"
#include "engine/WideInteger.h"

// The exact sum of any number of amounts: ten-thousandths in a 128-bit integer. Each amount
// is below 2^63 ten-thousandths and a file holds fewer than 2^63 rows, so no sum a report
// can make comes near 2^127: a total is never wrong and never overflows, however large the
// amounts are.
class CurrencySum {
public:
    constexpr CurrencySum() = default;

    constexpr CurrencySum& operator+=(Currency amount) {
        m_raw += amount.raw();
        return *this;
    }
    constexpr Int128 raw() const { return m_raw; }

private:
    Int128 m_raw = 0;
};
