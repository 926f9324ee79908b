// What the speed monitor plays: its sound file when it can be played, the
// desktop's beeps (once, twice, three times) otherwise, a file that is there
// but no sound included.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/alarm_actions.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// A PCM WAV file of `ms` milliseconds of silence, 8 kHz mono 8-bit.
std::string Wave(int ms) {
    const std::uint32_t rate = 8000, bytes = rate * ms / 1000;
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    std::string fmt = u16(1) + u16(1) + u32(rate) + u32(rate) + u16(1) + u16(8);
    std::string body = "WAVE" + std::string("fmt ") + u32(16) + fmt + "data" + u32(bytes) +
                       std::string(bytes, '\x80');
    return "RIFF" + u32(static_cast<std::uint32_t>(body.size())) + body;
}

class Heard : public Sound {
public:
    bool PlayOnce(const std::string& path) override {
        calls.push_back(refuse ? "refused " + path : "play " + path);
        return !refuse;
    }
    bool PlayLooping(const std::string&) override { return true; }
    void Stop() override {}
    void Beep() override { calls.push_back("beep"); }
    std::vector<std::string> calls;
    bool refuse = false;
};

TEST(SpeedSounds, AFileThatCannotBePlayedBeepsLikeAMissingOne) {
    struct Case {
        const char* what;
        std::string bytes;  // of minspeed.wav, setspeed.wav and maxspeed.wav
        bool folder = false;
        bool playerRefuses = false;
        bool played;  // else 1, 2 and 3 beeps
    } cases[] = {
        {"a WAV file", Wave(100), false, false, true},
        {"no file", "", false, false, false},
        {"text named .wav", "this is no sound\n", false, false, false},
        {"RIFF without WAVE", "RIFF\x04\0\0\0AVI ", false, false, false},
        {"WAV header cut before its data", Wave(100).substr(0, 30), false, false, false},
        {"a folder of that name", "", true, false, false},
        {"a WAV file the player refuses", Wave(100), false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mwtest::TempDir home;
        for (const char* name : {kMinSpeedSound, kSetSpeedSound, kMaxSpeedSound}) {
            if (c.folder)
                ::mkdir(home.File(name).c_str(), 0755);
            else if (!c.bytes.empty())
                home.Write(name, c.bytes);
        }
        Heard heard;
        heard.refuse = c.playerRefuses;
        App app;
        app.state.programFolder = home.Path();
        app.ports.sound = &heard;
        app.settings.minSpeed = 5;
        app.settings.setSpeed = 50;
        app.settings.maxSpeed = 100;
        app.settings.minSpeedActive = app.settings.setSpeedActive = app.settings.maxSpeedActive = 1;
        ResetSpeedAlarms(app);

        auto expect = [&](const char* file, int beeps) {
            std::vector<std::string> want;
            if (c.played) {
                want.push_back("play " + home.File(file));
            } else {
                if (c.playerRefuses) want.push_back("refused " + home.File(file));
                want.insert(want.end(), beeps, "beep");
            }
            EXPECT_EQ(heard.calls, want) << file;
            heard.calls.clear();
        };
        CheckSpeed(app, 60);
        expect(kSetSpeedSound, 2);
        CheckSpeed(app, 120);
        expect(kMaxSpeedSound, 3);
        CheckSpeed(app, 3);
        expect(kMinSpeedSound, 1);
    }
}

TEST(SpeedSounds, PlayableWaveFileReadsTheHeader) {
    mwtest::TempDir dir;
    dir.Write("ok.wav", Wave(20));
    dir.Write("text.wav", "RIFF but not really");
    EXPECT_TRUE(IsPlayableWaveFile(dir.File("ok.wav")));
    EXPECT_FALSE(IsPlayableWaveFile(dir.File("text.wav")));
    EXPECT_FALSE(IsPlayableWaveFile(dir.File("missing.wav")));
    EXPECT_FALSE(IsPlayableWaveFile(dir.Path()));
}

}  // namespace
