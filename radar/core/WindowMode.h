// The main window's one explicit mode, the events that change it, and what
// each mode shows: which controls are enabled and what they say. The window
// changes the mode only through NextMode and sets every control from ViewOf,
// in one place; a feature that adds a mode adds it here, with its rows in the
// transition test. Beside the mode stands the profile mark: whether the
// parameter record holds values of a loaded profile that no module was given.
// Windows-free: the host tests walk every transition.
#pragma once

namespace radar {

enum class WindowMode {
    NotConnected,     // live, no port open
    Connected,        // live, the user's port open (it may be away: the port-lost notice)
    Running,          // live, the module reporting
    RecordingLoaded,  // a recording stands in for the module, not playing
    Replaying,        // the recording playing
    TimedRecording,   // live, the module reporting into a recording that the window ends after a set time
};

enum class WindowEvent {
    Connected,              // a port was opened
    Disconnected,           // the user's port was closed
    Started,                // a run began (live or replay)
    Stopped,                // the run ended: the stop button, the parameter window, the end of a recording
    RecordingOpened,        // a recording took the module's place
    BackToLive,             // the recording was put away
    TimedRecordingStarted,  // a timed recording began (the tuning assistant's); Stopped ends it
    // The parameter record against the module (the mark; the mode stays):
    ProfileLoaded,             // a profile filled the record, changing at most the six fields the dialog shows
    ProfileLoadedBeyondShown,  // a profile filled the record and changed fields the dialog does not show
    ShownWritten,              // the six shown fields were written ("set"), the other twelve were not
    ModuleHoldsRecord,         // the module was read, or given all eighteen and read back
};

// Whether the record holds values of a profile that no module was given. The
// record is the window's: connecting, disconnecting or a recording leave it.
enum class ProfileMark {
    None,               // no profile waits to be written
    Loaded,             // a profile waits; writing the six shown fields gives the module all of it
    LoadedBeyondShown,  // a profile waits, with values in fields the dialog does not show
    ShownWritten,       // its six shown fields were written; the other twelve still wait for "write all"
};

// What the window and the parameter dialog say about the mark.
enum class ProfileNote {
    None,
    NotWritten,   // a profile loaded, not yet written to the module
    UseWriteAll,  // only the six shown were written: "write all" gives the module the rest
};

// The mode after event; an event that does not apply in mode leaves it.
WindowMode NextMode(WindowMode mode, WindowEvent event);
// The mark after event; the mode's own events leave it.
ProfileMark NextMark(ProfileMark mark, WindowEvent event);

// What the window shows in a mode.
struct ModeView {
    bool portChoice;  // the refresh button and the port list
    bool connect;     // the connect button
    bool connectSaysDisconnect;
    bool start;  // the start button
    bool startSaysStop;
    bool moduleCommands;      // the parameter button, and the parameter window shown and usable
    bool backToLive;          // the system menu's "back to live"
    bool timedRecording;      // the tuning assistant's record buttons
    ProfileNote profileNote;  // in the chart's notices and the parameter dialog, in every mode
};
ModeView ViewOf(WindowMode mode, ProfileMark mark);

inline bool IsReplay(WindowMode mode) { return mode == WindowMode::RecordingLoaded || mode == WindowMode::Replaying; }
inline bool IsRunning(WindowMode mode) {
    return mode == WindowMode::Running || mode == WindowMode::Replaying || mode == WindowMode::TimedRecording;
}
// The user's port is open (connected, or running on it).
inline bool HasPort(WindowMode mode) {
    return mode == WindowMode::Connected || mode == WindowMode::Running || mode == WindowMode::TimedRecording;
}

}  // namespace radar
