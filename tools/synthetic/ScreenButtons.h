#pragma once
// Where the generated screens put the buttons a player clicks, in stage pixels. The generator
// places the buttons from here and the tests' bots and scenarios click here, so moving a button
// is one edit.

namespace vqt::test {

/// A point on the 640 x 480 stage.
struct StagePoint {
    int x;
    int y;
};

namespace buttons {

/// The row of round buttons along the bottom of the shell's screens: their 60 pixels high
/// pictures end at y 423, 6 pixels clear of the caption box below them (from y 430).
inline constexpr int kBottomRowY = 394;

/// The first ordinary screen {1, 0, 60}: on to the garage, quit.
inline constexpr StagePoint kFirstScreenForward{480, kBottomRowY}, kFirstScreenQuit{80, kBottomRowY};

/// The sign-in {1, 0, 4}: continue, quit and delete, below the badges.
inline constexpr StagePoint kSignInContinue{480, kBottomRowY}, kSignInQuit{320, kBottomRowY},
    kSignInDelete{80, kBottomRowY};

/// The garage {1, 0, 5}: the vehicles' three columns, each with its two upgrades' rows, and
/// the navigation along the bottom: go, back to the sign-in, the certificate.
inline constexpr int kGarageColumnX[3] = {106, 320, 532};
inline constexpr int kGarageRowY[2] = {170, 280};
inline constexpr StagePoint kGarageGo{480, kBottomRowY}, kGarageBack{70, kBottomRowY},
    kGarageCertificate{320, kBottomRowY};
/// The garage's vehicle `value` (0-5): column value / 2, row value % 2.
constexpr StagePoint GarageVehicle(int value) { return {kGarageColumnX[value / 2], kGarageRowY[value % 2]}; }

/// The towns' button to their certificate, a 30 pixels high crate placed by its bottom centre,
/// and its middle.
inline constexpr StagePoint kTownCertificateFoot{600, 100};
inline constexpr StagePoint kTownCertificate{kTownCertificateFoot.x, kTownCertificateFoot.y - 15};

/// The certificates: back to the garage, print.
inline constexpr StagePoint kCertificateBack{470, 250}, kCertificatePrint{550, 250};

/// The shared button panels (part 349): a 560 x 400 board whose hot spot puts its middle at
/// kPanelMiddle, below the counter bar (y 0 to 28), wide and tall enough for the texts the panels
/// lay on it. Its buttons' hot spots are in the board's own coordinates: the menu's continue,
/// leave the area, new car and quit; the questions' no and yes.
inline constexpr StagePoint kPanelMiddle{320, 228};
inline constexpr int kPanelWidth = 560, kPanelHeight = 400;
inline constexpr StagePoint kMenuContinueInPanel{170, 277}, kMenuLeaveInPanel{390, 277};
inline constexpr StagePoint kMenuNewCarInPanel{170, 347}, kMenuQuitInPanel{390, 347};
inline constexpr StagePoint kQuestionNoInPanel{170, 312}, kQuestionYesInPanel{390, 312};

/// A point of the panel's own coordinates on the stage.
constexpr StagePoint OnStage(StagePoint inPanel) {
    return {kPanelMiddle.x - kPanelWidth / 2 + inPanel.x, kPanelMiddle.y - kPanelHeight / 2 + inPanel.y};
}
inline constexpr StagePoint kMenuContinue = OnStage(kMenuContinueInPanel), kMenuLeave = OnStage(kMenuLeaveInPanel);
inline constexpr StagePoint kMenuNewCar = OnStage(kMenuNewCarInPanel), kMenuQuit = OnStage(kMenuQuitInPanel);
/// A question's no and yes; the two-button panels (the mini-games' start and end panels) have
/// their button 0 and button 1 at the same places.
inline constexpr StagePoint kQuestionNo = OnStage(kQuestionNoInPanel), kQuestionYes = OnStage(kQuestionYesInPanel);
inline constexpr StagePoint kPanelButton0 = kQuestionNo, kPanelButton1 = kQuestionYes;

} // namespace buttons
} // namespace vqt::test
