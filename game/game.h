// bb_Moxelpark_MyApp, the game: its configuration globals, its logical screen
// and its whole state record.
//
// The class is declared here once; its methods are defined across one source
// per area:
//   state.cpp     construction, marking, the update and render hooks (dispatch)
//   drawlist.cpp  display list and drawing helpers, the scale and the replay
//   loader.cpp    create, suspend, resume, reload, the staged loader, sound effects
//   text.cpp      text, buttons, zones and the two text formatters
//   wait.cpp      the wait screen shown while loading
//   course.cpp, play.cpp, controls.cpp, pause.cpp     playing a game
//   menu.cpp, save.cpp, gameover.cpp, badges.cpp, credits.cpp
//   kept.cpp      the game in progress kept in its own file, and resumed
//
// Collector rules: every array is allocated once by the constructor, stored
// with gc_assign and marked by mark(); no method replaces one.
#ifndef MOXEL_GAME_GAME_H
#define MOXEL_GAME_GAME_H

#include <vector>

#include "game/constants.h"
#include "game/replay_text.h"
#include "host/app.h"
#include "runtime/runtime.h"

class bb_graphics_Image;
class bb_audio_Sound;

// Configuration switches (0 in this program; only m_iCade changes iCadeControls).
extern int bb_Moxelpark_DebugMode;
extern int bb_Moxelpark_iCadeControls;
extern int bb_Moxelpark_HasMusic;
extern int bb_Moxelpark_OnScreenControls;
extern int bb_Moxelpark_AccelerometerControls;
// The nominal logical size (never changed) and the visible logical area
// (recomputed by every render).
extern float bb_Moxelpark_rawscrw;
extern float bb_Moxelpark_rawscrh;
extern float bb_Moxelpark_jscrw;
extern float bb_Moxelpark_jscrh;

class bb_Moxelpark_MyApp : public bb_app_App {
  public:
    // Zeroes every scalar and allocates every array (once).
    bb_Moxelpark_MyApp();
    bb_Moxelpark_MyApp* g_new();
    void mark() override;

    // ---- Hooks of bb_app_App (m_OnLoading is not overridden) ----
    int m_OnCreate() override;
    int m_OnUpdate() override;
    int m_OnSuspend() override;
    int m_OnResume() override;
    int m_OnRender() override;
    // Whether the display list, the background or an image slot differs from
    // what the last render drew (the host checks the window's size). drawlist.cpp
    bool m_PictureChanged() override;

    // ---- The game's virtual methods, in their fixed order ----
    // Loads an image (frames at resolution factor 1) into a slot. loader.cpp
    virtual int m_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frameCount, int flags);
    // Background black, resolution factor from the window, logo, loader restarted. loader.cpp
    virtual int m_Reload();
    // Fills settings, badges and scores from the saved state. save.cpp
    virtual int m_Load();
    // Switches iCade input on (1) or off (0). controls.cpp
    virtual int m_iCade(int on);
    // Writes settings, badges and scores to the state. save.cpp
    virtual int m_Save();
    // Whether an action (0, 3, 5, 8, 10 to 13, 99) is held now. controls.cpp
    virtual bool m_PlayKey(int action);
    // Size 1, rotation 0, white, opaque. drawlist.cpp
    virtual int m_ResetDraw();
    // Starts a frame: background (when r is given), draw state reset, list emptied. drawlist.cpp
    virtual int m_CLS2D(float r = OMITTED, float g = OMITTED, float b = OMITTED, float a = OMITTED);
    // Draw size: y defaults to x. drawlist.cpp
    virtual int m_SetSize(float x, float y = OMITTED);
    // Appends an image frame centred on (x, y). drawlist.cpp
    virtual int m_DrawImg(int slot, float x, float y, float frame);
    // Draw alpha. drawlist.cpp
    virtual int m_Alpha(float a);
    // Draw colour; alpha only when given. drawlist.cpp
    virtual int m_SetCol(float r, float g, float b, float a = OMITTED);
    // Appends a filled rectangle. drawlist.cpp
    virtual int m_Rect(float x, float y, float w, float h);
    // Draws an image button and reports 1 while a press lies strictly inside it. text.cpp
    virtual int m_Button(int slot, float x, float y, int frame);
    // Plays an effect on the next of 24 channels. loader.cpp
    virtual int m_PlaySFX(int n, float rate, float volume, float pan);
    // value right-aligned in width characters, padded with pad. text.cpp
    virtual String m_rstr(int value, int width, String pad);
    // Draws text in the bitmap font; ax, ay: 0 start, 1 centre, 2 end. text.cpp
    virtual int m_Text(float x, float y, String text, float ax, float ay);
    // The title menu. menu.cpp
    virtual int m_Menu();
    // Records the finished game's score and saves. gameover.cpp
    virtual int m_LoadMenu();
    // Appends a filled ellipse. drawlist.cpp
    virtual int m_Oval(float x, float y, float rx, float ry);
    // The loader's wait screen; spinner 1 draws the two rings. wait.cpp
    virtual int m_WaitStart(int spinner);
    // Whether any touch that is down lies strictly inside the rectangle. text.cpp
    virtual bool m_MouseIn(float x, float y, float w, float h);
    // Builds hole f_Hole. course.cpp
    virtual int m_GetLevel();
    // One update of play. play.cpp
    virtual int m_Game();
    // The pause panel while open. pause.cpp
    virtual int m_PauseMenu();
    // Pause button and opening by key, after m_Game. pause.cpp
    virtual int m_InGame();
    // Starts a new game. course.cpp
    virtual int m_LoadGame();
    // Ordinal of f_Score in the current type's top ten; the place is left in f_Loop. text.cpp
    virtual String m_MyNth();
    // The game-over overlay and its timer. gameover.cpp
    virtual int m_GameOver();
    // The credits box over the menu. credits.cpp
    virtual int m_CreditBox();
    // "name|detail" of a badge. badges.cpp
    virtual String m_BadgeID(int id);
    virtual String m_BadgeName(int id);
    virtual String m_BadgeDetail(int id);
    // The badges box over the menu. badges.cpp
    virtual int m_BadgesBox();
    // Loads the bitmap font into a slot and makes it the font. loader.cpp
    virtual int m_LoadFont(int slot, String name, int advance, int lineHeight);
    // Loads sfx/NNN.wav into sound slot n. loader.cpp
    virtual int m_LoadSFX(int n);
    // One step of the staged asset loader. loader.cpp
    virtual int m_Loader();
    // m_Button on touch 0 only, without storing the result. text.cpp
    virtual bool m_Button0(int slot, float x, float y, int frame);
    // Advances and draws the badge announcement rows. badges.cpp
    virtual int m_ShowBadges();

    // ---- Steps of the update that belong to the controls (controls.cpp) ----
    // Step 9: reads the character queue into f_LastChar, decoding iCade letters into f_Pad.
    int DecodeICade();
    // Step 11: the on-screen pad, its two action buttons and its drag and pinch.
    int OnScreenPad();
    // Step 12: the tilt indicator and its calibrate button.
    int TiltIndicator();

    // ---- The pause panel (pause.cpp) ----
    // Closes the panel at once, out of sight above the screen, as at start-up.
    void HidePausePanel();

    // ---- Aiming by keys and pad, and the aim's cancel (aim.cpp) ----
    // Turns the golfer, moves and clears the power from the actions; true when
    // the fire action asks for the stroke. Only while aiming, controls live.
    bool AimByKeys();
    // Drops the aim in progress unplayed and uses up whatever is held, as when
    // the window loses the input.
    void DropAim();

    // ---- The hole's caption (caption.cpp) ----
    // Starts "Hole N" for f_Hole; ballsGained >= 0 adds the line that says
    // where the hole's new balls came from.
    void StartHoleCaption(int ballsGained);
    // Draws the caption, fading, after the play screen; it takes no input.
    void DrawHoleCaption();

    // ---- The hole and the logical screen (play.cpp) ----
    // Lays the hole out again in proportion when the logical screen is no
    // longer the one it was laid out for; nothing happens while it still is.
    void FitHoleToScreen();

    // ---- The game in progress, kept (kept.cpp) ----
    // Writes the game in play to the kept game's file.
    void KeepGame();
    // After a play update: keeps the game when a stroke was played, the ball
    // came to rest or dropped, a hole began or the game ended since the last keep.
    void KeepOnChange();
    // Start-up: a kept game becomes the game in play, its pause panel opening;
    // one that cannot be read is reported and set aside. Nothing else changes.
    void ResumeKeptGame();
    // The game's score is in the tables (the game is over): the kept game
    // says so, the state is saved, and the kept game is removed once the
    // state holds the score, so a stop at any moment or a failed save records
    // the score once and never deletes its only copy.
    void RecordKeptGame();
    // After every save of the state: an ended game's kept file goes once the
    // state holding its score was saved.
    void SettleKeptGame(bool stateSaved);

    // ---- Replays (replay.cpp) ----
    // Plays `replay`'s game from the next update on, from its events alone:
    // the player's input does not reach the play, and nothing is recorded,
    // kept or saved. It is drawn on its own screen, letterboxed in the window.
    void WatchReplay(const Replay& replay);
    bool Watching() const { return watching_; }
    const Replay& WatchedReplay() const { return watched_; }
    // The score the last watched game reached; -1 while it plays.
    int WatchedScore() const { return watchedScore_; }
    // The last game played from its start to its end.
    const Replay& LastReplay() const { return lastReplay_; }
    // Hooks of play: a game begins; an update of play begins (the screen it
    // is laid out on); a stroke is played; the player quits; the game ends.
    void BeginReplay();
    // The game in play as recorded so far, for the kept game; and taken back
    // from it, with the updates of play it had run.
    std::string RecordingText() const;
    void ResumeRecording(const std::string& text, int32_t playUpdate);
    void ReplayUpdate();
    bool ReplayStroke();
    void RecordStroke();
    void RecordQuit();
    void ReplayQuit();
    // Updates of play this update runs: 1, more while a watched game is
    // played faster or skips to its next stroke.
    int ReplayPasses();
    // True when the game that ended was watched (its score goes nowhere).
    bool EndReplay();
    // The player leaves a watched game for the menu (back, Escape, the
    // pause button, a pad's Start).
    void LeaveReplay();
    // What a watched game shows over it: that it is a replay and whose score,
    // how to play it faster, and the control that skips to the next stroke;
    // at an end held on another score, the words that say so. True when the
    // player leaves that end.
    bool DrawReplayControls();
    // A watched game that reaches another score than its own (a replay from
    // another version) holds its end, so the player can read why: true, and
    // the score it reached is known.
    bool HoldWatchedEnd();
    void SkipToNextStroke();
    // The replays behind the tables follow a score into them (at `place` in
    // the top ten, -1 for none, and first in the last ten) and are saved.
    void RecordReplay(int place);
    // Start-up: the replays behind the tables, those that match them.
    void LoadReplays();
    // The game behind a table's entry (rank 0 to 9 of the type's top or last
    // ten), or false when none is kept for it.
    bool ReplayBehind(int type, bool last, int rank, Replay* replay) const;
    bool HasReplayBehind(int type, bool last, int rank) const;

    // ---- Parts of the render (drawlist.cpp) ----
    // The scale for a window of width by height pixels: f_ScaleX, f_ScaleY,
    // f_ScaleAxis, f_Landscape, the logical area and, for the menu's held
    // shape, its offset in the window. A window without area keeps the
    // previous scale.
    void ComputeScale(int width, int height);
    // Lays the screens out from now on on the menu's held shape (true) or on
    // the whole window (false), rescaling at once when that changes.
    void HoldMenuShape(bool held);
    // Background fill, window-size check, scale and replay of the display list.
    void RenderFrame();

    // ---- Image info (loader.cpp) ----
    // Entry `which` (IMAGE_INFO_*) of a slot's frame info; slot 0's for a slot
    // out of range, as the font and button metrics read it.
    int ImageInfo(int slot, int which) const;

    // ---- The state record ----
    // Every scalar starts at 0.

    // ---- Mode, timing and input ----
    int f_GameMode = 0;      // current mode (MODE_*); MODE_MENU from m_OnCreate on
    int f_Loop = 0;          // shared loop counter of touches, pad buttons, objects, list entries
    int f_UpdateLastMs = 0;  // time of the previous update, ms
    int f_UpdateFps = 0;     // updates per second measured at the last update
    int f_UpdateFpsAvg = 0;  // running average of f_UpdateFps
    int f_RenderLastMs = 0;  // time of the previous render, ms
    int f_RenderFps = 0;     // renders per second measured at the last render
    int f_RenderFpsAvg = 0;  // running average; what the debug readout shows
    int f_MouseX = 0;        // pointer position in logical units, sampled each update
    int f_MouseY = 0;
    int f_OldMouseX = 0;  // pointer position of the previous update (current one on a fresh press)
    int f_OldMouseY = 0;
    int f_MouseWasDown = 0;  // left button state at the end of the previous update
    int f_PointerDown = 0;   // 1 while the left button or any touch is down
    int f_PointerHit = 0;    // 1 in the update in which the left button went down
    Array<int> f_TouchDown;  // [TOUCH_POINTS] down flag per touch point
    Array<int> f_TouchX;     // [TOUCH_POINTS] logical position; TOUCH_UP while up
    Array<int> f_TouchY;     // [TOUCH_POINTS]
    int f_PointerUsed = 0;   // a control has acted on the current press; cleared when nothing is pressed
    int f_KeyUsed = 0;       // the same for the actions of m_PlayKey
    int f_LastChar = 0;      // last character read while decoding iCade letters
    Array<int> f_Pad;        // [PAD_ENTRIES] virtual pad: 0 released, 1 on-screen press, 2 iCade hold
    Array<int> f_Settings;   // [SETTINGS_COUNT] saved settings (SETTING_*)
    int f_PadX = 0;          // on-screen pad centre for this update
    int f_PadY = 0;
    float f_PadScale = 0.0f;  // on-screen pad scale, settings[12] / 10
    int f_PinchStep = 0;      // two-finger resize of the on-screen pad
    int f_Pinching = 0;
    float f_AccelZeroX = 0.0f;  // accelerometer readings taken as level
    float f_AccelZeroY = 0.0f;
    float f_TiltX = 0.0f;  // tilt relative to the calibration
    float f_TiltY = 0.0f;
    float f_TiltSmoothX = 0.0f;  // smoothed tilt shown by the indicator
    float f_TiltSmoothY = 0.0f;
    int f_ShowCredits = 0;  // the credits box is open over the menu
    int f_ShowBadges = 0;   // the badges box is open over the menu

    // ---- Play ----
    int f_GameType = 0;    // 1 to 3, chosen in the menu (2 by default)
    int f_Hole = 0;        // current hole, from 1
    int f_Balls = 0;       // balls left; each stroke uses one
    int f_Score = 0;       // score of the game under way
    int f_ShownScore = 0;  // displayed score, easing toward f_Score
    int f_GameOver = 0;    // 1 once the game has ended
    int f_BallState = 0;   // BALL_AIMING, BALL_MOVING or BALL_IN_CUP
    float f_BallX = 0.0f;  // ball centre
    float f_BallY = 0.0f;
    float f_BallVX = 0.0f;  // ball velocity per update; y grows downward
    float f_BallVY = 0.0f;
    float f_HeroX = 0.0f;  // where the ball lay when the stroke was played
    float f_HeroY = 0.0f;
    int f_Facing = 0;          // 1 right, -1 left
    float f_Power = 0.0f;      // power being set on the meter, 0 to 192
    int f_MeterPress = 0;      // the current press began on the meter, which keeps it until release
    int f_KeyAim = 0;          // the power was set last by keys or pad: played by fire, not by a release
    int f_PowerKeyTime = 0;    // updates up or down has been held while aiming; 0 when neither
    int f_CaptionHole = 0;     // hole the caption was started for; 0 for none in this game
    int f_CaptionTime = 0;     // updates left of the hole's caption
    float f_ShotPower = 0.0f;  // power of the last stroke
    int f_Combo = 0;           // objects hit by the current stroke
    float f_CupX = 0.0f;       // cup centre x
    int f_InCup = 0;           // ball lies in the cup; also the previous pinch step of the pad resize
    int f_HoledTimer = 0;      // updates since the ball dropped into the cup
    Array<float> f_Objects;    // [OBJECT_FLOATS] 10 floats per object, entries 1 to 100
    int f_ObjectCount = 0;     // objects placed on this hole
    int f_Tries = 0;           // placement attempts left for the object being placed
    int f_Index = 0;           // scratch: object or trajectory dot being processed
    int f_Frame = 0;           // scratch: frame of the thing being drawn
    int f_PosX = 0;            // scratch: position of the thing being drawn or placed
    int f_PosY = 0;            // scratch; also counts the power meter's bars
    int f_Paused = 0;          // pause panel shown (sliding included)
    int f_PauseSlide = 0;      // 1 sliding in, -1 sliding out
    int f_PauseY = 0;          // y of the panel's centre line; PAUSE_HIDDEN_Y when hidden
    int f_PauseChoice = 0;     // -1 quit, 0 resume, 1 sound
    int f_Spin = 0;            // wait screen spinner angle, degrees
    int f_WaitSide = 0;        // scratch of the wait screen: the shorter logical side
    float f_HoleWidth = 0.0f;  // logical screen the hole is laid out for; 0 before the first hole
    float f_HoleHeight = 0.0f;

    // ---- Screen scaling and the display list ----
    float f_ScaleX = 0.0f;  // device pixels per logical unit (equal after a render)
    float f_ScaleY = 0.0f;
    int f_ScaleAxis = 0;    // 1 width decided the scale, 2 height; scratch target count in play
    int f_Landscape = 0;    // logical width at least the logical height
    int f_DeviceWidth = 0;  // window size seen at the previous render
    int f_DeviceHeight = 0;
    float f_SizeX = 0.0f;  // draw size (image scale factor), default 1
    float f_SizeY = 0.0f;
    float f_Rotation = 0.0f;  // draw rotation, degrees
    float f_ColRed = 0.0f;    // draw colour 0 to 255 and alpha 0 to 1
    float f_ColGreen = 0.0f;
    float f_ColBlue = 0.0f;
    float f_ColAlpha = 0.0f;
    float f_ClsRed = 0.0f;  // background colour and alpha
    float f_ClsGreen = 0.0f;
    float f_ClsBlue = 0.0f;
    float f_ClsAlpha = 0.0f;
    Array<float> f_DrawList;  // [DRAW_LIST_FLOATS] entries of DRAW_ENTRY_FLOATS
    int f_DrawCount = 0;      // floats in use; a multiple of 15
    // The menu's held shape: the logical area within MENU_ASPECT_MIN to
    // MENU_ASPECT_MAX, centred in the window; play always has the whole window.
    int f_HeldShape = 0;      // 1 while the logical area is the menu's held shape
    int f_ListHeldShape = 0;  // f_HeldShape when the display list's frame began
    float f_OffsetX = 0.0f;   // window pixels from the window's corner to the logical area's
    float f_OffsetY = 0.0f;

    // ---- Text and buttons ----
    int f_ButtonHit = 0;  // result of the last m_Button
    int f_FontSlot = 0;   // image slot of the bitmap font

    // ---- Assets and sounds ----
    Array<bb_graphics_Image*> f_Images;  // [IMAGE_SLOTS]
    Array<int> f_ImageInfo;              // [IMAGE_SLOTS * 3] frame width, height (pixels of the file), count
    int f_HiRes = 0;                     // resolution factor of the image files: 1, 2 or 4
    float f_ImageScale = 0.0f;           // 1 / f_HiRes, applied at replay
    int f_LoadStep = 0;                  // next loader step; 0 when not loading
    Array<bb_audio_Sound*> f_Sounds;     // [SOUND_SLOTS]
    int f_SfxChannel = 0;                // index 0 to 23 of the channel of the last effect
    Array<int> f_ChannelMap;             // [CHANNEL_MAP_SIZE] channel index to device channel (identity)

    // ---- Menu ----
    int f_MenuSlide = 0;        // slide-in counter: -32 during play, up to 0 on the menu
    float f_PanelWidth = 0.0f;  // width of the menu's score panel

    // ---- Game over and highscores ----
    int f_GameOverTime = 0;   // overlay timer in updates; 0 no overlay
    Array<int> f_HighScores;  // [HIGHSCORE_COUNT] top tens at 0, 10, 20; last tens at 30, 40, 50

    // ---- Badges ----
    Array<bool> f_BadgeFlags;    // [BADGE_FLAGS] earned flags
    Array<int> f_BadgeQueue;     // [BADGE_ROWS] badge id of each notification row
    Array<int> f_BadgeTimer;     // [BADGE_ROWS] row timer in updates; 0 idle
    float f_BadgeScroll = 0.0f;  // badges box scrolling
    float f_BadgeScrollTo = 0.0f;
    int f_BadgeSel = 0;  // selected badge, -1 none

  private:
    Replay recording_;   // the game in play, as it goes
    Replay lastReplay_;  // the last game played to its end
    Replay watched_;     // the game being watched
    // The replays' texts behind each type's top ten and last ten; empty for
    // a score played before replays were kept, or resumed from a kept game
    // without its recording.
    std::string tableReplays_[GAME_TYPES][2][TABLE_LENGTH];
    size_t nextEvent_ = 0;
    bool watching_ = false;
    int watchedScore_ = -1;
    int menuPick_ = -1;           // the menu's score picked by keys (menu.cpp)
    int32_t playUpdate_ = 0;      // updates of play since the game began
    int seedBeforeWatching_ = 0;  // the generator's state, given back after
    int32_t skipTo_ = 0;          // a watched game runs on to this update of play
    // The screen the recorded or watched game is laid out on now.
    float replayWidth_ = 0.0f;
    float replayHeight_ = 0.0f;
    // The watched game's screen becomes width by height.
    void WatchShape(float width, float height);
    // Adds an event at this update of play to the game being recorded.
    void RecordEvent(ReplayEvent e);

    // A text made from one number, rebuilt only when the number changes, so
    // that the play screen allocates nothing in an update where nothing changed.
    struct NumberText {
        String text;
        int value = 0;
        bool built = false;
    };
    NumberText ballsText_;      // " " and the balls left
    NumberText scoreText_;      // the shown score in eight digits
    NumberText replayCaption_;  // a watched game's caption, by its score
    String replayHint_[2];      // and the lines on the grass
    String captionText_;        // "Hole N"
    String captionLine_;        // where the new balls came from; empty on hole 1

    // The meter as the aiming step left it, drawn over the golfer once the
    // rest of the hole is drawn.
    struct MeterView {
        bool shown = false;
        float firstBarPower = 0.0f;  // the stroke's update still shows its first bar lit
        float power = 0.0f;
        bool path = false;  // the predicted path is shown
        float pathX = 0.0f, pathY = 0.0f;
        int pathFacing = 1;
    };
    MeterView meter_;
    void DrawMeter();

    // What the last keep saw; a play update that changes it keeps the game again.
    struct KeptMoment {
        int ballState = -1;
        int gameOver = -1;
        int hole = -1;
        bool operator==(const KeptMoment& o) const {
            return ballState == o.ballState && gameOver == o.gameOver && hole == o.hole;
        }
    };
    KeptMoment keptMoment_;
    // The kept file still stands for a game whose score is in the tables: it
    // goes at the next state save that succeeds, and no new game is kept
    // over it before then.
    bool keptUnsettled_ = false;
    KeptMoment MomentNow() const { return {f_BallState, f_GameOver, f_Hole}; }

    // What the last render drew, beside its window size: the render is a
    // function of these alone. Images are compared by address, never
    // dereferenced; one that is replaced has its surface uploaded anew, which
    // the graphics device sees.
    struct DrawnPicture {
        std::vector<float> list;  // the used part of the display list
        float cls[4] = {0, 0, 0, 0};
        float imageScale = 0.0f;
        int heldShape = 0;
        std::vector<const void*> images;  // [IMAGE_SLOTS]
        bool drawn = false;
    };
    DrawnPicture drawn_;

    // The display list's append: false (and nothing written) when the list is full.
    bool AppendEntry(float kind, float x, float y, float w, float h, float frame);
    // Resolution factor and image scale from the graphics device's size.
    void ChooseResolution();
    // The file name of an image in the current resolution variant.
    String ImageFileName(const String& name) const;
    // Plays back the display list at scale s from (ox, oy) in the window.
    void ReplayDrawList(float s, float ox, float oy);
    // Keeps what this render drew, for m_PictureChanged.
    void RememberPicture();
};

#endif
