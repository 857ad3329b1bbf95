#pragma once
// The questions a town asks a player driving about in it, answered as a player does: a game's
// area asks whether to play its game, the way out whether to leave the place for another
// vehicle. A question is answered as soon as it shows; one still open a while after its answer
// is answered again (in a window a click may come before the panel takes clicks, and it
// is lost), one already answered closes once its speech ends.
#include <cstdint>
#include <functional>
#include <string>

#include "game/shell/ButtonPanel.h"
#include "game/world/towns/TownWorld.h"
#include "tests/support/bots/ScriptLines.h"

namespace vqt::test {

class TownQuestions {
public:
    static constexpr uint32_t kAgainMs = 3000;

    /// The click that answers the open question ("" when none is open or the answer waits).
    /// `enter` says whether the area's game is played; it is asked once a question.
    std::string Step(TownWorld& town, uint32_t now, const std::function<bool(TownWorld&)>& enter) {
        const bool area = town.IsPanelShown(TownWorld::kConfirmPanel);
        const int16_t panel = area ? TownWorld::kConfirmPanel : CTLVActivity::kPanelNewCar;
        if (!town.IsPanelShown(panel)) {
            asking_ = false;
            return "";
        }
        if (!asking_) {
            asking_ = true;
            yes_ = area && enter(town);
            next_ = now;
        }
        const ButtonPanel_Prop* shown = town.GetPanel(panel);
        if (now < next_ || (shown && shown->IsClosing())) return "";
        next_ = now + kAgainMs;
        return SteadyClick(yes_ ? buttons::kQuestionYes : buttons::kQuestionNo);
    }
    /// Whether a question is open (the town stands still under it).
    bool Asking() const { return asking_; }

private:
    bool asking_ = false;
    bool yes_ = false;
    uint32_t next_ = 0;
};

} // namespace vqt::test
