// Every mode of the main window under every event: the mode that follows and
// what its controls show.
#include "WindowMode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using radar::WindowEvent;
using radar::WindowMode;
using M = WindowMode;
using E = WindowEvent;

// The view as letters, one per control: P port choice, C connect, D it says
// "disconnect", S start, T it says "stop", M module commands (parameter
// button and window), B back to live; '-' where off.
std::string Letters(const radar::ModeView& v) {
    std::string s;
    s += v.portChoice ? 'P' : '-';
    s += v.connect ? 'C' : '-';
    s += v.connectSaysDisconnect ? 'D' : '-';
    s += v.start ? 'S' : '-';
    s += v.startSaysStop ? 'T' : '-';
    s += v.moduleCommands ? 'M' : '-';
    s += v.backToLive ? 'B' : '-';
    return s;
}

struct Transition {
    WindowMode from;
    WindowEvent event;
    WindowMode to;
    const char* shows;  // Letters of ViewOf(to)
};

// Events that cannot come in a mode (its button is off) leave it as it is.
constexpr Transition kTransitions[] = {
    {M::NotConnected, E::Connected, M::Connected, "PCDS-M-"},
    {M::NotConnected, E::Disconnected, M::NotConnected, "PC-----"},
    {M::NotConnected, E::Started, M::NotConnected, "PC-----"},
    {M::NotConnected, E::Stopped, M::NotConnected, "PC-----"},
    {M::NotConnected, E::RecordingOpened, M::RecordingLoaded, "---S--B"},
    {M::NotConnected, E::BackToLive, M::NotConnected, "PC-----"},

    {M::Connected, E::Connected, M::Connected, "PCDS-M-"},
    {M::Connected, E::Disconnected, M::NotConnected, "PC-----"},
    {M::Connected, E::Started, M::Running, "P-DSTM-"},
    {M::Connected, E::Stopped, M::Connected, "PCDS-M-"},
    {M::Connected, E::RecordingOpened, M::RecordingLoaded, "---S--B"},
    {M::Connected, E::BackToLive, M::Connected, "PCDS-M-"},

    {M::Running, E::Connected, M::Running, "P-DSTM-"},
    {M::Running, E::Disconnected, M::NotConnected, "PC-----"},
    {M::Running, E::Started, M::Running, "P-DSTM-"},
    {M::Running, E::Stopped, M::Connected, "PCDS-M-"},
    {M::Running, E::RecordingOpened, M::RecordingLoaded, "---S--B"},
    {M::Running, E::BackToLive, M::Running, "P-DSTM-"},

    {M::RecordingLoaded, E::Connected, M::RecordingLoaded, "---S--B"},
    {M::RecordingLoaded, E::Disconnected, M::RecordingLoaded, "---S--B"},
    {M::RecordingLoaded, E::Started, M::Replaying, "---ST-B"},
    {M::RecordingLoaded, E::Stopped, M::RecordingLoaded, "---S--B"},
    {M::RecordingLoaded, E::RecordingOpened, M::RecordingLoaded, "---S--B"},
    {M::RecordingLoaded, E::BackToLive, M::NotConnected, "PC-----"},

    {M::Replaying, E::Connected, M::Replaying, "---ST-B"},
    {M::Replaying, E::Disconnected, M::Replaying, "---ST-B"},
    {M::Replaying, E::Started, M::Replaying, "---ST-B"},
    {M::Replaying, E::Stopped, M::RecordingLoaded, "---S--B"},
    {M::Replaying, E::RecordingOpened, M::RecordingLoaded, "---S--B"},
    {M::Replaying, E::BackToLive, M::NotConnected, "PC-----"},
};

TEST(WindowMode, EveryEventInEveryModeGivesItsModeAndControls) {
    for (const Transition& t : kTransitions) {
        const WindowMode to = radar::NextMode(t.from, t.event);
        SCOPED_TRACE(testing::Message() << "from " << static_cast<int>(t.from) << " on event "
                                        << static_cast<int>(t.event));
        EXPECT_EQ(static_cast<int>(to), static_cast<int>(t.to));
        EXPECT_EQ(Letters(radar::ViewOf(to)), t.shows);
    }
    // Every pair is in the table once: 5 modes, 6 events.
    EXPECT_EQ(std::size(kTransitions), 5u * 6u);
}

}  // namespace
