// Built with AVX2 enabled; only called after the processor was found to support it.
#include "editor/search/ByteFinderWideScan.h"

#include <cstdint>
#include <immintrin.h>

namespace {

struct Avx2Ops {
    using Vec = __m256i;
    using MaskType = std::uint32_t;
    static constexpr std::size_t kWidth = 32;
    static constexpr MaskType kFullMask = 0xFFFFFFFFu;
    static Vec Load(const unsigned char* at) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)); }
    static Vec Splat(unsigned char byte) { return _mm256_set1_epi8(static_cast<char>(byte)); }
    static Vec Equal(Vec a, Vec b) { return _mm256_cmpeq_epi8(a, b); }
    static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
    static Vec And(Vec a, Vec b) { return _mm256_and_si256(a, b); }
    static MaskType Mask(Vec v) { return static_cast<MaskType>(_mm256_movemask_epi8(v)); }
};

}  // namespace

WideFindFunction SelectAvx2Find(const WidePattern& pattern) { return SelectWideFind<Avx2Ops>(pattern); }
