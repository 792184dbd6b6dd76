#include "WindowMode.h"

namespace radar {

WindowMode NextMode(WindowMode mode, WindowEvent event) {
    using M = WindowMode;
    switch (event) {
    case WindowEvent::Connected: return mode == M::NotConnected ? M::Connected : mode;
    case WindowEvent::Disconnected: return HasPort(mode) ? M::NotConnected : mode;
    case WindowEvent::Started:
        if (mode == M::Connected) return M::Running;
        return mode == M::RecordingLoaded ? M::Replaying : mode;
    case WindowEvent::Stopped:
        if (mode == M::Running || mode == M::TimedRecording) return M::Connected;
        return mode == M::Replaying ? M::RecordingLoaded : mode;
    case WindowEvent::RecordingOpened: return M::RecordingLoaded;
    case WindowEvent::BackToLive: return IsReplay(mode) ? M::NotConnected : mode;
    // A timed recording starts its own run: from a connection that is not running.
    case WindowEvent::TimedRecordingStarted: return mode == M::Connected ? M::TimedRecording : mode;
    case WindowEvent::ProfileLoaded:
    case WindowEvent::ProfileLoadedBeyondShown:
    case WindowEvent::ShownWritten:
    case WindowEvent::ModuleHoldsRecord: return mode;  // the record's events
    }
    return mode;
}

ProfileMark NextMark(ProfileMark mark, WindowEvent event) {
    using P = ProfileMark;
    switch (event) {
    // Fields of an earlier profile that no module was given stay unwritten.
    case WindowEvent::ProfileLoaded: return mark == P::None || mark == P::Loaded ? P::Loaded : P::LoadedBeyondShown;
    case WindowEvent::ProfileLoadedBeyondShown: return P::LoadedBeyondShown;
    case WindowEvent::ShownWritten:
        if (mark == P::Loaded) return P::None;
        return mark == P::LoadedBeyondShown ? P::ShownWritten : mark;
    case WindowEvent::ModuleHoldsRecord: return P::None;
    case WindowEvent::Connected:
    case WindowEvent::Disconnected:
    case WindowEvent::Started:
    case WindowEvent::Stopped:
    case WindowEvent::RecordingOpened:
    case WindowEvent::BackToLive:
    case WindowEvent::TimedRecordingStarted: return mark;  // the mode's events: the record is the window's
    }
    return mark;
}

ModeView ViewOf(WindowMode mode, ProfileMark mark) {
    ModeView view{};
    const bool timed = mode == WindowMode::TimedRecording;
    // A replay has no port, no connection and no module to command; a timed
    // recording keeps its port and its module to itself until it ends.
    view.portChoice = !IsReplay(mode) && !timed;
    // A running module is stopped before its port may close.
    view.connect = mode == WindowMode::NotConnected || mode == WindowMode::Connected;
    view.connectSaysDisconnect = HasPort(mode);
    view.start = mode != WindowMode::NotConnected;
    view.startSaysStop = IsRunning(mode);
    // The parameter window stops a run itself before it talks to the module.
    view.moduleCommands = HasPort(mode) && !timed;
    view.backToLive = IsReplay(mode);
    view.timedRecording = mode == WindowMode::Connected;
    view.profileNote = mark == ProfileMark::None           ? ProfileNote::None
                       : mark == ProfileMark::ShownWritten ? ProfileNote::UseWriteAll
                                                           : ProfileNote::NotWritten;
    return view;
}

}  // namespace radar
