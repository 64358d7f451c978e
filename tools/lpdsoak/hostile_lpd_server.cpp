// HostileLpdServer (hostile_lpd_server.h).
#include "hostile_lpd_server.h"

#include "seeded_random.h"

namespace lpdsoak {

using lpdtest::Answer;
using lpdtest::Point;
using zyntest::Rng;

namespace {

constexpr uint32_t kMaxRefusalText = 3u << 20;

Action Pick(Rng& rng, Point point, bool behaves) {
    if (behaves) return Action::kAccept;
    const bool dataCommand = point == Point::kDataCommand;
    uint32_t r = rng.Below(100);
    struct Weight { Action action; uint32_t weight; };
    const Weight weights[] = {
        {Action::kShortPause, 8},  {Action::kRefuseOne, 4},    {Action::kRefuseTwo, 5},
        {Action::kRefuseNegative, 3}, {Action::kRefusalText, 3}, {Action::kGarbage, 4},
        {Action::kLongPause, 3},   {Action::kClose, 3},        {Action::kReset, 3},
        {dataCommand ? Action::kPartialAck : Action::kAccept, 2},
        {dataCommand ? Action::kCloseMidFile : Action::kAccept, 2},
    };
    for (const Weight& w : weights) {
        if (r < w.weight) return w.action;
        r -= w.weight;
    }
    return Action::kAccept;
}

// A text of n bytes drawn from `rng`, each one of `values` values from `low`,
// after which the connection ends.
Answer Text(Rng& rng, size_t n, uint32_t low, uint32_t values) {
    Answer a = Answer::RefuseText(std::string(n, ' '));
    for (char& c : a.text) c = static_cast<char>(low + rng.Below(values));
    a.closeAfter = true;
    return a;
}

// The server's answer that carries out `action` at a point whose file (if
// any) is `size` bytes long.
Answer Carried(Action action, Rng& rng, uint64_t size, const ServerPauses& pauses) {
    Answer a;
    switch (action) {
    case Action::kShortPause: a.pauseMs = rng.Below(pauses.shortMaxMs + 1); break;
    case Action::kRefuseOne: a.byte = 1; break;
    case Action::kRefuseTwo: a.byte = 2; break;
    case Action::kRefuseNegative: a.byte = 0x80 + static_cast<int>(rng.Below(128)); break;
    case Action::kRefusalText:
        a = Text(rng, rng.Below(4) == 0 ? 1 + rng.Below(kMaxRefusalText) : 1 + rng.Below(400), 0x21, 0x5E);
        break;
    case Action::kGarbage:
        a = Text(rng, 1 + rng.Below(64), 0, 256);
        a.text[0] = static_cast<char>(1 + rng.Below(255));
        break;
    case Action::kLongPause:
        a.kind = Answer::kClose;
        a.pauseMs = pauses.longMinMs + rng.Below(pauses.longMaxMs - pauses.longMinMs + 1);
        break;
    case Action::kPartialAck:
    case Action::kCloseMidFile:
        a.kind = action == Action::kPartialAck ? Answer::kEarlyAck : Answer::kCloseMidFile;
        a.part = size ? rng.Next() % size : 0;
        a.reset = action == Action::kCloseMidFile && rng.Below(2);
        break;
    case Action::kClose:
    case Action::kReset:
        a.kind = Answer::kClose;
        a.reset = action == Action::kReset;
        break;
    default: break;
    }
    return a;
}

}  // namespace

const char* ActionName(Action action) {
    static const char* const names[] = {"accept",        "refuse 1",       "refuse 2", "refuse negative",
                                        "refusal text",  "garbage",        "partial ack", "short pause",
                                        "long pause",    "close mid file", "close",    "reset"};
    size_t i = static_cast<size_t>(action);
    return i < sizeof names / sizeof names[0] ? names[i] : "?";
}

HostileLpdServer::HostileLpdServer(uint64_t seed, const ServerPauses& pauses)
    : seed_(seed), pauses_(pauses), counts_(static_cast<size_t>(Action::kCount)), server_(Options()) {}

lpdtest::ServerOptions HostileLpdServer::Options() {
    lpdtest::ServerOptions options;
    options.threads = 4;
    options.record = false;  // the soak measures the process the server runs in
    options.idleMs = kClientIdleMs;
    options.script = [this](uint64_t connection) {
        return HostileScript(seed_, connection, pauses_, [this](Action action) {
            std::lock_guard<std::mutex> lock(mutex_);
            ++counts_[static_cast<size_t>(action)];
        });
    };
    options.onFileTaken = [this](const lpdtest::Connection& c, const lpdtest::ReceivedFile& file) {
        if (file.kind != 2) return;
        for (auto data = c.files.rbegin(); data != c.files.rend(); ++data) {
            if (data->kind != 3 || !data->taken) continue;
            std::lock_guard<std::mutex> lock(mutex_);
            stored_.push_back({data->contents, file.contents});
            return;
        }
    };
    return options;
}

lpdtest::ConnectionScript HostileScript(uint64_t seed, uint64_t connection, const ServerPauses& pauses,
                                        std::function<void(Action)> picked) {
    Rng rng{seed ^ ((connection + 1) * 0xD1B54A32D192ED03ull)};
    rng.Next();
    const bool behaves = rng.Below(100) < 40;
    return [rng, behaves, pauses, picked](Point point, uint64_t size) mutable {
        const Action action = Pick(rng, point, behaves);
        picked(action);
        return Carried(action, rng, size, pauses);
    };
}

std::vector<StoredJob> HostileLpdServer::TakeStoredJobs() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<StoredJob> jobs;
    jobs.swap(stored_);
    return jobs;
}

std::vector<uint64_t> HostileLpdServer::ActionCounts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

}  // namespace lpdsoak
