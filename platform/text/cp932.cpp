#include "platform/text/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace text {

namespace {

bool Convert(const char* to, const char* from, std::string_view in, std::string* out) {
    out->clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out->assign(in.begin(), in.end());
        return false;
    }
    bool clean = true;
    char* ip = const_cast<char*>(in.data());
    size_t il = in.size();
    char buf[256];
    while (il > 0) {
        char* op = buf;
        size_t ol = sizeof buf;
        size_t rc = iconv(cd, &ip, &il, &op, &ol);
        out->append(buf, static_cast<size_t>(op - buf));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or incomplete sequence: replace one byte and go on.
            clean = false;
            out->push_back('?');
            ++ip;
            --il;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return clean;
}

}  // namespace

bool Utf8ToCp932(std::string_view utf8, std::string* out) {
    return Convert("CP932", "UTF-8", utf8, out);
}

bool Cp932ToUtf8(std::string_view cp932, std::string* out) {
    return Convert("UTF-8", "CP932", cp932, out);
}

}  // namespace text
