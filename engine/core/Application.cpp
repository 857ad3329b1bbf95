#include "engine/core/Application.h"

#include "engine/data/PartFile.h"

namespace {
OApplication* g_application = nullptr;
}

OApplication::OApplication() { g_application = this; }

OApplication::~OApplication() {
    delete partFile_;
    partFile_ = nullptr;
    if (g_application == this) g_application = nullptr;
}

OApplication* OApplication::Get() { return g_application; }

void OApplication::SetPartFile(CPartFile* file) {
    if (partFile_ != file) delete partFile_;
    partFile_ = file;
}
