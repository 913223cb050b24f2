// Sixteen-byte blocks of a text for the host's JSON writer: which bytes end
// a run that is copied as it is, and the one-block copy of a short text that
// the writer does in place (most keys and many texts fit in one block).
#pragma once

#ifndef __SSE2__
#error "the host's text scan is written for SSE2"
#endif
#include <emmintrin.h>

#include <bit>
#include <cstddef>
#include <cstdint>

namespace kel::host::text_blocks {

constexpr std::size_t kBlock = 16;
constexpr std::uintptr_t kPage = 4096;

// One bit for each of the sixteen bytes that ends a plain run: below 0x20
// (NUL included), a quote or a backslash.
inline unsigned StopBits(__m128i bytes) {
  const __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x1F)), bytes);
  const __m128i quotes = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'));
  const __m128i backslashes = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(quotes, backslashes), controls)));
}

// Whether the block at `text` stays in the page of its first byte, so that
// reading all of it reads only mapped memory.
inline bool InOnePage(const char* text) {
  return (reinterpret_cast<std::uintptr_t>(text) & (kPage - 1)) <= kPage - kBlock;
}

// Copies the block at `text` (InOnePage) to `out` and returns its StopBits.
// The block may run past the text's end, which the sanitizers would report.
__attribute__((no_sanitize("address", "thread"))) inline unsigned CopyBlock(const char* text, char* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
  return StopBits(bytes);
}

// Texts up to this many blocks are copied in place by the writer.
constexpr std::size_t kShortBlocks = 4;
constexpr std::size_t kNotShort = SIZE_MAX;

// Copies the text at `text` to `out` when it is plain (nothing to escape)
// and ends within kShortBlocks blocks, at a NUL or, when `kCounted`, at
// `limit` bytes, and returns its length; else kNotShort (`out` then holds
// some of the bytes). Writes up to kShortBlocks blocks at `out`.
template <bool kCounted>
inline std::size_t CopyShortText(const char* text, std::size_t limit, char* out) {
  for (std::size_t done = 0; done < kShortBlocks * kBlock; done += kBlock) {
    if (!InOnePage(text + done)) return kNotShort;
    unsigned stops = CopyBlock(text + done, out + done);
    // The bit past the limit stops a text that ends at its count; `done`
    // is below the limit, or a stop in an earlier block would have ended it.
    if (kCounted && limit - done <= kBlock) stops |= 1u << (limit - done);
    if (stops != 0) {
      const std::size_t length = done + static_cast<std::size_t>(std::countr_zero(stops));
      return (kCounted && length == limit) || text[length] == '\0' ? length : kNotShort;
    }
  }
  return kNotShort;
}

}  // namespace kel::host::text_blocks
