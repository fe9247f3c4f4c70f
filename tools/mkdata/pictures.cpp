#include "tools/mkdata/pictures.h"

namespace mk {

void AddPictureJobs(std::vector<Job>& jobs) {
    AddCommonPictureJobs(jobs);
    AddTitlePictureJobs(jobs);
    AddPlayPictureJobs(jobs);
    AddEffectPictureJobs(jobs);
    AddScenePictureJobs(jobs);
    AddEventPictureJobs(jobs);
}

}  // namespace mk
