// Processor detection and the floating-point settings the driver makes when
// the engine has started. On x86-64 the x87 unit does no engine arithmetic,
// so only the SSE control register is touched.
#include "engine/driver/d3d8/d3d8_device_internal.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <xmmintrin.h>
#define TK_HAS_SSE_CONTROL 1
#else
#define TK_HAS_SSE_CONTROL 0
#endif

namespace {

constexpr unsigned kCpuidFeatureSSE = 1u << 25;
constexpr unsigned kCpuidFeatureSSE2 = 1u << 26;
constexpr unsigned kMxcsrFlushToZero = 1u << 15;

}  // namespace

RwBool RwCpuHasSSE(void) {
#if TK_HAS_SSE_CONTROL
  // __get_cpuid answers false when the processor has no CPUID instruction.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
    return FALSE;
  }
  return (edx & (kCpuidFeatureSSE | kCpuidFeatureSSE2)) != 0 ? TRUE : FALSE;
#else
  return FALSE;
#endif
}

void _rwD3D8ProcessorSettingsApply(void) {
#if TK_HAS_SSE_CONTROL
  if (_rwD3D8Driver.hasSSE) {
    _mm_setcsr(_mm_getcsr() | kMxcsrFlushToZero);
  }
#endif
}

void _rwD3D8ProcessorSettingsRestore(void) {
#if TK_HAS_SSE_CONTROL
  if (_rwD3D8Driver.hasSSE) {
    _mm_setcsr(_mm_getcsr() & ~kMxcsrFlushToZero);
  }
#endif
}
