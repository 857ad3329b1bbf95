#pragma once
// The data module's record in the engine context.
#include "engine/data/FileSearch.h"
#include "engine/data/MessageBox.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/Profiles.h"
#include "engine/data/Strings.h"
#include "engine/data/TempBuffers.h"

struct CDataState {
    ProfileStore profiles;
    StrContext strings;
    FileSearchContext fileSearch;
    MessagesContext messages;
    LanguageContext language;
    CMessageBoxState messageBoxes;
    TempBuffersContext tempBuffers;
};

/// The installed record.
CDataState& xData_State();
/// Installs the record (null: none) with the trace's log writer, which writes through this
/// module's file layer; the engine context does this.
void xData_InstallState(CDataState* state);
