#pragma once
// Printing one surface as one page on the default printer, scaled to fit and centred.
#include <cstdint>

class CDrawSurface;
class OWindow;

/// Whether a default printer is set up.
bool xPrint_HasDefaultPrinter();
/// Opens a job on the default printer and starts the document (portrait, or landscape).
bool xPrint_StartJob(uint8_t landscape, const char* documentName);
bool xPrint_StartPage();
bool xPrint_EndPage();
/// Ends the document and closes the job.
bool xPrint_EndJob();
/// Gives the keyboard focus back to the main window.
void xPrint_RestoreFocus();
/// Prints the surface on one page, enlarged to fit and centred; true when the page was printed.
/// The document is named by `jobName` ("VQT Image" when none is given). With `prepareOutline`
/// the surface is first turned into an outline picture of `outlineIndex` on index 0 (the
/// surface keeps it). A failed job, page or drawing is traced and ends what was started.
bool xPrint_Surface(const char* jobName, CDrawSurface* surface, OWindow* window, uint8_t prepareOutline,
                    uint8_t landscape, int16_t outlineIndex);
