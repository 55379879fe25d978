#pragma once
// Tinctor: the image-processing library (namespace ImageProcess).
//
// Every image is a byte vector of pixel rows plus a BITMAPINFO header:
// 24-bit BGR or 32-bit BGRA, rows bottom-up (row 0 in memory is the bottom row
// of the picture), each row padded to a multiple of 4 bytes, biHeight > 0,
// biCompression BI_RGB. Points and rectangles passed to the functions are in
// image pixels with row 0 at the TOP (as the view and the tools report them);
// the library converts to the bottom-up memory order itself. Rectangles are
// (left, top, right, bottom) with right and bottom exclusive.
//
// Bad arguments (null or short buffers, a header that doesn't match the
// vector, negative sizes, bit depths other than 24 and 32) make a function
// return false without touching the image. Nothing reads or writes outside a
// buffer. A function that runs out of memory returns false and leaves its
// image as it was. Functions may be called from any thread; calls on
// different images never interfere.
//
// Common arguments:
// - progress: called now and then with (units done, units in all); may be null.
// - clipToImage (the trailing flag of the functions that have one; callers
//   pass true): true clips rectangles and blocks that reach outside an image
//   to the image; false refuses them (false returned, nothing changed).
// - PROCESS_REGION: where an adjustment applies, see below.
// - The fourth byte of 32-bit pixels: point colour adjustments (fill,
//   brightness, contrast, levels, curves, colour correction, negative,
//   decolour, HSV) leave it as it is; geometry and filters (turns, flips,
//   resize, crop, blur, sharpen, BitBlt) treat it as a fourth channel; free
//   rotation gives the uncovered corners 255 there.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

namespace ImageProcess {

/// Progress report: `done` of `total` units finished. May be null everywhere.
using PROGRESS_CALLBACK = void (*)(unsigned int done, unsigned int total);

/// The area an adjustment is confined to.
///
/// - `rect`: bounding rectangle in image pixels, row 0 at the top, right and
///   bottom exclusive. Parts outside the image are clipped (or refused when the
///   function's clipToImage flag is false).
/// - `mask`: a soft selection, one byte per image pixel, rows from the TOP row
///   down: pixel (x, y) at index y * width + x (the reverse of the bitmap's own
///   bottom-up rows; the same layout as the view's selection mask). A value m
///   applies m/255 of the change: 0 leaves the pixel as it was, 255 changes it
///   fully. Empty, or exactly width * height bytes; any other length is refused.
///
/// | rect      | mask  | pixels changed                                  |
/// |-----------|-------|-------------------------------------------------|
/// | empty     | empty | the whole image, fully                          |
/// | non-empty | empty | the rectangle, fully                            |
/// | non-empty | given | the rectangle, each pixel by its mask value     |
/// | empty     | given | the whole image, each pixel by its mask value   |
///
/// A rectangle is empty when right <= left or bottom <= top. A non-empty
/// rectangle wholly outside the image changes nothing (and succeeds).
struct PROCESS_REGION {
    RECT rect{0, 0, 0, 0};
    std::vector<unsigned char> mask;
};

/// Channel indexes of HISTOGRAM and of the parameter blocks of AdjustHistogram.
enum HISTOGRAM_CHANNEL { HISTOGRAM_MASTER = 0, HISTOGRAM_RED = 1, HISTOGRAM_GREEN = 2, HISTOGRAM_BLUE = 3 };

/// Pixel counts per level (0 to 255) of four channels: master (the luminance
/// (77 R + 150 G + 29 B + 128) / 256 of each pixel), red, green and blue.
struct HISTOGRAM {
    DWORD count[4][256]{};
};

/// Levels of one channel, as in a Levels dialog: input levels `inputLow` to
/// `inputHigh` (0 to 255, low < high) are stretched onto `outputLow` to
/// `outputHigh` (0 to 255; low > high inverts), with the mid-tones bent by
/// `gamma` (0.1 to 10; above 1 brightens, 1 is linear). Levels below
/// `inputLow` map to `outputLow`, above `inputHigh` to `outputHigh`.
///
/// With `automatic` set the input levels are not read but found in the
/// histogram handed to AdjustHistogram: `inputLow` becomes the lowest level
/// below which at most `clipFraction` (0 to 0.5) of the pixels lie,
/// `inputHigh` the highest level above which at most that fraction lies.
struct HISTOGRAM_PARAMS {
    int inputLow{0};
    int inputHigh{255};
    double gamma{1.0};
    int outputLow{0};
    int outputHigh{255};
    bool automatic{false};
    double clipFraction{0.001};
};

/// Modes of FixRotate.
constexpr int FIXROTATE_CLOCKWISE = 1;
constexpr int FIXROTATE_COUNTERCLOCKWISE = 2;

/// Resampling filters of Resize.
enum RESIZE_ALGORITHM {
    RESIZE_NEAREST = 0,   ///< nearest pixel (each target pixel's centre sampled)
    RESIZE_BILINEAR = 1,  ///< linear between the 2 x 2 nearest pixels
    RESIZE_BICUBIC = 2,   ///< cubic over 4 x 4 pixels
    RESIZE_LANCZOS = 3,   ///< Lanczos over 8 x 8 pixels (sharpest; slowest)
};

/// Shapes of CreateMask.
enum emMaskType {
    MASK_TYPE_ROUND = 0,  ///< a round pen (the only shape so far)
};

/// Combine modes of BitBlt.
enum emBitBltFlag {
    BITBLT_COPY = 0,        ///< copy the source block, weighted per source pixel when weights are given
    BITBLT_MERGE_MASK = 1,  ///< merge source weights into a weight mask: the larger weight wins
};

/// Full weight of a pen mask, of BitBlt's weights and of a selection mask byte.
constexpr int MASK_WEIGHT_FULL = 255;

/// Prepares the library (called once at start-up). Any thread.
void Init();
/// Releases what Init prepared and the library's reusable scratch memory
/// (called once at shutdown, when no other call runs).
void Uninit();

// ---------------------------------------------------------------- retouching

/// Removes a spot, dust speck, hair or blemish: repairs the disk inscribed in
/// the square of side `size` whose top-left corner is `topLeft` (row 0 at the
/// top), with a soft edge. The texture comes from the best-matching nearby
/// area (or a blend of a few equally good ones) whose inside holds no detail
/// the spot's surroundings lack, so no object is carried into the spot; the
/// tone comes from the disk's surroundings (gradient-domain healing, no seam).
/// When no such area exists the disk gets a smooth fill from its rim. Pixels
/// of the disk that agree with the prediction (the intact picture around a
/// hair) are kept.
/// The square may reach over the image's edges and corners; no pixel outside
/// it changes, nor any alpha byte. `size` 1 to 1001 (odd sizes are what the
/// program passes). `strength` 0 to 1 sets how hard the edge is: the outer
/// (1 - strength) / 2 of the disk's radius is a soft band in which the repair
/// fades into the original (0.8: the outer tenth), the rest is replaced
/// completely. Image size unchanged. Returns false, changing nothing, for bad
/// arguments and when the disk covers the whole image (nothing to repair it
/// from); true otherwise, also when the disk misses the image entirely.
/// Deterministic.
bool RemoveSpot(std::vector<unsigned char>& pixels, BITMAPINFO& header, int size, POINT topLeft,
                float strength, PROGRESS_CALLBACK progress);

/// An area of an image to heal, with soft weights: `box` in image pixels
/// (row 0 at the top, right and bottom exclusive) and one weight per pixel of
/// the box, row by row from the box's top row (box width x height bytes). A
/// weight of 0 leaves the pixel as it is, 255 replaces it by the repair,
/// values between blend the repair over it. Parts of the box outside the
/// image are ignored.
struct HEAL_AREA {
    RECT box{0, 0, 0, 0};
    std::vector<unsigned char> weights;
};

/// What HealArea repairs inside its area.
enum HEAL_MODE {
    HEAL_WHOLE_AREA = 0,   ///< every pixel of the area (removing an object)
    HEAL_FLAWS_ONLY = 1,   ///< only what stands out from the prediction (a hair, dust); intact pixels are kept
};

/// Heals an area of any shape (a thin or curved stroke, a blob) in place,
/// without seams: the area is covered by pieces, each takes its texture from
/// the nearby places whose surroundings match its own best (a blend of a few,
/// never one whose inside holds detail the surroundings lack, and never from
/// the area itself), and where the surroundings run in one direction (an
/// edge) the smooth part of the fill follows it. The pieces' textures fade
/// into each other, and one gradient-domain blend (a Poisson solve from the
/// area's surroundings) gives the whole area its tone, so no seam shows
/// between pieces nor at the area's edge. With HEAL_FLAWS_ONLY the pixels
/// that agree with the prediction (the intact picture beside a hair) keep
/// their values. Large areas are solved in overlapping blocks, each taking
/// the blocks healed before it as its boundary. No pixel outside the area
/// changes, nor any alpha byte. Returns false, changing nothing, for bad
/// arguments (weights not box width x height bytes, an inverted box) and when
/// the area leaves no pixel of the image to heal it from; true otherwise,
/// also when the area misses the image. Deterministic.
bool HealArea(std::vector<unsigned char>& pixels, BITMAPINFO& header, const HEAL_AREA& area, HEAL_MODE mode,
              PROGRESS_CALLBACK progress);

/// Most points a healing stroke's path may have.
constexpr std::size_t MAX_STROKE_POINTS = 100000;

/// Heals along a stroke (a hair, a scratch) as RemoveSpot heals one spot: the
/// area is every pixel whose centre lies within `size` / 2 of the polyline
/// through `path` (image pixels, row 0 at the top; one point heals a disk,
/// repeated points and paths that turn back on themselves are fine), with
/// the same soft edge as RemoveSpot's disk for `strength`. The area is healed
/// with HealArea in HEAL_FLAWS_ONLY mode; the path's own pixels are always
/// repaired (the user pointed at them). Points may lie outside the image.
/// `size` 1 to 1001 (odd sizes are what the program passes), 1 to
/// MAX_STROKE_POINTS points, `strength` 0 to 1. Returns false, changing
/// nothing, for bad arguments and when the area covers the whole image; true
/// otherwise, also when the area misses the image. Deterministic.
bool HealStroke(std::vector<unsigned char>& pixels, BITMAPINFO& header, int size, const std::vector<POINT>& path,
                float strength, PROGRESS_CALLBACK progress);

/// Darkens the red pupils found inside `rect` (image pixels, row 0 at the top,
/// right and bottom exclusive), keeping catch-lights and the pupils' shape:
/// pupil pixels get their red brought down to the mean of green and blue (at
/// any `amount`, so even the tool's default 1 % removes the red), then every
/// channel is multiplied by 1 - `amount` (0 to 1). Pixels that are not red
/// pupil pixels stay untouched, and so does the alpha byte. A rectangle
/// partly outside the image is clipped; one wholly outside, empty or inverted
/// changes nothing and succeeds. False for bad arguments.
bool RedeyeReduct(std::vector<unsigned char>& pixels, BITMAPINFO& header, RECT rect, float amount,
                  PROGRESS_CALLBACK progress);

// ------------------------------------------------------- turning and mirroring

/// Turns the image a quarter turn in place, as seen on screen:
/// `mode` FIXROTATE_CLOCKWISE (1) or FIXROTATE_COUNTERCLOCKWISE (2); other
/// modes are refused. Width and height swap, the header's biSizeImage follows
/// the new stride and the vector is resized to exactly that many bytes
/// (its memory may be exchanged for a reused buffer of the library's).
/// Exact: a turn and its inverse, or four turns, give back the same bytes.
bool FixRotate(std::vector<unsigned char>& pixels, BITMAPINFO& header, int mode, PROGRESS_CALLBACK progress);

/// Mirrors the image in place. `vertical` true turns the picture upside down
/// (top and bottom rows change places: a mirror across the horizontal axis,
/// the vertical-flip command); false mirrors it left to right (the
/// horizontal-flip command). Size and header unchanged.
bool Flip(std::vector<unsigned char>& pixels, const BITMAPINFO& header, bool vertical, PROGRESS_CALLBACK progress);

// ------------------------------------------------------------------ geometry

/// Turns the image by `angle` degrees, positive clockwise as seen on screen,
/// into `outPixels` / `outHeader`. The new canvas is the smallest that holds
/// the whole turned picture; the corners it leaves uncovered take
/// `fillColor` (a COLORREF 0x00BBGGRR; 255 in the fourth byte of 32-bit
/// images). Bicubic resampling, except that multiples of 90 degrees are
/// exact turns. Any finite angle (taken modulo 360). The output header is the
/// source header with the new size. The output may be the source vector
/// itself; on failure the output is unchanged.
bool FreeRotate(const std::vector<unsigned char>& pixels, const BITMAPINFO& header,
                std::vector<unsigned char>& outPixels, BITMAPINFO& outHeader, double angle, COLORREF fillColor,
                PROGRESS_CALLBACK progress);

/// Scales the image to `width` x `height` pixels (each at least 1; the new
/// image below 2 GiB) with `algorithm` into `outPixels` / `outHeader` (the
/// source header with the new size). The output may be the source vector.
bool Resize(const std::vector<unsigned char>& pixels, const BITMAPINFO& header, std::vector<unsigned char>& outPixels,
            BITMAPINFO& outHeader, int width, int height, RESIZE_ALGORITHM algorithm, PROGRESS_CALLBACK progress);

/// Cuts out the region's box into `outPixels` / `outHeader` (the source
/// header with the new size). The box is the region's rectangle, or, when the
/// rectangle is empty, the bounding box of the mask's non-zero bytes, or,
/// when both are empty, the whole image; it is clipped to the image. Pixels
/// inside the box are copied unchanged whatever the mask says there. False
/// when the box holds no pixel of the image or the mask length is wrong.
bool Crop(const std::vector<unsigned char>& pixels, const BITMAPINFO& header, std::vector<unsigned char>& outPixels,
          BITMAPINFO& outHeader, const PROCESS_REGION& region, PROGRESS_CALLBACK progress);

// ------------------------------------------------------------------ adjustments
// Each changes the image in place inside `region` only (see PROCESS_REGION),
// a mask value m applying m/255 of the change.

/// Paints `color` (a COLORREF 0x00BBGGRR) over the region.
bool FillColor(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
               COLORREF color, PROGRESS_CALLBACK progress, bool clipToImage);

/// Adds `brightness` (-255 to 255 levels) to each of red, green and blue.
bool AdjustBrightness(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                      int brightness, PROGRESS_CALLBACK progress, bool clipToImage);

/// Stretches (`contrast` > 0) or flattens (< 0) each channel around mid-grey
/// 127.5: `contrast` -100 to 100; slope 1 + c/100 for c <= 0 (-100 gives flat
/// grey) and 1 / (1 - c/100) for c > 0 (100 gives a hard threshold at 128).
bool AdjustContrast(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                    int contrast, PROGRESS_CALLBACK progress, bool clipToImage);

/// Adds `level` (-255 to 255) to the channels named by `channels`, a
/// combination of 1 (red), 2 (green) and 4 (blue); 0 or other bits are refused.
bool AdjustChannelLevel(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                        int channels, int level, PROGRESS_CALLBACK progress, bool clipToImage);

/// Counts the levels of the region's pixels (mask values above 0 count the
/// pixel once) into `histogram`.
bool CalcHistogram(const std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                   HISTOGRAM& histogram, PROGRESS_CALLBACK progress);

/// Levels: each of red, green and blue goes through its own block
/// (`params[HISTOGRAM_RED]` ...) and then through the master block
/// (`params[HISTOGRAM_MASTER]`). `histogram` is read only by automatic blocks
/// (usually CalcHistogram's result for the same region). `params` must point
/// to four blocks; any block outside its ranges is refused.
bool AdjustHistogram(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                     const HISTOGRAM& histogram, const HISTOGRAM_PARAMS* params, PROGRESS_CALLBACK progress,
                     bool clipToImage);

/// Curves: `curves` points to four pointers to 256-byte tables mapping an
/// input level to an output level: [0] master, [1] red, [2] green, [3] blue.
/// Each colour channel goes through its own table and then the master table;
/// a null table is the identity (a null `curves` is refused).
bool AdjustCurve(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                 const unsigned char* const* curves, PROGRESS_CALLBACK progress, bool clipToImage);

/// White balance: maps the colour `reference` (as found in the picture) onto
/// `target` (usually a grey of the same mean), channel by channel, by a curve
/// through (0, 0), (reference, target) and (255, 255) that is linear between
/// those points; black and white stay. Both are COLORREFs (0x00BBGGRR).
bool ColorCorrect(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                  COLORREF target, COLORREF reference, PROGRESS_CALLBACK progress, bool clipToImage);

/// Negative: every colour byte c becomes 255 - c.
bool ReverseColor(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                  PROGRESS_CALLBACK progress, bool clipToImage);

/// Grey scale: red, green and blue all become the luminance
/// (77 R + 150 G + 29 B + 128) / 256.
bool Decolor(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
             PROGRESS_CALLBACK progress, bool clipToImage);

/// Gaussian blur with standard deviation `radius` pixels (0 to 250; 0 changes
/// nothing). Pixels near the region's edge are blurred with their neighbours
/// outside the region; the image's edges are mirrored.
bool GaussBlur(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
               double radius, PROGRESS_CALLBACK progress, bool clipToImage);

/// Sharpens with the 3 x 3 kernel (0 -1 0 / -1 5 -1 / 0 -1 0).
bool SimpleSharpen(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                   PROGRESS_CALLBACK progress, bool clipToImage);

/// Unsharp mask: c + amount/100 * (c - blurred c) wherever |c - blurred c| is at
/// least `threshold`, blurred with standard deviation `radius`. `amount` 0 to
/// 500 (per cent), `radius` 0.1 to 250 pixels, `threshold` 0 to 255 levels.
bool USMSharpen(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
                int amount, double radius, int threshold, PROGRESS_CALLBACK progress, bool clipToImage);

/// Shifts hue, saturation and value (as RGB2HSV defines them): `hue` in
/// degrees (any finite value, wrapped; 180 inverts the hues), `saturation`
/// and `value` added on their 0-to-1 scale (-1 to 1; results clamped to 0 to 1).
/// A grey pixel has no hue and stays grey under hue and saturation changes;
/// value +0.1 lightens every pixel by a tenth of full scale (25.5 levels on its
/// brightest channel) keeping hue and saturation.
bool AdjustHSV(std::vector<unsigned char>& pixels, const BITMAPINFO& header, const PROCESS_REGION& region,
               double hue, double saturation, double value, PROGRESS_CALLBACK progress, bool clipToImage);

// ------------------------------------------------------------ masks and blits

/// Builds the weights of a pen: `mask` becomes `size` x `size` 32-bit weights
/// (rows bottom-up like an image; the pen is symmetric), `header` describes
/// them as a 32-bit image of `size` x `size` pixels with biSizeImage = size *
/// size (a count of weights, not of bytes). Weights run from 0 to
/// MASK_WEIGHT_FULL (255). `type` MASK_TYPE_ROUND: the disk inscribed in the
/// square (centre at ((size - 1) / 2, (size - 1) / 2), radius size / 2) holds
/// the pen, every weight outside it is 0. `hardness` 0 to 1: weights are full
/// up to `hardness` times the radius and fall smoothly to 0 at the rim, so the
/// lower the hardness the gentler the fall-off; 1 gives a hard disk.
/// `size` 1 to 4096.
bool CreateMask(std::vector<std::int32_t>& mask, BITMAPINFO& header, emMaskType type, int size, float hardness);

/// Softens the edge of a selection mask in place: `mask` is `width` x
/// `height` bytes laid out as PROCESS_REGION's mask (row 0 at the top). Every
/// selected pixel (value above 0) at distance d from the nearest unselected
/// pixel (centre to centre) with d <= `radius` is scaled by d / (radius + 1),
/// so the selection fades out over `radius` pixels inside its edge; the
/// picture's own border is not an edge. A selected pixel never drops to 0.
/// Only bytes inside `box` (row 0 at the top, right and bottom exclusive;
/// usually the bounding box of the selection) change. `radius` 0 changes
/// nothing; negative radii are refused.
bool FeatheringRegion(std::vector<unsigned char>& mask, const RECT& box, int radius, int width, int height,
                      PROGRESS_CALLBACK progress, bool clipToImage);

/// Copies a block of pixels (`maskBlock` must be false: these overloads take
/// pixel images). The block of `width` x `height` pixels whose top-left
/// corner is `srcPos` in the source goes to `dstPos` in the destination (both
/// row 0 at the top); both images must have the same depth. `mode` must be
/// BITBLT_COPY. With `weights` (one 32-bit weight per pixel of the WHOLE
/// source image, laid out like the source's pixels: bottom-up rows of exactly
/// width entries, picture pixel (x, y) at index (height - 1 - y) * width + x;
/// `weightCount` at least width * height) each destination byte becomes
/// (d * (255 - w) + s * w + 127) / 255 with w the source pixel's weight clamped
/// to 0..255: 0 leaves the destination unchanged, 255 copies. Without weights
/// (null) the block is copied. Parts of the block outside either image are
/// clipped; a block wholly outside changes nothing and succeeds.
/// `width`, `height` 0 or more. The headers' biSizeImage is not read (the
/// brushes pass headers copied from a larger image with only the size
/// changed): width, height and depth give the size the vector must hold.
bool BitBlt(bool maskBlock, std::vector<unsigned char>& dstPixels, const BITMAPINFO& dstHeader, POINT dstPos,
            const std::vector<unsigned char>& srcPixels, const BITMAPINFO& srcHeader, POINT srcPos, int width,
            int height, emBitBltFlag mode, const std::int32_t* weights, std::size_t weightCount,
            PROGRESS_CALLBACK progress, bool clipToImage);

/// Stamps a block of weights into a weight mask (`maskBlock` must be true).
/// Both masks are 32-bit "images" of one weight per pixel, rows bottom-up
/// like the image they belong to (header: the mask's width and height and
/// 32 bits; biSizeImage is not read; the vector at least width * height
/// entries), positions as in the pixel overload.
/// `mode` BITBLT_MERGE_MASK: each destination weight becomes the larger of
/// itself and the source weight (so overlapping stamps never add up beyond the
/// strongest weight); BITBLT_COPY: the source weight replaces it. Optional
/// `weights` (laid out like the source mask) scale each source weight by
/// w / 255 first, and with BITBLT_COPY blend as in the pixel overload.
bool BitBlt(bool maskBlock, std::vector<std::int32_t>& dstMask, const BITMAPINFO& dstHeader, POINT dstPos,
            const std::vector<std::int32_t>& srcMask, const BITMAPINFO& srcHeader, POINT srcPos, int width,
            int height, emBitBltFlag mode, const std::int32_t* weights, std::size_t weightCount,
            PROGRESS_CALLBACK progress, bool clipToImage);

// -------------------------------------------------------------------- colour

/// Hue, saturation and value of one pixel: `h` in degrees, 0 (red) up to but
/// excluding 360, or -1 when the pixel is grey (red = green = blue: no hue);
/// `s` 0 to 1 ((max - min) / max), or -1 for black (no saturation); `v` 0 to 1
/// (max / 255).
void RGB2HSV(BYTE r, BYTE g, BYTE b, double& h, double& s, double& v);

} // namespace ImageProcess
