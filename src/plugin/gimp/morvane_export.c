/* GIMP 2.10 plug-in "Export to Morvane Pro": hands the active layer, cropped to the selection
   when there is one, to the running editor (or starts it). The layer is not changed. */
#include <libgimp/gimp.h>

#include "plugin/export_bridge_c.h"

#define PROCEDURE "plug-in-morvane-export"

static void query(void);
static void run(const gchar* name, gint nparams, const GimpParam* param, gint* nreturn_vals,
                GimpParam** return_vals);

const GimpPlugInInfo PLUG_IN_INFO = {NULL, NULL, query, run};

MAIN()

static void query(void) {
  static const GimpParamDef args[] = {
      {GIMP_PDB_INT32, "run-mode", "The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }"},
      {GIMP_PDB_IMAGE, "image", "Input image"},
      {GIMP_PDB_DRAWABLE, "drawable", "Input drawable"},
  };
  gimp_install_procedure(PROCEDURE, "Export to Morvane Pro",
                         "Hands the current layer or selection to Morvane Pro as a new image",
                         "Morvane", "Morvane", "2026", "Export to Morvane Pro", "RGB*", GIMP_PLUGIN,
                         G_N_ELEMENTS(args), 0, args, NULL);
  gimp_plugin_menu_register(PROCEDURE, "<Image>/Filters/Brenk Software");
}

/* The selection mask over the drawable, one byte per pixel; NULL without a selection. */
static guchar* selection_mask(gint32 image, gint32 drawable, gint width, gint height) {
  if (gimp_selection_is_empty(image)) return NULL;
  gint off_x = 0, off_y = 0;
  gimp_drawable_offsets(drawable, &off_x, &off_y);
  GeglBuffer* buffer = gimp_drawable_get_buffer(gimp_image_get_selection(image));
  guchar* mask = g_try_malloc((gsize)width * (gsize)height);
  if (mask) {
    gegl_buffer_get(buffer, GEGL_RECTANGLE(off_x, off_y, width, height), 1.0, babl_format("Y u8"),
                    mask, GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
  }
  g_object_unref(buffer);
  return mask;
}

static GimpPDBStatusType export_drawable(gint32 image, gint32 drawable, gchar* message,
                                         gsize message_size) {
  const gint width = gimp_drawable_width(drawable);
  const gint height = gimp_drawable_height(drawable);
  const int planes = gimp_drawable_has_alpha(drawable) ? 4 : 3;
  const gsize row_bytes = (gsize)width * (gsize)planes;
  guchar* samples = g_try_malloc(row_bytes * (gsize)height);
  if (!samples) {
    g_snprintf(message, message_size, "not enough memory for the picture");
    return GIMP_PDB_EXECUTION_ERROR;
  }
  GeglBuffer* buffer = gimp_drawable_get_buffer(drawable);
  gegl_buffer_get(buffer, GEGL_RECTANGLE(0, 0, width, height), 1.0,
                  babl_format(planes == 4 ? "R'G'B'A u8" : "R'G'B' u8"), samples,
                  GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
  g_object_unref(buffer);
  guchar* mask = selection_mask(image, drawable, width, height);
  const gsize mask_size = mask ? (gsize)width * (gsize)height : 0;
  const int rc = morvane_export_picture((uint32_t)width, (uint32_t)height, planes, samples,
                                        row_bytes * (gsize)height, row_bytes, mask, mask_size,
                                        (gsize)width, NULL, message, message_size);
  g_free(mask);
  g_free(samples);
  return rc == 0 ? GIMP_PDB_SUCCESS : GIMP_PDB_EXECUTION_ERROR;
}

static void run(const gchar* name, gint nparams, const GimpParam* param, gint* nreturn_vals,
                GimpParam** return_vals) {
  static GimpParam values[2];
  static gchar message[512];
  (void)name;
  gegl_init(NULL, NULL);
  *nreturn_vals = 1;
  *return_vals = values;
  values[0].type = GIMP_PDB_STATUS;
  values[0].data.d_status = GIMP_PDB_CALLING_ERROR;
  if (nparams < 3) return;
  const GimpRunMode mode = (GimpRunMode)param[0].data.d_int32;
  message[0] = '\0';
  const GimpPDBStatusType status =
      export_drawable(param[1].data.d_image, param[2].data.d_drawable, message, sizeof message);
  values[0].data.d_status = status;
  if (status != GIMP_PDB_SUCCESS) {
    if (mode == GIMP_RUN_INTERACTIVE) gimp_message(message);
    *nreturn_vals = 2;
    values[1].type = GIMP_PDB_STRING;
    values[1].data.d_string = message;
  }
}
