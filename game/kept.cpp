// The game in progress, kept: a game is never lost to a closed window, a
// crash, a reload or a discarded tab.
//
// Whenever a stroke is played, the ball comes to rest or drops into the cup,
// a hole begins or the game ends, and whenever the game is suspended (the
// window iconified or closed, the page hidden), the game in play is written
// to its own file beside the state file, as crash-safe as the state file.
// Each keep is the whole game at the end of an update, floats to the bit, so
// the game resumed from it goes on exactly as it would have: a stroke kept in
// flight flies again from where it was played and strikes, scores and holes
// as before.
//
// The next start finds the file and goes straight to that game, its pause
// panel opening. When the game ends its score reaches the tables once, and
// the file is removed.
#include <cstdio>

#include "audio/random.h"
#include "game/game.h"
#include "game/kept_text.h"
#include "host/base/files.h"

namespace {

KeptGame take(const bb_Moxelpark_MyApp& g) {
    KeptGame k;
    k.gameType = g.f_GameType;
    k.hole = g.f_Hole;
    k.balls = g.f_Balls;
    k.score = g.f_Score;
    k.shownScore = g.f_ShownScore;
    k.gameOver = g.f_GameOver;
    k.gameOverTime = g.f_GameOverTime;
    k.ballState = g.f_BallState;
    k.facing = g.f_Facing;
    k.combo = g.f_Combo;
    k.inCup = g.f_InCup;
    k.holedTimer = g.f_HoledTimer;
    k.objectCount = g.f_ObjectCount;
    k.seed = bb_random_Seed;
    k.ballX = g.f_BallX;
    k.ballY = g.f_BallY;
    k.ballVX = g.f_BallVX;
    k.ballVY = g.f_BallVY;
    k.heroX = g.f_HeroX;
    k.heroY = g.f_HeroY;
    k.shotPower = g.f_ShotPower;
    k.cupX = g.f_CupX;
    k.holeWidth = g.f_HoleWidth;
    k.holeHeight = g.f_HoleHeight;
    for (int n = 1; n <= OBJECT_MAX; ++n) {
        const float* e = g.f_Objects.Data() + n * OBJECT_ENTRY_FLOATS;
        k.objects[n] = {e[OBJECT_KIND], e[OBJECT_X], e[OBJECT_Y], e[OBJECT_HIT]};
    }
    return k;
}

void put(const KeptGame& k, bb_Moxelpark_MyApp* g) {
    g->f_GameType = k.gameType;
    g->f_Hole = k.hole;
    g->f_Balls = k.balls;
    g->f_Score = k.score;
    g->f_ShownScore = k.shownScore;
    g->f_GameOver = k.gameOver;
    g->f_GameOverTime = k.gameOverTime;
    g->f_BallState = k.ballState;
    g->f_Facing = k.facing;
    g->f_Combo = k.combo;
    g->f_InCup = k.inCup;
    g->f_HoledTimer = k.holedTimer;
    g->f_ObjectCount = k.objectCount;
    bb_random_Seed = k.seed;
    g->f_BallX = k.ballX;
    g->f_BallY = k.ballY;
    g->f_BallVX = k.ballVX;
    g->f_BallVY = k.ballVY;
    g->f_HeroX = k.heroX;
    g->f_HeroY = k.heroY;
    g->f_ShotPower = k.shotPower;
    g->f_CupX = k.cupX;
    g->f_HoleWidth = k.holeWidth;
    g->f_HoleHeight = k.holeHeight;
    float* objects = g->f_Objects.Data();
    for (int i = 0; i < OBJECT_FLOATS; ++i) objects[i] = 0.0f;
    for (int n = 1; n <= OBJECT_MAX; ++n) {
        float* e = objects + n * OBJECT_ENTRY_FLOATS;
        e[OBJECT_KIND] = k.objects[n].kind;
        e[OBJECT_X] = k.objects[n].x;
        e[OBJECT_Y] = k.objects[n].y;
        e[OBJECT_HIT] = k.objects[n].hit;
    }
}

// The game type's top ten and last ten, to or from the kept game.
void copy_tables(const bb_Moxelpark_MyApp& g, KeptGame* k) {
    const int top = (k->gameType - 1) * TABLE_LENGTH;
    for (int j = 0; j < TABLE_LENGTH; ++j) {
        k->top[j] = g.f_HighScores[top + j];
        k->last[j] = g.f_HighScores[LAST_TEN_BASE + top + j];
    }
}

void put_tables(const KeptGame& k, bb_Moxelpark_MyApp* g) {
    const int top = (k.gameType - 1) * TABLE_LENGTH;
    for (int j = 0; j < TABLE_LENGTH; ++j) {
        g->f_HighScores[top + j] = k.top[j];
        g->f_HighScores[LAST_TEN_BASE + top + j] = k.last[j];
    }
}

// True when the file holds the game. A failed keep says so on stderr (the
// host does); play goes on, and the next keep tries again.
bool write(const KeptGame& k) {
    return host_save_file(KEPT_GAME_FILE_NAME, WriteKeptGame(k)) == SAVE_OK;
}

}  // namespace

void bb_Moxelpark_MyApp::KeepGame() {
    // A watched game is nobody's game in progress.
    if (watching_) return;
    // The file may still be the only copy on disk of an ended game's score
    // (the state could not be saved since): it is kept for that game until
    // the state holds the score.
    if (keptUnsettled_) m_Save();
    if (keptUnsettled_) return;
    KeptGame k = take(*this);
    k.recording = RecordingText();
    k.playUpdate = playUpdate_;
    write(k);
    keptMoment_ = MomentNow();
}

void bb_Moxelpark_MyApp::KeepOnChange() {
    if (f_GameMode == MODE_PLAY && !(MomentNow() == keptMoment_)) KeepGame();
}

void bb_Moxelpark_MyApp::RecordKeptGame() {
    if (f_GameType < 1 || f_GameType > GAME_TYPES) return;
    KeptGame k = take(*this);
    k.recorded = 1;
    copy_tables(*this, &k);
    // Marked or not, the file goes only once the state holds the score: marked,
    // it puts the tables back at the next start; unmarked, that start plays
    // the game's end again and records it then. Removed while unmarked after
    // the state was saved with the score, it would be recorded twice.
    write(k);
    keptUnsettled_ = true;
    m_Save();
}

void bb_Moxelpark_MyApp::SettleKeptGame(bool stateSaved) {
    if (!keptUnsettled_ || !stateSaved) return;
    if (host_remove_file(KEPT_GAME_FILE_NAME)) keptUnsettled_ = false;
    keptMoment_ = KeptMoment();
}

void bb_Moxelpark_MyApp::ResumeKeptGame() {
    // A file larger than any game is refused unread: whatever it holds, it
    // would cost every start its size in memory.
    const long size = host_file_size(KEPT_GAME_FILE_NAME);
    if (size < 0) return;
    std::string text;
    KeptGame k;
    std::string why;
    if (size > KEPT_GAME_MAX_BYTES) {
        why = "it is larger than any kept game";
    } else if (!host_load_file(KEPT_GAME_FILE_NAME, &text)) {
        return;
    }
    if (!why.empty() || !ReadKeptGame(text, &k, &why)) {
        // NOTE: set aside, never deleted: it may be a game the player wants
        // back from a newer version, or worth a look.
        const std::string aside = host_set_aside_file(KEPT_GAME_FILE_NAME);
        std::fprintf(stderr,
                     "The game kept in %s cannot be resumed: %s. %s%s; the game starts at the menu.\n",
                     KEPT_GAME_FILE_NAME, why.c_str(),
                     aside.empty() ? "It stays where it is" : "It was set aside as ", aside.c_str());
        return;
    }
    if (k.recorded == 1) {
        // The game ended and its score went into the tables; only the removal
        // was cut off. The tables as they are with the score are put back
        // (which changes nothing if the state was saved with them) and saved.
        f_GameType = k.gameType;
        put_tables(k, this);
        keptUnsettled_ = true;
        m_Save();
        return;
    }
    put(k, this);
    ResumeRecording(k.recording, k.playUpdate);
    f_GameMode = MODE_PLAY;
    keptMoment_ = MomentNow();
    // A game that was over goes on to its end and records its score; any
    // other comes back paused, as the pause button leaves it, so the player
    // chooses when play goes on. Whatever is held at start-up acts on nothing.
    if (f_GameOver == 0) {
        f_Paused = 1;
        f_PauseSlide = 1;
        f_PauseChoice = 0;
    }
    f_PointerUsed = 1;
    f_KeyUsed = 1;
}
