#pragma once
#include <cstdint>

#include "game/shell/CertificateActivity.h"

/// The zoo's certificate.
class Zoo_Certificate_Activity : public Certificate_Activity {
public:
    static constexpr uint32_t kClassId = 601;

    Zoo_Certificate_Activity();
    ~Zoo_Certificate_Activity() override;

    int32_t OnActivated() override { return StartWorld(); }
    void SpeakLine(int16_t line) override;
};
