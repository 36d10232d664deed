// Fuzz target: the replay reader, as a link or a file gives it text, and the
// game played from what it accepts. Each input is read twice: as the text
// itself, and as the bytes behind a text (signed with the checksum the game
// writes, then put in base64url), so the fuzzer reaches the values behind
// the checksum. A replay that is accepted is watched for a bounded number of
// updates in the game of this process, in a scratch folder of its own.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/game_host.h"
#include "game/bits.h"
#include "game/replay_text.h"

namespace {

// Updates a watched replay may run: long enough for strokes, holes and an end.
constexpr int WATCH_UPDATES = 3000;
constexpr char BASE64URL[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bb_Moxelpark_MyApp* game = nullptr;

// The bytes with their checksum after them, in base64url.
std::string signed_text(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const uint32_t h = fnv1a(bytes);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((h >> (8 * i)) & 0xffu));
    std::string out;
    uint32_t acc = 0;
    int bits = 0;
    for (unsigned char c : bytes) {
        acc = (acc << 8) | c;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out.push_back(BASE64URL[(acc >> bits) & 0x3fu]);
        }
    }
    if (bits > 0) out.push_back(BASE64URL[(acc << (6 - bits)) & 0x3fu]);
    return out;
}

void watch(const std::string& text) {
    Replay replay;
    std::string why;
    if (!DecodeReplay(text, &replay, &why)) return;
    game->WatchReplay(replay);
    for (int i = 0; i < WATCH_UPDATES && game->Watching(); ++i) game->m_OnUpdate();
    // A replay cut off here ends as a watched game does when the player leaves.
    if (game->Watching()) game->m_LoadMenu();
    game->f_GameMode = MODE_MENU;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    game = fuzz::StartGameInScratchFolder(".replay");
    game->f_LoadStep = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    watch(std::string(reinterpret_cast<const char*>(data), size));
    watch(signed_text(data, size));
    gc_collect();
    return 0;
}
