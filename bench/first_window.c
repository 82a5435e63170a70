/* Seconds from starting a program to its first window on the screen.
 *
 *   first_window COMMAND...     (DISPLAY must name a running X server with no window manager)
 *
 * Watches the root window for the first top-level window to be mapped, then ends the program
 * (SIGTERM, then SIGKILL) and prints the seconds from the fork to the map. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <signal.h>
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
    const double start = now();
    pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    const double seconds = now() - start;
    kill(child, SIGTERM);
    for (int i = 0; i < 100 && waitpid(child, NULL, WNOHANG) == 0; ++i)
        usleep(20000);
    kill(child, SIGKILL);
    waitpid(child, NULL, 0);
    printf("%.4f\n", seconds);
    XCloseDisplay(display);
    return 0;
}
