// What a player does and sees, on top of the end-to-end harness: clicks,
// drags and keys through XTEST, pixels of the game's window, the state file's
// fields, the sound captured from OpenAL Soft's wave backend, and the places
// of the game's controls at the nominal 640 by 480 window.
#ifndef MOXEL_TESTS_E2E_PLAYER_H
#define MOXEL_TESTS_E2E_PLAYER_H

#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {

// OpenAL Soft with no device at all, as on this machine without a sound card.
constexpr const char* NO_SOUND_CARD = "ALSOFT_DRIVERS=no-such-driver";

// Places in the window at scale 1, with the menu and the pause panel at rest.
constexpr int TYPE_BUTTON_Y = 336;
constexpr int TYPE_BUTTON_X[3] = {128, 256, 384};
constexpr int PAUSE_BUTTON_X = 16, PAUSE_BUTTON_Y = 16;
constexpr int PAUSE_QUIT_X = 180, PAUSE_QUIT_Y = 184;  // (w/2 - 140, 248 - 64)
constexpr int PAUSE_RESUME_X = 320, PAUSE_RESUME_Y = 248;
constexpr int PAUSE_PANEL_X = 320, PAUSE_PANEL_Y = 280;
constexpr int METER_X = 576, METER_TOP = 144;  // the power meter's zone: x 512..640, y 144..336
constexpr int GROUND_Y = 352;

constexpr Rgb SKY = {0, 0, 80};
constexpr Rgb GRASS = {0, 200, 0};

bool same(const Rgb& a, const Rgb& b);

void pause_for(double seconds);
// A press long enough for the game's 60 Hz update to see it.
void click(const XServer& server, const std::string& window, int x, int y);
// Press and release sent together, as `xdotool click` and a touchpad tap send them.
void instant_click(const XServer& server, const std::string& window, int x, int y);
// Press at (x0, y0), move to (x1, y1) in steps, release.
void drag(const XServer& server, const std::string& window, int x0, int y0, int x1, int y1);
// Gives the window the keyboard focus and presses a key (an xdotool key name).
void key(const XServer& server, const std::string& window, const std::string& name);

// The window's own pixels (window coordinates).
Screenshot window_shot(const XServer& server, const std::string& window);
Rgb window_pixel(const XServer& server, const std::string& window, int x, int y);
// Closes the window as a player's close button does; the program must end
// within `timeout` seconds with status 0.
void close_and_expect_zero(const XServer& server, Game& game, double timeout = 5.0);
// Waits for the menu: its blue in the window's corner.
bool wait_for_menu(const XServer& server, const std::string& window, double timeout = 20.0);
// Waits until the window's picture has stopped changing: a slide (the menu's
// or the pause panel's) has come to rest. Nothing else on these screens moves.
bool wait_for_still(const XServer& server, const std::string& window, double timeout = 10.0);
// Waits for the menu and then for its slide-in to come to rest.
bool wait_for_menu_at_rest(const XServer& server, const std::string& window, double timeout = 20.0);
// The play screen at 640 by 480: grass at the bottom left, sky at the top right.
bool play_screen(const XServer& server, const std::string& window);
// The pause panel's veil darkens the sky at the top right.
bool pause_veil(const XServer& server, const std::string& window);

// The state file's fields (the text split at "|", the empty field after the last one dropped).
std::vector<long long> state_fields(const std::string& text);
// True when the text has 98 fields ending in "|" and all five checksums hold;
// otherwise `why` says what is wrong.
bool state_valid(const std::string& text, std::string* why);

// A configuration that sends OpenAL Soft's mix to `wav` (16-bit mono).
std::string capture_config(const WorkDir& dir, const std::string& wav);
// Peak level (0..1) of the captured 16-bit samples from byte offset `from` of
// the data on; the wave backend writes as it mixes, so the file's size marks "now".
double capture_peak(const std::string& wav, long from_data_byte);
long capture_data_bytes(const std::string& wav);

// One course object of a hole: where the course generator puts it.
struct CourseObject {
    int kind;  // 1 target, 2 bonus object
    int x, y;
};
// The objects of a hole, computed from the generator's recurrence (logical units).
std::vector<CourseObject> course(int game_type, int hole, float width, float height);

}  // namespace e2e

#endif
