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

}  // namespace mk
