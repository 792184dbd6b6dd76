// Debug output: formats each message once and hands it to every registered sink.
//
// Sinks are called without any global lock held, so a slow sink delays only
// its own caller. Each sink entry counts its calls in flight; removal marks the
// entry (later calls skip it) and waits for that count alone, never for other
// sinks. What a sink may not do: wait for a thread that is removing this same
// sink (removal waits for the sink: deadlock), or log through DbgOutputA
// (nested messages past a small depth are dropped rather than recursing
// without end). A sink removing itself from inside its own call is allowed.
#include "Tavo_Common.h"
#include "CommonInternal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct SinkEntry {
    DbgOutputCallback sink = nullptr;
    std::atomic<void*> context{nullptr};
    std::mutex mutex;              // guards removed and inFlight
    std::condition_variable idle;  // signalled when inFlight drops
    bool removed = false;
    int inFlight = 0;
};

struct Registry {
    std::mutex mutex;  // guards sinks and tag; never held while a sink runs
    std::vector<std::shared_ptr<SinkEntry>> sinks;
    std::string tag;
    std::atomic<int> timeType{1};
    std::atomic<int> includeIds{0};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

// Never destroyed: messages may still arrive from other static destructors.
Registry& TheRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

// Created at load time so "milliseconds since start" counts from process start.
const Registry& g_registryAtLoad = TheRegistry();

thread_local const SinkEntry* t_runningSink = nullptr;
thread_local int t_depth = 0;
constexpr int kMaxNestedDepth = 2;

std::string Prefix(Registry& r) {
    char stamp[96];
    std::string prefix;
    switch (r.timeType.load()) {
    case 1: {
        const tavo_common::LocalTime t = tavo_common::NowLocal();
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", t.year, t.month, t.day, t.hour,
                      t.minute, t.second, t.millis);
        prefix += stamp;
        break;
    }
    case 2: {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - r.start).count();
        std::snprintf(stamp, sizeof stamp, "%lld ", static_cast<long long>(ms));
        prefix += stamp;
        break;
    }
    default: break;
    }
    if (r.includeIds.load()) {
        std::snprintf(stamp, sizeof stamp, "[%u:%u] ", static_cast<unsigned>(tavo_common::CurrentProcessId()),
                      static_cast<unsigned>(tavo_common::CurrentThreadId()));
        prefix += stamp;
    }
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (!r.tag.empty()) {
            prefix += '[';
            prefix += r.tag;
            prefix += "] ";
        }
    }
    return prefix;
}

void Deliver(Registry& r, int level, const std::string& message) {
    std::vector<std::shared_ptr<SinkEntry>> snapshot;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        snapshot = r.sinks;
    }
    const int length = static_cast<int>(message.size());
    for (const auto& entry : snapshot) {
        {
            std::lock_guard<std::mutex> lock(entry->mutex);
            if (entry->removed) continue;
            ++entry->inFlight;
        }
        const SinkEntry* outer = t_runningSink;
        t_runningSink = entry.get();
        try {
            entry->sink(entry->context.load(), level, message.c_str(), length);
        } catch (...) {
            // A sink's failure must not stop delivery to the others.
        }
        t_runningSink = outer;
        {
            std::lock_guard<std::mutex> lock(entry->mutex);
            --entry->inFlight;
        }
        entry->idle.notify_all();
    }
}

}  // namespace

extern "C" int DbgOutputAddCallback(DbgOutputCallback sink, void* context) {
    if (sink == nullptr) return 0;
    try {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (const auto& entry : r.sinks) {
            if (entry->sink == sink) {
                entry->context.store(context);
                return 1;
            }
        }
        auto entry = std::make_shared<SinkEntry>();
        entry->sink = sink;
        entry->context.store(context);
        r.sinks.push_back(std::move(entry));
        return 1;
    } catch (...) {
        return 0;
    }
}

extern "C" int DbgOutputDelCallback(DbgOutputCallback sink) {
    if (sink == nullptr) return 0;
    try {
        Registry& r = TheRegistry();
        std::shared_ptr<SinkEntry> entry;
        {
            std::lock_guard<std::mutex> lock(r.mutex);
            for (auto it = r.sinks.begin(); it != r.sinks.end(); ++it) {
                if ((*it)->sink == sink) {
                    entry = *it;
                    r.sinks.erase(it);
                    break;
                }
            }
        }
        if (!entry) return 0;
        // A sink removing itself from inside its own call waits for the others only.
        const int own = t_runningSink == entry.get() ? 1 : 0;
        std::unique_lock<std::mutex> lock(entry->mutex);
        entry->removed = true;
        entry->idle.wait(lock, [&] { return entry->inFlight <= own; });
        return 1;
    } catch (...) {
        return 0;
    }
}

extern "C" void DbgOutputSetTag(const char* tag, int reserved) {
    try {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.tag = tag ? tag : "";
    } catch (...) {}
}

extern "C" void DbgOutputSetTimeType(int timeType) {
    TheRegistry().timeType.store(timeType >= 0 && timeType <= 2 ? timeType : 1);
}

extern "C" void DbgOutputSetIncludePIDTID(int include) { TheRegistry().includeIds.store(include ? 1 : 0); }

extern "C" int DbgOutputVA(int level, const char* format, va_list args) {
    if (format == nullptr) return -1;
    if (t_depth >= kMaxNestedDepth) return -1;
    ++t_depth;
    int result = -1;
    try {
        Registry& r = TheRegistry();
        std::string message = Prefix(r);
        const size_t head = message.size();
        char small[512];
        va_list copy;
        va_copy(copy, args);
        const int n = std::vsnprintf(small, sizeof small, format, copy);
        va_end(copy);
        if (n >= 0) {
            if (static_cast<size_t>(n) < sizeof small) {
                message.append(small, static_cast<size_t>(n));
            } else {
                message.resize(head + static_cast<size_t>(n) + 1);
                va_copy(copy, args);
                std::vsnprintf(&message[head], static_cast<size_t>(n) + 1, format, copy);
                va_end(copy);
                message.resize(head + static_cast<size_t>(n));
            }
            Deliver(r, level, message);
            result = static_cast<int>(message.size());
        }
    } catch (...) {
        result = -1;
    }
    --t_depth;
    return result;
}

extern "C" int DbgOutputA(int level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = DbgOutputVA(level, format, args);
    va_end(args);
    return n;
}
