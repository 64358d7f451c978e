// lpdsink: the tests' LPD server (tests/support/scripted_lpd_server) as a
// native Linux program, for the demo, for trying a port by hand and as the
// benchmarks' receiver.
//
//   lpdsink ADDRESS [--port N] [--dir DIR] [--rate BYTES_PER_S]
//           [--refuse STEP:BYTE]... [--jobs N] [--lifetime S]
//
// Accepts jobs for any queue on ADDRESS (loopback only). With --dir every
// file taken is written as DIR/QUEUE/NAME ("file QUEUE NAME BYTES");
// without it contents are read and dropped. Each data file taken gives
//
//   job BYTES SECONDS MB/s
//
// SECONDS running from the arrival of the receive-job command to the last
// byte of the data file, so a client's start-up and connection set-up are
// not in it and every client is measured by the same clock. Each
// connection that brought a data file ends with the whole job, up to the
// end byte of its last file, and when it began and ended on this clock (for
// the jobs per second of a series):
//
//   done SECONDS START END
//
// --rate reads data files at that many bytes per second (a slow printer);
// --refuse answers STEP (job, data or control: the receive-job command or a
// file's subcommand) with BYTE instead of 0x00. The program exits after
// --jobs connections that brought a file, or after --lifetime seconds
// (default 900). Ports below 1024 need root.
#include <arpa/inet.h>

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>

#include "scripted_lpd_server.h"

using lpdtest::Answer;
using lpdtest::Connection;
using lpdtest::Point;
using lpdtest::ReceivedFile;

namespace {

std::mutex g_output;

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
    std::lock_guard<std::mutex> lock(g_output);
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    fflush(stdout);
}

// A name a client sent, made safe as one path component.
std::string SafeName(const std::string& name) {
    std::string safe = name.substr(0, 200);
    for (char& c : safe)
        if (!isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') c = '_';
    return safe.empty() || safe == "." || safe == ".." ? "_" : safe;
}

bool Store(const std::string& dir, const Connection& c, const ReceivedFile& f) {
    const std::string folder = dir + "/" + SafeName(c.queue);
    mkdir(folder.c_str(), 0755);
    FILE* out = fopen((folder + "/" + SafeName(f.name)).c_str(), "wb");
    if (!out) return false;
    const bool written = fwrite(f.contents.data(), 1, f.contents.size(), out) == f.contents.size();
    return fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc % 2 != 0) {
        fprintf(stderr, "usage: lpdsink ADDRESS [--port N] [--dir DIR] [--rate B/S] [--refuse STEP:BYTE]... "
                        "[--jobs N] [--lifetime S]\n");
        return 2;
    }
    lpdtest::ServerOptions options;
    options.address = argv[1];
    options.threads = 4;
    options.record = false;
    std::string dir;
    long jobs = -1;
    double lifetime = 900;
    size_t rate = 0;
    std::map<Point, int> refusals;
    for (int i = 2; i + 1 < argc; i += 2) {
        const char* value = argv[i + 1];
        if (!strcmp(argv[i], "--port")) options.port = static_cast<uint16_t>(atoi(value));
        else if (!strcmp(argv[i], "--dir")) dir = value;
        else if (!strcmp(argv[i], "--rate")) rate = strtoull(value, nullptr, 10);
        else if (!strcmp(argv[i], "--jobs")) jobs = atol(value);
        else if (!strcmp(argv[i], "--lifetime")) lifetime = atof(value);
        else if (!strcmp(argv[i], "--refuse")) {
            const char* colon = strchr(value, ':');
            const std::string step(value, colon ? colon : value + strlen(value));
            const Point point = step == "job" ? Point::kReceiveJob : step == "data" ? Point::kDataCommand
                                                                                    : Point::kControlCommand;
            refusals[point] = colon ? static_cast<int>(strtol(colon + 1, nullptr, 0)) & 0xFF : 1;
        } else {
            fprintf(stderr, "lpdsink: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    in_addr address;
    if (inet_pton(AF_INET, options.address.c_str(), &address) != 1 || (ntohl(address.s_addr) >> 24) != 127) {
        fprintf(stderr, "lpdsink: %s is no loopback address\n", options.address.c_str());
        return 2;
    }
    options.keepContents = !dir.empty();
    if (!dir.empty()) mkdir(dir.c_str(), 0755);

    std::atomic<long> served{0};
    options.onFileTaken = [&](const Connection& c, const ReceivedFile& f) {
        if (!dir.empty()) {
            const bool stored = Store(dir, c, f);
            Say("file %s %s %llu%s\n", c.queue.c_str(), f.name.c_str(), static_cast<unsigned long long>(f.size),
                stored ? "" : " (not written)");
        }
        if (f.kind != 3) return;
        const double seconds = f.arrived - c.started;
        Say("job %llu %.6f %.1f\n", static_cast<unsigned long long>(f.size), seconds,
            seconds > 0 ? static_cast<double>(f.size) / seconds / 1e6 : 0.0);
    };
    options.onEnd = [&](const Connection& c) {
        double last = 0;
        bool data = false;
        for (const ReceivedFile& f : c.files) {
            if (!f.taken) continue;
            data = data || f.kind == 3;
            last = f.ended > last ? f.ended : last;
        }
        if (data) Say("done %.6f %.6f %.6f\n", last - c.started, c.started, last);
        if (last > 0) ++served;
    };

    options.script = [&](uint64_t) {
        return [&](Point point, uint64_t) {
            auto refusal = refusals.find(point);
            return refusal == refusals.end() ? Answer::Accept() : Answer::Refuse(refusal->second);
        };
    };
    lpdtest::ScriptedLpdServer server(options);
    if (!server.Listening()) {
        fprintf(stderr, "lpdsink: cannot listen on %s:%u\n", options.address.c_str(), options.port);
        return 1;
    }
    server.ReadRate(rate);
    Say("listening %s:%u\n", options.address.c_str(), options.port);
    const double deadline = lpdtest::Seconds() + lifetime;
    while ((jobs < 0 || served < jobs) && lpdtest::Seconds() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 0;
}
