#include "recorder/power_watch.h"

namespace suite {

void PowerWatch::Start() {
    if (holding_ || !awake_) return;
    awake_->Hold(true);
    holding_ = true;
}

void PowerWatch::End() {
    if (!holding_) return;
    awake_->Hold(false);
    holding_ = false;
}

bool PowerWatch::OnResume(int64_t nowSeconds) {
    // A sleep forced without notice (a closed lid, low battery) brings no
    // suspend event: a resume long after the last one told counts as well.
    bool tell = suspended_ || lastToldSeconds_ < 0 || nowSeconds - lastToldSeconds_ > kSameResumeSeconds;
    suspended_ = false;
    if (tell) lastToldSeconds_ = nowSeconds;
    return tell;
}

}  // namespace suite
