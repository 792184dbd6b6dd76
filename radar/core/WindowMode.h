// The main window's one explicit mode, the events that change it, and what
// each mode shows: which controls are enabled and what they say. The window
// changes the mode only through NextMode and sets every control from ViewOf,
// in one place; a feature that adds a mode adds it here, with its rows in the
// transition test. Windows-free: the host tests walk every transition.
#pragma once

namespace radar {

enum class WindowMode {
    NotConnected,     // live, no port open
    Connected,        // live, the user's port open (it may be away: the port-lost notice)
    Running,          // live, the module reporting
    RecordingLoaded,  // a recording stands in for the module, not playing
    Replaying,        // the recording playing
};

enum class WindowEvent {
    Connected,        // a port was opened
    Disconnected,     // the user's port was closed
    Started,          // a run began (live or replay)
    Stopped,          // the run ended: the stop button, the parameter window, the end of a recording
    RecordingOpened,  // a recording took the module's place
    BackToLive,       // the recording was put away
};

// The mode after event; an event that does not apply in mode leaves it.
WindowMode NextMode(WindowMode mode, WindowEvent event);

// What the window shows in a mode.
struct ModeView {
    bool portChoice;  // the refresh button and the port list
    bool connect;     // the connect button
    bool connectSaysDisconnect;
    bool start;  // the start button
    bool startSaysStop;
    bool moduleCommands;  // the parameter button, and the parameter window shown and usable
    bool backToLive;      // the system menu's "back to live"
};
ModeView ViewOf(WindowMode mode);

inline bool IsReplay(WindowMode mode) { return mode == WindowMode::RecordingLoaded || mode == WindowMode::Replaying; }
inline bool IsRunning(WindowMode mode) { return mode == WindowMode::Running || mode == WindowMode::Replaying; }
// The user's port is open (connected, or running on it).
inline bool HasPort(WindowMode mode) { return mode == WindowMode::Connected || mode == WindowMode::Running; }

}  // namespace radar
