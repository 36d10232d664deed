// The game's action layer and its optional controls: m_PlayKey over keys,
// joystick, iCade cabinet and on-screen pad; m_iCade and the decoding of the
// cabinet's letters (update step 9); the on-screen pad with its drag and pinch
// (step 11) and the tilt indicator (step 12).
//
// The pad and the indicator are drawn only in a build whose configuration
// switches bb_Moxelpark_OnScreenControls and bb_Moxelpark_AccelerometerControls
// are on; in this program the live inputs are the pointer, the keyboard, the
// joystick and the iCade cabinet.
#include "game/game.h"
#include "input/input.h"

namespace {

// ---- Keys (the input device's codes) ----
constexpr int KEY_W = 87, KEY_A = 65, KEY_D = 68, KEY_S = 83;
constexpr int KEY_Z = 90, KEY_J = 74, KEY_X = 88, KEY_K = 75;
constexpr int KEY_C = 67, KEY_L = 76, KEY_V = 86, KEY_I = 73;
// Joystick 1's buttons 0 to 11.
constexpr int JOY_BUTTON_0 = KEY_JOY0_A;
constexpr int JOY_BUTTON_1 = KEY_JOY0_A + 1;
constexpr int JOY_BUTTON_2 = KEY_JOY0_A + 2;
constexpr int JOY_BUTTON_3 = KEY_JOY0_A + 3;
constexpr int JOY_BUTTON_6 = KEY_JOY0_A + 6;
constexpr int JOY_BUTTON_7 = KEY_JOY0_A + 7;
constexpr int JOY_BUTTON_8 = KEY_JOY0_A + 8;
constexpr int JOY_BUTTON_9 = KEY_JOY0_A + 9;
constexpr int JOY_BUTTON_10 = KEY_JOY0_A + 10;
constexpr int JOY_BUTTON_11 = KEY_JOY0_A + 11;
// The main stick counts once it leans this far.
constexpr float STICK_THRESHOLD = 0.4f;

// ---- iCade letters: entry of f_Pad, press letter, release letter ----
// Entries the cabinet sets that no action reads.
constexpr int PAD_SPARE_A = 14;
constexpr int PAD_SPARE_B = 15;
struct ICadeLetters {
    int entry;
    char press;
    char release;
};
constexpr ICadeLetters ICADE_LETTERS[] = {
    {ACTION_UP, 'W', 'E'},     {ACTION_LEFT, 'A', 'Q'},    {ACTION_RIGHT, 'D', 'C'},
    {ACTION_DOWN, 'X', 'Z'},   {ACTION_CONFIRM, 'H', 'R'}, {ACTION_FACE_B, 'J', 'N'},
    {ACTION_FACE_X, 'K', 'P'}, {ACTION_FACE_Y, 'Y', 'T'},  {PAD_SPARE_A, 'U', 'F'},
    {PAD_SPARE_B, 'I', 'M'},   {PAD_BACK_A, 'O', 'G'},     {PAD_BACK_B, 'L', 'V'},
};
constexpr int LOWER_CASE_OFFSET = 'a' - 'A';

// Whether a typed character is the letter, in either case.
bool is_letter(int chr, char upper) {
    return chr == upper || chr == upper + LOWER_CASE_OFFSET;
}

// ---- On-screen pad ----
constexpr int PAD_EDGE = 32;            // the pad's centre stays this far inside the screen
constexpr float PAD_SIZE_UNIT = 10.0f;  // the saved size is in tenths
constexpr float PAD_ARROW_OFFSET = 32.0f;
constexpr float PAD_DRAG_SIZE = 3.0f;
constexpr int PINCH_UNIT = 16;  // logical units of finger spread per tenth of size
constexpr float ACTION_BUTTON_SIZE = 1.5f;
constexpr float ACTION_BUTTON_OFFSET = 24.0f;
// Frames of the "common/dpad" sheet.
constexpr int FRAME_PAD_UP = 1;
constexpr int FRAME_PAD_LEFT = 4;
constexpr int FRAME_PAD_CENTRE = 5;
constexpr int FRAME_PAD_RIGHT = 6;
constexpr int FRAME_PAD_DOWN = 9;
constexpr int FRAME_PAD_BUTTON = 0;

// ---- Tilt indicator ----
constexpr float TILT_SMOOTHING = 0.25f;
constexpr float TILT_SNAP = 0.005f;
constexpr float TILT_BUTTON_INSET = 24.0f;  // the calibrate button's centre from the bottom-left corner
constexpr float TILT_DOT_TRAVEL = 20.0f;
constexpr float TILT_DOT_RADIUS = 4.0f;

// Moves a smoothed value a quarter of the way to its target; snaps when close.
float smooth(float value, float target) {
    value -= (value - target) * TILT_SMOOTHING;
    float d = value - target;
    if (d <= TILT_SNAP && -d <= TILT_SNAP) value = target;
    return value;
}

int abs_int(int v) {
    return v < 0 ? -v : v;
}

}  // namespace

// ---- Actions ----

bool bb_Moxelpark_MyApp::m_PlayKey(int action) {
    // NOTE: a cabinet types letters that mean something else, so in iCade
    // mode the letter keys are skipped; any other flag value leaves only back.
    int icade = bb_Moxelpark_iCadeControls;
    if (icade != 0 && icade != 1 && action != ACTION_BACK) return false;
    bool letters = icade == 0;
    auto key = [](int code) { return bb_input_KeyDown(code) != 0; };
    switch (action) {
        case ACTION_UP:
            return key(KEY_UP) || (letters && key(KEY_W)) || key(JOY_BUTTON_9) ||
                   bb_input_JoyY(0) < -STICK_THRESHOLD || f_Pad[ACTION_UP] != 0;
        case ACTION_LEFT:
            return key(KEY_LEFT) || (letters && key(KEY_A)) || key(JOY_BUTTON_8) ||
                   bb_input_JoyX(0) < -STICK_THRESHOLD || f_Pad[ACTION_LEFT] != 0;
        case ACTION_RIGHT:
            return key(KEY_RIGHT) || (letters && key(KEY_D)) || key(JOY_BUTTON_10) ||
                   bb_input_JoyX(0) > STICK_THRESHOLD || f_Pad[ACTION_RIGHT] != 0;
        case ACTION_DOWN:
            return key(KEY_DOWN) || (letters && key(KEY_S)) || key(JOY_BUTTON_11) ||
                   bb_input_JoyY(0) > STICK_THRESHOLD || f_Pad[ACTION_DOWN] != 0;
        case ACTION_CONFIRM:
            return (letters && (key(KEY_Z) || key(KEY_J))) || key(KEY_SPACE) || key(KEY_ENTER) ||
                   key(JOY_BUTTON_0) || f_Pad[ACTION_CONFIRM] != 0;
        case ACTION_FACE_B:
            return (letters && (key(KEY_X) || key(KEY_K))) || key(KEY_CONTROL) || key(JOY_BUTTON_1) ||
                   f_Pad[ACTION_FACE_B] != 0;
        case ACTION_FACE_X:
            return (letters && (key(KEY_C) || key(KEY_L))) || key(KEY_SHIFT) || key(JOY_BUTTON_2) ||
                   f_Pad[ACTION_FACE_X] != 0;
        case ACTION_FACE_Y:
            return (letters && (key(KEY_V) || key(KEY_I))) || key(JOY_BUTTON_3) || f_Pad[ACTION_FACE_Y] != 0;
        case ACTION_SCORES:
            return key(KEY_TAB) || key(JOY_BUTTON_6);
        case ACTION_BACK:
            return key(KEY_ESCAPE) || key(KEY_DELETE) || key(KEY_BACKSPACE) || key(JOY_BUTTON_7) ||
                   f_Pad[PAD_BACK_A] != 0 || f_Pad[PAD_BACK_B] != 0;
        default:
            return false;
    }
}

// ---- iCade ----

int bb_Moxelpark_MyApp::m_iCade(int on) {
    if (on == 1) {
        bb_input_EnableKeyboard();
        bb_Moxelpark_iCadeControls = 1;
        // Whatever was typed before the switch is not the cabinet's.
        do {
            f_LastChar = bb_input_GetChar();
        } while (f_LastChar != 0);
    } else if (on == 0) {
        bb_input_DisableKeyboard();
        bb_Moxelpark_iCadeControls = 0;
        for (int i = 0; i < PAD_ENTRIES; ++i) f_Pad[i] = PAD_RELEASED;
    }
    return 0;
}

int bb_Moxelpark_MyApp::DecodeICade() {
    // Every letter belongs to one entry only; anything else is ignored.
    for (f_LastChar = bb_input_GetChar(); f_LastChar >= 1; f_LastChar = bb_input_GetChar()) {
        for (const ICadeLetters& l : ICADE_LETTERS) {
            if (is_letter(f_LastChar, l.press)) f_Pad[l.entry] = PAD_HELD;
            if (is_letter(f_LastChar, l.release)) f_Pad[l.entry] = PAD_RELEASED;
        }
    }
    return 0;
}

// ---- On-screen pad ----

int bb_Moxelpark_MyApp::OnScreenPad() {
    // 1. Keep the saved place on screen and the size within bounds.
    int maxX = static_cast<int>(bb_Moxelpark_jscrw - static_cast<float>(PAD_EDGE));
    int maxY = static_cast<int>(bb_Moxelpark_jscrh - static_cast<float>(PAD_EDGE));
    if (f_Settings[SETTING_PAD_X] < PAD_EDGE) f_Settings[SETTING_PAD_X] = PAD_EDGE;
    if (f_Settings[SETTING_PAD_X] > maxX) f_Settings[SETTING_PAD_X] = maxX;
    if (f_Settings[SETTING_PAD_Y] < PAD_EDGE) f_Settings[SETTING_PAD_Y] = PAD_EDGE;
    if (f_Settings[SETTING_PAD_Y] > maxY) f_Settings[SETTING_PAD_Y] = maxY;
    if (f_Settings[SETTING_PAD_SIZE] < PAD_SIZE_MIN) f_Settings[SETTING_PAD_SIZE] = PAD_SIZE_MIN;
    if (f_Settings[SETTING_PAD_SIZE] > PAD_SIZE_MAX) f_Settings[SETTING_PAD_SIZE] = PAD_SIZE_MAX;

    // 2. The pad's centre and scale in logical units.
    f_PadX = f_Settings[SETTING_PAD_X];
    f_PadY = static_cast<int>(bb_Moxelpark_jscrh - static_cast<float>(f_Settings[SETTING_PAD_Y]));
    f_PadScale = static_cast<float>(f_Settings[SETTING_PAD_SIZE]) / PAD_SIZE_UNIT;
    float x = static_cast<float>(f_PadX), y = static_cast<float>(f_PadY);

    // 3. The arrows act only while the pause panel is closed.
    m_ResetDraw();
    m_SetCol(WHITE, WHITE, WHITE, 0.6f);
    m_SetSize(f_PadScale);
    float d = PAD_ARROW_OFFSET * f_PadScale;
    struct Arrow {
        float x, y;
        int frame, entry;
    } const arrows[] = {{x - d, y, FRAME_PAD_LEFT, ACTION_LEFT},
                        {x, y - d, FRAME_PAD_UP, ACTION_UP},
                        {x, y + d, FRAME_PAD_DOWN, ACTION_DOWN},
                        {x + d, y, FRAME_PAD_RIGHT, ACTION_RIGHT}};
    for (const Arrow& a : arrows) {
        if (m_Button(SLOT_DPAD, a.x, a.y, a.frame) != 0 && f_Paused == 0) f_Pad[a.entry] = PAD_TOUCHED;
    }
    m_DrawImg(SLOT_DPAD, x, y, static_cast<float>(FRAME_PAD_CENTRE));

    // 4. While paused the pad can be dragged by its centre and resized by a pinch.
    if (f_Paused >= 1) {
        // The cup flag means nothing while the panel is open, so it keeps the
        // pinch's previous step.
        int& previousPinchStep = f_InCup;
        m_SetSize(PAD_DRAG_SIZE);
        bool secondUp = f_TouchDown[1] == 0;
        if (m_Button0(SLOT_DPAD, x, y, FRAME_PAD_BUTTON) && secondUp) {
            f_Settings[SETTING_PAD_X] = f_TouchX[0];
            f_Settings[SETTING_PAD_Y] =
                static_cast<int>(bb_Moxelpark_jscrh - static_cast<float>(f_TouchY[0]));
        }
        if (secondUp) {
            f_Pinching = 0;
            previousPinchStep = 0;
        }
        if (f_TouchDown[0] != 0 && f_TouchDown[1] != 0) {
            f_PinchStep = -(abs_int(f_TouchX[0] - f_TouchX[1]) / PINCH_UNIT);
            if (f_Pinching == 1) f_Settings[SETTING_PAD_SIZE] += previousPinchStep - f_PinchStep;
            previousPinchStep = f_PinchStep;
            f_Pinching = 1;
        }
    }

    // 5. The two action buttons, mirrored on the right; they act even while paused.
    m_SetSize(f_PadScale * ACTION_BUTTON_SIZE);
    float h = ACTION_BUTTON_OFFSET * f_PadScale;
    if (m_Button(SLOT_DPAD, bb_Moxelpark_jscrw - (x - h), y - h, FRAME_PAD_BUTTON) != 0)
        f_Pad[ACTION_CONFIRM] = PAD_TOUCHED;
    if (m_Button(SLOT_DPAD, bb_Moxelpark_jscrw - (x + h), y + h, FRAME_PAD_BUTTON) != 0)
        f_Pad[ACTION_FACE_B] = PAD_TOUCHED;
    return 0;
}

// ---- Tilt indicator ----

int bb_Moxelpark_MyApp::TiltIndicator() {
    // 1, 2. Draw state, and the reading relative to the calibrated level.
    m_ResetDraw();
    m_SetSize(1.5f);
    m_SetCol(WHITE, WHITE, WHITE, 0.8f);
    f_TiltX = bb_input_AccelX() - f_AccelZeroX;
    f_TiltY = bb_input_AccelY() - f_AccelZeroY;
    // 3. The dot eases a quarter of the way toward the reading.
    f_TiltSmoothX = smooth(f_TiltSmoothX, f_TiltX);
    f_TiltSmoothY = smooth(f_TiltSmoothY, f_TiltY);
    // 4. Holding the calibrate button takes the present reading as level.
    float buttonY = bb_Moxelpark_jscrh - TILT_BUTTON_INSET;
    if (m_Button(SLOT_ICONS, TILT_BUTTON_INSET, buttonY, ICON_CALIBRATE) != 0) {
        f_AccelZeroX = bb_input_AccelX();
        f_AccelZeroY = bb_input_AccelY();
    }
    // 5. A green dot over the button shows the tilt; it drives nothing else.
    m_SetCol(100.0f, 255.0f, 100.0f, 0.6f);
    m_SetSize(1.0f);
    m_Oval(TILT_BUTTON_INSET + TILT_DOT_TRAVEL * f_TiltSmoothX, buttonY + TILT_DOT_TRAVEL * f_TiltSmoothY,
           TILT_DOT_RADIUS, TILT_DOT_RADIUS);
    return 0;
}
