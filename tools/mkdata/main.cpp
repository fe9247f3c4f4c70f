// mkdata <run folder>: generates the game's whole data tree into the run folder.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/modelkit.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mkdata <run folder> [--jobs N]\n"
                 "       mkdata <folder> --preview [--only TEXT] [--model-sheet]\n"
                 "  --jobs N        threads to draw with (default: one per processor)\n"
                 "  --preview       every file loose, no archives, nothing removed\n"
                 "  --only TEXT     with --preview: only the parts whose name holds TEXT\n"
                 "  --model-sheet   also draws every model into debug/models.tga\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return Usage();
    std::string root = argv[1];
    unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::string only;
    bool preview = false;
    bool modelSheet = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--jobs") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1 || n > 256) return Usage();
            threads = static_cast<unsigned>(n);
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else if (std::strcmp(argv[i], "--preview") == 0) {
            preview = true;
        } else if (std::strcmp(argv[i], "--model-sheet") == 0) {
            modelSheet = true;
        } else {
            std::fprintf(stderr, "mkdata: unknown argument %s\n", argv[i]);
            return Usage();
        }
    }
    // A part of the data set alone would replace the whole tree of a run folder.
    if (!only.empty() && !preview) {
        std::fprintf(stderr, "mkdata: --only writes a preview folder: add --preview\n");
        return 2;
    }

    auto start = std::chrono::steady_clock::now();
    std::vector<mk::Job> jobs;
    // The longest jobs first, so that the short ones fill in around them.
    std::vector<mk::Job> movie;
    mk::AddMovieJobs(movie);
    jobs.push_back(movie.front());
    mk::AddStageJobs(jobs);
    jobs.insert(jobs.end(), movie.begin() + 1, movie.end());
    mk::AddMusicJobs(jobs);
    mk::AddModelJobs(jobs);
    mk::AddSpriteJobs(jobs);
    mk::AddPictureJobs(jobs);
    mk::AddSettingsJobs(jobs);
    if (!only.empty()) {
        std::erase_if(jobs,
                      [&](const mk::Job& j) { return j.what.find(only) == std::string::npos; });
        if (jobs.empty()) {
            std::fprintf(stderr, "mkdata: no part's name holds %s\n", only.c_str());
            return 2;
        }
    }

    mk::CollectModelThumbnails(modelSheet);
    mk::Output out;
    std::atomic<size_t> next{0};
    std::vector<double> seconds(jobs.size());
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (size_t j; (j = next.fetch_add(1)) < jobs.size();) {
                auto t0 = std::chrono::steady_clock::now();
                jobs[j].run(out);
                seconds[j] =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            }
        });
    for (std::thread& t : pool) t.join();
    // The slowest parts, to keep an eye on the generation time.
    std::vector<size_t> order(jobs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return seconds[a] > seconds[b]; });
    for (size_t i = 0; i < std::min<size_t>(3, order.size()); ++i)
        std::printf("mkdata: %-36s %.2f s\n", jobs[order[i]].what.c_str(), seconds[order[i]]);

    if (modelSheet) {
        auto thumbs = mk::ModelThumbnails();
        mk::Image sheet(384 * 4, 128 * static_cast<int>((thumbs.size() + 3) / 4));
        for (size_t i = 0; i < thumbs.size(); ++i)
            sheet.Draw(thumbs[i].second, static_cast<int>(i % 4) * 384,
                       static_cast<int>(i / 4) * 128);
        mk::AddTga(out, "debug/models.tga", sheet);
    }
    std::vector<mk::OutFile> files = out.Files();
    auto made = std::chrono::steady_clock::now();
    if (preview) {
        for (mk::OutFile& f : files) f.place = mk::Place::Loose;
        if (!mk::WriteLooseFiles(files, root)) return 1;
    } else if (!mk::WriteDataTree(files, root)) {
        return 1;
    }
    auto done = std::chrono::steady_clock::now();
    size_t bytes = 0;
    for (const mk::OutFile& f : files) bytes += f.data.size();
    std::printf(
        "mkdata: %zu files, %.1f MB unpacked, made in %.2f s, written in %.2f s (%u threads)\n",
        files.size(), bytes / 1048576.0, std::chrono::duration<double>(made - start).count(),
        std::chrono::duration<double>(done - made).count(), threads);
    return 0;
}
