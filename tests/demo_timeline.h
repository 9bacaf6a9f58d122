// Test helper: the staged demo's timeline as `demo --timeline` tells it (the scene table's
// scenes with their starts and lengths, and the demo's length), read once per test program.
#pragma once
#include "read_file.h"
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

struct DemoTimeline {
    struct Scene {
        std::string name;
        int startMs = 0, lengthMs = 0;
    };
    std::vector<Scene> scenes;
    int lengthMs = 0;

    int count() const { return (int)scenes.size(); }
    // Printed by the hand-over as its last scene line: playback has begun once it is out.
    std::string playbackMarker() const { return "sceneTime[" + std::to_string(count() - 1) + "]"; }
};

inline DemoTimeline readDemoTimeline(const std::string &demo)
{
    DemoTimeline timeline;
    FILE *pipe = popen(("'" + demo + "' --timeline").c_str(), "r");
    if (!pipe) return timeline;
    std::istringstream lines(readStream(pipe));
    pclose(pipe);
    std::string word;
    while (lines >> word) {
        if (word == "scene") {
            DemoTimeline::Scene s;
            int index = 0;
            lines >> index >> s.name >> s.startMs >> s.lengthMs;
            timeline.scenes.push_back(s);
        } else if (word == "length") {
            lines >> timeline.lengthMs;
        }
    }
    return timeline;
}

// The staged demo's timeline.
inline const DemoTimeline &demoTimeline()
{
    static const DemoTimeline timeline = readDemoTimeline(std::string(VLM_STAGE_DIR) + "/demo");
    return timeline;
}
