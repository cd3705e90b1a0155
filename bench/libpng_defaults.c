/* Prints the size of a PNG file's pixels written again as 8-bit RGBA with libpng's default
 * settings (every filter, zlib's default level), the reference for our encoder's sizes.
 *
 *   cc -O2 bench/libpng_defaults.c -lpng -o libpng_defaults && ./libpng_defaults picture.png */
#include <png.h>
#include <stdio.h>
#include <stdlib.h>

static size_t written;

static void Count(png_structp png, png_bytep data, size_t length) {
  (void)png;
  (void)data;
  written += length;
}

static void NoFlush(png_structp png) {
  (void)png;
}

int main(int argc, char** argv) {
  png_image image = {0};
  image.version = PNG_IMAGE_VERSION;
  if (argc != 2 || !png_image_begin_read_from_file(&image, argv[1])) return 1;
  image.format = PNG_FORMAT_RGBA;
  png_bytep pixels = malloc(PNG_IMAGE_SIZE(image));
  if (pixels == NULL || !png_image_finish_read(&image, NULL, pixels, 0, NULL)) return 1;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) return 1;
  png_set_write_fn(png, NULL, Count, NoFlush);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (png_uint_32 y = 0; y < image.height; ++y) png_write_row(png, pixels + y * image.width * 4);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  printf("%zu\n", written);
  free(pixels);
  return 0;
}
