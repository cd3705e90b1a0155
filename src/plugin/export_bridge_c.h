/* The export bridge for plug-ins written in C: crops a host's picture, hands it to the running
   editor and starts the editor when none runs. */
#ifndef MORVANE_EXPORT_BRIDGE_C_H
#define MORVANE_EXPORT_BRIDGE_C_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* samples: interleaved red, green, blue (and transparency when planes is 4), rows top-down,
   row_bytes apart. mask: one byte per pixel, or NULL without a selection. editor: the program
   started when no editor runs, or NULL to take it from the editor's settings. Returns 0 when
   the editor acknowledged the picture; otherwise writes a message for people into message. */
int morvane_export_picture(uint32_t width, uint32_t height, int planes, const uint8_t* samples,
                           size_t samples_size, size_t row_bytes, const uint8_t* mask,
                           size_t mask_size, size_t mask_row_bytes, const char* editor,
                           char* message, size_t message_size);

#ifdef __cplusplus
}
#endif

#endif
