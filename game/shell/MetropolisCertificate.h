#pragma once
#include <cstdint>

#include "game/shell/CertificateActivity.h"

/// The city's certificate.
class Metropolis_Certificate_Activity : public Certificate_Activity {
public:
    static constexpr uint32_t kClassId = 603;

    Metropolis_Certificate_Activity();
    ~Metropolis_Certificate_Activity() override;

    int32_t OnActivated() override { return StartWorld(); }
    void SpeakLine(int16_t line) override;
};
