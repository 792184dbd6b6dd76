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
        if (mode == M::Running) return M::Connected;
        return mode == M::Replaying ? M::RecordingLoaded : mode;
    case WindowEvent::RecordingOpened: return M::RecordingLoaded;
    case WindowEvent::BackToLive: return IsReplay(mode) ? M::NotConnected : mode;
    }
    return mode;
}

ModeView ViewOf(WindowMode mode) {
    ModeView view{};
    // A replay has no port, no connection and no module to command.
    view.portChoice = !IsReplay(mode);
    // A running module is stopped before its port may close.
    view.connect = mode == WindowMode::NotConnected || mode == WindowMode::Connected;
    view.connectSaysDisconnect = HasPort(mode);
    view.start = mode != WindowMode::NotConnected;
    view.startSaysStop = IsRunning(mode);
    // The parameter window stops a run itself before it talks to the module.
    view.moduleCommands = HasPort(mode);
    view.backToLive = IsReplay(mode);
    return view;
}

}  // namespace radar
