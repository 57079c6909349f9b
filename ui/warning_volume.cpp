#include "ui/warning_volume.h"

#include <cstddef>

namespace suite {

namespace {
constexpr int kBeginDelayMs = 200;
constexpr int kHighestSetting = 5;
}  // namespace

float WarningVolumeScalar(int warningVolumeSetting) {
    if (warningVolumeSetting < 0 || warningVolumeSetting > kHighestSetting) return 1.0f;
    double v = 2.0 * warningVolumeSetting;
    return static_cast<float>(v / 10.0);
}

WarningVolume::WarningVolume(OutputVolumeControls& controls, int warningVolumeSetting)
    : controls_(controls), warningScalar_(WarningVolumeScalar(warningVolumeSetting)) {}

bool WarningVolume::Begin() {
    controls_.Sleep(kBeginDelayMs);
    bool first = depth_ == 0;
    if (first) {
        controls_.Open();
        streams_.clear();
        int count = controls_.StreamCount();
        for (int i = 0; i < count; ++i)
            streams_.push_back(Saved{controls_.StreamMuted(i), controls_.StreamVolume(i)});
        endpointSaved_ = controls_.HasEndpoint();
        if (endpointSaved_) endpoint_ = Saved{controls_.EndpointMuted(), controls_.EndpointVolume()};
    }
    // A later begin sets the warning values again (the user may have turned
    // them down meanwhile) but keeps what the first one saved.
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        controls_.SetStreamMuted(static_cast<int>(i), false);
        controls_.SetStreamVolume(static_cast<int>(i), 1.0f);
    }
    if (endpointSaved_) {
        controls_.SetEndpointMuted(false);
        controls_.SetEndpointVolume(warningScalar_);
    }
    ++depth_;
    return first;
}

bool WarningVolume::End() {
    if (depth_ == 0) return false;
    if (--depth_ > 0) return false;
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        controls_.SetStreamMuted(static_cast<int>(i), streams_[i].muted);
        controls_.SetStreamVolume(static_cast<int>(i), streams_[i].volume);
    }
    if (endpointSaved_) {
        controls_.SetEndpointMuted(endpoint_.muted);
        controls_.SetEndpointVolume(endpoint_.volume);
    }
    streams_.clear();
    endpointSaved_ = false;
    controls_.Close();
    return true;
}

}  // namespace suite
