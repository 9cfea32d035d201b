// Upper case from the generated table. See upper_case.h.
#include "tools/fat/upper_case.h"

#include <algorithm>
#include <iterator>

namespace ib::tools::fat {
namespace {

struct CasePair {
    char16_t lower;
    char16_t upper;
};

// Every BMP character that has an upper-case form, in code point order; generated at
// build time from the Unicode Character Database.
constexpr CasePair kUpperCaseTable[] = {
#include "fat/upper_case_table.inc"
};
static_assert(std::is_sorted(std::begin(kUpperCaseTable), std::end(kUpperCaseTable),
                             [](const CasePair& a, const CasePair& b) { return a.lower < b.lower; }));

}  // namespace

char16_t upperCase(char16_t unit) {
    const CasePair* found = std::lower_bound(std::begin(kUpperCaseTable), std::end(kUpperCaseTable), unit,
                                             [](const CasePair& pair, char16_t c) { return pair.lower < c; });
    return found != std::end(kUpperCaseTable) && found->lower == unit ? found->upper : unit;
}

}  // namespace ib::tools::fat
