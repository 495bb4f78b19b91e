#include "base/stored_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qb {
namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Decimal magnitude of a mantissa "123.45" or "0.001" with exponent `exponent`; only its sign matters,
// to tell overflow from underflow when from_chars reports a result out of range.
long Magnitude(const std::string& mantissa, long exponent)
{
    const auto point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    const auto firstNonZero = whole.find_first_not_of('0');
    if (firstNonZero != std::string::npos)
        return static_cast<long>(whole.size() - firstNonZero) + exponent;
    if (point == std::string::npos)
        return std::numeric_limits<long>::min();
    const std::string fraction = mantissa.substr(point + 1);
    const auto firstDigit = fraction.find_first_not_of('0');
    if (firstDigit == std::string::npos)
        return std::numeric_limits<long>::min();
    return -static_cast<long>(firstDigit) + exponent;
}

} // namespace

double LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';

    std::string mantissa;
    bool anyDigit = false;
    while (i < n && IsDigit(text[i])) {
        mantissa += static_cast<char>(text[i++].unicode());
        anyDigit = true;
    }
    if (i < n && text[i] == u'.') {
        mantissa += '.';
        ++i;
        while (i < n && IsDigit(text[i])) {
            mantissa += static_cast<char>(text[i++].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;

    std::string exponentText;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        std::string candidate;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            candidate += static_cast<char>(text[j++].unicode());
        const qsizetype digitsStart = j;
        while (j < n && IsDigit(text[j]))
            candidate += static_cast<char>(text[j++].unicode());
        if (j > digitsStart)
            exponentText = candidate;
    }

    const std::string number = exponentText.empty() ? mantissa : mantissa + 'e' + exponentText;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        long exponent = 0;
        if (!exponentText.empty()) {
            // A very long exponent only needs its sign and rough size.
            const std::string digits = exponentText.substr(exponentText[0] == '-' || exponentText[0] == '+');
            exponent = digits.size() > 9 ? 1000000000L : std::stol(digits);
            if (exponentText[0] == '-')
                exponent = -exponent;
        }
        value = Magnitude(mantissa, exponent) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

int32_t ClampedWhole(double value, int32_t low, int32_t high)
{
    if (std::isnan(value))
        return 0 < low ? low : (0 > high ? high : 0);
    const double rounded = std::nearbyint(value);
    if (rounded <= low)
        return low;
    if (rounded >= high)
        return high;
    return static_cast<int32_t>(rounded);
}

int32_t StoredInt32(QStringView text)
{
    return ClampedWhole(LeadingNumber(text), std::numeric_limits<int32_t>::min(),
                        std::numeric_limits<int32_t>::max());
}

} // namespace qb
