/* Loaded into the program the start-up benchmark starts (LD_PRELOAD), it notes when the program
 * first sends a picture to the X server: the first image put into a window, through shared memory
 * or the socket, as Qt's raster windows send theirs. The monotonic time goes to the file named
 * by FIRST_PICTURE_FILE; first_window reads it. So does the time the program's QApplication is
 * constructed (APPLICATION_READY_FILE): what follows is the program's own window, what comes
 * before is loading and Qt's set-up, alike for every Qt Widgets program. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct {
    unsigned int sequence;
} probe_cookie;

static void note_time(const char *variable)
{
    const char *path = getenv(variable);
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    FILE *file = path ? fopen(path, "w") : NULL;
    if (!file)
        return;
    fprintf(file, "%.6f\n", (double)t.tv_sec + (double)t.tv_nsec / 1e9);
    fclose(file);
}

static void note_first_picture(void)
{
    static int noted;
    if (!noted++)
        note_time("FIRST_PICTURE_FILE");
}

/* QApplication::QApplication(int &, char **, int) */
void _ZN12QApplicationC1ERiPPci(void *self, int *argc, char **argv, int flags)
{
    typedef void (*real_t)(void *, int *, char **, int);
    static real_t real;
    if (!real)
        real = (real_t)dlsym(RTLD_NEXT, "_ZN12QApplicationC1ERiPPci");
    real(self, argc, argv, flags);
    note_time("APPLICATION_READY_FILE");
}

probe_cookie xcb_shm_put_image(void *c, uint32_t drawable, uint32_t gc, uint16_t total_width,
                               uint16_t total_height, uint16_t src_x, uint16_t src_y, uint16_t src_width,
                               uint16_t src_height, int16_t dst_x, int16_t dst_y, uint8_t depth, uint8_t format,
                               uint8_t send_event, uint32_t shmseg, uint32_t offset)
{
    typedef probe_cookie (*real_t)(void *, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t,
                                   uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t, uint32_t, uint32_t);
    static real_t real;
    if (!real)
        real = (real_t)dlsym(RTLD_NEXT, "xcb_shm_put_image");
    note_first_picture();
    return real(c, drawable, gc, total_width, total_height, src_x, src_y, src_width, src_height, dst_x, dst_y,
                depth, format, send_event, shmseg, offset);
}

probe_cookie xcb_put_image(void *c, uint8_t format, uint32_t drawable, uint32_t gc, uint16_t width,
                           uint16_t height, int16_t dst_x, int16_t dst_y, uint8_t left_pad, uint8_t depth,
                           uint32_t data_len, const uint8_t *data)
{
    typedef probe_cookie (*real_t)(void *, uint8_t, uint32_t, uint32_t, uint16_t, uint16_t, int16_t, int16_t,
                                   uint8_t, uint8_t, uint32_t, const uint8_t *);
    static real_t real;
    if (!real)
        real = (real_t)dlsym(RTLD_NEXT, "xcb_put_image");
    note_first_picture();
    return real(c, format, drawable, gc, width, height, dst_x, dst_y, left_pad, depth, data_len, data);
}
