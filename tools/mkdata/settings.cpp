// The settings file: window mode on; every other setting keeps the game's default.
#include "tools/mkdata/mkdata.h"

namespace mk {

void AddSettingsJobs(std::vector<Job>& jobs) {
    jobs.push_back(
        {"settings", [](Output& out) { out.AddText("v_quorl.ini", "[setup]\r\nwinmode=1\r\n"); }});
}

}  // namespace mk
