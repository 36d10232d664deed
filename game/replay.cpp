// Every game recorded as it is played, and a recorded game played again.
//
// Recording follows the play update by update: the screen the hole is laid
// out on whenever it changes, each stroke's facing and power, a quit. A
// watched game takes those from its replay at the same updates of play, and
// everything else follows from the game's own rules exactly as it did, so it
// strikes, scores and ends as it did.
#include <algorithm>
#include <cmath>

#include "audio/random.h"
#include "game/game.h"

namespace {

// What a watched game shows: a caption beside the pause button (which leads
// back to the menu), a hint on the grass, and the control that skips to the
// next stroke in the top right corner, big enough for a finger. The font's
// own size keeps its pixels whole.
constexpr float REPLAY_TEXT_SIZE = 1.0f;
constexpr float REPLAY_CAPTION_X = 36.0f;
constexpr float REPLAY_CAPTION_Y = 16.0f;
constexpr float REPLAY_TEXT_ALPHA = 0.9f;
constexpr float REPLAY_HINT_FROM_BOTTOM = 16.0f;
constexpr float REPLAY_HINT_LINE = 14.0f;
constexpr float REPLAY_HINT_MARGIN = 8.0f;
constexpr const char* REPLAY_HINT = "Hold to play faster";
constexpr const char* REPLAY_SKIP_WORDS = "Next stroke >";
constexpr float REPLAY_SKIP_WIDTH = 112.0f;
constexpr float REPLAY_SKIP_HEIGHT = 32.0f;
constexpr float REPLAY_SKIP_ALPHA = 0.35f;
// Held (a press, a finger, the fire key), a watched game plays this many
// times as fast; a skip to the next stroke runs at most this many updates of
// play in one (a minute of play), and on in the next.
constexpr int REPLAY_FAST_PASSES = 4;
constexpr int32_t REPLAY_SKIP_PASSES_MAX = 3600;

// The event due at this update of play, of this kind, or null. Events left
// behind by an update they could not act in (a damaged replay) are passed over.
const ReplayEvent* due(const Replay& r, size_t* next, int32_t update, ReplayEventKind kind) {
    while (*next < r.events.size() && r.events[*next].update < update) ++*next;
    if (*next >= r.events.size()) return nullptr;
    const ReplayEvent& e = r.events[*next];
    if (e.update != update || e.kind != kind) return nullptr;
    ++*next;
    return &e;
}

}  // namespace

void bb_Moxelpark_MyApp::WatchReplay(const Replay& replay) {
    // The generator goes on afterwards as if nothing had been watched.
    if (!watching_) seedBeforeWatching_ = bb_random_Seed;
    watched_ = replay;
    watching_ = true;
    nextEvent_ = 0;
    skipTo_ = 0;
    watchedScore_ = -1;
    replayCaption_.built = false;
    f_GameType = replay.gameType;
    bb_random_Seed = replay.seed;
    f_GameMode = MODE_PLAY_LOAD;
    WatchShape(replay.width, replay.height);
}

void bb_Moxelpark_MyApp::WatchShape(float width, float height) {
    replayWidth_ = width;
    replayHeight_ = height;
    // Without a window (a replay checked by a tool) there is no scale to fit.
    bb_Moxelpark_jscrw = width;
    bb_Moxelpark_jscrh = height;
    ComputeScale(f_DeviceWidth, f_DeviceHeight);
}

void bb_Moxelpark_MyApp::BeginReplay() {
    playUpdate_ = 0;
    if (watching_) return;
    recording_ = Replay();
    recording_.gameType = f_GameType;
    recording_.seed = bb_random_Seed;
    recording_.width = replayWidth_ = bb_Moxelpark_jscrw;
    recording_.height = replayHeight_ = bb_Moxelpark_jscrh;
}

void bb_Moxelpark_MyApp::RecordEvent(ReplayEvent e) {
    // A game resumed from a file that had no recording was not recorded
    // from its start: nothing to add to.
    if (watching_ || recording_.gameType == 0) return;
    // No game strokes this often; a replay missing an event would play
    // another game, so a game beyond this leaves none.
    if (recording_.events.size() >= static_cast<size_t>(REPLAY_EVENTS_MAX)) {
        recording_ = Replay();
        return;
    }
    e.update = playUpdate_;
    recording_.events.push_back(e);
}

std::string bb_Moxelpark_MyApp::RecordingText() const {
    return watching_ || recording_.gameType == 0 ? std::string() : EncodeReplay(recording_);
}

void bb_Moxelpark_MyApp::ResumeRecording(const std::string& text, int32_t playUpdate) {
    recording_ = Replay();
    playUpdate_ = playUpdate;
    Replay r;
    std::string why;
    // Anything but this game's own recording so far is no recording of it.
    if (text.empty() || !DecodeReplay(text, &r, &why) || r.gameType != f_GameType ||
        (!r.events.empty() && r.events.back().update > playUpdate))
        return;
    recording_ = r;
    replayWidth_ = r.width;
    replayHeight_ = r.height;
    for (const ReplayEvent& e : r.events) {
        if (e.kind != ReplayEventKind::SHAPE) continue;
        replayWidth_ = e.width;
        replayHeight_ = e.height;
    }
}

void bb_Moxelpark_MyApp::ReplayUpdate() {
    ++playUpdate_;
    if (watching_) {
        if (const ReplayEvent* e = due(watched_, &nextEvent_, playUpdate_, ReplayEventKind::SHAPE))
            WatchShape(e->width, e->height);
        return;
    }
    if (bb_Moxelpark_jscrw == replayWidth_ && bb_Moxelpark_jscrh == replayHeight_) return;
    replayWidth_ = bb_Moxelpark_jscrw;
    replayHeight_ = bb_Moxelpark_jscrh;
    ReplayEvent e;
    e.kind = ReplayEventKind::SHAPE;
    e.width = replayWidth_;
    e.height = replayHeight_;
    RecordEvent(e);
}

bool bb_Moxelpark_MyApp::ReplayStroke() {
    const ReplayEvent* e = due(watched_, &nextEvent_, playUpdate_, ReplayEventKind::STROKE);
    if (!e) return false;
    f_Facing = e->facing;
    f_Power = e->power;
    return true;
}

void bb_Moxelpark_MyApp::RecordStroke() {
    ReplayEvent e;
    e.kind = ReplayEventKind::STROKE;
    e.facing = f_Facing;
    e.power = f_Power;
    RecordEvent(e);
}

void bb_Moxelpark_MyApp::RecordQuit() {
    ReplayEvent e;
    e.kind = ReplayEventKind::QUIT;
    RecordEvent(e);
}

void bb_Moxelpark_MyApp::ReplayQuit() {
    if (watching_ && due(watched_, &nextEvent_, playUpdate_, ReplayEventKind::QUIT)) f_GameOver = 1;
}

bool bb_Moxelpark_MyApp::EndReplay() {
    if (watching_) {
        watchedScore_ = f_Score;
        watching_ = false;
        bb_random_Seed = seedBeforeWatching_;
        return true;
    }
    // A game resumed from a kept game that held no recording leaves no
    // replay (and never another game's).
    lastReplay_ = recording_;
    lastReplay_.score = f_Score;
    recording_ = Replay();
    return false;
}

void bb_Moxelpark_MyApp::LeaveReplay() {
    if (!watching_) return;
    f_GameMode = MODE_MENU_LOAD;
    f_GameOver = 0;
    f_PointerUsed = 1;
    f_KeyUsed = 1;
}

bool bb_Moxelpark_MyApp::HoldWatchedEnd() {
    if (!watching_ || f_Score == watched_.score) return false;
    watchedScore_ = f_Score;
    return true;
}

bool bb_Moxelpark_MyApp::DrawReplayControls() {
    const float w = bb_Moxelpark_jscrw;
    const bool wrongEnd = watchedScore_ >= 0;
    const int shown = wrongEnd ? f_Score : watched_.score;
    if (!replayCaption_.built || replayCaption_.value != shown) {
        replayCaption_ = {String("Replay: game type ") + String(watched_.gameType) + String(", score ") +
                              String(watched_.score),
                          shown, true};
        replayHint_[0] = wrongEnd ? String("This replay comes from another version of Moxelpark:") : String();
        replayHint_[1] = wrongEnd ? String("it scores ") + String(f_Score) + String(" here, not ") +
                                        String(watched_.score) + String(".")
                                  : String(REPLAY_HINT);
    }
    m_ResetDraw();
    m_SetSize(REPLAY_TEXT_SIZE);
    m_SetCol(WHITE, WHITE, WHITE, REPLAY_TEXT_ALPHA);
    m_Text(REPLAY_CAPTION_X, REPLAY_CAPTION_Y, replayCaption_.text, 0.0f, 1.0f);
    // The hint, or why the end is held, on the grass, within the screen.
    const int longest = std::max(replayHint_[0].Length(), replayHint_[1].Length());
    m_SetSize(std::min(REPLAY_TEXT_SIZE,
                       (w - 2.0f * REPLAY_HINT_MARGIN) / static_cast<float>(FONT_ADVANCE * longest)));
    const float hintY = bb_Moxelpark_jscrh - REPLAY_HINT_FROM_BOTTOM;
    m_Text(w / 2.0f, hintY - REPLAY_HINT_LINE, replayHint_[0], 1.0f, 1.0f);
    m_Text(w / 2.0f, hintY, replayHint_[1], 1.0f, 1.0f);
    // A held end is left by any press, as by the pause button.
    if (wrongEnd) return f_PointerDown != 0 && f_PointerUsed == 0;

    // The next stroke, for a finger or a pointer (the keys' is Right).
    if (f_GameOver != 0) return false;
    const float x = w - REPLAY_SKIP_WIDTH;
    m_SetSize(REPLAY_TEXT_SIZE);
    m_SetCol(0.0f, 0.0f, 0.0f, REPLAY_SKIP_ALPHA);
    m_Rect(x, 0.0f, REPLAY_SKIP_WIDTH, REPLAY_SKIP_HEIGHT);
    m_SetCol(WHITE, WHITE, WHITE, REPLAY_TEXT_ALPHA);
    static const String SKIP(REPLAY_SKIP_WORDS);
    m_Text(x + REPLAY_SKIP_WIDTH / 2.0f, REPLAY_SKIP_HEIGHT / 2.0f, SKIP, 1.0f, 1.0f);
    if (f_PointerDown != 0 && f_PointerUsed == 0 &&
        m_MouseIn(x, 0.0f, REPLAY_SKIP_WIDTH, REPLAY_SKIP_HEIGHT)) {
        f_PointerUsed = 1;
        SkipToNextStroke();
    }
    return false;
}

void bb_Moxelpark_MyApp::SkipToNextStroke() {
    for (size_t i = nextEvent_; i < watched_.events.size(); ++i) {
        const ReplayEvent& e = watched_.events[i];
        if (e.kind == ReplayEventKind::STROKE && e.update > playUpdate_) {
            skipTo_ = e.update;
            return;
        }
    }
}

int bb_Moxelpark_MyApp::ReplayPasses() {
    if (!watching_ || f_GameOver > 0) return 1;
    if (f_KeyUsed == 0 && m_PlayKey(ACTION_RIGHT)) {
        f_KeyUsed = 1;
        SkipToNextStroke();
    }
    if (skipTo_ > playUpdate_) return std::min(skipTo_ - playUpdate_, REPLAY_SKIP_PASSES_MAX);
    // A press on the skip control is not held for speed.
    const bool held = (f_PointerDown != 0 && f_PointerUsed == 0) || m_PlayKey(ACTION_CONFIRM);
    return held ? REPLAY_FAST_PASSES : 1;
}
