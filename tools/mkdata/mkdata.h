// The demo data generator: every file the game opens, made deterministically from code.
// Each part of the data set registers jobs; the jobs run in parallel and hand their files
// to one Output, which places them loose, in the picture archive or in the volume archive.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tools/mkdata/imagefile.h"

namespace mk {

enum class Place {
    Loose,           // a plain file below the run folder
    PictureArchive,  // "bmpdata.bin" (LZW)
    VolumeArchive,   // "pakindex.bin" + "bin/data%03d.bin" (LZ)
};

struct OutFile {
    std::string name;
    Bytes data;
    Place place = Place::Loose;
};

class Output {
public:
    void Add(const std::string& name, Bytes data, Place place = Place::Loose);
    void AddText(const std::string& name, const std::string& text, Place place = Place::Loose);
    // All files, sorted by name.
    std::vector<OutFile> Files() const;

private:
    mutable std::mutex lock_;
    std::map<std::string, OutFile> files_;
};

struct Job {
    std::string what;
    std::function<void(Output&)> run;
};

// The parts of the data set.
void AddSettingsJobs(std::vector<Job>& jobs);
void AddPictureJobs(std::vector<Job>& jobs);
void AddSpriteJobs(std::vector<Job>& jobs);
void AddModelJobs(std::vector<Job>& jobs);
void AddStageJobs(std::vector<Job>& jobs);
void AddMusicJobs(std::vector<Job>& jobs);
void AddMovieJobs(std::vector<Job>& jobs);

// Writes the files into the run folder: loose files, then the two archives.
// Returns false (with a message) when an archive rule is broken.
bool WriteDataTree(const std::vector<OutFile>& files, const std::string& root);
// Writes the files as they are, each as a plain file (for looking at them).
bool WriteLooseFiles(const std::vector<OutFile>& files, const std::string& root);

// Picture helpers shared by the parts.
void AddBmp(Output& out, const std::string& name, const Image& img, BmpMode mode,
            Place place = Place::Loose);
void AddTga(Output& out, const std::string& name, const Image& img, Place place = Place::Loose,
            bool premultiplied = false);

}  // namespace mk
