// The picture parts of the data set, one function per group of pictures.
#pragma once

#include <vector>

#include "tools/mkdata/mkdata.h"

namespace mk {

void AddCommonPictureJobs(std::vector<Job>& jobs);
void AddTitlePictureJobs(std::vector<Job>& jobs);
void AddPlayPictureJobs(std::vector<Job>& jobs);
void AddEffectPictureJobs(std::vector<Job>& jobs);
void AddScenePictureJobs(std::vector<Job>& jobs);
void AddEventPictureJobs(std::vector<Job>& jobs);

// The title's key picture (640 x 480), with or without the logo, and the logo alone.
Image TitleArt(bool logo);
void DrawGameLogo(Image& img, float cx, float cy, float size);

}  // namespace mk
