#include "engine/graphics/DDrawError.h"

#include "engine/base/Trace.h"

using namespace plat::dd;

namespace {

struct CodeText {
    Result code;
    const char* text;
};

// One entry per result code the display layer can answer.
constexpr CodeText kTexts[] = {
    {E_NOTIMPL, "Unsupported"},
    {E_FAIL, "The call failed for a reason it does not name"},
    {CO_E_NOTINITIALIZED, "The object was used before it was initialized"},
    {E_OUTOFMEMORY, "Out of Memory"},
    {E_INVALIDARG, "Invalid parameters"},
    {DDERR_ALREADYINITIALIZED, "Object Already Initialized"},
    {DDERR_CANNOTATTACHSURFACE, "Cannot Attach Surface"},
    {DDERR_CANNOTDETACHSURFACE, "The surface cannot be detached from the one it is attached to"},
    {DDERR_CURRENTLYNOTAVAIL, "Support for this is not available at the moment"},
    {DDERR_EXCEPTION, "An exception occurred"},
    {DDERR_HEIGHTALIGN, "The height of the rectangle is not a multiple of the required alignment"},
    {DDERR_INCOMPATIBLEPRIMARY, "Incompatible Primary"},
    {DDERR_INVALIDCAPS, "Invalid caps"},
    {DDERR_INVALIDCLIPLIST, "The clip list is not valid"},
    {DDERR_INVALIDMODE, "Invalid Mode"},
    {DDERR_INVALIDOBJECT, "Invalid Object"},
    {DDERR_INVALIDPIXELFORMAT, "Invalid Pixel Format"},
    {DDERR_INVALIDRECT, "The rectangle is not valid"},
    {DDERR_LOCKEDSURFACES, "Surfaces Are Locked"},
    {DDERR_NO3D, "There is no three-dimensional support"},
    {DDERR_NOALPHAHW, "No Alpha Hardware"},
    {DDERR_NOCLIPLIST, "There is no clip list"},
    {DDERR_NOCOLORCONVHW, "There is no colour conversion hardware"},
    {DDERR_NOCOOPERATIVELEVELSET, "No Cooperative Level Set"},
    {DDERR_NOCOLORKEY, "The surface has no colour key"},
    {DDERR_NOCOLORKEYHW, "No ColorKey Hardware"},
    {DDERR_NODIRECTDRAWSUPPORT, "No DDraw Support"},
    {DDERR_NOEXCLUSIVEMODE, "No Exclusive Mode"},
    {DDERR_NOFLIPHW, "No Flip Hardware"},
    {DDERR_NOGDI, "There is no window drawing layer"},
    {DDERR_NOMIRRORHW, "There is no mirroring hardware"},
    {DDERR_NOTFOUND, "The item asked for was not found"},
    {DDERR_NOOVERLAYHW, "There is no overlay hardware"},
    {DDERR_NORASTEROPHW, "No ROP Hardware"},
    {DDERR_NOROTATIONHW, "There is no rotation hardware"},
    {DDERR_NOSTRETCHHW, "There is no stretching hardware"},
    {DDERR_NOT4BITCOLOR, "The surface is not a 4-bit palette surface"},
    {DDERR_NOT4BITCOLORINDEX, "The surface is not a 4-bit index to an 8-bit palette"},
    {DDERR_NOT8BITCOLOR, "The surface is not an 8-bit colour surface"},
    {DDERR_NOTEXTUREHW, "There is no texture mapping hardware"},
    {DDERR_NOVSYNCHW, "There is no vertical blank synchronisation hardware"},
    {DDERR_NOZBUFFERHW, "No Z-Buffer\tHardware"},
    {DDERR_NOZOVERLAYHW, "There is no hardware to order overlays by depth"},
    {DDERR_OUTOFCAPS, "The hardware needed is already in use"},
    {DDERR_OUTOFVIDEOMEMORY, "Out of Video Memory"},
    {DDERR_OVERLAYCANTCLIP, "The overlay hardware cannot clip"},
    {DDERR_OVERLAYCOLORKEYONLYONEACTIVE, "Only one colour key can be active on an overlay"},
    {DDERR_PALETTEBUSY, "The palette is locked by another thread"},
    {DDERR_COLORKEYNOTSET, "No source colour key has been set"},
    {DDERR_SURFACEALREADYATTACHED, "The surface is already attached"},
    {DDERR_SURFACEALREADYDEPENDENT, "The surface already depends on another surface"},
    {DDERR_SURFACEBUSY, "The surface is busy with another operation"},
    {DDERR_CANTLOCKSURFACE, "The surface cannot be locked"},
    {DDERR_SURFACEISOBSCURED, "The surface is hidden behind another"},
    {DDERR_SURFACELOST, "The surface memory was lost and must be restored"},
    {DDERR_SURFACENOTATTACHED, "The surface is not attached"},
    {DDERR_TOOBIGHEIGHT, "The height asked for is too large"},
    {DDERR_TOOBIGSIZE, "The size asked for is too large"},
    {DDERR_TOOBIGWIDTH, "The width asked for is too large"},
    {DDERR_UNSUPPORTEDFORMAT, "The pixel format is not supported"},
    {DDERR_UNSUPPORTEDMASK, "The colour mask is not supported"},
    {DDERR_VERTICALBLANKINPROGRESS, "A vertical blank is in progress"},
    {DDERR_WASSTILLDRAWING, "The previous drawing operation has not finished"},
    {DDERR_XALIGN, "The rectangle is not horizontally aligned as required"},
    {DDERR_INVALIDDIRECTDRAWGUID, "The display driver identifier is not valid"},
    {DDERR_DIRECTDRAWALREADYCREATED, "A display object already exists for this process"},
    {DDERR_NODIRECTDRAWHW, "No DirectDraw Hardware"},
    {DDERR_PRIMARYSURFACEALREADYEXISTS, "Primary Surface Already Exists"},
    {DDERR_NOEMULATION, "No Emulation"},
    {DDERR_REGIONTOOSMALL, "The region passed is too small"},
    {DDERR_CLIPPERISUSINGHWND, "The clipper is already clipping to a window"},
    {DDERR_NOCLIPPERATTACHED, "No clipper is attached to the surface"},
    {DDERR_NOHWND, "No window has been given for the cooperative level"},
    {DDERR_HWNDSUBCLASSED, "The window's procedure has been replaced and cannot be restored"},
    {DDERR_HWNDALREADYSET, "The cooperative window cannot be changed while surfaces exist"},
    {DDERR_NOPALETTEATTACHED, "No Palette Attached"},
    {DDERR_NOPALETTEHW, "No Palette Hardware"},
    {DDERR_BLTFASTCANTCLIP, "A fast copy cannot clip to an attached clipper"},
    {DDERR_NOBLTHW, "There is no copy hardware"},
    {DDERR_NODDROPSHW, "No DDraw ROP Hardware"},
    {DDERR_OVERLAYNOTVISIBLE, "The overlay is hidden"},
    {DDERR_NOOVERLAYDEST, "The overlay has no destination yet"},
    {DDERR_INVALIDPOSITION, "The overlay position is not valid"},
    {DDERR_NOTAOVERLAYSURFACE, "The surface is not an overlay"},
    {DDERR_EXCLUSIVEMODEALREADYSET, "Another object already holds the exclusive mode"},
    {DDERR_NOTFLIPPABLE, "The surface cannot be flipped"},
    {DDERR_CANTDUPLICATE, "Primary and attached surfaces cannot be duplicated"},
    {DDERR_NOTLOCKED, "The surface was not locked"},
    {DDERR_CANTCREATEDC, "No device context can be made for the surface"},
    {DDERR_NODC, "No device context was ever made for the surface"},
    {DDERR_WRONGMODE, "The surface was made in another display mode and cannot be restored"},
    {DDERR_IMPLICITLYCREATED, "The surface was made as part of another and cannot be restored alone"},
    {DDERR_NOTPALETTIZED, "Not Palettized"},
    {DDERR_UNSUPPORTEDMODE, "The display is in a mode that is not supported"},
    {DDERR_NOMIPMAPHW, "There is no mipmap hardware"},
    {DDERR_INVALIDSURFACETYPE, "The surface is of the wrong type for this call"},
    {DDERR_DCALREADYCREATED, "A device context has already been handed out for the surface"},
    {DDERR_CANTPAGELOCK, "The surface memory cannot be locked in place"},
    {DDERR_CANTPAGEUNLOCK, "The surface memory cannot be released from its place"},
    {DDERR_NOTPAGELOCKED, "The surface memory was not locked in place"},
};

static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == 100);

} // namespace

const char* DDrawErrorText(Result code) {
    for (const CodeText& entry : kTexts)
        if (entry.code == code) return entry.text;
    return "Unknown";
}

void DDrawReportError(Result code, const char* message, const char* file, int line) {
    xTracef("***** DirectDraw Error\n***** Message : %s\n***** Error code : $%08X\n***** Error message : %s\n",
            message ? message : "[none given]", static_cast<unsigned>(code), DDrawErrorText(code));
    xTracef("***** File : %s\nLine %d\n\n", file ? file : "", line);
}
