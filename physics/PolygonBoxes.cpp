#include "PolygonBoxes.h"

#include <algorithm>
#include <limits>

#include "Bounds.h"
#include "Poly.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
constexpr std::size_t kGroup = 4;
}

void PolygonBoxes::refresh(const std::vector<GameObject*>& bodies, std::uint64_t changeCount)
{
    if (takenAtChange == changeCount && bodies == taken) return;
    taken = bodies;
    takenAtChange = changeCount;
    const std::size_t padded = (bodies.size() + kGroup - 1) / kGroup * kGroup;
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    // Padding lies beyond everything, so that it is apart from any disc with a trusted magnitude.
    for (std::vector<float>* column : {&lowerX, &lowerY, &upperX, &upperY}) column->assign(padded, kInfinity);
    magnitudes.assign(padded, 0.0f);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const Aabb* box = DiscReach::skippableBox(*bodies[i]);
        if (box == nullptr) {
            magnitudes[i] = std::numeric_limits<float>::quiet_NaN();
            continue;
        }
        lowerX[i] = box->lower.x;
        lowerY[i] = box->lower.y;
        upperX[i] = box->upper.x;
        upperY[i] = box->upper.y;
        magnitudes[i] = magnitudeSum(*box);
    }
}

std::size_t PolygonBoxes::nextNotApart(const DiscReach& reach, std::size_t from) const
{
    const std::size_t count = taken.size();
    if (!reach.usable || from >= count) return std::min(from, count);
#ifdef __SSE2__
    // The same float operations as clearlyApart, four boxes at a time, from the group holding `from`.
    const __m128 discMagnitude = _mm_set1_ps(reach.magnitude);
    const __m128 largestTrusted = _mm_set1_ps(kLargestTrustedCoordinate);
    const __m128 absoluteMargin = _mm_set1_ps(kAbsoluteApartMargin);
    const __m128 relativeMargin = _mm_set1_ps(kRelativeApartMargin);
    const __m128 discLowerX = _mm_set1_ps(reach.box.lower.x), discLowerY = _mm_set1_ps(reach.box.lower.y);
    const __m128 discUpperX = _mm_set1_ps(reach.box.upper.x), discUpperY = _mm_set1_ps(reach.box.upper.y);
    for (std::size_t group = from / kGroup * kGroup; group < count; group += kGroup) {
        const __m128 magnitude = _mm_add_ps(discMagnitude, _mm_loadu_ps(&magnitudes[group]));
        const __m128 margin = _mm_add_ps(absoluteMargin, _mm_mul_ps(relativeMargin, magnitude));
        const __m128 apartX = _mm_or_ps(_mm_cmpgt_ps(_mm_sub_ps(_mm_loadu_ps(&lowerX[group]), discUpperX), margin),
                                        _mm_cmpgt_ps(_mm_sub_ps(discLowerX, _mm_loadu_ps(&upperX[group])), margin));
        const __m128 apartY = _mm_or_ps(_mm_cmpgt_ps(_mm_sub_ps(_mm_loadu_ps(&lowerY[group]), discUpperY), margin),
                                        _mm_cmpgt_ps(_mm_sub_ps(discLowerY, _mm_loadu_ps(&upperY[group])), margin));
        const __m128 apart = _mm_and_ps(_mm_cmplt_ps(magnitude, largestTrusted), _mm_or_ps(apartX, apartY));
        // Entries before `from` in its group count as apart.
        const unsigned before = group < from ? (1u << (from - group)) - 1 : 0u;
        const unsigned notApart = ~(static_cast<unsigned>(_mm_movemask_ps(apart)) | before) & 0xFu;
        if (notApart != 0) return std::min(group + static_cast<std::size_t>(__builtin_ctz(notApart)), count);
    }
    return count;
#else
    for (std::size_t i = from; i < count; ++i) {
        const Aabb box{{lowerX[i], lowerY[i]}, {upperX[i], upperY[i]}};
        if (!clearlyApart(reach.box, reach.magnitude, box, magnitudes[i])) return i;
    }
    return count;
#endif
}
