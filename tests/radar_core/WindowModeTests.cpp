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
// button and window), B back to live, R the assistant's timed recording; '-'
// where off.
std::string Letters(const radar::ModeView& v) {
    std::string s;
    s += v.portChoice ? 'P' : '-';
    s += v.connect ? 'C' : '-';
    s += v.connectSaysDisconnect ? 'D' : '-';
    s += v.start ? 'S' : '-';
    s += v.startSaysStop ? 'T' : '-';
    s += v.moduleCommands ? 'M' : '-';
    s += v.backToLive ? 'B' : '-';
    s += v.timedRecording ? 'R' : '-';
    return s;
}

struct Transition {
    WindowMode from;
    WindowEvent event;
    WindowMode to;
    const char* shows;  // Letters of ViewOf(to) without a profile waiting
};

// Events that cannot come in a mode (its button is off) leave it as it is.
constexpr Transition kTransitions[] = {
    {M::NotConnected, E::Connected, M::Connected, "PCDS-M-R"},
    {M::NotConnected, E::Disconnected, M::NotConnected, "PC------"},
    {M::NotConnected, E::Started, M::NotConnected, "PC------"},
    {M::NotConnected, E::Stopped, M::NotConnected, "PC------"},
    {M::NotConnected, E::RecordingOpened, M::RecordingLoaded, "---S--B-"},
    {M::NotConnected, E::BackToLive, M::NotConnected, "PC------"},
    {M::NotConnected, E::TimedRecordingStarted, M::NotConnected, "PC------"},

    {M::Connected, E::Connected, M::Connected, "PCDS-M-R"},
    {M::Connected, E::Disconnected, M::NotConnected, "PC------"},
    {M::Connected, E::Started, M::Running, "P-DSTM--"},
    {M::Connected, E::Stopped, M::Connected, "PCDS-M-R"},
    {M::Connected, E::RecordingOpened, M::RecordingLoaded, "---S--B-"},
    {M::Connected, E::BackToLive, M::Connected, "PCDS-M-R"},
    {M::Connected, E::TimedRecordingStarted, M::TimedRecording, "--DST---"},

    {M::Running, E::Connected, M::Running, "P-DSTM--"},
    {M::Running, E::Disconnected, M::NotConnected, "PC------"},
    {M::Running, E::Started, M::Running, "P-DSTM--"},
    {M::Running, E::Stopped, M::Connected, "PCDS-M-R"},
    {M::Running, E::RecordingOpened, M::RecordingLoaded, "---S--B-"},
    {M::Running, E::BackToLive, M::Running, "P-DSTM--"},
    {M::Running, E::TimedRecordingStarted, M::Running, "P-DSTM--"},

    {M::RecordingLoaded, E::Connected, M::RecordingLoaded, "---S--B-"},
    {M::RecordingLoaded, E::Disconnected, M::RecordingLoaded, "---S--B-"},
    {M::RecordingLoaded, E::Started, M::Replaying, "---ST-B-"},
    {M::RecordingLoaded, E::Stopped, M::RecordingLoaded, "---S--B-"},
    {M::RecordingLoaded, E::RecordingOpened, M::RecordingLoaded, "---S--B-"},
    {M::RecordingLoaded, E::BackToLive, M::NotConnected, "PC------"},
    {M::RecordingLoaded, E::TimedRecordingStarted, M::RecordingLoaded, "---S--B-"},

    {M::Replaying, E::Connected, M::Replaying, "---ST-B-"},
    {M::Replaying, E::Disconnected, M::Replaying, "---ST-B-"},
    {M::Replaying, E::Started, M::Replaying, "---ST-B-"},
    {M::Replaying, E::Stopped, M::RecordingLoaded, "---S--B-"},
    {M::Replaying, E::RecordingOpened, M::RecordingLoaded, "---S--B-"},
    {M::Replaying, E::BackToLive, M::NotConnected, "PC------"},
    {M::Replaying, E::TimedRecordingStarted, M::Replaying, "---ST-B-"},

    // The timed recording ends on its own, by the stop button or with its
    // port; a recording opened instead stops it first.
    {M::TimedRecording, E::Connected, M::TimedRecording, "--DST---"},
    {M::TimedRecording, E::Disconnected, M::NotConnected, "PC------"},
    {M::TimedRecording, E::Started, M::TimedRecording, "--DST---"},
    {M::TimedRecording, E::Stopped, M::Connected, "PCDS-M-R"},
    {M::TimedRecording, E::RecordingOpened, M::RecordingLoaded, "---S--B-"},
    {M::TimedRecording, E::BackToLive, M::TimedRecording, "--DST---"},
    {M::TimedRecording, E::TimedRecordingStarted, M::TimedRecording, "--DST---"},
};

TEST(WindowMode, EveryEventInEveryModeGivesItsModeAndControls) {
    for (const Transition& t : kTransitions) {
        const WindowMode to = radar::NextMode(t.from, t.event);
        SCOPED_TRACE(testing::Message() << "from " << static_cast<int>(t.from) << " on event "
                                        << static_cast<int>(t.event));
        EXPECT_EQ(static_cast<int>(to), static_cast<int>(t.to));
        EXPECT_EQ(Letters(radar::ViewOf(to, radar::ProfileMark::None)), t.shows);
    }
    // Every pair of the mode's own events is in the table once: 6 modes, 7
    // events (the record's events: below).
    EXPECT_EQ(std::size(kTransitions), 6u * 7u);
}

using P = radar::ProfileMark;

struct MarkTransition {
    P from;
    WindowEvent event;
    P to;
    char note;  // what ViewOf(mode, to) says in every mode: '-' nothing, 'N' not written, 'W' use "write all"
};

// The mark follows the record: a profile waits until the module is known to
// hold it. Writing the six shown fields ends it only when the profile changed
// no other field; the mode's own events never touch it.
constexpr MarkTransition kMarkTransitions[] = {
    {P::None, E::ProfileLoaded, P::Loaded, 'N'},
    {P::None, E::ProfileLoadedBeyondShown, P::LoadedBeyondShown, 'N'},
    {P::None, E::ShownWritten, P::None, '-'},
    {P::None, E::ModuleHoldsRecord, P::None, '-'},
    {P::Loaded, E::ProfileLoaded, P::Loaded, 'N'},
    {P::Loaded, E::ProfileLoadedBeyondShown, P::LoadedBeyondShown, 'N'},
    {P::Loaded, E::ShownWritten, P::None, '-'},
    {P::Loaded, E::ModuleHoldsRecord, P::None, '-'},
    {P::LoadedBeyondShown, E::ProfileLoaded, P::LoadedBeyondShown, 'N'},
    {P::LoadedBeyondShown, E::ProfileLoadedBeyondShown, P::LoadedBeyondShown, 'N'},
    {P::LoadedBeyondShown, E::ShownWritten, P::ShownWritten, 'W'},
    {P::LoadedBeyondShown, E::ModuleHoldsRecord, P::None, '-'},
    // The twelve still wait: a profile that changes only the six does not give them.
    {P::ShownWritten, E::ProfileLoaded, P::LoadedBeyondShown, 'N'},
    {P::ShownWritten, E::ProfileLoadedBeyondShown, P::LoadedBeyondShown, 'N'},
    {P::ShownWritten, E::ShownWritten, P::ShownWritten, 'W'},
    {P::ShownWritten, E::ModuleHoldsRecord, P::None, '-'},
};

char NoteLetter(radar::ProfileNote note) {
    return note == radar::ProfileNote::None ? '-' : note == radar::ProfileNote::NotWritten ? 'N' : 'W';
}

TEST(WindowMode, TheProfileMarkFollowsTheRecordWhateverTheMode) {
    for (const MarkTransition& t : kMarkTransitions) {
        SCOPED_TRACE(testing::Message() << "mark " << static_cast<int>(t.from) << " on event "
                                        << static_cast<int>(t.event));
        EXPECT_EQ(static_cast<int>(radar::NextMark(t.from, t.event)), static_cast<int>(t.to));
        for (const Transition& m : kTransitions) {
            EXPECT_EQ(NoteLetter(radar::ViewOf(m.from, t.to).profileNote), t.note);
            // The record's events leave the mode, the mode's events the mark,
            // and the mark leaves the mode's view.
            EXPECT_EQ(static_cast<int>(radar::NextMode(m.from, t.event)), static_cast<int>(m.from));
            EXPECT_EQ(static_cast<int>(radar::NextMark(t.from, m.event)), static_cast<int>(t.from));
            EXPECT_EQ(Letters(radar::ViewOf(m.to, t.from)), m.shows);
        }
    }
    EXPECT_EQ(std::size(kMarkTransitions), 4u * 4u);
}

}  // namespace
