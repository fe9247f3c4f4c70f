#include "engine/graphics/picture_prefetch.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/graphics/texture.h"
#include "platform/xfile/xfile.h"

namespace {

enum class EntryState { Decoding, Ready, Failed, Taken };

struct Entry {
    std::string path;
    int32_t width = 0;  // 0 x 0: a model's texture, at its own size with every mip level
    int32_t height = 0;
    EntryState state = EntryState::Decoding;
    image::TexturePicture picture;
};

// A job is a picture of the list or a model file (whose textures it finds and decodes).
struct Job {
    const char* path;
    int32_t width;
    int32_t height;
    bool model;
};

// The start-up needs a few dozen pictures; more are simply not prefetched.
constexpr size_t kMaxEntries = 96;
// A few workers finish well before the window is up; more only fight the window's own
// start-up for the memory manager (every fresh page of a decoded picture is a fault).
constexpr unsigned kMaxWorkers = 3;

struct Prefetch {
    std::mutex lock;
    std::condition_variable changed;
    std::array<Entry, kMaxEntries> entries;
    size_t entryCount = 0;
    int modelsParsing = 0;  // model jobs whose textures are not all listed yet
    std::vector<Job> jobs;
    std::atomic<size_t> nextJob{0};
    std::vector<std::thread> workers;

    ~Prefetch() {
        for (std::thread& t : workers) {
            if (t.joinable()) t.join();
        }
    }
};

Prefetch gPrefetch;

// The listed entry of that picture and size, or null; the caller holds the lock.
Entry* FindEntry(std::string_view path, int32_t width, int32_t height) {
    for (size_t i = 0; i < gPrefetch.entryCount; ++i) {
        Entry& e = gPrefetch.entries[i];
        if (e.path == path && e.width == width && e.height == height) return &e;
    }
    return nullptr;
}

// Adds an entry to decode; null when the list is full or the picture is listed already.
Entry* AddEntry(std::string_view path, int32_t width, int32_t height) {
    std::lock_guard<std::mutex> hold(gPrefetch.lock);
    if (FindEntry(path, width, height)) return nullptr;
    if (gPrefetch.entryCount == kMaxEntries) return nullptr;
    Entry& e = gPrefetch.entries[gPrefetch.entryCount++];
    e.path.assign(path);
    e.width = width;
    e.height = height;
    e.state = EntryState::Decoding;
    e.picture.levels.clear();
    return &e;
}

// A worker's read buffer, kept from one picture to the next: fresh memory for every
// picture would cost each one its page faults again.
struct ReadBuffer {
    uint8_t* bytes = nullptr;
    size_t size = 0;

    ~ReadBuffer() { std::free(bytes); }
    bool Reserve(size_t wanted) {
        if (wanted <= size) return true;
        std::free(bytes);
        bytes = static_cast<uint8_t*>(std::malloc(wanted));
        size = bytes ? wanted : 0;
        return bytes != nullptr;
    }
};

void Decode(Entry* e, ReadBuffer* buffer) {
    bool ownSize = e->width == 0 && e->height == 0;
    size_t capacity = ownSize ? kAnySizeReadBuffer : PictureReadCapacity(e->width, e->height);
    image::TexturePicture picture;
    bool ok = false;
    if (capacity > 0 && buffer->Reserve(capacity)) {
        int64_t size = ReadPictureQuietly(e->path.c_str(), buffer->bytes, capacity);
        ok = size > 0 && image::PrepareTexturePicture(
                             std::span(buffer->bytes, static_cast<size_t>(size)),
                             static_cast<uint32_t>(e->width), static_cast<uint32_t>(e->height),
                             ownSize ? 0 : 1, image::kTransparentKey, &picture);
    }
    std::lock_guard<std::mutex> hold(gPrefetch.lock);
    e->picture = std::move(picture);
    e->state = ok ? EntryState::Ready : EntryState::Failed;
    gPrefetch.changed.notify_all();
}

// Lists the textures a model file names, as the model loader builds their paths (the
// model's folder before the name the file gives), then decodes them.
void PrefetchModel(const char* modelPath, ReadBuffer* buffer) {
    std::vector<Entry*> found;
    xfile::Document document;
    if (xfile::ParseFile(modelPath, &document, nullptr)) {
        const char* slash = std::strrchr(modelPath, '/');
        std::string folder(modelPath, slash ? static_cast<size_t>(slash - modelPath) + 1 : 0);
        for (const xfile::Object& object : document.objects) {
            if (object.type != "TextureFilename") continue;
            xfile::ValueReader values(document, object);
            std::string_view name;
            if (!values.ReadText(&name) || name.empty()) continue;
            if (Entry* e = AddEntry(folder + std::string(name), 0, 0)) found.push_back(e);
        }
    }
    {
        std::lock_guard<std::mutex> hold(gPrefetch.lock);
        --gPrefetch.modelsParsing;
        gPrefetch.changed.notify_all();
    }
    for (Entry* e : found) Decode(e, buffer);
}

void Work() {
    ReadBuffer buffer;
    for (;;) {
        size_t index = gPrefetch.nextJob.fetch_add(1);
        if (index >= gPrefetch.jobs.size()) return;
        const Job& job = gPrefetch.jobs[index];
        if (job.model) {
            PrefetchModel(job.path, &buffer);
            continue;
        }
        std::unique_lock<std::mutex> hold(gPrefetch.lock);
        Entry* e = FindEntry(job.path, job.width, job.height);
        hold.unlock();
        if (e) Decode(e, &buffer);
    }
}

}  // namespace

void PrefetchPictures(std::span<const PicturePrefetch> pictures,
                      std::span<const char* const> modelFiles) {
    DropPrefetchedPictures();
    Prefetch& p = gPrefetch;
    p.jobs.clear();
    // Models first: each decodes several textures one after another.
    for (const char* model : modelFiles) {
        if (model) p.jobs.push_back(Job{model, 0, 0, true});
    }
    size_t firstPicture = p.jobs.size();
    for (const PicturePrefetch& picture : pictures) {
        if (!picture.path || PictureReadCapacity(picture.width, picture.height) == 0) continue;
        // Listed before any worker starts, so that a load never misses one still queued.
        if (AddEntry(picture.path, picture.width, picture.height)) {
            p.jobs.push_back(Job{picture.path, picture.width, picture.height, false});
        }
    }
    // The largest pictures first, so the workers end together.
    std::stable_sort(p.jobs.begin() + static_cast<std::ptrdiff_t>(firstPicture), p.jobs.end(),
                     [](const Job& a, const Job& b) {
                         return int64_t{a.width} * a.height > int64_t{b.width} * b.height;
                     });
    p.modelsParsing = static_cast<int>(firstPicture);
    p.nextJob.store(0);
    unsigned cores = std::thread::hardware_concurrency();
    unsigned count = std::clamp(cores > 1 ? cores - 1 : 1u, 1u, kMaxWorkers);
    count = std::min<unsigned>(count, static_cast<unsigned>(p.jobs.size()));
    for (unsigned i = 0; i < count; ++i) p.workers.emplace_back(Work);
}

namespace {

// The entry of that picture once its decoding has ended (held under the lock); null when
// it is not listed and never will be.
Entry* WaitForEntry(std::unique_lock<std::mutex>& hold, const char* path, int32_t width,
                    int32_t height) {
    for (;;) {
        Entry* e = FindEntry(path, width, height);
        // Not listed: unless a model's textures are still being listed, it never will be.
        if (!e && gPrefetch.modelsParsing == 0) return nullptr;
        if (e && e->state != EntryState::Decoding) return e;
        gPrefetch.changed.wait(hold);
    }
}

}  // namespace

const image::TexturePicture* FindPrefetchedPicture(const char* path, int32_t width,
                                                   int32_t height) {
    if (!path) return nullptr;
    std::unique_lock<std::mutex> hold(gPrefetch.lock);
    Entry* e = WaitForEntry(hold, path, width, height);
    return e && e->state == EntryState::Ready ? &e->picture : nullptr;
}

bool TakePrefetchedPicture(const char* path, int32_t width, int32_t height,
                           image::TexturePicture* out) {
    if (!path) return false;
    std::unique_lock<std::mutex> hold(gPrefetch.lock);
    Entry* e = WaitForEntry(hold, path, width, height);
    if (!e || e->state != EntryState::Ready) return false;
    *out = std::move(e->picture);
    e->picture.levels.clear();
    e->state = EntryState::Taken;
    return true;
}

void DropPrefetchedPictures() {
    Prefetch& p = gPrefetch;
    for (std::thread& t : p.workers) {
        if (t.joinable()) t.join();
    }
    p.workers.clear();
    p.jobs.clear();
    std::lock_guard<std::mutex> hold(p.lock);
    for (size_t i = 0; i < p.entryCount; ++i) {
        p.entries[i].picture.levels.clear();
        p.entries[i].picture.levels.shrink_to_fit();
        p.entries[i].path.clear();
    }
    p.entryCount = 0;
    p.modelsParsing = 0;
}
