#include "textio/BigDecimal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "textio/ExtendedReal.h"

namespace textio {
namespace {

// A natural number in 32-bit limbs, least significant first, without leading zero limbs.
class Natural {
 public:
  explicit Natural(std::uint64_t value = 0) {
    for (; value != 0; value >>= 32)
      limbs_.push_back(static_cast<std::uint32_t>(value));
  }

  bool IsZero() const { return limbs_.empty(); }

  int BitLength() const {
    if (limbs_.empty()) return 0;
    return 32 * static_cast<int>(limbs_.size() - 1) + 32 - __builtin_clz(limbs_.back());
  }

  void MultiplyAdd(std::uint32_t factor, std::uint32_t term = 0) {
    std::uint64_t carry = term;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t t = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    Trim();
  }

  // Multiplies by base^count; base^chunk must fit in 32 bits.
  void MultiplyByPower(std::uint32_t base, int count) {
    std::uint32_t chunkFactor = 1;
    int chunk = 0;
    while (std::uint64_t{chunkFactor} * base <= 0xFFFFFFFFu) {
      chunkFactor *= base;
      ++chunk;
    }
    for (; count >= chunk; count -= chunk)
      MultiplyAdd(chunkFactor);
    for (; count > 0; --count)
      MultiplyAdd(base);
  }

  void ShiftLeft(int bits) {
    if (limbs_.empty() || bits <= 0) return;
    const std::size_t words = static_cast<std::size_t>(bits / 32);
    const int rest = bits % 32;
    if (rest != 0) {
      std::uint32_t carry = 0;
      for (std::uint32_t& limb : limbs_) {
        const std::uint32_t next = limb >> (32 - rest);
        limb = (limb << rest) | carry;
        carry = next;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), words, 0);
  }

  void ShiftRightOne() {
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << 31 : 0;
      limbs_[i] = (limbs_[i] >> 1) | high;
    }
    Trim();
  }

  int Compare(const Natural& other) const {
    if (limbs_.size() != other.limbs_.size()) return limbs_.size() < other.limbs_.size() ? -1 : 1;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
      if (limbs_[i] != other.limbs_[i]) return limbs_[i] < other.limbs_[i] ? -1 : 1;
    }
    return 0;
  }

  // this -= other, for other <= this.
  void Subtract(const Natural& other) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      std::int64_t t = std::int64_t{limbs_[i]} - borrow -
                       (i < other.limbs_.size() ? std::int64_t{other.limbs_[i]} : 0);
      borrow = t < 0 ? 1 : 0;
      if (t < 0) t += std::int64_t{1} << 32;
      limbs_[i] = static_cast<std::uint32_t>(t);
    }
    Trim();
  }

  // The quotient by `divisor` (which must be below 2^64 times it); this keeps the remainder.
  std::uint64_t DivideSmallQuotient(const Natural& divisor) {
    Natural shifted = divisor;
    shifted.ShiftLeft(63);
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit, shifted.ShiftRightOne()) {
      if (Compare(shifted) >= 0) {
        Subtract(shifted);
        quotient |= std::uint64_t{1} << bit;
      }
    }
    return quotient;
  }

  // The decimal digits, without leading zeros ("0" for zero).
  std::string Decimal() const {
    Natural rest = *this;
    std::string reversed;
    while (!rest.IsZero()) {
      std::uint32_t chunk = rest.DivideBy(1000000000u);
      for (int i = 0; i < 9; ++i, chunk /= 10)
        reversed += static_cast<char>('0' + chunk % 10);
    }
    while (reversed.size() > 1 && reversed.back() == '0')
      reversed.pop_back();
    if (reversed.empty()) reversed.assign(1, '0');
    return std::string(reversed.rbegin(), reversed.rend());
  }

 private:
  std::uint32_t DivideBy(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = limbs_.size(); i-- > 0;) {
      const std::uint64_t current = (remainder << 32) | limbs_[i];
      limbs_[i] = static_cast<std::uint32_t>(current / divisor);
      remainder = current % divisor;
    }
    Trim();
    return static_cast<std::uint32_t>(remainder);
  }

  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0)
      limbs_.pop_back();
  }

  std::vector<std::uint32_t> limbs_;
};

using Parts = ExtendedParts;

// |value| = 0.digits * 10^point exactly, `digits` without leading or trailing zeros; for a
// finite nonzero value. A binary fraction ends in finitely many decimals: m / 2^k is
// m * 5^k / 10^k.
void ExactDigits(const Parts& p, std::string& digits, int& point) {
  Natural n(p.significand);
  if (p.exponent >= 0) {
    n.ShiftLeft(p.exponent);
    digits = n.Decimal();
    point = static_cast<int>(digits.size());
  } else {
    n.MultiplyByPower(5, -p.exponent);
    digits = n.Decimal();
    point = static_cast<int>(digits.size()) + p.exponent;
  }
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();
}

// Whether cutting `digits` after `kept` of them rounds up, half to even.
bool RoundsUp(const std::string& digits, std::size_t kept) {
  if (kept >= digits.size()) return false;
  const char next = digits[kept];
  if (next != '5') return next > '5';
  if (kept + 1 < digits.size()) return true;  // digits end in a nonzero digit
  const char last = kept > 0 ? digits[kept - 1] : '0';
  return (last - '0') % 2 == 1;
}

// Adds one to a string of decimal digits; true when it grew by a digit.
bool Increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

std::string NonFinite(const Parts& p) {
  const std::string text = p.significand << 1 == 0 ? "inf" : "nan";
  return p.negative ? "-" + text : text;
}

// The digits of round(|value| * 10^decimals).
std::string ScaledDigits(const Parts& p, int decimals) {
  if (p.significand == 0) return "0";
  std::string digits;
  int point = 0;
  ExactDigits(p, digits, point);
  const long cut = static_cast<long>(point) + decimals;
  if (cut < 0) return "0";  // below a tenth of the last decimal
  const std::size_t kept = static_cast<std::size_t>(cut);
  std::string scaled = digits.substr(0, std::min(kept, digits.size()));
  if (kept > digits.size()) scaled.append(kept - digits.size(), '0');
  const bool up = RoundsUp(digits, kept);
  if (scaled.empty()) scaled.assign(1, '0');
  if (up) Increment(scaled);
  return scaled;
}

struct DecimalToken {
  bool negative = false;
  std::string digits;  // significant digits, no leading zeros
  long power = 0;      // value = digits * 10^power
};

constexpr long kExponentLimit = 1000000;  // far past any 80-bit magnitude

DecimalToken ReadToken(std::string_view token) {
  DecimalToken t;
  std::size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) t.negative = token[i++] == '-';
  bool fraction = false;
  for (; i < token.size() && token[i] != 'e' && token[i] != 'E'; ++i) {
    if (token[i] == '.') {
      fraction = true;
      continue;
    }
    if (t.digits.empty() && token[i] == '0') {
      if (fraction) --t.power;
      continue;
    }
    t.digits += token[i];
    if (fraction) --t.power;
  }
  if (i < token.size()) {
    ++i;
    bool negativeExponent = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
      negativeExponent = token[i++] == '-';
    long exponent = 0;
    for (; i < token.size(); ++i)
      exponent = std::min(kExponentLimit, exponent * 10 + (token[i] - '0'));
    t.power += negativeExponent ? -exponent : exponent;
  }
  return t;
}

// More digits than this cannot change the rounding once the rest is known to be nonzero:
// the halfway points between 80-bit reals have at most about 11,500 significant digits.
constexpr std::size_t kDecidingDigits = 12000;

void KeepDecidingDigits(DecimalToken& t) {
  while (!t.digits.empty() && t.digits.back() == '0') {
    t.digits.pop_back();
    ++t.power;
  }
  if (t.digits.size() <= kDecidingDigits) return;
  const bool rest = t.digits.find_first_not_of('0', kDecidingDigits) != std::string::npos;
  t.power += static_cast<long>(t.digits.size() - kDecidingDigits);
  t.digits.resize(kDecidingDigits);
  if (rest) {
    t.digits += '1';  // stands for the nonzero rest: strictly between, never a tie
    --t.power;
  }
}

Natural FromDigits(const std::string& digits) {
  Natural n;
  std::size_t i = 0;
  const std::size_t head = digits.size() % 9;
  std::uint32_t chunk = 0;
  for (; i < head; ++i)
    chunk = chunk * 10 + static_cast<std::uint32_t>(digits[i] - '0');
  n.MultiplyAdd(1, chunk);
  while (i < digits.size()) {
    chunk = 0;
    for (int k = 0; k < 9; ++k, ++i)
      chunk = chunk * 10 + static_cast<std::uint32_t>(digits[i] - '0');
    n.MultiplyAdd(1000000000u, chunk);
  }
  return n;
}

}  // namespace

std::string FixedText(long double value, int decimals) {
  const Parts p = SplitExtended(value);
  if (!p.finite) return NonFinite(p);
  std::string scaled = ScaledDigits(p, decimals);
  const std::size_t width = static_cast<std::size_t>(decimals) + 1;
  if (scaled.size() < width) scaled.insert(0, width - scaled.size(), '0');
  std::string text = p.negative ? "-" : "";
  text.append(scaled, 0, scaled.size() - static_cast<std::size_t>(decimals));
  if (decimals > 0) {
    text += '.';
    text.append(scaled, scaled.size() - static_cast<std::size_t>(decimals), std::string::npos);
  }
  return text;
}

void SignificantDigits(long double value, int count, std::string& digits, int& exponent) {
  const Parts p = SplitExtended(value);
  const std::size_t kept = static_cast<std::size_t>(count);
  if (p.significand == 0) {
    digits.assign(kept, '0');
    exponent = 0;
    return;
  }
  std::string exact;
  int point = 0;
  ExactDigits(p, exact, point);
  digits = exact.substr(0, std::min(kept, exact.size()));
  digits.resize(kept, '0');
  if (RoundsUp(exact, kept) && Increment(digits)) {
    digits.pop_back();
    ++point;
  }
  exponent = point - 1;
}

bool NearestToDecimal(std::string_view token, long double& value) {
  DecimalToken t = ReadToken(token);
  KeepDecidingDigits(t);
  if (t.digits.empty()) {
    value = t.negative ? -0.0L : 0.0L;
    return true;
  }
  // The value lies in [10^(magnitude-1), 10^magnitude); 80 bits reach from about
  // 3.6e-4951 to 1.19e4932.
  const long magnitude = static_cast<long>(t.digits.size()) + t.power;
  if (magnitude > 4933 || magnitude < -4950) return false;
  Natural numerator = FromDigits(t.digits), denominator(1);
  if (t.power >= 0) {
    numerator.MultiplyByPower(10, static_cast<int>(t.power));
  } else {
    denominator.MultiplyByPower(10, static_cast<int>(-t.power));
  }
  // value = numerator / denominator * 2^shift, the quotient in [2^63, 2^64).
  int shift = numerator.BitLength() - denominator.BitLength() - 63;
  if (shift >= 0) {
    denominator.ShiftLeft(shift);
  } else {
    numerator.ShiftLeft(-shift);
  }
  Natural top = denominator;
  top.ShiftLeft(63);
  if (numerator.Compare(top) < 0) {
    numerator.ShiftLeft(1);
    --shift;
  }
  const int biased = shift + 63 + kExtendedBias;
  if (biased < 1) {  // fewer bits below the normal range
    denominator.ShiftLeft(1 - biased);
    shift += 1 - biased;
  }
  std::uint64_t significand = numerator.DivideSmallQuotient(denominator);
  const bool exact = numerator.IsZero();
  numerator.ShiftLeft(1);
  const int half = numerator.Compare(denominator);
  if (half > 0 || (half == 0 && (significand & 1))) {
    if (++significand == 0) {
      significand = std::uint64_t{1} << 63;
      ++shift;
    }
  }
  const bool normal = (significand >> 63) != 0;
  if (!normal && !exact) return false;  // strtold's underflow
  const int resultBiased = normal ? shift + 63 + kExtendedBias : 0;
  if (resultBiased > kExtendedLargestBiased) return false;
  value = JoinExtended(significand, resultBiased, t.negative);
  return true;
}

}  // namespace textio
