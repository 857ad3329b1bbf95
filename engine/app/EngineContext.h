#pragma once
#include <memory>

struct CAppState;
struct CBaseState;
struct CBlitState;
struct CCoreState;
struct CDataState;
struct CGraphicsState;
struct CMediaState;

/// The state of every engine module for one run: the program's entry makes it before it calls
/// the engine, and each test starts with a fresh one. Made from the bottom module up, each
/// record installed as soon as it exists (a record may use the ones below it while it is made
/// and while it goes) together with the hooks its module installs for the modules below it;
/// ended from the top down. One exists at a time.
class CEngineContext {
public:
    CEngineContext();
    ~CEngineContext();
    CEngineContext(const CEngineContext&) = delete;
    CEngineContext& operator=(const CEngineContext&) = delete;

private:
    std::unique_ptr<CBaseState> base_;
    std::unique_ptr<CDataState> data_;
    std::unique_ptr<CBlitState> blit_;
    std::unique_ptr<CGraphicsState> graphics_;
    std::unique_ptr<CCoreState> core_;
    std::unique_ptr<CMediaState> media_;
    std::unique_ptr<CAppState> app_;
};
