#include "editor/search/ByteFinderWideScan.h"

#include <cstdint>
#include <emmintrin.h>

namespace {

struct Sse2Ops {
    using Vec = __m128i;
    using MaskType = std::uint32_t;
    static constexpr std::size_t kWidth = 16;
    static constexpr MaskType kFullMask = 0xFFFFu;
    static Vec Load(const unsigned char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
    static Vec Splat(unsigned char byte) { return _mm_set1_epi8(static_cast<char>(byte)); }
    static Vec Equal(Vec a, Vec b) { return _mm_cmpeq_epi8(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
    static Vec And(Vec a, Vec b) { return _mm_and_si128(a, b); }
    static MaskType Mask(Vec v) { return static_cast<MaskType>(_mm_movemask_epi8(v)); }
};

}  // namespace

WideFindFunction SelectSse2Find(const WidePattern& pattern) { return SelectWideFind<Sse2Ops>(pattern); }
