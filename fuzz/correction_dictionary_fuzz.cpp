// libFuzzer target: arbitrary bytes as a post-OCR correction dictionary (Dict/*.dic).
#include "fuzz/correction_dictionary_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return glyfex::fuzz::readCorrectionDictionary(data, size);
}
