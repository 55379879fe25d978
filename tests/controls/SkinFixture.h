#pragma once
// Test helpers for the skinned controls: the program's skin loaded once, and
// a window that records the messages its children send it.

#include "controls/FGResource.h"
#include "controls/FGWnd.h"

#include <QCoreApplication>

#include <vector>

/// Loads the skin laid out beside the test program (Skin/ in its folder).
inline void LoadProgramSkin()
{
    static bool loaded = false;
    if (loaded) return;
    FGLoadResource((QCoreApplication::applicationDirPath() + "/Skin").toStdWString().c_str());
    loaded = true;
}

/// A parent window that keeps every message it receives.
class MessageRecorder : public CFGWnd {
public:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> received;

    /// Number of received messages with identifier `message`.
    int Count(UINT message) const
    {
        int n = 0;
        for (const Message& m : received) n += m.message == message ? 1 : 0;
        return n;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        received.push_back({message, wParam, lParam});
        return 0;
    }
};
