#include "platform/Audio.h"

namespace plat {

Audio::Audio(std::unique_ptr<AudioOutput> output) : output_(std::move(output)) {}

Audio::~Audio() { Close(); }

void Audio::SetOutput(std::unique_ptr<AudioOutput> output) {
    Close();
    output_ = std::move(output);
}

int Audio::Open(const AudioFormat& format, int device, uint32_t bufferFrames) {
    Close();
    if ((format.channels != 1 && format.channels != 2) || (format.bits != 8 && format.bits != 16)) {
        return mmerr::BadFormat;
    }
    mixer_.SetOutputFormat(format);
    const int code = output_->Open(format, device, bufferFrames, mixer_);
    open_ = code == 0;
    if (open_) mixer_.SetPump(output_.get());
    return code;
}

void Audio::Close() {
    if (!open_) return;
    mixer_.SetPump(nullptr);
    output_->Close();
    open_ = false;
}

void Audio::SetDeviceHeld(bool held) {
    if (open_) output_->SetPaused(!held);
}

} // namespace plat
