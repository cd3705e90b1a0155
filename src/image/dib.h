// CDib: the one in-memory image of the program. Every frame, undo snapshot, preview and work
// buffer is a CDib: width x height pixels of 32-bit ARGB, rows top-down, each row padded to a
// multiple of four pixels, and a clip rectangle that confines the checked pixel accessors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/pixel.h"

namespace morvane {

// The 40-byte BITMAPINFOHEADER that a live image describes itself with (width is the stride,
// height is negative for top-down rows), as the platform bridge and the clipboard need it.
struct BitmapInfoHeader {
  std::int32_t size = 40;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 32;
  std::uint32_t compression = 0;
  std::uint32_t imageSize = 0;
};

class CDib {
 public:
  // Pixel value returned by a read outside the clip rectangle.
  Pixel outsideValue = 0;
  // The only area that the checked accessors read and write. clip.left == kNotSet: never set.
  Rect clip{kNotSet, 0, 0, 0};

  CDib() = default;
  ~CDib() = default;
  // Images are copied only through the operations below, never by assignment. Moving hands the
  // pixel memory over and leaves the source empty.
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;
  CDib(CDib&& other) noexcept;
  CDib& operator=(CDib&& other) noexcept;

  // --- Lifecycle and size -----------------------------------------------------------------

  // Makes a live, all-transparent image; on an image of exactly this size only clears it.
  // Returns false (and leaves the image empty) when the size is not positive, too large or the
  // memory cannot be had.
  bool Create(int width, int height);
  // Frees the pixels. Width and height become 0; stride and clip keep their values.
  void Release();

  // The size of a live image; 0 for an empty image or a snapshot.
  int GetWidth() const { return live_ ? width_ : 0; }
  int GetHeight() const { return live_ ? height_ : 0; }

  // Raw fields: a snapshot reports its real size here.
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Stride() const { return stride_; }
  bool IsLive() const { return live_; }
  bool IsSnapshot() const { return !live_ && !pixels_.empty(); }
  bool IsEmpty() const { return pixels_.empty(); }
  BitmapInfoHeader Header() const;

  // Direct access for fast loops; pixel (x, y) is Pixels()[x + y * Stride()].
  Pixel* Pixels() { return pixels_.data(); }
  const Pixel* Pixels() const { return pixels_.data(); }
  Pixel* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
  const Pixel* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
  std::size_t StoredPixelCount() const { return pixels_.size(); }

  // Copies the raw pixels of source (live or snapshot) into memory owned by this object, which
  // then is a snapshot: GetWidth/GetHeight give 0 but Width/Height hold the size.
  // A null or empty source leaves this image empty.
  void TakeSnapshot(const CDib* source);
  // Turns a snapshot back into a live image in target (re-created at the snapshot's size).
  // Restoring an empty snapshot releases target.
  bool RestoreSnapshotTo(CDib& target) const;

  enum class CopyMode {
    kReuse,     // re-create the target only when it is not live or differs in size
    kRecreate,  // always re-create (and so clear) the target first
  };
  // Copies all stored pixels of this live image, padding included. Nothing when this is empty.
  bool CopyTo(CDib& target, CopyMode mode = CopyMode::kReuse) const;

  // --- Checked pixel access (confined to clip) -------------------------------------------

  // A point is readable and writable when it lies inside the clip. It must also lie inside the
  // stored pixels: a clip may outlive Release or be set wider than the image by a caller, and
  // must never lead outside the buffer.
  bool IsWritable(int x, int y) const {
    return clip.Contains(x, y) && static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
           static_cast<unsigned>(y) < static_cast<unsigned>(height_);
  }
  Pixel GetPixel(int x, int y) const {
    return IsWritable(x, y) ? pixels_[Index(x, y)] : outsideValue;
  }
  void SetPixel(int x, int y, Pixel v) {
    if (IsWritable(x, y)) pixels_[Index(x, y)] = v;
  }
  // Opaque values are stored, alpha-0 values clear only the alpha byte, others composite.
  void PaintPixel(int x, int y, Pixel v);
  // Lowers the alpha by strength (0..255); colour bits stay.
  void ErasePixel(int x, int y, int strength);

  // --- Whole-buffer operations (all stored pixels, padding included) ----------------------

  void Fill(Pixel v);
  void SetAlpha(std::uint8_t alpha);
  // Composites an equally sized source over this image at opacity 0..255.
  void BlendFrom(const CDib& source, int opacity);
  // Places source's (0, 0) at (x, y), clipped to this image's size (not to clip).
  void CopyAt(const CDib& source, int x, int y);
  void BlendAt(const CDib& source, int x, int y, int opacity);
  // Bounding box of the pixels whose byte (v >> shift) & 0xFF is non-zero; all -1 when none.
  Rect GetChannelBounds(int shift) const;

  // --- Scaling (stretch.cpp) --------------------------------------------------------------

  // Scales sourceRect of this image into destRect of destination (Rect::Whole() = the whole
  // destination). filter: |v| < 0.1 nearest neighbour, v >= 0.1 tent of radius v, v <= -0.1
  // Gaussian of radius -v. An empty destination is first created at this image's size.
  // Destination pixels are overwritten regardless of the destination's clip.
  void StretchTo(CDib& destination, Rect sourceRect, double filter, Rect destRect,
                 int flag = 0) const;
  void StretchTo(CDib& destination, double filter, Rect destRect = Rect::Whole()) const;

  // --- Convolution (dib_convolve.cpp) ----------------------------------------------------
  // Applies a size x size kernel (size 3 or 5, row-major, row 0 above the pixel) to the
  // inclusive rectangle (x0, y0)-(x1, y1) at strength level 0..255 (0 = unchanged, 255 = the
  // kernel as written). Colours average over opaque neighbours only, alpha over all neighbours
  // inside the image; lockAlpha keeps every pixel's alpha. Writes only inside clip.
  void Convolve(int x0, int y0, int x1, int y1, const double* kernel, int size, int level,
                bool lockAlpha);
  void ConvolveAll(const double* kernel, int size, int level, bool lockAlpha);
  // Convolve with the fixed 5 x 5 blur kernel.
  void Blur(int x0, int y0, int x1, int y1, int level, bool lockAlpha);
  void BlurAll(int level, bool lockAlpha);

  // --- BMP file streams (bmp_writers.cpp) -------------------------------------------------
  // Each appends a complete BMP file to out and returns the bytes written, 0 on failure.

  std::size_t WriteBmp24(std::vector<std::uint8_t>& out) const;
  std::size_t WriteBmp32(std::vector<std::uint8_t>& out) const;
  std::size_t WriteBmp8(std::vector<std::uint8_t>& out) const;
  std::size_t WriteBmp4(std::vector<std::uint8_t>& out) const;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * stride_ + static_cast<std::size_t>(x);
  }
  void BlendPixel(Pixel& d, Pixel s, int opacity) const;
  struct Placement {
    int columns, rows, dstX, dstY, srcX, srcY;
  };
  bool Place(const CDib& source, int x, int y, Placement& p) const;

  std::vector<Pixel> pixels_;
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  bool live_ = false;
};

// The largest image any part of the program creates: 1 GiB of pixels.
// The fixed 5 x 5 blur kernel (sum 325).
extern const double kBlurKernel5[25];

inline constexpr std::size_t kMaxImageBytes = std::size_t{1} << 30;

// Stride of a row of width pixels: rounded up to a multiple of 4 pixels.
constexpr int StrideFor(int width) {
  return (width + 3) & ~3;
}

}  // namespace morvane
