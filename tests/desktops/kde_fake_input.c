/* Keys and pointer for the runs under KWin: a headless KWin has no input devices, and only a
 * client KWin trusts with org_kde_kwin_fake_input may press keys in it (its desktop entry lists
 * the interface). Reads one command a line from stdin and answers "ok MS" once KWin has handled
 * it, MS being the wall clock in milliseconds when it had:
 *   key NAME...   presses and releases each key in turn (a-z, 0-9, Return, Shift, Escape)
 *   type TEXT     types the letters and digits of TEXT at a person's pace, 0.3 s a key
 *   move X Y      the pointer to that logical pixel of the desktop
 *   click N       a click of button N (1 left, 2 middle, 3 right)
 */
#include "fake-input-client-protocol.h"

#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

static struct org_kde_kwin_fake_input *fake_input;

static void announce(void *data, struct wl_registry *registry, uint32_t name,
                     const char *interface, uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void withdraw(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {announce, withdraw};

static long long wall_clock_ms(void) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

/* The kernel's key code for a key name, or -1. */
static int key_code(const char *name) {
    static const int letters[26] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                                    KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                                    KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
    static const int digits[10] = {KEY_0, KEY_1, KEY_2, KEY_3, KEY_4,
                                   KEY_5, KEY_6, KEY_7, KEY_8, KEY_9};
    if (strlen(name) == 1 && name[0] >= 'a' && name[0] <= 'z')
        return letters[name[0] - 'a'];
    if (strlen(name) == 1 && name[0] >= '0' && name[0] <= '9')
        return digits[name[0] - '0'];
    if (strcmp(name, "Return") == 0)
        return KEY_ENTER;
    if (strcmp(name, "Shift") == 0)
        return KEY_LEFTSHIFT;
    if (strcmp(name, "Escape") == 0)
        return KEY_ESC;
    return -1;
}

static int press_keys(struct wl_display *display, char *names) {
    for (char *name = strtok(names, " \n"); name; name = strtok(NULL, " \n")) {
        const int code = key_code(name);
        if (code < 0)
            return 0;
        org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)code, 1);
        org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)code, 0);
        /* One key handled before the next, as a typist's would be. */
        wl_display_roundtrip(display);
    }
    return 1;
}

static int type_text(struct wl_display *display, const char *text) {
    const struct timespec pause = {0, 300 * 1000 * 1000};
    char name[2] = {0, 0};
    for (const char *c = text; *c && *c != '\n'; ++c) {
        nanosleep(&pause, NULL);
        name[0] = *c;
        if (!press_keys(display, name))
            return 0;
    }
    return 1;
}

static uint32_t button_code(int number) {
    return number == 2 ? BTN_MIDDLE : number == 3 ? BTN_RIGHT : BTN_LEFT;
}

static int run(struct wl_display *display, char *line) {
    double x, y;
    int number;
    if (strncmp(line, "key ", 4) == 0)
        return press_keys(display, line + 4);
    if (strncmp(line, "type ", 5) == 0)
        return type_text(display, line + 5);
    if (sscanf(line, "move %lf %lf", &x, &y) == 2) {
        org_kde_kwin_fake_input_pointer_motion_absolute(fake_input, wl_fixed_from_double(x),
                                                        wl_fixed_from_double(y));
        return 1;
    }
    if (sscanf(line, "click %d", &number) == 1) {
        org_kde_kwin_fake_input_button(fake_input, button_code(number), 1);
        org_kde_kwin_fake_input_button(fake_input, button_code(number), 0);
        return 1;
    }
    return 0;
}

int main(void) {
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kde_fake_input: no Wayland display\n");
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake_input) {
        fprintf(stderr, "kde_fake_input: KWin offers this program no fake input\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "Deskwreck! tests", "end-to-end runs");
    wl_display_roundtrip(display);
    printf("ready\n");
    fflush(stdout);
    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        if (line[0] == '\n')
            continue;
        const int understood = run(display, line);
        if (wl_display_roundtrip(display) < 0)
            return 1;
        if (understood)
            printf("ok %lld\n", wall_clock_ms());
        else
            printf("? %s", line);
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
