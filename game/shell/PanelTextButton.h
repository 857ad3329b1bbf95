#pragma once
#include <cstdint>

#include "engine/media/TextDView.h"

/// A panel's text that works as one of its buttons (a start panel's instructions close it when
/// clicked): it takes the pointer while shown and tells the current game activity of a release
/// over it (OnButton) with its panel's id and its index.
class PanelTextButton : public OTextDView {
public:
    PanelTextButton(uint16_t panelId, uint16_t index);

    void OnButtonUp() override;
    void OnClick() override;

    uint16_t GetPanelId() const { return panelId_; }
    uint16_t GetIndex() const { return index_; }

private:
    uint16_t panelId_;
    uint16_t index_;
};
