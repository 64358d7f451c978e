/* lpd_receiver: a native LPD server (RFC 1179) that times each job itself.
 *
 *   lpd_receiver ADDRESS [--port N] [--rate BYTES_PER_S] [--jobs N]
 *                [--lifetime S]
 *
 * Accepts jobs for any queue on ADDRESS (loopback only), reads and discards
 * every file, and prints one line per job once its data file has arrived:
 *
 *   job BYTES SECONDS MB/s
 *
 * SECONDS runs from the arrival of the receive-job command to the arrival of
 * the last byte of the data file, so the clients' process start-up and
 * connection set-up are not in it, and both clients are measured by the same
 * clock. When a job is over (its data and control file have come, or the
 * client closed a connection that brought a data file), one more line gives
 * the whole job, up to the end byte of its last file (whichever of the two
 * came last), and when it began and ended on the receiver's clock (for the
 * jobs per second of a series):
 *
 *   done SECONDS START END
 *
 * The receiver closes a connection whose job has both files itself, so that
 * the TIME_WAIT of the connection stays here and not on the client's
 * reserved local port: a series of hundreds of jobs would otherwise use up
 * those ports for a minute.
 * --rate reads the data at that many bytes per second (a slow
 * printer). Every wait is bounded: a connection that stays silent for 30 s is
 * dropped, and the server exits after --jobs jobs or --lifetime seconds
 * (default 900). Built by bench/lpd_throughput.sh with the system's C
 * compiler.
 */
#define _GNU_SOURCE
#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

enum { kIdleMs = 30000, kBlock = 1 << 20 };

static char g_block[kBlock];
static double g_deadline;

static double Now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

static int WaitReadable(int fd, int ms) {
    struct pollfd p = {fd, POLLIN, 0};
    int n;
    do n = poll(&p, 1, ms); while (n < 0 && errno == EINTR);
    return n > 0;
}

/* Bytes received but not yet consumed by a command line. */
struct Conn {
    int fd;
    char pending[4096];
    size_t cbPending;
};

/* Reads up to cb bytes (pending ones first); 0 on close, error or silence. */
static ssize_t ReadSome(struct Conn* c, char* buf, size_t cb) {
    if (c->cbPending) {
        size_t n = c->cbPending < cb ? c->cbPending : cb;
        memcpy(buf, c->pending, n);
        memmove(c->pending, c->pending + n, c->cbPending - n);
        c->cbPending -= n;
        return (ssize_t)n;
    }
    for (;;) {
        ssize_t n = recv(c->fd, buf, cb, MSG_DONTWAIT);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno != EAGAIN || !WaitReadable(c->fd, kIdleMs)) return 0;
    }
}

/* One command line without its 0x0A; length, or -1. */
static int ReadLine(struct Conn* c, char* line, size_t cb) {
    for (;;) {
        char* end = memchr(c->pending, '\n', c->cbPending);
        if (end) {
            size_t n = (size_t)(end - c->pending);
            if (n >= cb) return -1;
            memcpy(line, c->pending, n);
            line[n] = '\0';
            c->cbPending -= n + 1;
            memmove(c->pending, end + 1, c->cbPending);
            return (int)n;
        }
        if (c->cbPending == sizeof c->pending) return -1;
        ssize_t got;
        do got = recv(c->fd, c->pending + c->cbPending, sizeof c->pending - c->cbPending, MSG_DONTWAIT);
        while (got < 0 && errno == EINTR);
        if (got == 0) return -1;
        if (got < 0) {
            if (errno != EAGAIN || !WaitReadable(c->fd, kIdleMs)) return -1;
            continue;
        }
        c->cbPending += (size_t)got;
    }
}

/* Reads and discards count bytes, at most rate bytes per second when rate > 0. */
static int Discard(struct Conn* c, uint64_t count, double rate) {
    double start = Now();
    uint64_t done = 0;
    while (done < count) {
        size_t want = count - done < kBlock ? (size_t)(count - done) : kBlock;
        if (rate > 0) {
            double allowed = (Now() - start) * rate;
            if (allowed < (double)done + 4096) {
                struct timespec pause = {0, 10 * 1000 * 1000};
                nanosleep(&pause, NULL);
                continue;
            }
            if ((double)want > allowed - (double)done) want = (size_t)(allowed - (double)done);
        }
        ssize_t n = ReadSome(c, g_block, want);
        if (n <= 0) return 0;
        done += (uint64_t)n;
    }
    return 1;
}

static int Ack(struct Conn* c) {
    char zero = 0;
    return send(c->fd, &zero, 1, MSG_NOSIGNAL) == 1;
}

static void ServeConnection(int fd, double rate) {
    struct Conn c = {fd, {0}, 0};
    char line[1024];
    if (ReadLine(&c, line, sizeof line) < 1 || line[0] != 2) return;
    double start = Now(), last = 0;
    int dataFiles = 0, controlFiles = 0;
    if (!Ack(&c)) return;
    for (;;) {
        if ((dataFiles > 0 && controlFiles > 0) || ReadLine(&c, line, sizeof line) < 1) {
            if (dataFiles > 0) {
                printf("done %.6f %.6f %.6f\n", last - start, start, last);
                fflush(stdout);
            }
            return;
        }
        if (line[0] != 2 && line[0] != 3) return;
        char* rest = NULL;
        unsigned long long size = strtoull(line + 1, &rest, 10);
        if (rest == line + 1 || *rest != ' ') return;
        if (!Ack(&c)) return;
        int data = line[0] == 3;
        if (!Discard(&c, size, data ? rate : 0)) return;
        double end = Now();
        if (!Discard(&c, 1, 0)) return;
        last = Now();
        if (!Ack(&c)) return;
        controlFiles += !data;
        if (data) {
            ++dataFiles;
            double seconds = end - start;
            printf("job %llu %.6f %.1f\n", size, seconds, seconds > 0 ? (double)size / seconds / 1e6 : 0.0);
            fflush(stdout);
        }
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: lpd_receiver ADDRESS [--port N] [--rate B/S] [--jobs N] [--lifetime S]\n");
        return 2;
    }
    int port = 515;
    long jobs = -1;
    double rate = 0, lifetime = 900;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!strcmp(argv[i], "--port")) port = atoi(argv[i + 1]);
        else if (!strcmp(argv[i], "--rate")) rate = atof(argv[i + 1]);
        else if (!strcmp(argv[i], "--jobs")) jobs = atol(argv[i + 1]);
        else if (!strcmp(argv[i], "--lifetime")) lifetime = atof(argv[i + 1]);
    }
    struct sockaddr_in address = {0};
    address.sin_family = AF_INET;
    address.sin_port = htons((uint16_t)port);
    if (inet_pton(AF_INET, argv[1], &address.sin_addr) != 1 || (ntohl(address.sin_addr.s_addr) >> 24) != 127) {
        fprintf(stderr, "lpd_receiver: %s is no loopback address\n", argv[1]);
        return 2;
    }
    int server = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(server, (struct sockaddr*)&address, sizeof address) != 0 || listen(server, 8) != 0) {
        perror("lpd_receiver: bind");
        return 1;
    }
    printf("listening %s:%d\n", argv[1], port);
    fflush(stdout);
    g_deadline = Now() + lifetime;
    for (long served = 0; jobs < 0 || served < jobs; ++served) {
        int left = (int)((g_deadline - Now()) * 1000);
        if (left <= 0 || !WaitReadable(server, left)) break;
        int fd = accept(server, NULL, NULL);
        if (fd < 0) continue;
        ServeConnection(fd, rate);
        close(fd);
    }
    close(server);
    return 0;
}
