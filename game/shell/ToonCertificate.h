#pragma once
#include <cstdint>

#include "game/shell/CertificateActivity.h"

/// The circus town's certificate.
class Toon_Certificate_Activity : public Certificate_Activity {
public:
    static constexpr uint32_t kClassId = 600;

    Toon_Certificate_Activity();
    ~Toon_Certificate_Activity() override;

    int32_t OnActivated() override { return StartWorld(); }
    void SpeakLine(int16_t line) override;
};
