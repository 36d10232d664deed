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

// The caption of a watched game, beside the pause button.
constexpr float REPLAY_CAPTION_X = 36.0f;
constexpr float REPLAY_CAPTION_Y = 16.0f;
constexpr float REPLAY_CAPTION_SIZE = 0.75f;
constexpr float REPLAY_CAPTION_ALPHA = 0.9f;
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
    // A resumed game was not recorded from its start: nothing to add to.
    if (watching_ || recording_.gameType == 0) return;
    if (recording_.events.size() >= static_cast<size_t>(REPLAY_EVENTS_MAX)) return;
    e.update = playUpdate_;
    recording_.events.push_back(e);
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
    // A game resumed from a kept game was not recorded from its start: it
    // leaves no replay (and never another game's).
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

void bb_Moxelpark_MyApp::DrawReplayCaption() {
    // Beside the pause button, which leads back to the menu.
    m_ResetDraw();
    m_SetSize(REPLAY_CAPTION_SIZE);
    m_SetCol(WHITE, WHITE, WHITE, REPLAY_CAPTION_ALPHA);
    if (!replayCaption_.built || replayCaption_.value != watched_.score) {
        replayCaption_ = {String("Replay: game type ") + String(watched_.gameType) + String(", score ") +
                              String(watched_.score),
                          watched_.score, true};
    }
    m_Text(REPLAY_CAPTION_X, REPLAY_CAPTION_Y, replayCaption_.text, 0.0f, 0.5f);
}

int bb_Moxelpark_MyApp::ReplayPasses() {
    if (!watching_ || f_GameOver > 0) return 1;
    if (f_KeyUsed == 0 && m_PlayKey(ACTION_RIGHT)) {
        f_KeyUsed = 1;
        for (size_t i = nextEvent_; i < watched_.events.size(); ++i) {
            const ReplayEvent& e = watched_.events[i];
            if (e.kind == ReplayEventKind::STROKE && e.update > playUpdate_) {
                skipTo_ = e.update;
                break;
            }
        }
    }
    if (skipTo_ > playUpdate_) return std::min(skipTo_ - playUpdate_, REPLAY_SKIP_PASSES_MAX);
    const bool held = f_PointerDown != 0 || m_PlayKey(ACTION_CONFIRM);
    return held ? REPLAY_FAST_PASSES : 1;
}
