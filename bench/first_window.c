/* Seconds from starting a program to its first window on the screen.
 *
 *   first_window COMMAND...     (DISPLAY must name a running X server with no window manager)
 *
 * Watches the root window for the first top-level window to be mapped, then ends the program
 * (SIGTERM, then SIGKILL) and prints the seconds from the fork to the map. With
 * FIRST_PICTURE_PROBE naming bench/first_picture_probe.so, the program is started with it loaded
 * and the seconds to its first picture (the first image it sends to the server) follow, then the
 * seconds to the end of its QApplication's construction (-1 for a program without one). */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <signal.h>
#include <stdlib.h>
#include <stdio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

/* Seconds from start to the time noted in the file; -1 while it holds none. */
static double noted_seconds(const char *path, double start)
{
    FILE *file = fopen(path, "r");
    double at = 0.0;
    const int read = file ? fscanf(file, "%lf", &at) : 0;
    if (file)
        fclose(file);
    return read == 1 ? at - start : -1.0;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: first_window COMMAND...\n");
        return 2;
    }
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "first_window: cannot open the display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const char *probe = getenv("FIRST_PICTURE_PROBE");
    char noted[] = "/tmp/first_picture_XXXXXX";
    char ready[] = "/tmp/application_ready_XXXXXX";
    int noted_fd = probe ? mkstemp(noted) : -1;
    int ready_fd = noted_fd >= 0 ? mkstemp(ready) : -1;
    if (noted_fd >= 0)
        close(noted_fd);
    if (ready_fd >= 0)
        close(ready_fd);
    const double start = now();
    pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        if (noted_fd >= 0) {
            setenv("LD_PRELOAD", probe, 1);
            setenv("FIRST_PICTURE_FILE", noted, 1);
            if (ready_fd >= 0)
                setenv("APPLICATION_READY_FILE", ready, 1);
        }
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    const double seconds = now() - start;
    double picture = -1.0;
    /* The picture follows the map within a second or two at worst. */
    for (int i = 0; noted_fd >= 0 && i < 5000 && picture < 0.0; ++i) {
        picture = noted_seconds(noted, start);
        if (picture < 0.0)
            usleep(1000);
    }
    /* Noted before the map, if at all. */
    const double constructed = ready_fd >= 0 ? noted_seconds(ready, start) : -1.0;
    kill(child, SIGTERM);
    for (int i = 0; i < 100 && waitpid(child, NULL, WNOHANG) == 0; ++i)
        usleep(20000);
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
    if (ready_fd >= 0)
        unlink(ready);
    if (noted_fd >= 0) {
        unlink(noted);
        printf("%.4f %.4f %.4f\n", seconds, picture, constructed);
    } else {
        printf("%.4f\n", seconds);
    }
    XCloseDisplay(display);
    return 0;
}
