/* A lame_enc.dll look-alike for the tests: every entry point but beWriteVBRHeader. The binding
   must refuse it although it never calls that entry point. */
#include <stdint.h>

#define EXPORT __declspec(dllexport)

EXPORT uint32_t beInitStream(void* config, uint32_t* samples, uint32_t* size, void** stream) {
  (void)config;
  *samples = 0;
  *size = 0;
  *stream = 0;
  return 1;
}
EXPORT uint32_t beEncodeChunk(void* stream, uint32_t samples, int16_t* pcm, uint8_t* out, uint32_t* bytes) {
  (void)stream; (void)samples; (void)pcm; (void)out;
  *bytes = 0;
  return 0;
}
EXPORT uint32_t beDeinitStream(void* stream, uint8_t* out, uint32_t* bytes) {
  (void)stream; (void)out;
  *bytes = 0;
  return 0;
}
EXPORT uint32_t beCloseStream(void* stream) { (void)stream; return 0; }
EXPORT void beVersion(void* version) { (void)version; }
EXPORT uint32_t beWriteInfoTag(void* stream, const char* name) { (void)stream; (void)name; return 0; }
