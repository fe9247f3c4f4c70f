#include "engine/stagefiles/text_parse.h"

#include <locale.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

locale_t CLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

}  // namespace

int MatchPrefix(const char* text, const char* key, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (text[i] != key[i]) return 0;
        if (text[i] == 0) return 1;  // both end here: the rest cannot differ
    }
    return 1;
}

int32_t ReadDecimalInt(const char* text) {
    long v = strtol_l(text, nullptr, 10, CLocale());
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

float ReadDecimalReal(const char* text) {
    return static_cast<float>(strtod_l(text, nullptr, CLocale()));
}

bool ReadSeparatedReals(const char* text, char separator, float* out, int count) {
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            text = std::strchr(text, separator);
            if (!text) return false;
            ++text;
        }
        out[k] = ReadDecimalReal(text);
    }
    return true;
}

bool ParseDecimalInt(const char* text, int32_t* out, const char** end) {
    char* stop = nullptr;
    errno = 0;
    long v = strtol_l(text, &stop, 10, CLocale());
    if (stop == text || errno == ERANGE || v > INT32_MAX || v < INT32_MIN) return false;
    *out = static_cast<int32_t>(v);
    *end = stop;
    return true;
}

bool ParseDecimalReal(const char* text, float* out, const char** end) {
    char* stop = nullptr;
    float v = static_cast<float>(strtod_l(text, &stop, CLocale()));
    if (stop == text || !std::isfinite(v)) return false;
    *out = v;
    *end = stop;
    return true;
}
