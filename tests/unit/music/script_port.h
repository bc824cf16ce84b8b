// A media port that answers from a script: for replies the simulated devices never give.
#pragma once

#include "framework/media_port.h"

#include <map>
#include <string>
#include <vector>

namespace music_test {

class ScriptPort : public fw::MediaPort {
public:
    std::map<std::string, fw::MediaResult> answers;  // by command; others answer 0, ""
    std::vector<std::string> sent;

    fw::MediaResult Send(const std::string& command, uint32_t) override {
        sent.push_back(command);
        auto it = answers.find(command);
        return it == answers.end() ? fw::MediaResult{} : it->second;
    }
    std::optional<std::string> ErrorText(int32_t, uint32_t) override { return "description"; }
    int32_t WaveOutDeviceCount() override { return 1; }
    void PlaySoundFile(const std::optional<std::string>&, uint32_t) override {}
};

}  // namespace music_test
