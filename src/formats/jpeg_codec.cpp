// The library reports errors by calling error_exit, which must not return. Ours jumps back to
// the setjmp in the function that called the library. Those functions (StartDecode, DecodeRows,
// Encode) are plain C in spirit: nothing with a destructor lives in their frames, and every
// buffer they touch is owned by the caller, so a jump loses nothing.
#include "formats/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <jpeglib.h>

#include "formats/file_io.h"

namespace morvane {

namespace {

// A progressive file may hold any number of scans, each a pass over the whole image; this many
// is far beyond any real encoder's output and keeps a hostile file from running for hours.
constexpr int kMaxScans = 1000;

struct JpegError {
  jpeg_error_mgr manager;  // first, so the library's pointer to it is a pointer to this
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

JpegError& ErrorOf(j_common_ptr info) {
  return *reinterpret_cast<JpegError*>(info->err);
}

[[noreturn]] void JumpWithMessage(j_common_ptr info) {
  JpegError& error = ErrorOf(info);
  error.manager.format_message(info, error.message);
  std::longjmp(error.jump, 1);
}

void OnError(j_common_ptr info) {
  JumpWithMessage(info);
}

// Warnings (level -1) mean damaged data: they fail the operation too. Trace messages are ignored.
void OnMessage(j_common_ptr info, int level) {
  if (level < 0) JumpWithMessage(info);
}

void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
    JpegError& error = ErrorOf(info);
    std::snprintf(error.message, sizeof error.message, "JPEG file has more than %d scans",
                  kMaxScans);
    std::longjmp(error.jump, 1);
  }
}

void InstallErrorHandlers(JpegError& error) {
  jpeg_std_error(&error.manager);
  error.manager.error_exit = OnError;
  error.manager.emit_message = OnMessage;
  error.manager.output_message = OnOutput;
  error.message[0] = '\0';
}

struct DecodeJob {
  jpeg_decompress_struct info;
  JpegError error;
  jpeg_progress_mgr progress;
  const std::uint8_t* data;
  unsigned long size;
  bool adobeInverted;  // CMYK stored inverted, as Adobe's encoders write it
  ErrorCode refusal;   // set when the codec itself turns the file down
};

// Reads the header and starts the decompressor with RGB, grey or CMYK output.
bool StartDecode(DecodeJob& job) {
  job.info.err = &job.error.manager;
  InstallErrorHandlers(job.error);
  if (setjmp(job.error.jump)) return false;
  jpeg_create_decompress(&job.info);
  job.progress.progress_monitor = OnProgress;
  job.info.progress = &job.progress;
  job.info.mem->max_memory_to_use = static_cast<long>(kMaxImageBytes);
  jpeg_mem_src(&job.info, job.data, job.size);
  jpeg_read_header(&job.info, TRUE);
  if (job.info.num_components == 1) {
    job.info.out_color_space = JCS_GRAYSCALE;
  } else if (job.info.num_components == 3) {
    job.info.out_color_space = JCS_RGB;
  } else if (job.info.num_components == 4 &&
             (job.info.jpeg_color_space == JCS_CMYK || job.info.jpeg_color_space == JCS_YCCK)) {
    job.info.out_color_space = JCS_CMYK;
    job.adobeInverted = job.info.saw_Adobe_marker;
  } else {
    std::snprintf(job.error.message, sizeof job.error.message,
                  "JPEG files with %d colour components are not supported",
                  job.info.num_components);
    job.refusal = ErrorCode::kUnsupported;
    return false;
  }
  const std::uint64_t stride = (std::uint64_t{job.info.image_width} + 3) & ~std::uint64_t{3};
  if (stride * job.info.image_height * sizeof(Pixel) > kMaxImageBytes) {
    std::snprintf(job.error.message, sizeof job.error.message,
                  "JPEG image of %u x %u pixels is too large", job.info.image_width,
                  job.info.image_height);
    job.refusal = ErrorCode::kTooLarge;
    return false;
  }
  jpeg_start_decompress(&job.info);
  return true;
}

void ToRgb(const DecodeJob& job, const JSAMPLE* in, std::uint8_t* out) {
  const JDIMENSION width = job.info.output_width;
  switch (job.info.out_color_space) {
    case JCS_GRAYSCALE:
      for (JDIMENSION x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
      break;
    case JCS_CMYK:
      for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const int k = job.adobeInverted ? in[3] : 255 - in[3];
        for (int c = 0; c < 3; ++c) {
          const int v = job.adobeInverted ? in[c] : 255 - in[c];
          out[c] = static_cast<std::uint8_t>(v * k / 255);
        }
      }
      break;
    default:
      std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
      break;
  }
}

// Reads every scanline into rgb (width * height * 3 bytes) through row (one output scanline).
bool DecodeRows(DecodeJob& job, std::uint8_t* rgb, JSAMPLE* row) {
  if (setjmp(job.error.jump)) return false;
  const std::size_t rgbRow = static_cast<std::size_t>(job.info.output_width) * 3;
  while (job.info.output_scanline < job.info.output_height) {
    const JDIMENSION y = job.info.output_scanline;
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&job.info, rows, 1) != 1) {
      std::snprintf(job.error.message, sizeof job.error.message, "JPEG data ended early");
      return false;
    }
    ToRgb(job, row, rgb + rgbRow * y);
  }
  jpeg_finish_decompress(&job.info);
  return true;
}

struct EncodeJob {
  jpeg_compress_struct info;
  JpegError error;
  unsigned char* buffer;  // allocated by the library's memory destination
  unsigned long size;
};

bool Encode(EncodeJob& job, const std::uint8_t* pixels, int width, int height, int components,
            int quality) {
  job.info.err = &job.error.manager;
  InstallErrorHandlers(job.error);
  if (setjmp(job.error.jump)) return false;
  jpeg_create_compress(&job.info);
  jpeg_mem_dest(&job.info, &job.buffer, &job.size);
  job.info.image_width = static_cast<JDIMENSION>(width);
  job.info.image_height = static_cast<JDIMENSION>(height);
  job.info.input_components = components;
  job.info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&job.info);
  jpeg_set_quality(&job.info, quality, TRUE);
  jpeg_start_compress(&job.info, TRUE);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
  while (job.info.next_scanline < job.info.image_height) {
    JSAMPROW rows[1] = {const_cast<JSAMPLE*>(pixels + rowBytes * job.info.next_scanline)};
    jpeg_write_scanlines(&job.info, rows, 1);
  }
  jpeg_finish_compress(&job.info);
  return true;
}

Status Failure(const JpegError& error, ErrorCode code = ErrorCode::kLibrary) {
  return {code, error.message[0] != '\0' ? error.message : "JPEG library error"};
}

}  // namespace

Result<RgbImage> LoadJpeg(Bytes data) {
  DecodeJob job{};
  job.refusal = ErrorCode::kLibrary;
  job.data = data.data();
  job.size = static_cast<unsigned long>(data.size());
  RgbImage image;
  std::vector<JSAMPLE> row;
  Status status;
  if (StartDecode(job)) {
    try {
      image.width = static_cast<int>(job.info.output_width);
      image.height = static_cast<int>(job.info.output_height);
      image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
      row.resize(static_cast<std::size_t>(image.width) * job.info.output_components);
    } catch (const std::bad_alloc&) {
      status = {ErrorCode::kOutOfMemory, "no memory for the JPEG image"};
    }
    if (status.ok() && !DecodeRows(job, image.rgb.data(), row.data())) {
      status = Failure(job.error);
    }
  } else {
    status = Failure(job.error, job.refusal);
  }
  jpeg_destroy_decompress(&job.info);
  if (!status.ok()) return status;
  return image;
}

Result<RgbImage> LoadJpegFile(const std::filesystem::path& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) return bytes.status();
  Result<RgbImage> image = LoadJpeg(*bytes);
  if (!image.ok()) return image.status().WithContext(path.string());
  return image;
}

Status EncodeJpeg(const RgbImage& image, bool color, int quality, std::vector<std::uint8_t>& out) {
  const std::size_t pixelCount = static_cast<std::size_t>(image.width) * image.height;
  if (image.width <= 0 || image.height <= 0 || image.rgb.size() != pixelCount * 3) {
    return {ErrorCode::kNoImages, "no image to write"};
  }
  std::vector<std::uint8_t> grey;
  if (!color) {
    try {
      grey.resize(pixelCount);
    } catch (const std::bad_alloc&) {
      return {ErrorCode::kOutOfMemory, "Memory error"};
    }
    for (std::size_t i = 0; i < pixelCount; ++i) {
      const std::uint8_t* p = &image.rgb[3 * i];
      grey[i] = static_cast<std::uint8_t>(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]);
    }
  }
  EncodeJob job{};
  const bool ok = Encode(job, color ? image.rgb.data() : grey.data(), image.width, image.height,
                         color ? 3 : 1, quality);
  jpeg_destroy_compress(&job.info);
  Status status;
  if (!ok) {
    status = Failure(job.error);
  } else {
    try {
      out.insert(out.end(), job.buffer, job.buffer + job.size);
    } catch (const std::bad_alloc&) {
      status = {ErrorCode::kOutOfMemory, "no memory for the JPEG file"};
    }
  }
  std::free(job.buffer);
  return status;
}

Status SaveJpegFile(const std::filesystem::path& path, const RgbImage& image, bool color,
                    int quality) {
  std::vector<std::uint8_t> bytes;
  Status st = EncodeJpeg(image, color, quality, bytes);
  if (!st.ok()) return st.WithContext(path.string());
  return WriteFileAtomic(path, bytes);
}

Result<RgbImage> RgbFromDib(const CDib& image) {
  RgbImage rgb;
  rgb.width = image.GetWidth();
  rgb.height = image.GetHeight();
  if (rgb.width <= 0 || rgb.height <= 0) return Status(ErrorCode::kNoImages, "no image");
  try {
    rgb.rgb.resize(static_cast<std::size_t>(rgb.width) * rgb.height * 3);
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, "no memory for the image");
  }
  std::uint8_t* out = rgb.rgb.data();
  for (int y = 0; y < rgb.height; ++y) {
    const Pixel* row = image.Row(y);
    for (int x = 0; x < rgb.width; ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(RedOf(row[x]));
      out[1] = static_cast<std::uint8_t>(GreenOf(row[x]));
      out[2] = static_cast<std::uint8_t>(BlueOf(row[x]));
    }
  }
  return rgb;
}

Status DibFromRgb(const RgbImage& rgb, CDib& image) {
  const std::size_t pixelCount = static_cast<std::size_t>(rgb.width) * rgb.height;
  if (rgb.width <= 0 || rgb.height <= 0 || rgb.rgb.size() != pixelCount * 3) {
    return {ErrorCode::kNoImages, "no image"};
  }
  CDib decoded;
  if (!decoded.Create(rgb.width, rgb.height)) {
    return {ErrorCode::kOutOfMemory, "no memory for the image"};
  }
  const std::uint8_t* in = rgb.rgb.data();
  for (int y = 0; y < rgb.height; ++y) {
    Pixel* row = decoded.Row(y);
    for (int x = 0; x < rgb.width; ++x, in += 3) row[x] = MakePixel(255, in[0], in[1], in[2]);
  }
  image = std::move(decoded);
  return Status::Ok();
}

}  // namespace morvane
