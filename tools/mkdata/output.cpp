#include <cstdio>
#include <cstdlib>

#include "tools/mkdata/mkdata.h"

namespace mk {

void Output::Add(const std::string& name, Bytes data, Place place) {
    std::lock_guard<std::mutex> guard(lock_);
    if (files_.count(name)) {
        std::fprintf(stderr, "mkdata: %s is made twice\n", name.c_str());
        std::exit(1);
    }
    files_[name] = OutFile{name, std::move(data), place};
}

void Output::AddText(const std::string& name, const std::string& text, Place place) {
    Add(name, Bytes(text.begin(), text.end()), place);
}

std::vector<OutFile> Output::Files() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<OutFile> out;
    for (const auto& [name, f] : files_) out.push_back(f);
    return out;
}

void AddBmp(Output& out, const std::string& name, const Image& img, BmpMode mode, Place place) {
    out.Add(name, EncodeBmp(img, mode), place);
}

void AddTga(Output& out, const std::string& name, const Image& img, Place place,
            bool premultiplied) {
    out.Add(name, EncodeTga(img, premultiplied), place);
}

}  // namespace mk
